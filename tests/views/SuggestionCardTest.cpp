// The suggestion card, its fix preview and the LOCAL pill: what they show for an
// issue, which callback each button fires, and that no text pushes a button off.
#include "views/SuggestionCard.h"
#include "CardTestSupport.h"
#include "views/BoundedLabel.h"
#include "views/ChoiceButton.h"
#include "views/FixPreview.h"
#include "views/IssueSamples.h"
#include "views/KindDot.h"
#include "views/LocalPill.h"
#include "views/TextButton.h"
#include "views/Theme.h"

#include <QTest>

#include <gtest/gtest.h>

#include <optional>

using namespace quillcraft;
using Piece = FixPreview::Piece;
using Role = Piece::Role;

namespace {

class SuggestionCardTest : public testing::Test {
protected:
    static void SetUpTestSuite() { Theme::registerFont(QStringLiteral(QUILLCRAFT_RESOURCE_DIR)); }

    // The card on its surface, shown, with callbacks that record what they were called with.
    CardSurface& show(const TextIssue& issue, bool addWord)
    {
        SuggestionCard::Callbacks callbacks {
            .onAccept = [this](const Suggestion& suggestion) { accepted = suggestion; },
            .onDismiss = [this] { ++dismissed; },
        };
        if (addWord)
            callbacks.onAddWord = [this] { ++added; };
        surface = SuggestionCard::onSurface(issue, std::move(callbacks));
        test::settle(*surface);
        return *surface;
    }

    SuggestionCard& card() const { return *static_cast<SuggestionCard*>(surface->content()); }

    // The label drawn in the headline's font: semibold 14.
    BoundedLabel* headline() const
    {
        for (BoundedLabel* label : test::descendants<BoundedLabel>(&card())) {
            if (label->font().pixelSize() == 14)
                return label;
        }
        return nullptr;
    }

    std::unique_ptr<CardSurface> surface;
    std::optional<Suggestion> accepted;
    int dismissed = 0;
    int added = 0;
};

TEST_F(SuggestionCardTest, OffersTheFirstThreeCorrectionsInOrder)
{
    const TextIssue issue = IssueSamples::fiveSuggestions();
    show(issue, false);
    ASSERT_EQ(card().correctionButtons().size(), 3);
    EXPECT_EQ(test::descendants<ChoiceButton>(&card()).size(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(
            card().correctionButtons()[i]->accessibleName(), QStringLiteral("Accept ") + issue.suggestions[i].text);

    QTest::mouseClick(card().correctionButtons()[1], Qt::LeftButton);
    EXPECT_EQ(accepted, issue.suggestions[1]);
    QTest::mouseClick(card().dismissButton(), Qt::LeftButton);
    EXPECT_EQ(dismissed, 1);
    EXPECT_EQ(accepted, issue.suggestions[1]);
}

TEST_F(SuggestionCardTest, LabelsRemovalsAndInsertionsByWhatTheyDo)
{
    TextIssue issue = IssueSamples::agreement();
    issue.suggestions = { { Suggestion::Kind::remove, {} }, { Suggestion::Kind::insertAfter, QStringLiteral(",") } };
    show(issue, false);
    ASSERT_EQ(card().correctionButtons().size(), 2);
    EXPECT_EQ(card().correctionButtons()[0]->accessibleName(), QStringLiteral("Accept Remove “has”"));
    EXPECT_EQ(card().correctionButtons()[1]->accessibleName(), QStringLiteral("Accept Add “,”"));
}

TEST_F(SuggestionCardTest, AnEmptyMessageLeavesTheKindAsHeadline)
{
    TextIssue issue = IssueSamples::typo();
    issue.message.clear();
    show(issue, false);
    ASSERT_NE(headline(), nullptr);
    EXPECT_EQ(headline()->text(), QStringLiteral("Typo"));

    show(IssueSamples::typo(), false);
    EXPECT_EQ(headline()->text(), QStringLiteral("Did you mean the definite article?"));
}

TEST_F(SuggestionCardTest, OffersTheDictionaryOnlyWhenAsked)
{
    show(IssueSamples::agreement(), false);
    EXPECT_EQ(card().addWordButton(), nullptr);
    EXPECT_TRUE(test::descendants<TextButton>(&card()).isEmpty());

    show(IssueSamples::spelling(), true);
    ASSERT_NE(card().addWordButton(), nullptr);
    EXPECT_EQ(card().addWordButton()->text(), QStringLiteral("Add “tomorow” to dictionary"));
    QTest::mouseClick(card().addWordButton(), Qt::LeftButton);
    EXPECT_EQ(added, 1);
    EXPECT_FALSE(accepted.has_value());
}

TEST_F(SuggestionCardTest, AnIssueWithoutSuggestionsStillHasItsTextsAndDismiss)
{
    TextIssue issue = IssueSamples::spelling();
    issue.suggestions.clear();
    show(issue, true);
    EXPECT_TRUE(card().correctionButtons().isEmpty());
    EXPECT_NE(card().addWordButton(), nullptr);
    QTest::mouseClick(card().dismissButton(), Qt::LeftButton);
    EXPECT_EQ(dismissed, 1);
}

TEST_F(SuggestionCardTest, AnUnknownKindIsDrawnInTheMiscellaneousColour)
{
    TextIssue issue = IssueSamples::typo();
    issue.kind = QStringLiteral("Frobnication");
    show(issue, false);
    const QColor expected = Theme::kindColor(QStringLiteral("miscellaneous"));
    ASSERT_EQ(test::descendants<KindDot>(&card()).size(), 1);
    EXPECT_EQ(test::descendants<KindDot>(&card()).constFirst()->color(), expected);
    EXPECT_EQ(card().correctionButtons().constFirst()->color(), expected);
}

TEST_F(SuggestionCardTest, IsThreeHundredThirtyWideOnItsSurface)
{
    show(IssueSamples::spelling(), true);
    EXPECT_EQ(surface->cardRect().width(), 330);
    EXPECT_EQ(card().width(), 330);
    EXPECT_EQ(surface->width(), 330 + 36);
    for (QAbstractButton* button : test::descendants<QAbstractButton>(&card())) {
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
        test::expectInside(&card(), button);
    }
}

TEST_F(SuggestionCardTest, LongWordsRightToLeftTextAndEmojiStayInside)
{
    const TextIssue issue = IssueSamples::longText();
    show(issue, true);
    EXPECT_EQ(card().width(), 330);
    for (QAbstractButton* button : test::descendants<QAbstractButton>(&card()))
        test::expectInside(&card(), button);
    for (ChoiceButton* button : card().correctionButtons()) {
        for (QWidget* inner : button->findChildren<QWidget*>())
            test::expectInside(button, inner);
    }
    // The 200-letter word is shortened in the middle, keeping what the button does.
    const QString shown = card().addWordButton()->shownText();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("Add “Super"))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("” to dictionary"))) << shown.toStdString();
    EXPECT_EQ(card().addWordButton()->toolTip(), SuggestionCard::addWordText(issue.problemText));
    EXPECT_EQ(card().correctionButtons().constFirst()->toolTip(), issue.suggestions.constFirst().text);

