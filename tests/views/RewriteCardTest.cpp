// The rewrite card over a real session: what each phase shows, the tone editing
// and its saved list, the keyboard, and that long or unusual text keeps it bounded.
#include "views/RewriteCard.h"
#include "rewrite/RewriteSession.h"
#include "service/RewriterOptions.h"
#include "settings/DefaultsStore.h"
#include "views/CardSurface.h"
#include "views/PrimaryButton.h"
#include "views/Theme.h"
#include "views/ToneChip.h"
#include "views/WrappedText.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <memory>

using namespace quillcraft;
using Phase = RewriteSession::Phase;
using Mode = RewriteAction::Mode;
using Source = RewriteAction::Source;
using Kind = RewriteFailure::Kind;

namespace {

const QString savedKey = QStringLiteral("savedCustomTones");

class RewriteCardTest : public testing::Test {
protected:
    // Nothing listens on the discard port: a request that does start fails offline.
    RewriteCardTest()
        : m_client(&m_network, QUrl(QStringLiteral("http://127.0.0.1:9")))
        , m_defaults(m_folder.filePath(QStringLiteral("defaults.json")))
    {
    }

    ~RewriteCardTest() override
    {
        m_surface.reset();
        m_session.reset();
    }

    // Opens the card in an active window, as its panel would be.
    RewriteCard& open(const QString& source = QStringLiteral("Their going home tomorow."))
    {
        m_session = std::make_unique<RewriteSession>(source, m_client, QStringLiteral("English"));
        RewriteCard::Callbacks callbacks;
        callbacks.onReplace = [this](const QString& text) { m_replaced << text; };
        callbacks.onCopy = [this](const QString& text) { m_copied << text; };
        callbacks.onSignIn = [this] { ++m_signIns; };
        callbacks.onUpgrade = [this] { ++m_upgrades; };
        m_card = new RewriteCard(*m_session, m_defaults, callbacks);
        m_surface = std::make_unique<CardSurface>(RewriteCard::width, m_card);
        m_surface->show();
        m_surface->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_surface.get()));
        return *m_card;
    }

    void settle() const
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }

    template <typename T> QList<T*> shown() const
    {
        settle();
        QList<T*> result;
        for (T* widget : m_card->findChildren<T*>()) {
            if (widget->isVisibleTo(m_card))
                result << widget;
        }
        return result;
    }

    QAbstractButton* button(const QString& text) const
    {
        for (QAbstractButton* candidate : shown<QAbstractButton>()) {
            if (candidate->text() == text)
                return candidate;
        }
        return nullptr;
    }

    // The card's filled button with `text` (the run button shares its title with a mode button).
    PrimaryButton* primary(const QString& text) const
    {
        for (QAbstractButton* candidate : shown<QAbstractButton>()) {
            auto* filled = dynamic_cast<PrimaryButton*>(candidate);
            if (filled && filled->text() == text)
                return filled;
        }
        return nullptr;
    }

    bool showsLabel(const QString& text) const
    {
        for (QLabel* label : shown<QLabel>()) {
            if (label->text() == text)
                return true;
        }
        return false;
    }

    QStringList chipNames() const
    {
        QStringList names;
        for (ToneChip* chip : shown<ToneChip>())
            names << chip->text();
        return names;
    }

    void type(const QString& tone)
    {
        QLineEdit* field = m_card->toneField();
        field->setFocus();
        QTest::keyClicks(field, tone);
    }

    QNetworkAccessManager m_network;
    QuillcraftClient m_client;
    QTemporaryDir m_folder;
    DefaultsStore m_defaults;
    std::unique_ptr<RewriteSession> m_session;
    std::unique_ptr<CardSurface> m_surface;
    RewriteCard* m_card = nullptr;
    QStringList m_replaced;
    QStringList m_copied;
    int m_signIns = 0;
    int m_upgrades = 0;
};

TEST_F(RewriteCardTest, FreshSessionOffersTheRunButtonAndSixOfFifteenPresets)
{
    open();
    EXPECT_NE(primary(QStringLiteral("Rewrite")), nullptr);
    EXPECT_TRUE(showsLabel(QStringLiteral("0 selected")));
    EXPECT_FALSE(showsLabel(QStringLiteral("Writing…")));
    EXPECT_TRUE(shown<QTextEdit>().isEmpty());
    EXPECT_EQ(button(QStringLiteral("Shorten"))->accessibleName(), QStringLiteral("Shorten mode"));
    EXPECT_EQ(chipNames(), RewriterOptions::presets().mid(0, 6));
    ASSERT_NE(button(QStringLiteral("Show all 15 tones")), nullptr);

    button(QStringLiteral("Show all 15 tones"))->click();
    EXPECT_EQ(chipNames(), RewriterOptions::presets());
    EXPECT_EQ(m_session->phase(), Phase::choosing());
    ASSERT_NE(button(QStringLiteral("Show fewer tones")), nullptr);
    // Switching tabs collapses the list again.
    button(QStringLiteral("My tones"))->click();
    button(QStringLiteral("Preset tones"))->click();
    EXPECT_EQ(chipNames().size(), 6);
}

