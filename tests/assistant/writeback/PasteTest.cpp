// The paste path with fake accessibility, clipboard and keys, driven by a
// manual clock: the checks before any keystroke, the wait for the field, and
// putting the user's clipboard back only when nobody wrote to it meanwhile.

#include "FakeAccessibility.h"
#include "FakeDesktopInput.h"
#include "ManualClock.h"

#include "assistant/writeback/Paste.h"

#include <gtest/gtest.h>

using namespace quillcraft;
using namespace quillcraft::test;
using Result = Paste::Result;

namespace {

const QString original = QStringLiteral("Their going home.");

ClipboardContents userClipboard()
{
    return { { QStringLiteral("UTF8_STRING"), QStringLiteral("UTF8_STRING"), 8, QByteArrayLiteral("copied earlier") },
        { QStringLiteral("image/png"), QStringLiteral("image/png"), 8, QByteArrayLiteral("\x89PNG\r\n") } };
}

} // namespace

class PasteTest : public testing::Test {
protected:
    void SetUp() override
    {
        element = FakeElement::make(AX::textFieldRole.toString());
        element->attributes.insert(AX::value, original);
        element->attributes.insert(AX::selectedTextRange, TextRange { 0, 5 });
        accessibility.focused = element;
        apps.frontmost = 4242;
        clipboard.contents = userClipboard();
        // The pretend application types what a key means into the field, after
        // `reactionMs` (what it pastes is read from the clipboard at the keystroke).
        keys.onSend = [this](SyntheticKey key) {
            const QString inserted = key == SyntheticKey::paste ? clipboard.text() : QString();
            auto apply = [this, inserted] {
                QString text = std::get<QString>(element->attributes.value(AX::value));
                const auto selection = std::get<TextRange>(element->attributes.value(AX::selectedTextRange));
                text.replace(selection.location, selection.length, inserted);
                element->attributes.insert(AX::value, text);
                element->attributes.insert(
                    AX::selectedTextRange, TextRange { selection.location + inserted.size(), 0 });
            };
            if (reactionMs < 0)
                return;
            reactionMs == 0 ? apply() : clock.after(reactionMs, &targetContext, apply);
        };
    }

    void start(const TextEdit& edit)
    {
        paste.replaceSelection(
            edit, Paste::Field { element, 4242, original }, [this](Result result) { results << result; });
    }

    QString fieldText() const { return std::get<QString>(element->attributes.value(AX::value)); }
    qsizetype valueReads() const { return element->reads.count(AX::value); }

    std::shared_ptr<FakeElement> element;
    FakeAccessibility accessibility;
    FakeApps apps;
    FakeClipboard clipboard;
    FakeKeys keys;
    ManualClock clock;
    QObject targetContext;
    int reactionMs = 0; // < 0: the application ignores keys
    Paste paste { accessibility, apps, clipboard, keys, clock };
    QList<Result> results;
};

TEST_F(PasteTest, ReplacementShownAtOnceIsPastedAndTheClipboardPutBack)
{
    start({ 0, 5, QStringLiteral("They're") });

    EXPECT_EQ(results, QList<Result> { Result::pasted });
    EXPECT_EQ(keys.sent, QList<SyntheticKey> { SyntheticKey::paste });
    EXPECT_EQ(fieldText(), QStringLiteral("They're going home."));
    EXPECT_EQ(clipboard.contents, userClipboard());
    EXPECT_EQ(clipboard.restores, 1);
    EXPECT_EQ(clock.pending(), 0) << "no delayed read when the value already shows the edit";
}

TEST_F(PasteTest, DeletionSendsBackSpaceAndNeverTouchesTheClipboard)
{
    element->attributes.insert(AX::selectedTextRange, TextRange { 5, 6 });
    start({ 5, 6, QString() });

    EXPECT_EQ(results, QList<Result> { Result::pasted });
    EXPECT_EQ(keys.sent, QList<SyntheticKey> { SyntheticKey::deleteBackward });
    EXPECT_EQ(fieldText(), QStringLiteral("Their home."));
    EXPECT_EQ(clipboard.saves + clipboard.writes + clipboard.restores, 0);
    EXPECT_EQ(clipboard.count, 0u);
}

