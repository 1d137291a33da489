#include "shell/OnboardingView.h"
#include "shell/OnboardingWindow.h"

#include "platform/TrustCheck.h"
#include "settings/LoginItemStore.h"
#include "views/WrappedText.h"

#include "FakeLoginItem.h"
#include "FakeTrust.h"
#include "ManualClock.h"
#include "TestText.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

using namespace quillcraft;
using namespace quillcraft::test;

namespace {

// The window as the controller opens it, recording what the view reports.
class OnboardingViewTest : public testing::Test {
protected:
    void open(OnboardingView::Step step = OnboardingView::Step::welcome)
    {
        window = std::make_unique<OnboardingWindow>(step, loginItem, trust, clock,
            OnboardingView::Callbacks {
                .onRequestAccess = [this] { trust.requestAccess(); },
                .onPracticeChange = [this](bool onScreen) { practice << onScreen; },
                .onFinish = [this] { ++finished; },
                .onOpenLoginSettings = {},
            });
        window->show();
    }

    OnboardingView& view() const { return window->view(); }
    QAbstractButton* button(const char* name) const
    {
        auto* found = view().findChild<QAbstractButton*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    // Whether the named part of the page is on screen.
    bool shows(const char* name) const
    {
        const auto* part = view().findChild<QWidget*>(QLatin1String(name));
        return part && part->isVisibleTo(window.get());
    }
    QString startupDetail() const
    {
        auto* detail = view().findChild<WrappedText*>(QStringLiteral("startupDetail"));
        return detail && detail->isVisibleTo(window.get()) ? detail->text() : QString();
    }

    FakeTrust trust { false };
    FakeLoginItem item;
    LoginItemStore loginItem { item };
    ManualClock clock;
    QList<bool> practice;
    int finished = 0;
    std::unique_ptr<OnboardingWindow> window;
};

TEST_F(OnboardingViewTest, ATrustedUserGoesFromWelcomeStraightToPractice)
{
    trust.trusted = true;
    open();
    EXPECT_EQ(view().step(), OnboardingView::Step::welcome);
    EXPECT_EQ(practice, QList<bool> { false }) << "appearing on the welcome page";

    button("continue")->click();
    EXPECT_EQ(view().step(), OnboardingView::Step::practice);
    EXPECT_EQ(practice, (QList<bool> { false, true }));
    EXPECT_TRUE(shows("practice"));
    EXPECT_EQ(view().practiceEditor().height(), OnboardingView::practiceHeight);
    EXPECT_EQ(view().practice(), OnboardingView::practiceText());
    EXPECT_EQ(window->windowTitle(), u("Welcome to Quillcraft"));
}

TEST_F(OnboardingViewTest, AccessTurnsOnWithinOnePollAndMovingOnStaysAClick)
{
    open();
    button("continue")->click();
    ASSERT_EQ(view().step(), OnboardingView::Step::access);
    EXPECT_TRUE(shows("waiting"));
    EXPECT_FALSE(shows("granted"));
    // Nothing to continue to while access is off.
    view().continueOn();
    EXPECT_EQ(view().step(), OnboardingView::Step::access);

    button("requestAccess")->click();
    EXPECT_EQ(trust.requests, 1);
    trust.trusted = true;
    clock.advance(OnboardingView::pollIntervalMs);
    EXPECT_TRUE(shows("granted"));
    EXPECT_FALSE(shows("waiting"));

    clock.advance(10 * OnboardingView::pollIntervalMs);
    EXPECT_EQ(view().step(), OnboardingView::Step::access) << "no advancing by itself";

    // Switched off again while the page says it is on.
    trust.trusted = false;
    clock.advance(OnboardingView::pollIntervalMs);
    EXPECT_TRUE(shows("waiting"));
    EXPECT_FALSE(shows("granted"));

    trust.trusted = true;
    clock.advance(OnboardingView::pollIntervalMs);
    button("accessContinue")->click();
    EXPECT_EQ(view().step(), OnboardingView::Step::practice);
    EXPECT_EQ(practice.last(), true);
}

TEST_F(OnboardingViewTest, ReturnPressesThePagesMainButton)
{
    const auto pressReturn = [this] {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(&view(), &press);
    };
    open();
    // The page has the keyboard (its buttons never take it).
    EXPECT_EQ(window->focusWidget(), &view());
    pressReturn();
    ASSERT_EQ(view().step(), OnboardingView::Step::access);
    pressReturn();
    EXPECT_EQ(trust.requests, 1);
    EXPECT_EQ(view().step(), OnboardingView::Step::access);
    trust.trusted = true;
    clock.advance(OnboardingView::pollIntervalMs);
    pressReturn();
    ASSERT_EQ(view().step(), OnboardingView::Step::practice);
    EXPECT_EQ(window->focusWidget(), &view().practiceEditor());
    pressReturn();
    EXPECT_EQ(item.calls, 1) << "Enable and finish";
    EXPECT_EQ(finished, 1);
}

TEST_F(OnboardingViewTest, AClosedWindowStopsAskingAndEndsThePractice)
{
    trust.trusted = true;
    open(OnboardingView::Step::practice);
    EXPECT_EQ(practice, QList<bool> { true });
    window->close();
    EXPECT_EQ(practice, (QList<bool> { true, false }));

    // Hidden, the poll keeps its schedule but asks nothing.
    trust.trusted = false;
    clock.advance(3 * OnboardingView::pollIntervalMs);
    EXPECT_TRUE(view().isTrusted());
    EXPECT_EQ(clock.pending(), 1);
}

TEST_F(OnboardingViewTest, ARefusedLoginItemOffersTryAgainAndKeepsSayingWhy)
{
    trust.trusted = true;
    item.accepts = false;
    open(OnboardingView::Step::practice);
    EXPECT_EQ(button("startupAction")->text(), u("Enable and finish"));
    EXPECT_EQ(button("startupLater")->text(), u("Not now"));

    button("startupAction")->click();
    EXPECT_EQ(item.calls, 1);
    EXPECT_EQ(finished, 0);
    EXPECT_EQ(button("startupAction")->text(), u("Try again"));
    EXPECT_EQ(button("startupLater")->text(), u("Finish for now"));
    EXPECT_TRUE(startupDetail().startsWith(u("Quillcraft couldn’t turn on login startup.")))
        << startupDetail().toStdString();

    // The store forgets its error on every refresh; the page must not.
    clock.advance(2 * OnboardingView::pollIntervalMs);
    EXPECT_EQ(button("startupAction")->text(), u("Try again"));
    EXPECT_FALSE(startupDetail().isEmpty());

    item.accepts = true;
    button("startupAction")->click();
    EXPECT_EQ(finished, 1);
    EXPECT_TRUE(loginItem.isEnabled());
}

TEST_F(OnboardingViewTest, TheStartupChoiceFollowsTheStore)
{
    trust.trusted = true;
    item.current = LoginItem::Status::enabled;
    open(OnboardingView::Step::practice);
    EXPECT_EQ(button("startupAction")->text(), u("Done"));
    EXPECT_FALSE(shows("startupLater"));
    button("startupAction")->click();
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(item.calls, 0);

    // Turned off elsewhere: the next poll offers it again; "Not now" finishes too.
    item.current = LoginItem::Status::notRegistered;
    clock.advance(OnboardingView::pollIntervalMs);
    EXPECT_EQ(button("startupAction")->text(), u("Enable and finish"));
    button("startupLater")->click();
    EXPECT_EQ(finished, 2);

    item.current = LoginItem::Status::requiresApproval;
    clock.advance(OnboardingView::pollIntervalMs);
    EXPECT_EQ(button("startupLater")->text(), u("Finish for now"));
    EXPECT_FALSE(startupDetail().isEmpty());
}

TEST_F(OnboardingViewTest, TheTextsSpeakThisDesktopsLanguage)
{
    open();
    QStringList texts;
    for (const WrappedText* text : view().findChildren<WrappedText*>())
        texts << text->text();
    for (const QAbstractButton* button : view().findChildren<QAbstractButton*>())
        texts << button->text();
    const QString all = texts.join(u'\n');
    for (const char* foreign : { "Mac", "macOS", "System Settings", "TextEdit", "menu bar", "⌃⌥R", "Login Items" })
        EXPECT_FALSE(all.contains(u(foreign))) << foreign;
    EXPECT_TRUE(all.contains(u("Press Ctrl+Alt+R or click the Rewrite button.")));
    EXPECT_TRUE(all.contains(u("Checked on this computer. That text never leaves it.")));
    EXPECT_TRUE(all.contains(u("apps like gedit, Firefox, and LibreOffice")));
    EXPECT_TRUE(all.contains(u("Turn On Accessibility")));
}

} // namespace