TEST_F(RewriteCardTest, ChipsToggleTheSelectionAndSayWhetherTheyAreSelected)
{
    open();
    shown<ToneChip>()[1]->click();
    EXPECT_EQ(m_session->presets(), QStringList { QStringLiteral("Professional") });
    EXPECT_TRUE(showsLabel(QStringLiteral("1 selected")));
    const QList<ToneChip*> chips = shown<ToneChip>();
    QAccessibleInterface* selected = QAccessible::queryAccessibleInterface(chips[1]);
    QAccessibleInterface* other = QAccessible::queryAccessibleInterface(chips[0]);
    ASSERT_TRUE(selected && other);
    EXPECT_EQ(selected->text(QAccessible::Value), QStringLiteral("Selected"));
    EXPECT_EQ(selected->text(QAccessible::Name), QStringLiteral("Professional"));
    EXPECT_EQ(other->text(QAccessible::Value), QStringLiteral("Not selected"));
}

TEST_F(RewriteCardTest, GrammarModeHidesTonesAndRole)
{
    open();
    button(QStringLiteral("Fix grammar"))->click();
    EXPECT_EQ(m_session->mode(), Mode::grammar);
    EXPECT_TRUE(showsLabel(QStringLiteral("Fix grammar uses the Standard role and no tones.")));
    EXPECT_TRUE(shown<ToneChip>().isEmpty());
    EXPECT_TRUE(shown<QComboBox>().isEmpty());
    EXPECT_FALSE(showsLabel(QStringLiteral("Tones")));
    EXPECT_NE(primary(QStringLiteral("Fix grammar")), nullptr);
    EXPECT_EQ(m_session->phase(), Phase::choosing());
}