TEST_F(PasteTest, EmptyEditSendsNoKeyAndChangesNothing)
{
    // An insertion of nothing at the caret: a BackSpace would eat the character before it.
    element->attributes.insert(AX::selectedTextRange, TextRange { 5, 0 });
    start({ 5, 0, QString() });

    EXPECT_EQ(results, QList<Result> { Result::pasted });
    EXPECT_TRUE(keys.sent.isEmpty());
    EXPECT_EQ(fieldText(), original);
    EXPECT_EQ(clipboard.saves + clipboard.writes, 0);
}

TEST_F(PasteTest, BackgroundApplicationIsActivatedAndGivenTimeBeforeTheKeystroke)
{
    apps.frontmost = 7;
    start({ 0, 5, QStringLiteral("They're") });

    EXPECT_EQ(apps.activated, QList<qint64> { 4242 });
    clock.advance(Paste::activationDelayMs - 1);
    EXPECT_TRUE(keys.sent.isEmpty());
    EXPECT_EQ(clipboard.writes, 0);
    clock.advance(1);
    EXPECT_EQ(results, QList<Result> { Result::pasted });
}

TEST_F(PasteTest, SlowFieldIsReadFortyTimesThenLeftWithTheReplacementOnTheClipboard)
{
    reactionMs = -1;
    start({ 0, 5, QStringLiteral("They're") });
    const qsizetype readsAtKeystroke = valueReads() - 1; // minus the read right after it

    clock.advance(Paste::pollIntervalMs * Paste::pollAttempts - 1);
    EXPECT_TRUE(results.isEmpty());
    clock.advance(1);
    EXPECT_EQ(results, QList<Result> { Result::slow });
    EXPECT_EQ(valueReads() - readsAtKeystroke, 1 + Paste::pollAttempts);
    EXPECT_EQ(clipboard.text(), QStringLiteral("They're"));
    EXPECT_EQ(clipboard.restores, 0);
    EXPECT_EQ(clock.pending(), 0);
}

TEST_F(PasteTest, ClipboardWrittenByAnotherProgramDuringTheWaitIsLeftAlone)
{
    reactionMs = 300;
    start({ 0, 5, QStringLiteral("They're") });
    const ClipboardContents newer { { QStringLiteral("UTF8_STRING"), QStringLiteral("UTF8_STRING"), 8, "newer" } };
    clock.advance(100);
    clipboard.writeFromElsewhere(newer);
    clock.advance(199);
    EXPECT_TRUE(results.isEmpty());
    clock.advance(1); // the first read after the field changed
    EXPECT_EQ(results, QList<Result> { Result::pasted });
    EXPECT_EQ(clipboard.contents, newer);
}

// How the field moved on between the snapshot and the paste, and what that answers.
struct MovedField {
    const char* name;
    void (*arrange)(FakeElement& element, FakeAccessibility& accessibility);
    Result expected;
};

class PasteMovedFieldTest : public PasteTest, public testing::WithParamInterface<MovedField> { };

TEST_P(PasteMovedFieldTest, IsRefusedBeforeAnyKeystrokeOrClipboardWrite)
{
    element->attributes.insert(AX::selectedTextRange, TextRange { 5, 2 });
    GetParam().arrange(*element, accessibility);
    start({ 5, 2, QStringLiteral("is") });
    EXPECT_EQ(results, QList<Result> { GetParam().expected }) << "answered at once, exactly once";
    EXPECT_TRUE(keys.sent.isEmpty());
    EXPECT_EQ(clipboard.writes, 0);
    EXPECT_EQ(clock.pending(), 0);
}

