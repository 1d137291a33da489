#pragma once

#include "platform/AX.h"
#include "platform/Accessibility.h"
#include "platform/FrontmostApp.h"
#include "platform/Screens.h"

#include <QHash>
#include <QStringList>

#include <functional>

namespace quillcraft::test {

// An element of a fake accessibility tree. By default it behaves like a plain
// text field: setting the selected range stores it and setting the selected
// text replaces the selection in "AXValue". Hooks override any of that.
class FakeElement final : public AccessibilityElement {
public:
    static std::shared_ptr<FakeElement> make(const QString& role = {});

    bool isEqual(const AccessibilityElement& other) const override { return &other == this; }
    std::optional<qint64> processId() const override { return pid; }
    std::optional<AXValue> copyAttribute(const QString& attribute) const override;
    std::optional<AXValue> copyParameterizedAttribute(
        const QString& attribute, const AXValue& parameter) const override;
    AXError setAttribute(const QString& attribute, const AXValue& value) override;

    // Frame in top-left accessibility coordinates.
    void setFrame(const QRectF& topLeft);
    void setParent(const ElementRef& parent) { attributes.insert(AX::parent, parent); }

    std::optional<qint64> pid = 4242;
    QHash<QString, AXValue> attributes;
    // Attribute names read, in order, and attribute names set.
    mutable QStringList reads;
    QStringList sets;
    // Answers "AXBoundsForRange" in top-left coordinates; absent when unset.
    std::function<std::optional<QRectF>(TextRange)> boundsForRange;
    // Runs instead of the default handling when set.
    std::function<AXError(const QString&, const AXValue&)> onSet;
    // Runs before each read of an attribute (to change the value under the reader).
    std::function<void(const QString&)> beforeRead;
};

class FakeAccessibility final : public Accessibility {
public:
    bool isAvailable() const override { return true; }
    void setMessagingTimeout(std::chrono::milliseconds limit) override { timeout = limit; }
    ElementRef focusedElement() override { return focused; }
    AXError enableAccessibility(qint64) override
    {
        ++enableCalls;
        return enableResult;
    }

    ElementRef focused;
    AXError enableResult = AXError::success;
    int enableCalls = 0;
    std::chrono::milliseconds timeout { 0 };
};

class FakeScreens final : public Screens {
public:
    QList<ScreenGeometry> screens() const override { return list; }
    QList<ScreenGeometry> list;
};

class FakeApps final : public FrontmostApp {
public:
    bool isAvailable() const override { return true; }
    std::optional<qint64> frontmostPid() const override { return frontmost; }
    std::optional<RunningApp> application(qint64 pid) const override;
    bool activate(qint64 pid) override;

    QList<RunningApp> running;
    std::optional<qint64> frontmost;
    QList<qint64> activated;
};

} // namespace quillcraft::test
