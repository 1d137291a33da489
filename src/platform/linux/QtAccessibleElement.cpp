#include "QtAccessibleElement.h"

#include "platform/AX.h"

#include <QCoreApplication>
#include <QGuiApplication>

namespace quillcraft {

namespace {

constexpr int maxDepth = 64;

} // namespace

ElementRef QtAccessibleElement::focused()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()) || !QGuiApplication::focusWindow())
        return nullptr;
    QObject* object = QGuiApplication::focusObject();
    return object ? wrap(QAccessible::queryAccessibleInterface(object)) : nullptr;
}

ElementRef QtAccessibleElement::wrap(QAccessibleInterface* interface)
{
    return interface && interface->isValid() ? std::make_shared<QtAccessibleElement>(interface) : nullptr;
}

QtAccessibleElement::QtAccessibleElement(QAccessibleInterface* interface)
    : m_id(QAccessible::uniqueId(interface))
{
}

QAccessibleInterface* QtAccessibleElement::interface() const
{
    QAccessibleInterface* found = QAccessible::accessibleInterface(m_id);
    return found && found->isValid() ? found : nullptr;
}

bool QtAccessibleElement::isEqual(const AccessibilityElement& other) const
{
    const auto* own = dynamic_cast<const QtAccessibleElement*>(&other);
    return own && own->m_id == m_id;
}

std::optional<qint64> QtAccessibleElement::processId() const
{
    return QCoreApplication::applicationPid();
}

std::optional<AXValue> QtAccessibleElement::copyAttribute(const QString& attribute) const
{
    QAccessibleInterface* iface = interface();
    if (!iface)
        return std::nullopt;
    const QAccessible::State state = iface->state();
    if (attribute == AX::role)
        return role();
    if (attribute == AX::subrole) {
        if (state.passwordEdit)
            return QString(AX::secureTextFieldSubrole);
        return std::nullopt;
    }
    if (attribute == AX::editable)
        return bool(state.editable) && !state.readOnly;
    if (attribute == AX::enabled)
        return !state.disabled;
    if (attribute == AX::value) {
        QAccessibleTextInterface* text = iface->textInterface();
        if (!text)
            return std::nullopt;
        return text->text(0, text->characterCount());
    }
    if (attribute == AX::selectedTextRange) {
        const std::optional<TextRange> range = selection();
        return range ? std::optional<AXValue>(*range) : std::nullopt;
    }
    if (attribute == AX::position)
        return QPointF(iface->rect().topLeft());
    if (attribute == AX::size)
        return QSizeF(iface->rect().size());
    if (attribute == AX::parent) {
        ElementRef parent = wrap(iface->parent());
        return parent ? std::optional<AXValue>(parent) : std::nullopt;
    }
    if (attribute == AX::window) {
        ElementRef found = window();
        return found ? std::optional<AXValue>(found) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<AXValue> QtAccessibleElement::copyParameterizedAttribute(
    const QString& attribute, const AXValue& parameter) const
{
    const auto* range = std::get_if<TextRange>(&parameter);
    if (attribute != AX::boundsForRange || !range)
        return std::nullopt;
    const std::optional<QRectF> bounds = boundsFor(*range);
    return bounds ? std::optional<AXValue>(*bounds) : std::nullopt;
}

AXError QtAccessibleElement::setAttribute(const QString& attribute, const AXValue& value)
{
    QAccessibleInterface* iface = interface();
    if (!iface)
        return AXError::cannotComplete;
    if (attribute == AX::selectedTextRange) {
        const auto* range = std::get_if<TextRange>(&value);
        return range ? setSelection(*range) : AXError::illegalArgument;
    }
    if (attribute == AX::selectedText || attribute == AX::value) {
        const auto* text = std::get_if<QString>(&value);
        if (!text)
            return AXError::illegalArgument;
        if (attribute == AX::value) {
            QAccessibleTextInterface* textInterface = iface->textInterface();
            if (!textInterface)
                return AXError::notImplemented;
            return replace({ 0, textInterface->characterCount() }, *text);
        }
        const std::optional<TextRange> range = selection();
        return range ? replace(*range, *text) : AXError::failure;
    }
    return AXError::attributeUnsupported;
}

QString QtAccessibleElement::role() const
{
    QAccessibleInterface* iface = interface();
    switch (iface->role()) {
    case QAccessible::EditableText:
        return iface->state().multiLine ? QString(AX::textAreaRole) : QString(AX::textFieldRole);
    case QAccessible::ComboBox:
        return QString(AX::comboBoxRole);
    case QAccessible::Window:
    case QAccessible::Dialog:
        return QString(AX::windowRole);
    case QAccessible::Application:
        return QString(AX::applicationRole);
    default:
        return QStringLiteral("AXGroup");
    }
}

std::optional<TextRange> QtAccessibleElement::selection() const
{
    QAccessibleInterface* iface = interface();
    QAccessibleTextInterface* text = iface ? iface->textInterface() : nullptr;
    if (!text)
        return std::nullopt;
    if (text->selectionCount() > 0) {
        int start = 0;
        int end = 0;
        text->selection(0, &start, &end);
        const int low = std::min(start, end);
        return TextRange { low, std::max(start, end) - low };
    }
    return TextRange { text->cursorPosition(), 0 };
}

AXError QtAccessibleElement::setSelection(TextRange range)
{
    QAccessibleTextInterface* text = interface()->textInterface();
    if (!text)
        return AXError::attributeUnsupported;
    if (!range.liesInside(text->characterCount()))
        return AXError::illegalArgument;
    const auto start = static_cast<int>(range.location);
    const auto end = static_cast<int>(range.end());
    if (start == end) {
        for (int i = text->selectionCount() - 1; i >= 0; --i)
            text->removeSelection(i);
        text->setCursorPosition(start);
    } else if (text->selectionCount() > 0) {
        text->setSelection(0, start, end);
    } else {
        text->addSelection(start, end);
    }
    return AXError::success;
}

AXError QtAccessibleElement::replace(TextRange range, const QString& replacement)
{
    QAccessibleInterface* iface = interface();
    QAccessibleEditableTextInterface* editable = iface->editableTextInterface();
    QAccessibleTextInterface* text = iface->textInterface();
    if (!editable || !text)
        return AXError::notImplemented;
    if (!range.liesInside(text->characterCount()))
        return AXError::illegalArgument;
    editable->replaceText(static_cast<int>(range.location), static_cast<int>(range.end()), replacement);
    return AXError::success;
}

std::optional<QRectF> QtAccessibleElement::boundsFor(TextRange range) const
{
    QAccessibleInterface* iface = interface();
    QAccessibleTextInterface* text = iface ? iface->textInterface() : nullptr;
    if (!text || !range.liesInside(text->characterCount()))
        return std::nullopt;
    // The union of the characters' boxes, as the bus bridge answers.
    QRect bounds = text->characterRect(static_cast<int>(range.location));
    for (qint64 offset = range.location + 1; offset < range.end(); ++offset)
        bounds |= text->characterRect(static_cast<int>(offset));
    return QRectF(bounds);
}

// The top-level element: the ancestor whose parent is the application.
ElementRef QtAccessibleElement::window() const
{
    QAccessibleInterface* node = interface();
    for (int depth = 0; node && depth < maxDepth; ++depth) {
        QAccessibleInterface* parent = node->parent();
        if (!parent)
            return nullptr;
        if (parent->role() == QAccessible::Application)
            return wrap(node);
        node = parent;
    }
    return nullptr;
}

} // namespace quillcraft
