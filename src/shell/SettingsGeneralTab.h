#pragma once

#include <QStringList>
#include <QWidget>

namespace quillcraft {

class AppPolicy;
class LoginItemStore;
class PopUpPicker;
class QuietButton;
class ToggleSwitch;
class Updater;
class WrappedText;

// The settings' General tab: the grammar switch, the rewrite language and
// shortcut, opening at login, and updates. Each change is written straight to
// the policy, the login item or the updater; their changes are shown as they come.
class SettingsGeneralTab final : public QWidget {
    Q_OBJECT

public:
    // Everything must outlive the tab.
    SettingsGeneralTab(AppPolicy& policy, LoginItemStore& loginItem, Updater& updater, QWidget* parent = nullptr);

    // The rewrite languages offered, in order; the chosen text is what is stored.
    static const QStringList& languages();

    // The updates note when the updater has no notice of its own.
    static QString updatesNote(bool enabled);

    // Reads the policy's grammar switch and language again.
    void reload();

private:
    QWidget* writingSection();
    QWidget* startupSection();
    QWidget* updatesSection();
    void syncLogin();
    void syncUpdates();

    AppPolicy& m_policy;
    LoginItemStore& m_loginItem;
    Updater& m_updater;
    // What the user last asked of the login item, for "Try again".
    bool m_wantedAtLogin = true;

    ToggleSwitch* m_grammar = nullptr;
    PopUpPicker* m_language = nullptr;
    ToggleSwitch* m_login = nullptr;
    WrappedText* m_loginNote = nullptr;
    QuietButton* m_loginRetry = nullptr;
    ToggleSwitch* m_autoCheck = nullptr;
    ToggleSwitch* m_autoInstall = nullptr;
    WrappedText* m_updatesNote = nullptr;
    WrappedText* m_version = nullptr;
    QuietButton* m_check = nullptr;
};

} // namespace quillcraft
