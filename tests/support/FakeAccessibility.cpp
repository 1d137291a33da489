#include "FakeAccessibility.h"

namespace quillcraft::test {

std::shared_ptr<FakeElement> FakeElement::make(const QString& role)
{
    auto element = std::make_shared<FakeElement>();
    if (!role.isEmpty())
        element->attributes.insert(AX::role, role);
    return element;
}

std::optional<AXValue> FakeElement::copyAttribute(const QString& attribute) const
{
    reads << attribute;
    if (beforeRead)
        beforeRead(attribute);
    const auto found = attributes.constFind(attribute);
    if (found == attributes.constEnd())
        return std::nullopt;
    return *found;
}

std::optional<AXValue> FakeElement::copyParameterizedAttribute(const QString& attribute, const AXValue& parameter) const
{
    const TextRange* range = std::get_if<TextRange>(&parameter);
    if (attribute != AX::boundsForRange || !range || !boundsForRange)
        return std::nullopt;
    if (auto rect = boundsForRange(*range))
        return *rect;
    return std::nullopt;
}

AXError FakeElement::setAttribute(const QString& attribute, const AXValue& value)
{
    sets << attribute;
    if (onSet)
        return onSet(attribute, value);
    if (attribute == AX::selectedText) {
        const AXValue currentText = attributes.value(AX::value);
        const AXValue currentSelection = attributes.value(AX::selectedTextRange);
        const auto* text = std::get_if<QString>(&currentText);
        const auto* selection = std::get_if<TextRange>(&currentSelection);
        const auto* replacement = std::get_if<QString>(&value);
        if (!text || !selection || !replacement)
            return AXError::failure;
        const QString updated = QString(*text).replace(selection->location, selection->length, *replacement);
        attributes.insert(AX::value, updated);
        attributes.insert(AX::selectedTextRange, TextRange { selection->location + replacement->size(), 0 });
        return AXError::success;
    }
    attributes.insert(attribute, value);
    return AXError::success;
}

void FakeElement::setFrame(const QRectF& topLeft)
{
    attributes.insert(AX::position, topLeft.topLeft());
    attributes.insert(AX::size, topLeft.size());
}

std::optional<RunningApp> FakeApps::application(qint64 pid) const
{
    for (const RunningApp& app : running) {
        if (app.pid == pid)
            return app;
    }
    return std::nullopt;
}

bool FakeApps::activate(qint64 pid)
{
    activated << pid;
    return application(pid).has_value();
}

} // namespace quillcraft::test