INSTANTIATE_TEST_SUITE_P(Paste, PasteMovedFieldTest,
    testing::Values(MovedField { "SelectionLongerThanTheEdit",
                        [](FakeElement& e, FakeAccessibility&) {
                            e.attributes.insert(AX::selectedTextRange, TextRange { 5, 3 });
                        },
                        Result::changed },
        MovedField { "SelectionUnreadable",
            [](FakeElement& e, FakeAccessibility&) { e.attributes.remove(AX::selectedTextRange); }, Result::changed },
        MovedField { "TextChanged",
            [](FakeElement& e, FakeAccessibility&) {
                e.attributes.insert(AX::value, QStringLiteral("Their going home!"));
            },
            Result::changed },
        MovedField { "TextUnreadable", [](FakeElement& e, FakeAccessibility&) { e.attributes.remove(AX::value); },
            Result::changed },
        MovedField { "AnotherFieldFocused",
            [](FakeElement&, FakeAccessibility& a) { a.focused = FakeElement::make(AX::textFieldRole.toString()); },
            Result::notFocused },
        MovedField {
            "NothingFocused", [](FakeElement&, FakeAccessibility& a) { a.focused = nullptr; }, Result::notFocused }),
    [](const testing::TestParamInfo<MovedField>& row) { return std::string(row.param.name); });

TEST_F(PasteTest, FieldChangedWhileTheClipboardIsSavedIsRefusedAndTheClipboardPutBack)
{
    clipboard.deferred = true;
    start({ 0, 5, QStringLiteral("They're") });
    EXPECT_TRUE(results.isEmpty());
    element->attributes.insert(AX::selectedTextRange, TextRange { 0, 0 }); // the user clicks while we wait
    clipboard.runDeferred(); // the saved contents arrive, then our text is written

    EXPECT_EQ(results, QList<Result> { Result::changed });
    EXPECT_TRUE(keys.sent.isEmpty());
    EXPECT_EQ(fieldText(), original);
    EXPECT_EQ(clipboard.contents, userClipboard());
}

TEST_F(PasteTest, HeldModifiersDelayTheKeystroke)
{
    keys.heldChecks = 4;
    start({ 0, 5, QStringLiteral("They're") });
    clock.advance(3 * Paste::pollIntervalMs);
    EXPECT_TRUE(keys.sent.isEmpty());
    clock.advance(Paste::pollIntervalMs);
    EXPECT_EQ(keys.sent, QList<SyntheticKey> { SyntheticKey::paste });
    EXPECT_EQ(results, QList<Result> { Result::pasted });
}

TEST_F(PasteTest, ModifiersNeverReleasedGiveUpWithTheReplacementOnTheClipboard)
{
    keys.heldChecks = 1000;
    start({ 0, 5, QStringLiteral("They're") });
    clock.advance(Paste::pollIntervalMs * Paste::modifierAttempts);
    EXPECT_EQ(results, QList<Result> { Result::slow });
    EXPECT_TRUE(keys.sent.isEmpty());
    EXPECT_EQ(clipboard.text(), QStringLiteral("They're")) << "left for the user to paste";
}

TEST_F(PasteTest, ClipboardTakenOverBeforeTheKeystrokeIsTakenBackNotPasted)
{
    // A password manager clears the clipboard while the user still holds the shortcut's
    // modifiers: Control+V would now paste nothing over the selection.
    keys.heldChecks = 2;
    start({ 0, 5, QStringLiteral("They're") });
    clipboard.writeFromElsewhere(ClipboardContents {});
    clock.advance(2 * Paste::pollIntervalMs);
    EXPECT_EQ(results, QList<Result> { Result::pasted });
    EXPECT_EQ(fieldText(), QStringLiteral("They're going home."));
    EXPECT_EQ(clipboard.restores, 0) << "what was saved is older than what cleared it";
}

