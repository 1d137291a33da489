#include "shell/QuillcraftApp.h"

#include "assistant/WritingAssistant.h"
#include "grammar/GrammarChecker.h"
#include "platform/Hotkey.h"
#include "platform/InstalledApps.h"
#include "platform/LoginItem.h"
#include "platform/TrustCheck.h"
#include "service/AccountStore.h"
#include "service/Updater.h"
#include "settings/AppPolicy.h"
#include "settings/DefaultsStore.h"
#include "settings/LoginItemStore.h"
#include "shell/AccountForm.h"
#include "shell/OnboardingView.h"
#include "shell/SettingsWindow.h"
#include "shell/StatusMenu.h"
#include "shell/Toaster.h"
#include "shell/WindowPresenter.h"

#include "FakeDesktopInput.h"
#include "FakeFieldScene.h"
#include "FakeLoginItem.h"
#include "FakePointerMonitor.h"
#include "FakeTrust.h"
#include "ManualClock.h"
#include "TestText.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quillcraft;
using namespace quillcraft::test;

namespace {

class NoApps final : public InstalledApps {
public:
    std::optional<App> find(const QString&) const override { return std::nullopt; }
};

class SilentChecker final : public GrammarChecker {
public:
    void start(ReadyHandler handler) override { handler(true); }
    void lint(const QString&, Completion, Failure = {}) override { }
};

TEST(WindowPresenterTest, CentresAcrossAndEightyAboveTheMiddle)
{
    EXPECT_EQ(
        WindowPresenter::frameFor(QSize(448, 300), QRect(0, 30, 1280, 1000)), QRect(416, 30 + 350 - 80, 448, 300));
    // A window taller than the room left above the middle stays below the top.
    EXPECT_EQ(WindowPresenter::frameFor(QSize(400, 900), QRect(100, 0, 800, 1000)).top(), 0);
}

// The controller over the assistant's fakes, with the editor of the scene frontmost.
class QuillcraftAppTest : public testing::Test {
protected:
    QuillcraftAppTest() { scene.apps.frontmost = FakeFieldScene::targetPid; }

    QStringList titles()
    {
        app.menu().rebuild();
        QStringList result;
        for (const QAction* action : app.menu().menu().actions())
            result << action->text();
        return result;
    }

    QTemporaryDir dir;
    DefaultsStore store { dir.filePath(u("defaults.json")) };
    AppPolicy policy { store };
    FakeFieldScene scene;
    FakeTrust trust;
    FakeClipboard clipboard;
    FakeKeys keys;
    FakeGrabber grabber;
    FakePointerMonitor pointer;
    ManualClock clock;
    SilentChecker checker;
    QNetworkAccessManager network;
    QuillcraftClient client { &network, QUrl(u("http://127.0.0.1:9")) };
    AssistantServices services { scene.accessibility, scene.screens, scene.apps, trust, clipboard, keys, grabber, clock,
        nullptr, &pointer, 1 };
    WritingAssistant assistant { services, policy, checker, client };
    AccountStore account { AccountEndpoints(&network, QUrl(u("http://127.0.0.1:9")), nullptr), clock,
        [](const QUrl&) { return true; } };
    Updater updater { QUrl(), u("1.0"), store, clock, [](const QUrl&) {} };
    NoApps installed;
    QStringList said;
    FakeLoginItem item;
    LoginItemStore loginItem { item };
    QuillcraftApp app { QuillcraftApp::Parts { policy, assistant, account, updater, grabber, scene.apps, trust,
        scene.screens, clock, nullptr, 1, [this](const QString& line) { said << line; }, loginItem, installed } };
};

TEST_F(QuillcraftAppTest, ATakenShortcutIsToldInAToastAndTheRestRuns)
{
    grabber.takenElsewhere = { Hotkey::defaultCombination() };
    app.launch();
    EXPECT_EQ(app.toaster().text(), u("Another app uses Ctrl+Alt+R. Highlight text and click Rewrite instead."));
    // Without a status area (offscreen) the program says so once and keeps going.
    EXPECT_EQ(said.count(QuillcraftApp::noTrayMessage()), 1);
    app.launch();
    EXPECT_EQ(said.count(QuillcraftApp::noTrayMessage()), 1);
}

TEST_F(QuillcraftAppTest, TheMenuFollowsTheAssistantsStatusAndTheFrontmostApp)
{
    app.launch();
    clock.advance(WritingAssistant::pollIntervalMs);
    EXPECT_EQ(app.status().kind, AssistantStatus::Kind::checking);
    EXPECT_TRUE(titles().contains(u("Turn off in Editor")));

    // Its own window in front: no per-app rows.
    scene.apps.running.append({ 1, u("quillcraft"), u("Quillcraft") });
    scene.apps.frontmost = 1;
    EXPECT_FALSE(titles().contains(u("Turn off in Quillcraft")));

    trust.trusted = false;
    clock.advance(WritingAssistant::pollIntervalMs);
    const QStringList rows = titles();
    EXPECT_EQ(rows.first(), u("Needs Accessibility access"));
    // The first start opened onboarding; the row brings it back once closed.
    ASSERT_NE(app.onboardingWindow(), nullptr);
    app.onboardingWindow()->close();
    app.menu().menu().actions().at(1)->trigger();
    EXPECT_TRUE(app.onboardingWindow()->isVisible());
}

TEST_F(QuillcraftAppTest, NoticesBecomeToasts)
{
    app.launch();
    ASSERT_TRUE(assistant.onNotice);
    assistant.onNotice(u("Quillcraft lost the text field."));
    EXPECT_EQ(app.toaster().text(), u("Quillcraft lost the text field."));
}

TEST_F(QuillcraftAppTest, OpeningTheSettingsAgainReusesTheWindowOnTheAskedTab)
{
    app.openSettings(QuillcraftApp::SettingsTab::account);
    const QPointer<QWidget> first = app.settingsWindow();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->windowTitle(), u("Quillcraft Settings"));
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(app.settingsWindow()->view().tab(), SettingsView::Tab::account);
    EXPECT_TRUE(app.settingsWindow()->view().accountForm().isVisibleTo(first));
    EXPECT_GE(first->width(), SettingsView::contentWidth);

