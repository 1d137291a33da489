#include "Appearance.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>

namespace quillcraft::AppearanceChoice {

namespace {

// Start-up waits for this at most when the portal is slow.
constexpr int portalTimeoutMs = 500;

// The portal wraps the value in one variant, older versions in two.
QVariant unwrapped(QVariant value)
{
    while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}

QPalette plainPalette(Appearance appearance)
{
    const bool dark = appearance == Appearance::dark;
    const QColor text = dark ? QColor(0xF2, 0xF2, 0xF2) : QColor(0x1A, 0x1A, 0x1A);
    const QColor base = dark ? QColor(0x24, 0x24, 0x26) : QColor(0xFF, 0xFF, 0xFF);
    const QColor window = dark ? QColor(0x1C, 0x1C, 0x1E) : QColor(0xF4, 0xF4, 0xF5);
    QPalette palette(text, window);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Button, window);
    palette.setColor(QPalette::PlaceholderText, QColor(text.red(), text.green(), text.blue(), 140));
    palette.setColor(QPalette::ToolTipBase, base);
    palette.setColor(QPalette::ToolTipText, text);
    return palette;
}

} // namespace

std::optional<Appearance> desktopPreference()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return std::nullopt;
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.portal.Desktop"),
        QStringLiteral("/org/freedesktop/portal/desktop"), QStringLiteral("org.freedesktop.portal.Settings"),
        QStringLiteral("Read"));
    call << QStringLiteral("org.freedesktop.appearance") << QStringLiteral("color-scheme");
    const QDBusMessage reply = bus.call(call, QDBus::Block, portalTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    // 0 is "no preference", which leaves the palette to decide.
    switch (unwrapped(reply.arguments().constFirst()).toUInt()) {
    case 1:
        return Appearance::dark;
    case 2:
        return Appearance::light;
    default:
        return std::nullopt;
    }
}

Appearance of(const QPalette& palette)
{
    const QColor base = palette.color(QPalette::Active, QPalette::Base);
    const QColor text = palette.color(QPalette::Active, QPalette::Text);
    return base.lightnessF() < text.lightnessF() ? Appearance::dark : Appearance::light;
}

Appearance desktop()
{
    if (const std::optional<Appearance> preferred = desktopPreference())
        return *preferred;
    return of(QApplication::palette());
}

QPalette paletteFor(Appearance appearance, const QPalette& base)
{
    return of(base) == appearance ? base : plainPalette(appearance);
}

void apply(Appearance appearance)
{
    QApplication::setPalette(paletteFor(appearance, QApplication::palette()));
}

} // namespace quillcraft::AppearanceChoice