TEST_F(RewriteCardTest, ModeShortcutDropsTheResultOnceAndOnlyOnce)
{
    open();
    m_session->present(m_session->draft(), Phase::done(QStringLiteral("They are going home tomorrow.")));
    ASSERT_NE(button(QStringLiteral("Replace")), nullptr);

    QTest::keyClick(m_surface.get(), Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(m_session->phase(), Phase::choosing());
    EXPECT_EQ(m_session->mode(), Mode::shorten);
    EXPECT_EQ(m_session->lastAction(), std::nullopt);
    EXPECT_EQ(button(QStringLiteral("Replace")), nullptr);
    EXPECT_NE(primary(QStringLiteral("Shorten")), nullptr);

    int changes = 0;
    QObject::connect(m_session.get(), &RewriteSession::changed, m_card, [&] { ++changes; });
    QTest::keyClick(m_surface.get(), Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(changes, 0);
}

TEST_F(RewriteCardTest, ReturnAddsTheTypedToneRunsWhileChoosingAndReplacesWhenDone)
{
    RewriteCard& card = open();
    button(QStringLiteral("My tones"))->click();
    type(QStringLiteral("Warm but brief"));
    ASSERT_TRUE(card.toneField()->hasFocus());
    QTest::keyClick(card.toneField(), Qt::Key_Return);
    EXPECT_EQ(card.saved(), QStringList { QStringLiteral("Warm but brief") });
    EXPECT_EQ(m_session->custom(), QStringList { QStringLiteral("Warm but brief") });
    EXPECT_EQ(m_session->phase(), Phase::choosing());
    EXPECT_TRUE(card.toneField()->text().isEmpty());
    EXPECT_FALSE(card.toneField()->hasFocus());

    QTest::keyClick(m_surface.get(), Qt::Key_Return);
    EXPECT_EQ(m_session->phase().kind, Phase::Kind::running);
    EXPECT_EQ(m_session->lastAction()->tones, QStringList { QStringLiteral("Warm but brief") });
    EXPECT_TRUE(showsLabel(QStringLiteral("Writing…")));

    m_session->present(m_session->lastAction(), Phase::done(QStringLiteral("Done text.")));
    QTest::keyClick(m_surface.get(), Qt::Key_Return);
    EXPECT_EQ(m_replaced, QStringList { QStringLiteral("Done text.") });
    button(QStringLiteral("Copy"))->click();
    EXPECT_EQ(m_copied, QStringList { QStringLiteral("Done text.") });
}

TEST_F(RewriteCardTest, TypingSurvivesReRendering)
{
    RewriteCard& card = open();
    button(QStringLiteral("My tones"))->click();
    type(QStringLiteral("Cal"));
    m_session->setRole(QStringLiteral("Doctor"));
    m_session->setExpanded(true);
    settle();
    EXPECT_TRUE(card.toneField()->hasFocus());
    QTest::keyClicks(card.toneField(), QStringLiteral("m"));
    EXPECT_EQ(card.toneField()->text(), QStringLiteral("Calm"));
}

TEST_F(RewriteCardTest, AddIsRefusedForDuplicatesTooLongNamesAndAFullList)
{
    m_defaults.setValue(savedKey, QStringList { QStringLiteral("Warm") });
    RewriteCard& card = open();
    button(QStringLiteral("My tones"))->click();
    EXPECT_EQ(card.customHint(), QStringLiteral("Saved on this computer. Right-click a tone to delete it."));
    type(QStringLiteral("  wARM "));
    EXPECT_FALSE(card.canAdd());
    EXPECT_FALSE(button(QStringLiteral("Add"))->isEnabled());
    EXPECT_TRUE(showsLabel(QStringLiteral("This tone is already saved.")));

    card.toneField()->setText(QString(90, QLatin1Char('a')) + QStringLiteral("  "));
    EXPECT_TRUE(button(QStringLiteral("Add"))->isEnabled());
    card.toneField()->setText(QString(91, QLatin1Char('a')));
    EXPECT_FALSE(button(QStringLiteral("Add"))->isEnabled());
    EXPECT_TRUE(showsLabel(QStringLiteral("Use up to 90 characters.")));

    card.deleteTone(QStringLiteral("Warm"));
    card.toneField()->clear();
    EXPECT_EQ(card.customHint(), QStringLiteral("Saved on this computer."));
}

TEST_F(RewriteCardTest, FifteenSavedTonesBlockAddingUntilOneIsDeleted)
{
    QStringList fifteen;
    for (int i = 0; i < 15; ++i)
        fifteen << QStringLiteral("Tone %1").arg(i);
    m_defaults.setValue(savedKey, fifteen);
    RewriteCard& card = open();
    button(QStringLiteral("My tones"))->click();
    type(QStringLiteral("Sixteenth"));
    EXPECT_FALSE(button(QStringLiteral("Add"))->isEnabled());
    EXPECT_TRUE(showsLabel(QStringLiteral("Right-click a saved tone to delete it before adding another.")));
    EXPECT_EQ(chipNames().size(), 6);
    ASSERT_NE(button(QStringLiteral("Show all 15 tones")), nullptr);

    card.deleteTone(QStringLiteral("Tone 3"));
    EXPECT_TRUE(button(QStringLiteral("Add"))->isEnabled());
    button(QStringLiteral("Add"))->click();
    EXPECT_EQ(card.saved().first(), QStringLiteral("Sixteenth"));
    EXPECT_EQ(card.saved().size(), 15);
}

TEST_F(RewriteCardTest, DeletingASelectedToneDropsItFromTheSelection)
{
    m_defaults.setValue(savedKey, QStringList { QStringLiteral("Gentle"), QStringLiteral("Blunt") });
    RewriteCard& card = open();
    button(QStringLiteral("My tones"))->click();
    shown<ToneChip>()[0]->click();
    EXPECT_TRUE(showsLabel(QStringLiteral("1 selected")));
    m_session->present(m_session->draft(), Phase::done(QStringLiteral("Soft words.")));

    card.deleteTone(QStringLiteral("Gentle"));
    EXPECT_TRUE(m_session->custom().isEmpty());
    EXPECT_TRUE(showsLabel(QStringLiteral("0 selected")));
    EXPECT_EQ(chipNames(), QStringList { QStringLiteral("Blunt") });
    EXPECT_EQ(m_defaults.value(savedKey).toStringList(), QStringList { QStringLiteral("Blunt") });
    EXPECT_EQ(m_session->phase(), Phase::choosing());
}

TEST_F(RewriteCardTest, SavedTonesAreWrittenNewestFirstAndReadBackByTheNextCard)
{
    RewriteCard& card = open();
    button(QStringLiteral("My tones"))->click();
    for (const QString& tone : { QStringLiteral("First"), QStringLiteral("Second") }) {
        type(tone);
        button(QStringLiteral("Add"))->click();
    }
    const QStringList newestFirst { QStringLiteral("Second"), QStringLiteral("First") };
    EXPECT_EQ(card.saved(), newestFirst);
    EXPECT_EQ(m_session->custom(), (QStringList { QStringLiteral("First"), QStringLiteral("Second") }));

    DefaultsStore reread(m_defaults.filePath());
    EXPECT_EQ(reread.value(savedKey).toStringList(), newestFirst);
    m_surface.reset();
    RewriteCard& next = open();
    EXPECT_EQ(next.saved(), newestFirst);
    button(QStringLiteral("My tones"))->click();
    EXPECT_EQ(chipNames(), newestFirst);
}

TEST_F(RewriteCardTest, FailuresOfferTheWayOutTheirKindAllows)
{
    open();
    const RewriteFailure tooLong { Kind::tooLong, QStringLiteral("That selection is too long.") };
    m_session->present(std::nullopt, Phase::failed(tooLong));
    EXPECT_EQ(button(QStringLiteral("Try again")), nullptr);
    ASSERT_EQ(shown<WrappedText>().last()->text(), tooLong.message);
    EXPECT_EQ(shown<WrappedText>().last()->color(), Theme::primary(m_card->palette()));

    m_session->present(RewriteAction::shorten(), Phase::failed(tooLong));
    ASSERT_NE(button(QStringLiteral("Try again")), nullptr);

    m_session->present(
        RewriteAction::rewrite(), Phase::failed({ Kind::server, QStringLiteral("The rewrite failed. Try again.") }));
    EXPECT_EQ(shown<WrappedText>().last()->color(), Theme::error);

    m_session->present(RewriteAction::rewrite(), Phase::failed({ Kind::signInForMore, QStringLiteral("Sign in.") }));
    EXPECT_EQ(button(QStringLiteral("Try again")), nullptr);
    button(QStringLiteral("Sign in free"))->click();
    EXPECT_EQ(m_signIns, 1);

    m_session->present(RewriteAction::rewrite(), Phase::failed({ Kind::upgradeForMore, QStringLiteral("Go Pro.") }));
    PrimaryButton* upgrade = primary(QStringLiteral("See Pro"));
    ASSERT_NE(upgrade, nullptr);
    EXPECT_EQ(upgrade->fill(), Theme::pencil);
    upgrade->click();
    EXPECT_EQ(m_upgrades, 1);
}

TEST_F(RewriteCardTest, TryAgainRunsTheLastActionFromItsOwnButton)
{
    open();
    const RewriteAction action { Mode::shorten, { QStringLiteral("Direct") } };
    m_session->present(action, Phase::done(QStringLiteral("Short.")));
    button(QStringLiteral("Try again"))->click();
    settle();
    EXPECT_EQ(m_session->phase().kind, Phase::Kind::running);
    EXPECT_EQ(m_session->lastAction(), action);
}

TEST_F(RewriteCardTest, StreamedTextIsPlainAndOnlyTheResultIsMarked)
{
    open(QStringLiteral("Their going home."));
    m_session->present(RewriteAction::rewrite(), Phase::running(QStringLiteral("They are going")));
    EXPECT_TRUE(shown<QTextEdit>().isEmpty());
    EXPECT_EQ(shown<WrappedText>().last()->text(), QStringLiteral("They are going"));

    m_session->present(RewriteAction::rewrite(), Phase::done(QStringLiteral("They are going home.")));
    const QList<QTextEdit*> boxes = shown<QTextEdit>();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(showsLabel(QStringLiteral("Highlighted words changed")));
    QTextCursor changed(boxes[0]->document());
    changed.setPosition(1);
    EXPECT_EQ(changed.charFormat().background().color(), Theme::note);
    QTextCursor kept(boxes[0]->document());
    kept.setPosition(10); // inside "going"
    EXPECT_EQ(kept.charFormat().background().style(), Qt::NoBrush);
}

TEST_F(RewriteCardTest, LongAndUnusualTextKeepsTheCardBoundedAndItsButtonsWhole)
{
    QStringList words { QString(200, QLatin1Char('w')), QStringLiteral("שלום עולם"),
        QStringLiteral("😀👩‍💻") };
    while (words.size() < 2000)
        words << QStringLiteral("word");
    const QString huge = words.join(QLatin1Char(' '));
    open(huge);
    m_session->setPresets(RewriterOptions::presets());
    m_session->setExpanded(true);
    m_session->present(m_session->draft(), Phase::done(huge));
    settle();
    m_surface->resize(m_surface->sizeHint());
    settle();

    EXPECT_EQ(m_surface->sizeHint().width(), RewriteCard::width + 2 * CardSurface::margin);
    EXPECT_LE(m_surface->sizeHint().height(), 760);
    auto* selection = m_card->findChild<WrappedText*>(QStringLiteral("selection"));
    ASSERT_NE(selection, nullptr);
    EXPECT_LE(selection->height(), 2 * QFontMetrics(selection->font()).lineSpacing() + 1);
    EXPECT_TRUE(selection->isCut(selection->width()));
    for (QAbstractButton* each : shown<QAbstractButton>()) {
        const QRect inCard(each->mapTo(m_card, QPoint()), each->size());
        EXPECT_TRUE(m_card->rect().contains(inCard)) << each->text().left(20).toStdString();
        EXPECT_GE(each->width(), each->minimumSizeHint().width()) << each->text().left(20).toStdString();
    }
}

} // namespace
