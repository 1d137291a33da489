#pragma once

#include <QList>
#include <QWidget>

#include <functional>

class QScrollArea;

namespace quillcraft {

class AccountForm;
class AccountStore;
class AppPolicy;
class InstalledApps;
class LoginItemStore;
class QuietButton;
class SettingsAppsTab;
class SettingsDictionaryTab;
class SettingsGeneralTab;
class Updater;

// The content of the settings window, 532 x 480: the brand header, a bar of four
// tabs and the chosen tab's content, which scrolls. Preferences go straight to
// the policy, the login item, the updater and the account store.
class SettingsView final : public QWidget {
    Q_OBJECT

public:
    enum class Tab { general, apps, dictionary, account };

    static constexpr int contentWidth = 532;
    static constexpr int contentHeight = 480;

    struct Parts final {
        AccountStore& account;
        AppPolicy& policy;
        LoginItemStore& loginItem;
        Updater& updater;
        const InstalledApps& apps;
    };

    // Everything in `parts` must outlive the view. `onDone` is the account form's "Done".
    explicit SettingsView(Parts parts, std::function<void()> onDone = {}, QWidget* parent = nullptr);

    // The tab bar's title of `tab`.
    static QString title(Tab tab);

    Tab tab() const { return m_tab; }
    // Shows `tab`; the Apps and Dictionary tabs read their content again when chosen.
    void setTab(Tab tab);
    QuietButton* tabButton(Tab tab) const;

    SettingsGeneralTab& general() const { return *m_general; }
    SettingsAppsTab& apps() const { return *m_apps; }
    SettingsDictionaryTab& dictionary() const { return *m_dictionary; }
    AccountForm& accountForm() const { return *m_accountForm; }

    QSize sizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QWidget* page(Tab tab) const;
    void styleScrollBar();

    Parts m_parts;
    Tab m_tab = Tab::general;
    QList<QuietButton*> m_tabButtons;
    QScrollArea* m_scroll = nullptr;
    SettingsGeneralTab* m_general = nullptr;
    SettingsAppsTab* m_apps = nullptr;
    SettingsDictionaryTab* m_dictionary = nullptr;
    QWidget* m_accountPage = nullptr;
    AccountForm* m_accountForm = nullptr;
};

} // namespace quillcraft
