#pragma once

#include <QWidget>

namespace quillcraft {

class AccountForm;
class AccountStore;

// The "Account" window: the account form at its fixed width, with a title bar
// and a close button only.
class AccountWindow final : public QWidget {
    Q_OBJECT

public:
    static constexpr int contentWidth = 448;

    // `account` must outlive the window.
    explicit AccountWindow(AccountStore& account, QWidget* parent = nullptr);

    AccountForm& form() const { return *m_form; }

private:
    AccountForm* m_form = nullptr;
};

} // namespace quillcraft
