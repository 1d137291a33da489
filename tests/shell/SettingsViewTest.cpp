#include "shell/SettingsView.h"

#include "ManualClock.h"
#include "TestText.h"

#include "platform/InstalledApps.h"
#include "platform/LoginItem.h"
#include "service/AccountStore.h"
#include "service/Updater.h"
#include "settings/AppPolicy.h"
#include "settings/DefaultsStore.h"
#include "settings/LoginItemStore.h"
#include "shell/AccountForm.h"
#include "shell/SettingsAppsTab.h"
#include "shell/SettingsDictionaryTab.h"
#include "shell/SettingsGeneralTab.h"
#include "views/KeyCap.h"
#include "views/PopUpPicker.h"
#include "views/QuietButton.h"
#include "views/SectionCaption.h"
#include "views/ToggleSwitch.h"
#include "views/WrappedText.h"

#include <QApplication>
#include <QHash>
#include <QNetworkAccessManager>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace quillcraft;
using quillcraft::test::u;

namespace quillcraft {

void PrintTo(const SettingsAppsTab::Row& row, std::ostream* out)
{
    *out << row.id.toStdString() << " \"" << row.name.toStdString() << "\" "
         << (row.reason ? row.reason->toStdString() : std::string("(no reason)")) << (row.on ? " on" : " off");
}

} // namespace quillcraft

namespace {

// Records what was asked; `refuses` leaves the status as it was.
class FakeLoginItem final : public LoginItem {
public:
    Status status() const override { return current; }
    bool setRegistered(bool on) override
    {
        calls << on;
        if (refuses)
            return false;
        current = on ? Status::enabled : Status::notRegistered;
        return true;
    }

    Status current = Status::notRegistered;
    bool refuses = false;
    QList<bool> calls;
};

class FakeApps final : public InstalledApps {
public:
    std::optional<App> find(const QString& appId) const override
    {
        for (auto it = installed.cbegin(); it != installed.cend(); ++it) {
            if (it.key().compare(appId, Qt::CaseInsensitive) == 0)
                return App { it.key(), it.value() };
        }
        return std::nullopt;
    }

    QHash<QString, QString> installed;
};

class SettingsViewTest : public testing::Test {
protected:
    SettingsView& view()
    {
        if (!m_view) {
            m_view = std::make_unique<SettingsView>(
                SettingsView::Parts { account, policy, loginItems, updater, apps }, [this] { ++done; });
        }
        return *m_view;
    }

