#pragma once

#include "platform/AccessibilityElement.h"
#include "platform/Screens.h"

#include <QLatin1String>

// Typed readers over accessibility elements and the one conversion from the
// accessibility interface's top-left screen coordinates into the program's
// bottom-left ones. Stateless; every reader returns absent on any failure, when
// there is no value, or when the value has another type.
namespace quillcraft::AX {

// Attribute names and the role values compared against them.
inline constexpr QLatin1String focusedUIElement("AXFocusedUIElement");
inline constexpr QLatin1String value("AXValue");
inline constexpr QLatin1String selectedTextRange("AXSelectedTextRange");
inline constexpr QLatin1String selectedText("AXSelectedText");
inline constexpr QLatin1String boundsForRange("AXBoundsForRange");
inline constexpr QLatin1String position("AXPosition");
inline constexpr QLatin1String size("AXSize");
inline constexpr QLatin1String role("AXRole");
inline constexpr QLatin1String subrole("AXSubrole");
inline constexpr QLatin1String editable("AXEditable");
inline constexpr QLatin1String enabled("AXEnabled");
inline constexpr QLatin1String parent("AXParent");
inline constexpr QLatin1String window("AXWindow");
// The name of the toolkit the element's application is built with, as it reports it ("Qt", "gtk").
inline constexpr QLatin1String toolkit("AXToolkit");

inline constexpr QLatin1String secureTextFieldSubrole("AXSecureTextField");
inline constexpr QLatin1String textAreaRole("AXTextArea");
inline constexpr QLatin1String textFieldRole("AXTextField");
inline constexpr QLatin1String comboBoxRole("AXComboBox");
inline constexpr QLatin1String webAreaRole("AXWebArea");
inline constexpr QLatin1String scrollAreaRole("AXScrollArea");
// A notebook's page: GTK reports the box of its tab's label, not of the page.
inline constexpr QLatin1String pageTabRole("AXPageTab");
inline constexpr QLatin1String windowRole("AXWindow");
inline constexpr QLatin1String applicationRole("AXApplication");

std::optional<QString> string(const AccessibilityElement& element, const QString& attribute);
std::optional<bool> boolean(const AccessibilityElement& element, const QString& attribute);
std::optional<TextRange> range(const AccessibilityElement& element, const QString& attribute);
ElementRef element(const AccessibilityElement& element, const QString& attribute);

// The element's frame (position and size), in bottom-left coordinates.
std::optional<QRectF> frame(const AccessibilityElement& element, const Screens& screens);
// A rectangle-valued parameterised attribute, in bottom-left coordinates.
std::optional<QRectF> rect(
    const AccessibilityElement& element, const QString& attribute, const AXValue& parameter, const Screens& screens);

// Height of the primary screen: the first whose frame starts at (0, 0); 0 when none does.
qreal primaryHeight(const QList<ScreenGeometry>& screens);

// (x, y, w, h) in top-left coordinates becomes (x, H - y - h, w, h), H being the
// primary screen's height. The flip is its own inverse, so the same call takes a
// bottom-left rectangle back to top-left coordinates.
QRectF cocoaRect(const QRectF& rect, const QList<ScreenGeometry>& screens);
QRectF cocoaRect(const QRectF& rect, const Screens& screens);

} // namespace quillcraft::AX
