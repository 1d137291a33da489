#pragma once

#include "platform/LoginItem.h"

#include <QObject>
#include <QString>

#include <optional>

namespace quillcraft {

// Whether the program opens at login, as the menu, the settings and onboarding show
// and change it. Reads go to the platform each time refresh() runs, so a change made
// elsewhere (another settings tool, a removed file) shows on the next refresh.
class LoginItemStore final : public QObject {
    Q_OBJECT

public:
    explicit LoginItemStore(LoginItem& item, QObject* parent = nullptr);

    LoginItem::Status status() const { return m_status; }
    const std::optional<QString>& error() const { return m_error; }
    bool isEnabled() const { return m_status == LoginItem::Status::enabled; }
    bool needsApproval() const { return m_status == LoginItem::Status::requiresApproval; }

    // Reads the status again and clears the error.
    void refresh();
    // Turns opening at login on or off; a refusal leaves its sentence in error().
    void setEnabled(bool on);

Q_SIGNALS:
    void changed();

private:
    void setStatus(LoginItem::Status status);
    void setError(std::optional<QString> error);

    LoginItem& m_item;
    LoginItem::Status m_status;
    std::optional<QString> m_error;
};

} // namespace quillcraft
