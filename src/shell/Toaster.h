#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

namespace quillcraft {

class Clock;
class FloatingPanel;
class FloatingWindows;
class Screens;
class ToastView;

// Short messages at the top of the main screen, in one panel reused for all of
// them. Each hides itself after a few seconds unless a newer one took its place.
class Toaster final : public QObject {
    Q_OBJECT

public:
    static constexpr int visibleMs = 3500;
    // Between the top of the screen's visible frame and the panel.
    static constexpr qreal topGap = 8;

    // windows may be null (offscreen tests and previews).
    Toaster(const Screens& screens, FloatingWindows* windows, Clock& clock, QObject* parent = nullptr);
    ~Toaster() override;

    void show(const QString& text);

    bool isShowing() const;
    // The text on the panel now; empty when none is showing.
    QString text() const;
    FloatingPanel& panel() const { return *m_panel; }

private:
    const Screens& m_screens;
    Clock& m_clock;
    std::unique_ptr<FloatingPanel> m_panel;
    QPointer<ToastView> m_current;
};

} // namespace quillcraft
