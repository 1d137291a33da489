// The issues panel: its title and buttons for each size of list, the capped,
// scrolling list, which callback each button fires with which issue or action,
// and that long texts never push a button off.
#include "views/IssuesPanel.h"
#include "CardTestSupport.h"
#include "views/BoundedLabel.h"
#include "views/FixPreview.h"
#include "views/Icon.h"
#include "views/IssueRow.h"
#include "views/IssueSamples.h"
#include "views/Theme.h"

#include <QAbstractButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

using namespace quillcraft;

namespace {

class IssuesPanelTest : public testing::Test {
protected:
    static void SetUpTestSuite() { Theme::registerFont(QStringLiteral(QUILLCRAFT_RESOURCE_DIR)); }

    IssuesPanel& show(const QList<TextIssue>& issues, const QString& appName = QStringLiteral("Notes"))
    {
        surface = IssuesPanel::onSurface(appName, issues,
            {
                .onAccept = [this](const TextIssue& issue) { accepted << issue; },
                .onDismiss = [this](const TextIssue& issue) { dismissed << issue; },
                .onAcceptAll = [this] { ++acceptedAll; },
                .onRewriteAll = [this](const RewriteAction& action) { rewrites << action; },
                .onClose = [this] { ++closed; },
            });
        test::settle(*surface);
        return panel();
    }

    IssuesPanel& panel() const { return *static_cast<IssuesPanel*>(surface->content()); }

    bool showsText(const QString& text) const
    {
        for (const BoundedLabel* label : test::descendants<BoundedLabel>(&panel())) {
            if (label->text() == text)
                return true;
        }
        return false;
    }