    // The headline wraps inside the word, stops at its last line and shows the rest on hover.
    ASSERT_NE(headline(), nullptr);
    EXPECT_EQ(headline()->lines(headline()->width()).size(), SuggestionCard::maxHeadlineLines);
    EXPECT_TRUE(headline()->isElided());
    EXPECT_EQ(headline()->toolTip(), issue.message);
}

TEST_F(SuggestionCardTest, AnyMessageLeavesTheCardTheSameBoundedHeight)
{
    TextIssue issue = IssueSamples::longText();
    show(issue, true);
    const int height = surface->cardRect().height();
    issue.message = issue.message.repeated(40);
    show(issue, true);
    EXPECT_EQ(surface->cardRect().height(), height);
    // Room to spare on the smallest screens the panel is placed on.
    EXPECT_LT(height, 480);
}

TEST(FixPreview, PicturesEachKindOfFix)
{
    const TextIssue issue = IssueSamples::agreement();
    EXPECT_EQ(FixPreview::pieces(issue, { Suggestion::Kind::replace, QStringLiteral("have") }),
        (QList<Piece> {
            { Role::replaced, QStringLiteral("has") }, { Role::arrow }, { Role::added, QStringLiteral("have") } }));
    EXPECT_EQ(FixPreview::pieces(issue, { Suggestion::Kind::replace, QString() }),
        (QList<Piece> { { Role::replaced, QStringLiteral("has") }, { Role::arrow },
            { Role::added, QStringLiteral("(nothing)") } }));
    EXPECT_EQ(FixPreview::pieces(issue, { Suggestion::Kind::remove, QString() }),
        (QList<Piece> { { Role::removed, QStringLiteral("has") } }));
    EXPECT_EQ(FixPreview::pieces(issue, { Suggestion::Kind::insertAfter, QStringLiteral(" not") }),
        (QList<Piece> { { Role::kept, QStringLiteral("has") }, { Role::added, QStringLiteral(" not") } }));
}

TEST(FixPreview, ShortensLongPiecesToItsWidth)
{
    Theme::registerFont(QStringLiteral(QUILLCRAFT_RESOURCE_DIR));
    const TextIssue issue = IssueSamples::longText();
    FixPreview preview(issue, { Suggestion::Kind::replace, QStringLiteral("short") });
    preview.resize(200, preview.sizeHint().height());
    preview.show(); // the tooltip follows the width it is shown at
    const QStringList drawn = preview.drawnTexts();
    ASSERT_EQ(drawn.size(), 3);
    // The short replacement stays whole; the long problem text gives way.
    EXPECT_EQ(drawn[2], QStringLiteral("short"));
    EXPECT_TRUE(drawn[0].endsWith(QChar(0x2026)));
    EXPECT_EQ(preview.toolTip(), issue.problemText + QStringLiteral(" → short"));

    preview.resize(preview.sizeHint());
    QApplication::sendPostedEvents();
    EXPECT_EQ(preview.drawnTexts()[0], issue.problemText);
    EXPECT_TRUE(preview.toolTip().isEmpty());
}

TEST(LocalPill, SaysWhereGrammarIsChecked)
{
    const LocalPill pill;
    EXPECT_EQ(LocalPill::text(), QStringLiteral("LOCAL"));
    EXPECT_EQ(pill.toolTip(), QStringLiteral("Grammar is checked on this computer. The text is not sent anywhere."));
}

} // namespace