TEST_F(PasteTest, ClipboardTakenOverEveryTimeSendsNoKeystroke)
{
    // Taken over after each write: no keystroke at all, and the fix waits on the clipboard.
    keys.heldChecks = 1;
    start({ 0, 5, QStringLiteral("They're") });
    clipboard.writeFromElsewhere(ClipboardContents {});
    clipboard.deferred = true;
    clock.advance(Paste::pollIntervalMs); // taken back; the write answers later
    keys.heldChecks = 1;
    clipboard.runDeferred();
    clipboard.writeFromElsewhere(ClipboardContents {});
    clock.advance(Paste::pollIntervalMs);
    clipboard.runDeferred();
    EXPECT_EQ(results, QList<Result> { Result::slow });
    EXPECT_TRUE(keys.sent.isEmpty());
    EXPECT_EQ(fieldText(), original);
    EXPECT_EQ(clipboard.text(), QStringLiteral("They're"));
}

TEST_F(PasteTest, FailedKeystrokeEndsSlowWithTheReplacementOnTheClipboard)
{
    keys.fail = true;
    start({ 0, 5, QStringLiteral("They're") });
    EXPECT_EQ(results, QList<Result> { Result::slow });
    EXPECT_EQ(fieldText(), original);
    EXPECT_EQ(clipboard.text(), QStringLiteral("They're"));
}

TEST_F(PasteTest, ClipboardThatCannotBeOwnedEndsSlowWithoutAKeystroke)
{
    clipboard.refuseOwnership = true;
    start({ 0, 5, QStringLiteral("They're") });
    EXPECT_EQ(results, QList<Result> { Result::slow });
    EXPECT_TRUE(keys.sent.isEmpty()) << "Control+V would paste whatever else is on the clipboard";
}

TEST_F(PasteTest, ClipboardThatCouldNotBeReadKeepsTheReplacement)
{
    clipboard.contents = std::nullopt;
    start({ 0, 5, QStringLiteral("They're") });
    EXPECT_EQ(results, QList<Result> { Result::pasted });
    EXPECT_EQ(clipboard.text(), QStringLiteral("They're"));
}

TEST_F(PasteTest, EmptyClipboardIsEmptiedAgain)
{
    clipboard.contents = ClipboardContents {};
    start({ 0, 5, QStringLiteral("They're") });
    EXPECT_EQ(results, QList<Result> { Result::pasted });
    EXPECT_EQ(clipboard.contents, ClipboardContents {});
}

TEST_F(PasteTest, DestroyedPasteNeverCallsBack)
{
    reactionMs = -1;
    auto owned = std::make_unique<Paste>(accessibility, apps, clipboard, keys, clock);
    owned->replaceSelection({ 0, 5, QStringLiteral("They're") }, Paste::Field { element, 4242, original },
        [this](Result result) { results << result; });
    owned.reset();
    clock.advance(5000);
    EXPECT_TRUE(results.isEmpty());
}

TEST(PasteShows, ExpectedLengthAndReplacementInPlace)
{
    const TextEdit edit { 6, 5, QStringLiteral("are") };
    const qsizetype before = QStringLiteral("Their going home").size();
    EXPECT_TRUE(Paste::shows(QStringLiteral("Their are home"), edit, before));
    EXPECT_FALSE(Paste::shows(QStringLiteral("Their aregoing home"), edit, before)) << "inserted, not replaced";
    EXPECT_FALSE(Paste::shows(QStringLiteral("Their xyz home"), edit, before));
    EXPECT_TRUE(Paste::shows(QStringLiteral("Their home"), TextEdit { 5, 6, QString() }, before));
    EXPECT_TRUE(Paste::shows(QStringLiteral("Hi \U0001F600!"), TextEdit { 3, 3, QStringLiteral("\U0001F600") },
        QStringLiteral("Hi you!").size()))
        << "UTF-16 units";
}