    template <typename T> T* child(const QString& name)
    {
        T* found = view().findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    ToggleSwitch* toggle(const char* name) { return child<ToggleSwitch>(QLatin1String(name)); }
    QString note(const char* name) { return child<WrappedText>(QLatin1String(name))->text(); }
    QuietButton* tab(SettingsView::Tab which) { return view().tabButton(which); }
    QString dictionaryCaption() { return child<SectionCaption>(u("savedWordsCaption"))->shownText(); }

    QTemporaryDir dir;
    DefaultsStore store { dir.filePath(u("defaults.json")) };
    AppPolicy policy { store };
    FakeLoginItem loginItem;
    LoginItemStore loginItems { loginItem };
    FakeApps apps;
    test::ManualClock clock;
    QNetworkAccessManager network;
    AccountStore account { AccountEndpoints(&network, QUrl(u("http://127.0.0.1:9")), nullptr), clock,
        [](const QUrl&) { return true; } };
    // A feed that is never read.
    Updater updater { QUrl(u("https://updates.invalid/feed.xml")), u("2.1.0"), store, clock, [](const QUrl&) {},
        nullptr, [](const QUrl&, auto) {} };
    int done = 0;

private:
    std::unique_ptr<SettingsView> m_view;
};

TEST_F(SettingsViewTest, WritingPreferencesReadAndWriteThePolicy)
{
    ASSERT_FALSE(store.contains(AppPolicy::languageKey));
    auto* picker = child<PopUpPicker>(u("languagePicker"));
    EXPECT_EQ(picker->currentText(), u("English"));
    EXPECT_EQ(picker->count(), 23);
    EXPECT_FALSE(store.contains(AppPolicy::languageKey)) << "showing the default stores nothing";

    picker->setCurrentText(u("Portuguese (Brazil)"));
    EXPECT_EQ(policy.language(), u("Portuguese (Brazil)"));

    auto* grammar = toggle("grammarSwitch");
    EXPECT_TRUE(grammar->isChecked());
    grammar->click();
    EXPECT_FALSE(policy.grammarOn());
    grammar->click();
    EXPECT_TRUE(policy.grammarOn());

    // Written elsewhere, shown on the next read.
    policy.setGrammarOn(false);
    policy.setLanguage(u("German"));
    view().general().reload();
    EXPECT_FALSE(grammar->isChecked());
    EXPECT_EQ(picker->currentText(), u("German"));

    EXPECT_EQ(note("grammarNote"), u("Checks English text on this computer."));
    auto* keyCap = child<KeyCap>(u("shortcutKeyCap"));
    EXPECT_EQ(keyCap->text(), u("Ctrl+Alt+R"));
    EXPECT_EQ(keyCap->accessibleName(), u("Control Alt R"));
}

TEST_F(SettingsViewTest, UpdatesNeverOfferToInstallAndFollowTheUpdater)
{
    auto* checks = toggle("autoCheckSwitch");
    auto* installs = toggle("autoInstallSwitch");
    EXPECT_TRUE(checks->isEnabled());
    EXPECT_FALSE(checks->isChecked());
    EXPECT_FALSE(installs->isEnabled());

    checks->click();
    EXPECT_TRUE(updater.automaticallyChecks());
    EXPECT_TRUE(checks->isChecked());
    EXPECT_FALSE(installs->isEnabled()) << "nothing here installs updates";
    EXPECT_FALSE(installs->isChecked());

    EXPECT_EQ(note("updatesNote"), SettingsGeneralTab::updatesNote(true));
    EXPECT_FALSE(note("updatesNote").contains(u("install when")));
    EXPECT_EQ(note("version"), u("Version 2.1.0"));
    auto* check = child<QuietButton>(u("checkForUpdates"));
    EXPECT_EQ(check->text(), u("Check for Updates…"));
    EXPECT_TRUE(check->isEnabled());
}

TEST_F(SettingsViewTest, WithoutAFeedTheUpdateControlsAreOffAndSaySo)
{
    Updater noFeed { QUrl(), u("Development"), store, clock, [](const QUrl&) {} };
    SettingsView bare(SettingsView::Parts { account, policy, loginItems, noFeed, apps });
    EXPECT_FALSE(bare.findChild<ToggleSwitch*>(u("autoCheckSwitch"))->isEnabled());
    EXPECT_FALSE(bare.findChild<ToggleSwitch*>(u("autoInstallSwitch"))->isEnabled());
    EXPECT_FALSE(bare.findChild<QuietButton*>(u("checkForUpdates"))->isEnabled());
    EXPECT_EQ(bare.findChild<WrappedText*>(u("updatesNote"))->text(),
        u("Update checks are off because this build has no update feed."));
}

TEST_F(SettingsViewTest, TheLoginSwitchGoesThroughTheStoreAndShowsItsRefusal)
{
    auto* login = toggle("loginSwitch");
    auto* problem = child<QWidget>(u("loginProblem"));
    EXPECT_FALSE(login->isChecked());
    EXPECT_TRUE(problem->isHidden());

    login->click();
    EXPECT_EQ(loginItem.calls, QList<bool> { true });
    EXPECT_TRUE(login->isChecked());
    EXPECT_TRUE(problem->isHidden());

    loginItem.refuses = true;
    login->click();
    EXPECT_EQ(loginItem.calls, (QList<bool> { true, false }));
    EXPECT_TRUE(login->isChecked()) << "the switch shows what is, not what was asked";
    EXPECT_FALSE(problem->isHidden());
    EXPECT_EQ(note("loginNote"), *loginItems.error());
    EXPECT_TRUE(note("loginNote").endsWith(u("in the desktop's settings.")));

    // "Try again" asks for the same thing once more; this time it works.
    loginItem.refuses = false;
    child<QuietButton>(u("loginRetry"))->click();
    EXPECT_EQ(loginItem.calls, (QList<bool> { true, false, false }));
    EXPECT_FALSE(login->isChecked());
    EXPECT_TRUE(problem->isHidden());
}

TEST_F(SettingsViewTest, ApprovalPendingIsExplainedWithoutARetry)
{
    loginItem.current = LoginItem::Status::requiresApproval;
    loginItems.refresh();
    EXPECT_FALSE(child<QWidget>(u("loginProblem"))->isHidden());
    EXPECT_EQ(note("loginNote"), u("Allow Quillcraft in the desktop's settings to open it automatically at login."));
    EXPECT_TRUE(child<QuietButton>(u("loginRetry"))->isHidden());
    EXPECT_FALSE(toggle("loginSwitch")->isChecked());
}

TEST_F(SettingsViewTest, ShowingTheViewReadsTheLoginItemAgain)
{
    view();
    loginItem.current = LoginItem::Status::enabled;
    EXPECT_FALSE(toggle("loginSwitch")->isChecked());
    view().show();
    EXPECT_TRUE(toggle("loginSwitch")->isChecked());
}

TEST_F(SettingsViewTest, TheDictionaryCountsItsWordsAndRemovesThem)
{
    view().setTab(SettingsView::Tab::dictionary);
    EXPECT_FALSE(child<QWidget>(u("emptyDictionary"))->isHidden());
    EXPECT_TRUE(child<SectionCaption>(u("savedWordsCaption"))->isHidden());

    // Added from a suggestion card while the window is open: shown when the tab is chosen again.
    policy.addToDictionary(u("Quillcraft"));
    EXPECT_TRUE(view().dictionary().words().isEmpty());
    view().setTab(SettingsView::Tab::general);
    view().setTab(SettingsView::Tab::dictionary);
    EXPECT_EQ(view().dictionary().words(), QStringList { u("quillcraft") });
    EXPECT_EQ(dictionaryCaption(), u("1 SAVED WORD"));
    EXPECT_TRUE(child<QWidget>(u("emptyDictionary"))->isHidden());

    policy.addToDictionary(u("harper"));
    view().setTab(SettingsView::Tab::apps);
    view().setTab(SettingsView::Tab::dictionary);
    EXPECT_EQ(view().dictionary().words(), (QStringList { u("harper"), u("quillcraft") }));
    EXPECT_EQ(dictionaryCaption(), u("2 SAVED WORDS"));

    child<QuietButton>(u("remove:harper"))->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(policy.dictionary(), QStringList { u("quillcraft") });
    EXPECT_EQ(view().dictionary().words(), QStringList { u("quillcraft") });
    EXPECT_EQ(dictionaryCaption(), u("1 SAVED WORD"));
    EXPECT_EQ(view().findChild<QuietButton*>(u("remove:harper")), nullptr);
}

TEST_F(SettingsViewTest, ArrowKeysOnTheTabBarWrapAroundAndTakeTheFocus)
{
    view().show();
    view().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view()));
    tab(SettingsView::Tab::general)->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), tab(SettingsView::Tab::general));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    EXPECT_EQ(view().tab(), SettingsView::Tab::account);
    EXPECT_EQ(QApplication::focusWidget(), tab(SettingsView::Tab::account));
    EXPECT_TRUE(tab(SettingsView::Tab::account)->isSelected());
    EXPECT_FALSE(tab(SettingsView::Tab::general)->isSelected());

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    EXPECT_EQ(view().tab(), SettingsView::Tab::general);
    EXPECT_EQ(QApplication::focusWidget(), tab(SettingsView::Tab::general));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    EXPECT_EQ(view().tab(), SettingsView::Tab::apps);

    // Other keys are not the tab bar's.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(view().tab(), SettingsView::Tab::apps);

    tab(SettingsView::Tab::dictionary)->click();
    EXPECT_EQ(view().tab(), SettingsView::Tab::dictionary);
}

