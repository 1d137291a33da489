#include "AX.h"

namespace quillcraft::AX {

namespace {

template <typename T> std::optional<T> typed(const AccessibilityElement& element, const QString& attribute)
{
    const std::optional<AXValue> copied = element.copyAttribute(attribute);
    if (!copied)
        return std::nullopt;
    if (const T* typedValue = std::get_if<T>(&*copied))
        return *typedValue;
    return std::nullopt;
}

} // namespace

std::optional<QString> string(const AccessibilityElement& element, const QString& attribute)
{
    return typed<QString>(element, attribute);
}

std::optional<bool> boolean(const AccessibilityElement& element, const QString& attribute)
{
    return typed<bool>(element, attribute);
}

std::optional<TextRange> range(const AccessibilityElement& element, const QString& attribute)
{
    return typed<TextRange>(element, attribute);
}

ElementRef element(const AccessibilityElement& element, const QString& attribute)
{
    return typed<ElementRef>(element, attribute).value_or(nullptr);
}

std::optional<QRectF> frame(const AccessibilityElement& element, const Screens& screens)
{
    const auto origin = typed<QPointF>(element, position);
    if (!origin)
        return std::nullopt;
    const auto extent = typed<QSizeF>(element, size);
    if (!extent)
        return std::nullopt;
    return cocoaRect(QRectF(*origin, *extent), screens);
}

std::optional<QRectF> rect(
    const AccessibilityElement& element, const QString& attribute, const AXValue& parameter, const Screens& screens)
{
    const std::optional<AXValue> copied = element.copyParameterizedAttribute(attribute, parameter);
    if (!copied)
        return std::nullopt;
    if (const QRectF* copiedRect = std::get_if<QRectF>(&*copied))
        return cocoaRect(*copiedRect, screens);
    return std::nullopt;
}

qreal primaryHeight(const QList<ScreenGeometry>& screens)
{
    for (const ScreenGeometry& screen : screens) {
        if (screen.frame.x() == 0 && screen.frame.y() == 0)
            return screen.frame.height();
    }
    return 0;
}

QRectF cocoaRect(const QRectF& rect, const QList<ScreenGeometry>& screens)
{
    return QRectF(rect.x(), primaryHeight(screens) - rect.y() - rect.height(), rect.width(), rect.height());
}

QRectF cocoaRect(const QRectF& rect, const Screens& screens)
{
    return cocoaRect(rect, screens.screens());
}

} // namespace quillcraft::AX