    app.openSettings(QuillcraftApp::SettingsTab::general);
    EXPECT_EQ(app.settingsWindow(), first.data()) << "one window, reused";
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(app.settingsWindow()->view().tab(), SettingsView::Tab::general);
}

TEST_F(QuillcraftAppTest, TheAssistantsSignInAndTheMenuOpenTheirTabs)
{
    app.launch();
    ASSERT_TRUE(assistant.onSignIn);
    assistant.onSignIn();
    ASSERT_NE(app.settingsWindow(), nullptr);
    EXPECT_EQ(app.settingsWindow()->view().tab(), SettingsView::Tab::account);

    app.settingsWindow()->close();
    app.openSettings(QuillcraftApp::SettingsTab::dictionary);
    EXPECT_TRUE(app.settingsWindow()->isVisible());
    EXPECT_EQ(app.settingsWindow()->view().tab(), SettingsView::Tab::dictionary);
}

TEST_F(QuillcraftAppTest, TheFirstStartShowsOnboardingAndItsPracticeOpensOwnFields)
{
    app.launch();
    QWidget* window = app.onboardingWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), u("Welcome to Quillcraft"));
    auto* view = window->findChild<OnboardingView*>();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->step(), OnboardingView::Step::welcome);

    view->continueOn();
    ASSERT_EQ(view->step(), OnboardingView::Step::practice);
    EXPECT_TRUE(policy.allowsOwnFields());

    // "Not now" finishes: recorded, the window goes and our fields are skipped again.
    window->findChild<QAbstractButton*>(u("startupLater"))->click();
    EXPECT_TRUE(policy.finishedOnboarding());
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(policy.allowsOwnFields());
}

TEST_F(QuillcraftAppTest, ClosingOnboardingOnThePracticePageSkipsOwnFieldsAgain)
{
    app.launch();
    auto* view = app.onboardingWindow()->findChild<OnboardingView*>();
    view->continueOn();
    ASSERT_TRUE(policy.allowsOwnFields());
    app.onboardingWindow()->close();
    EXPECT_FALSE(policy.allowsOwnFields());
    EXPECT_FALSE(policy.finishedOnboarding());
}

TEST_F(QuillcraftAppTest, WithoutAStatusAreaTheSettingsWindowShowsOnceOnboardingIsDone)
{
    // Offscreen there is no status area. First start: onboarding, and settings only after it.
    app.launch();
    ASSERT_NE(app.onboardingWindow(), nullptr);
    EXPECT_EQ(app.settingsWindow(), nullptr);
    app.onboardingWindow()->close();
    EXPECT_EQ(app.settingsWindow(), nullptr) << "closed before it was finished: it comes back next start";

    policy.setFinishedOnboarding(true);
    QuillcraftApp later { QuillcraftApp::Parts { policy, assistant, account, updater, grabber, scene.apps, trust,
        scene.screens, clock, nullptr, 1, {}, loginItem, installed } };
    later.launch();
    EXPECT_EQ(later.onboardingWindow(), nullptr);
    ASSERT_NE(later.settingsWindow(), nullptr);
    EXPECT_TRUE(later.settingsWindow()->isVisible());
    EXPECT_EQ(later.settingsWindow()->view().tab(), SettingsView::Tab::general);
}

TEST_F(QuillcraftAppTest, AFinishedOnboardingIsNotShownAgainWhileAccessIsOn)
{
    policy.setFinishedOnboarding(true);
    app.launch();
    EXPECT_EQ(app.onboardingWindow(), nullptr);

    // Access switched off since: onboarding shows again to switch it back on.
    trust.trusted = false;
    QuillcraftApp second { QuillcraftApp::Parts { policy, assistant, account, updater, grabber, scene.apps, trust,
        scene.screens, clock, nullptr, 1, {}, loginItem, installed } };
    second.launch();
    ASSERT_NE(second.onboardingWindow(), nullptr);
    EXPECT_TRUE(second.onboardingWindow()->isVisible());
}

} // namespace