TEST_F(SettingsViewTest, TheAccountTabHoldsTheFormWithoutItsBrand)
{
    EXPECT_FALSE(view().accountForm().showsBrand());
    view().setTab(SettingsView::Tab::account);
    EXPECT_FALSE(view().accountForm().isHidden());
    EXPECT_TRUE(child<QWidget>(u("page:General"))->isHidden());
}

// The Apps tab's rows, by what is installed and what the user chose.
class SettingsAppRowsTest : public SettingsViewTest {
protected:
    QStringList ids()
    {
        QStringList result;
        for (const SettingsAppsTab::Row& row : SettingsAppsTab::appRows(policy, apps))
            result << row.id;
        return result;
    }
};

TEST_F(SettingsAppRowsTest, BuiltInRowsNeedTheAppInstalledButChoicesStay)
{
    apps.installed = { { u("google-chrome"), u("Google Chrome") }, { u("org.gnome.TextEditor"), u("Text Editor") } };
    policy.set(true, u("org.gnome.TextEditor"));
    // Chosen, then uninstalled: listed under its id.
    policy.set(false, u("org.example.Gone"));

    const QList<SettingsAppsTab::Row> rows = SettingsAppsTab::appRows(policy, apps);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0],
        (SettingsAppsTab::Row {
            u("google-chrome"), u("Google Chrome"), u("The Chrome extension covers Chrome."), false }));
    EXPECT_EQ(rows[1], (SettingsAppsTab::Row { u("org.gnome.TextEditor"), u("Text Editor"), std::nullopt, true }));
    EXPECT_EQ(rows[2], (SettingsAppsTab::Row { u("org.example.Gone"), u("org.example.Gone"), std::nullopt, false }));
}

