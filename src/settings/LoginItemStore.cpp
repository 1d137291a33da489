#include "LoginItemStore.h"

#include "core/PlatformWording.h"

#include <utility>

namespace quillcraft {

LoginItemStore::LoginItemStore(LoginItem& item, QObject* parent)
    : QObject(parent)
    , m_item(item)
    , m_status(item.status())
{
}

void LoginItemStore::refresh()
{
    setStatus(m_item.status());
    setError(std::nullopt);
}

void LoginItemStore::setEnabled(bool on)
{
    refresh();
    const LoginItem::Status wanted = on ? LoginItem::Status::enabled : LoginItem::Status::notRegistered;
    if (m_status == wanted)
        return;
    // What the platform did counts, not what the call answered.
    m_item.setRegistered(on);
    setStatus(m_item.status());
    if (m_status == wanted || m_status == LoginItem::Status::requiresApproval)
        return;
    setError(PlatformWording::apply(on
            ? QStringLiteral("Quillcraft couldn\u2019t turn on login startup. Try again or change it later in System "
                             "Settings.")
            : QStringLiteral(
                "Quillcraft couldn\u2019t turn off login startup. Try again or change it in System Settings.")));
}

void LoginItemStore::setStatus(LoginItem::Status status)
{
    if (status == m_status)
        return;
    m_status = status;
    Q_EMIT changed();
}

void LoginItemStore::setError(std::optional<QString> error)
{
    if (error == m_error)
        return;
    m_error = std::move(error);
    Q_EMIT changed();
}

} // namespace quillcraft
