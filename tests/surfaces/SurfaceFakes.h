#pragma once

#include "platform/FloatingWindows.h"
#include "platform/Screens.h"

#include <QList>

namespace quillcraft::test {

// A fixed set of screens.
class FixedScreens final : public Screens {
public:
    explicit FixedScreens(QList<ScreenGeometry> screens)
        : m_screens(std::move(screens))
    {
    }
    QList<ScreenGeometry> screens() const override { return m_screens; }

private:
    QList<ScreenGeometry> m_screens;
};

// Records what the surfaces ask of the window system.
class RecordingFloatingWindows final : public FloatingWindows {
public:
    void prepare(quintptr window) override { prepared.append(window); }
    bool compositing() const override { return compositor; }
    void flush() override { ++flushes; }
    quintptr activeWindow() const override { return active; }
    bool activate(quintptr window) override
    {
        activated.append(window);
        return true;
    }

    bool compositor = true;
    quintptr active = 0;
    QList<quintptr> prepared;
    QList<quintptr> activated;
    int flushes = 0;
};

} // namespace quillcraft::test