TEST_F(SettingsAppRowsTest, NamesSortAsPlainTextWithCapitalsFirst)
{
    apps.installed = { { u("kitty"), u("kitty") }, { u("alacritty"), u("Alacritty") }, { u("xterm"), u("XTerm") },
        { u("foot"), u("foot") } };
    EXPECT_EQ(ids(), (QStringList { u("alacritty"), u("xterm"), u("foot"), u("kitty") }));
}

TEST_F(SettingsAppRowsTest, ABuiltInIdTakesTheInstalledSpellingOnce)
{
    // The desktop spells it "Alacritty"; the table has "alacritty".
    apps.installed = { { u("Alacritty"), u("Alacritty") } };
    EXPECT_EQ(ids(), QStringList { u("Alacritty") });
    // A choice stored under the running copy's id is the same row.
    policy.set(true, u("Alacritty"));
    EXPECT_EQ(ids(), QStringList { u("Alacritty") });
    EXPECT_TRUE(SettingsAppsTab::appRows(policy, apps).constFirst().on);
}

TEST_F(SettingsAppRowsTest, SwitchesWriteChoicesAndTheTabReloadsWhenChosen)
{
    apps.installed = { { u("code"), u("Visual Studio Code") } };
    view().setTab(SettingsView::Tab::apps);
    auto* code = toggle("appSwitch:code");
    EXPECT_FALSE(code->isChecked());
    EXPECT_EQ(note("app:codeNote"), u("Code editors are off by default."));
    code->click();
    EXPECT_EQ(policy.appChoices().value(u("code")), true);
    EXPECT_TRUE(policy.isOn(u("code")));

    // Chosen from the menu meanwhile: there the next time the tab is chosen.
    policy.set(false, u("org.example.Writer"));
    EXPECT_EQ(view().findChild<ToggleSwitch*>(u("appSwitch:org.example.Writer")), nullptr);
    view().setTab(SettingsView::Tab::general);
    view().setTab(SettingsView::Tab::apps);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_NE(view().findChild<ToggleSwitch*>(u("appSwitch:org.example.Writer")), nullptr);
    EXPECT_TRUE(toggle("appSwitch:code")->isChecked());
}

} // namespace
