#include "AtspiSupport.h"

#include <QByteArrayView>

namespace quillcraft::atspi {

CallError::~CallError()
{
    if (m_error)
        g_error_free(m_error);
}

AXError CallError::code() const
{
    if (!m_error)
        return AXError::success;
    // libatspi passes the D-Bus error name on in the message.
    const QByteArrayView message(m_error->message ? m_error->message : "");
    if (message.contains("NoReply") || message.contains("Timeout") || message.contains("ServiceUnknown")
        || message.contains("Disconnected"))
        return AXError::cannotComplete;
    if (message.contains("UnknownMethod") || message.contains("UnknownInterface") || message.contains("UnknownProperty")
        || message.contains("NotSupported"))
        return AXError::notImplemented;
    return AXError::failure;
}

QString takeString(gchar* text)
{
    QString result = QString::fromUtf8(text);
    g_free(text);
    return result;
}

std::optional<bool> hasState(AtspiAccessible* accessible, AtspiStateType state)
{
    Ref<AtspiStateSet> states(atspi_accessible_get_state_set(accessible));
    if (!states)
        return std::nullopt;
    return atspi_state_set_contains(states.get(), state) != FALSE;
}

} // namespace quillcraft::atspi