    std::unique_ptr<CardSurface> surface;
    QList<TextIssue> accepted;
    QList<TextIssue> dismissed;
    int acceptedAll = 0;
    QList<RewriteAction> rewrites;
    int closed = 0;
};

TEST_F(IssuesPanelTest, AnEmptyListLooksGoodAndStillOffersRewrites)
{
    show({});
    EXPECT_EQ(panel().title(), QStringLiteral("No fixes in Notes"));
    EXPECT_TRUE(showsText(QStringLiteral("No fixes in Notes")));
    EXPECT_TRUE(showsText(QStringLiteral("Looks good. Grammar is checked on this computer.")));
    EXPECT_EQ(panel().list(), nullptr);
    EXPECT_TRUE(panel().rows().isEmpty());
    EXPECT_EQ(panel().acceptAllButton(), nullptr);
    EXPECT_EQ(panel().rewriteButtons().size(), 3);
    bool check = false;
    for (const Icon* icon : test::descendants<Icon>(&panel()))
        check = check || icon->width() == 14;
    EXPECT_TRUE(check);
}

TEST_F(IssuesPanelTest, CountsTheIssuesInItsTitleAndAcceptAll)
{
    struct Case {
        int count;
        QString title;
        std::optional<QString> acceptAll;
        int rows;
    };
    const QList<Case> cases {
        { 1, QStringLiteral("1 fix in Notes"), std::nullopt, 1 },
        { 2, QStringLiteral("2 fixes in Notes"), QStringLiteral("Accept all 2"), 2 },
        { 12, QStringLiteral("12 fixes in Notes"), QStringLiteral("Accept all 12"), 12 },
        { 30, QStringLiteral("30 fixes in Notes"), QStringLiteral("Accept all 30"), 30 },
        { 40, QStringLiteral("40 fixes in Notes"), QStringLiteral("Accept all 40"), 30 },
        { 1234, QStringLiteral("1234 fixes in Notes"), QStringLiteral("Accept all 1234"), 30 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        show(IssueSamples::many(c.count));
        EXPECT_EQ(panel().title(), c.title);
        EXPECT_EQ(panel().rows().size(), c.rows);
        ASSERT_EQ(panel().acceptAllButton() != nullptr, c.acceptAll.has_value());
        if (c.acceptAll) {
            EXPECT_EQ(panel().acceptAllButton()->text(), *c.acceptAll);
        }
    }
}

TEST_F(IssuesPanelTest, TheListScrollsOncePastItsCap)
{
    show(IssueSamples::notes());
    ASSERT_NE(panel().list(), nullptr);
    EXPECT_LT(panel().list()->height(), IssuesPanel::maxListHeight);
    EXPECT_EQ(panel().list()->verticalScrollBar()->maximum(), 0);

    show(IssueSamples::many(12));
    EXPECT_EQ(panel().list()->height(), IssuesPanel::maxListHeight);
    EXPECT_GT(panel().list()->verticalScrollBar()->maximum(), 0);
    // The panel stays a size a screen can hold, however long the list.
    const int height = surface->cardRect().height();
    show(IssueSamples::many(40));
    EXPECT_EQ(surface->cardRect().height(), height);
}

TEST_F(IssuesPanelTest, EachButtonCallsBackWithItsIssueOrAction)
{
    const QList<TextIssue> issues = IssueSamples::notes();
    show(issues);
    QTest::mouseClick(panel().rows()[1]->acceptButton(), Qt::LeftButton);
    QTest::mouseClick(panel().rows()[2]->dismissButton(), Qt::LeftButton);
    EXPECT_EQ(accepted, QList<TextIssue> { issues[1] });
    EXPECT_EQ(dismissed, QList<TextIssue> { issues[2] });

    QTest::mouseClick(panel().acceptAllButton(), Qt::LeftButton);
    EXPECT_EQ(acceptedAll, 1);
    for (QAbstractButton* button : panel().rewriteButtons())
        QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(rewrites,
        (QList<RewriteAction> { RewriteAction::rewrite(), RewriteAction::grammar(), RewriteAction::shorten() }));
    EXPECT_EQ(panel().rewriteButtons()[1]->text(), QStringLiteral("Fix grammar"));
    QTest::mouseClick(panel().closeButton(), Qt::LeftButton);
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(panel().closeButton()->toolTip(), QStringLiteral("Close"));
    EXPECT_EQ(accepted.size(), 1);
    EXPECT_EQ(dismissed.size(), 1);
}

TEST_F(IssuesPanelTest, TheLastListedRowIsTheThirtiethIssue)
{
    const QList<TextIssue> issues = IssueSamples::many(40);
    show(issues);
    IssueRow* last = panel().rows().constLast();
    panel().list()->ensureWidgetVisible(last);
    QApplication::sendPostedEvents();
    QTest::mouseClick(last->acceptButton(), Qt::LeftButton);
    EXPECT_EQ(accepted, QList<TextIssue> { issues[29] });
}

TEST_F(IssuesPanelTest, AnIssueWithoutSuggestionsCanStillBeAccepted)
{
    TextIssue issue = IssueSamples::typo();
    issue.suggestions.clear();
    show({ issue });
    ASSERT_EQ(panel().rows().size(), 1);
    EXPECT_EQ(panel().rows()[0]->preview(), nullptr);
    QTest::mouseClick(panel().rows()[0]->acceptButton(), Qt::LeftButton);
    EXPECT_EQ(accepted, QList<TextIssue> { issue });
}

TEST_F(IssuesPanelTest, LongTextsNeverPushAButtonOff)
{
    QList<TextIssue> issues { IssueSamples::longText() };
    issues << IssueSamples::longText();
    issues.last().suggestions = { { Suggestion::Kind::remove, {} } };
    issues << IssueSamples::longText();
    issues.last().kind = QStringLiteral("A kind with a very long name 🚧 ").repeated(6);
    show(issues, QStringLiteral("تطبيق الملاحظات ").repeated(8));
    EXPECT_EQ(panel().width(), IssuesPanel::panelWidth);
    for (const QAbstractButton* button : test::descendants<QAbstractButton>(&panel()))
        test::expectInside(&panel(), button, false);
    for (const IssueRow* row : panel().rows()) {
        ASSERT_NE(row->preview(), nullptr);
        test::expectInside(&panel(), row->preview(), false);
        EXPECT_FALSE(row->preview()->toolTip().isEmpty());
    }
    test::expectInside(&panel(), panel().closeButton());
}

} // namespace
