#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;

namespace quillcraft {

class AccountStore;
class BusyIndicator;
class PrimaryButton;
class QuietButton;
class WrappedText;

// The sign-in view of the sign-in window and of the settings' Account tab.
// Signed out: the browser sign-in (with a waiting state and Cancel while the
// browser has it) and an email-and-password form. Signed in: a short "ready"
// page and the account row. All account work is the store's; the form shows
// its published state and calls its operations.
class AccountForm final : public QWidget {
    Q_OBJECT

public:
    // `account` must outlive the form. `onDone` runs on "Done"; the settings
    // window passes showsBrand false (it has its own heading).
    AccountForm(AccountStore& account, std::function<void()> onDone, bool showsBrand = true, QWidget* parent = nullptr);

    bool showsBrand() const { return m_showsBrand; }
    // The email sign-in, with the texts exactly as typed; nothing while either
    // is empty or a sign-in is running.
    void submit();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QWidget* buildSignedOut();
    QWidget* buildSignedIn();
    // Shows what the store publishes now.
    void sync();
    void styleFields();

    QPointer<AccountStore> m_account;
    std::function<void()> m_onDone;
    bool m_showsBrand;

    QWidget* m_signedOut = nullptr;
    QWidget* m_signedIn = nullptr;
    PrimaryButton* m_continue = nullptr;
    QWidget* m_waiting = nullptr;
    QLineEdit* m_email = nullptr;
    QLineEdit* m_password = nullptr;
    WrappedText* m_error = nullptr;
    PrimaryButton* m_signIn = nullptr;
    BusyIndicator* m_progress = nullptr;
    WrappedText* m_accountEmail = nullptr;
    QLabel* m_keyCap = nullptr;
};

} // namespace quillcraft
