// Writing edits back against a fake field, clipboard and keyboard on a manual
// clock: which path an edit takes, the one notice each failure ends in, what is
// left on the clipboard, and fix all stopping when the user's text moved.

#include "FakeDesktopInput.h"
#include "FakeFieldScene.h"
#include "ManualClock.h"
#include "Printers.h"

#include "assistant/FocusedField.h"
#include "assistant/writeback/EditApplier.h"

#include <gtest/gtest.h>

using namespace quillcraft;
using namespace quillcraft::test;

namespace {

// Longer than any wait of a write, a paste or their read-backs.
constexpr qint64 allWaits = 5000;

const QString misspelt = QStringLiteral("Thier dog and thier cat saw thier toy.");
const QString spelt = QStringLiteral("Their dog and their cat saw their toy.");
// Fix all's plan for `misspelt`: right to left.
const QList<TextEdit> threeFixes { { 28, 5, QStringLiteral("their") }, { 14, 5, QStringLiteral("their") },
    { 0, 5, QStringLiteral("Their") } };

ClipboardContents userClipboard()
{
    return { { QStringLiteral("UTF8_STRING"), QStringLiteral("UTF8_STRING"), 8, QByteArrayLiteral("copied earlier") } };
}

class EditApplierTest : public testing::Test, protected FakeFieldScene {
protected:
    void SetUp() override
    {
        setText(misspelt);
        apps.frontmost = targetPid;
        clipboard.contents = userClipboard();
        applier.onNotice = [this](const QString& notice) { notices << notice; };
        // The pretend application types a key into the field after `reactionMs`
        // (never when negative), remembering which range each key replaced.
        keys.onSend = [this](SyntheticKey key) {
            const QString inserted = key == SyntheticKey::paste ? clipboard.text() : QString();
            keyRanges << selection();
            auto type = [this, inserted] {
                const TextRange range = selection();
                setText(text().replace(range.location, range.length, inserted));
                field->attributes.insert(AX::selectedTextRange, TextRange { range.location + inserted.size(), 0 });
            };
            if (reactionMs == 0)
                type();
            else if (reactionMs > 0)
                clock.after(reactionMs, &target, type);
        };
    }

    std::optional<FocusedField> snapshot()
    {
        FieldSources sources;
        sources.accessibility = &accessibility;
        sources.screens = &screens;
        sources.apps = &apps;
        return FocusedField::current(sources);
    }

    // Applies one edit to a fresh snapshot and runs the clock out.
    std::optional<bool> apply(const TextEdit& edit)
    {
        const auto taken = snapshot();
        EXPECT_TRUE(taken);
        std::optional<bool> result;
        applier.apply(edit, *taken, [&result](bool placed) { result = placed; });
        clock.advance(allWaits);
        EXPECT_FALSE(applier.isApplying());
        return result;
    }

    std::optional<bool> fixAll(const QList<TextEdit>& edits)
    {
        const auto taken = snapshot();
        EXPECT_TRUE(taken);
        std::optional<bool> result;
        applier.applyInOrder(edits, *taken, [&result](bool all) { result = all; });
        clock.advance(allWaits);
        EXPECT_FALSE(applier.isApplying());
        return result;
    }

    // The accessibility write is refused outright, as by a read-only text interface.
    void refuseAccessibilityWrites()
    {
        field->onSet = [this](const QString& attribute, const AXValue& value) {
            if (attribute == AX::selectedText)
                return AXError::notImplemented;
            field->attributes.insert(attribute, value);
            return AXError::success;
        };
    }

    void refuseSelecting()
    {
        field->onSet = [](const QString&, const AXValue&) { return AXError::failure; };
    }

    // The user edits the text while the caret is being put after a written fix.
    void typeAfterWriteEnding(qint64 caret, std::function<void()> typing)
    {
        // Not there already, or taking the snapshot would set it off.
        field->attributes.insert(AX::selectedTextRange, TextRange { 0, 0 });
        field->beforeRead = [this, caret, typing = std::move(typing)](const QString& attribute) {
            if (attribute == AX::selectedTextRange && selection() == TextRange { caret, 0 }) {
                const std::function<void()> once = typing; // this hook dies on the next line
                field->beforeRead = nullptr;
                once();
            }
        };
    }

    QString text() const { return std::get<QString>(field->attributes.value(AX::value)); }
    void setText(const QString& value) { field->attributes.insert(AX::value, value); }
    TextRange selection() const { return std::get<TextRange>(field->attributes.value(AX::selectedTextRange)); }
    bool accessibilityWriteTried() const { return field->sets.contains(QString(AX::selectedText)); }

    ManualClock clock;
    FakeClipboard clipboard;
    FakeKeys keys;
    QObject target;
    int reactionMs = 0;
    QList<TextRange> keyRanges;
    QStringList notices;
    EditApplier applier { accessibility, apps, clipboard, keys, clock };
};

} // namespace

TEST_F(EditApplierTest, AccessibilityWriteLeavesTheCaretAfterTheReplacement)
{
    EXPECT_EQ(apply({ 14, 5, QStringLiteral("their") }), true);
    EXPECT_EQ(text(), QStringLiteral("Thier dog and their cat saw thier toy."));
    EXPECT_EQ(selection(), (TextRange { 19, 0 }));
    EXPECT_TRUE(keys.sent.isEmpty());
    EXPECT_EQ(clipboard.writes, 0);
    EXPECT_TRUE(notices.isEmpty());
}

TEST_F(EditApplierTest, TextChangedSinceTheSnapshotIsNeverWrittenOver)
{
    for (const bool paste : { false, true }) {
        applier.setForcePaste(paste);
        setText(misspelt);
        const auto taken = snapshot();
        ASSERT_TRUE(taken);
        setText(QStringLiteral("Thier dog and thiier cat saw thier toy."));
        field->sets.clear();
        std::optional<bool> result;
        applier.apply({ 14, 5, QStringLiteral("their") }, *taken, [&result](bool placed) { result = placed; });
        clock.advance(allWaits);

        EXPECT_EQ(result, false) << "paste path: " << paste;
        EXPECT_EQ(notices, QStringList { QStringLiteral("The text changed, so that edit was skipped.") });
        EXPECT_EQ(text(), QStringLiteral("Thier dog and thiier cat saw thier toy."));
        EXPECT_TRUE(field->sets.isEmpty()) << "neither the text nor the user's caret was touched";
        EXPECT_TRUE(keys.sent.isEmpty());
        notices.clear();
    }
    // An edit that does not even fit the snapshot was made for another text.
    EXPECT_EQ(apply({ 30, 20, QStringLiteral("x") }), false);
    EXPECT_EQ(notices, QStringList { QStringLiteral("The text changed, so that edit was skipped.") });
}

TEST_F(EditApplierTest, RefusedAccessibilityWriteFallsBackToPasting)
{
    refuseAccessibilityWrites();
    EXPECT_EQ(apply({ 14, 5, QStringLiteral("their") }), true);
    EXPECT_EQ(text(), QStringLiteral("Thier dog and their cat saw thier toy."));
    EXPECT_EQ(keys.sent, QList<SyntheticKey> { SyntheticKey::paste });
    EXPECT_EQ(keyRanges, QList<TextRange> { (TextRange { 14, 5 }) });
    EXPECT_EQ(clipboard.contents, userClipboard()) << "the user's clipboard came back";
    EXPECT_TRUE(notices.isEmpty());
}

TEST_F(EditApplierTest, WebContentForcedPasteAndPreferredPasteSkipTheAccessibilityWrite)
{
    auto webArea = FakeElement::make(QString(AX::webAreaRole));
    webArea->setParent(window);
    field->setParent(webArea);
    EXPECT_EQ(apply({ 0, 5, QStringLiteral("Their") }), true);
    EXPECT_FALSE(accessibilityWriteTried());
    EXPECT_EQ(keys.sent.size(), 1);

    field->setParent(window);
    applier.setForcePaste(true);
    EXPECT_EQ(apply({ 14, 5, QStringLiteral("their") }), true);
    EXPECT_FALSE(accessibilityWriteTried());
    EXPECT_EQ(keys.sent.size(), 2);

    applier.setForcePaste(false);
    bool preferred = true;
    applier.prefersPaste = [&preferred](const FocusedField&) { return preferred; };
    EXPECT_EQ(apply({ 28, 5, QStringLiteral("their") }), true);
    EXPECT_FALSE(accessibilityWriteTried());
    EXPECT_EQ(keys.sent.size(), 3);
    EXPECT_EQ(text(), spelt);

    preferred = false;
    EXPECT_EQ(apply({ 0, 5, QStringLiteral("THEIR") }), true);
    EXPECT_TRUE(accessibilityWriteTried());
    EXPECT_EQ(keys.sent.size(), 3);
}

TEST_F(EditApplierTest, UnselectableRangeLeavesTheFixOnTheClipboard)
{
    apps.running.first().name.clear();
    applier.setForcePaste(true);
    refuseSelecting();
    EXPECT_EQ(apply({ 14, 5, QStringLiteral("their") }), false);
    EXPECT_EQ(clipboard.text(), QStringLiteral("their"));
    EXPECT_EQ(notices,
        QStringList {
            QStringLiteral("Copied. this app did not let Quillcraft place the text, so paste it with Ctrl+V.") });
    EXPECT_TRUE(keys.sent.isEmpty());
    EXPECT_EQ(text(), misspelt);

    // "Copied" only when it was.
    notices.clear();
    clipboard.refuseOwnership = true;
    EXPECT_EQ(apply({ 14, 5, QStringLiteral("their") }), false);
    EXPECT_EQ(notices,
        QStringList {
            QStringLiteral("this app did not let Quillcraft place the text, and the clipboard could not be used.") });

    // A deletion has nothing to paste by hand: the user's clipboard stays.
    notices.clear();
    clipboard.refuseOwnership = false;
    clipboard.contents = userClipboard();
    const int writes = clipboard.writes;
    EXPECT_EQ(apply({ 5, 4, QString() }), false);
    EXPECT_EQ(notices,
        QStringList { QStringLiteral("this app did not let Quillcraft change the text, so that edit was skipped.") });
    EXPECT_EQ(clipboard.writes, writes);
    EXPECT_EQ(clipboard.contents, userClipboard());
}

TEST_F(EditApplierTest, PasteOutcomesEachEndInOneNotice)
{
    applier.setForcePaste(true);
    const TextEdit fix { 14, 5, QStringLiteral("their") };

    // The field lost focus before the keystroke.
    {
        const auto taken = snapshot();
        ASSERT_TRUE(taken);
        accessibility.focused = FakeElement::make(QString(AX::textFieldRole));
        std::optional<bool> result;
        applier.apply(fix, *taken, [&result](bool placed) { result = placed; });
        clock.advance(allWaits);
        EXPECT_EQ(result, false);
        EXPECT_EQ(clipboard.text(), QStringLiteral("their"));
        EXPECT_EQ(notices, QStringList { QStringLiteral("Copied. The field lost focus, so paste it with Ctrl+V.") });
        accessibility.focused = field;
    }

    // The user moved the selection while the application was being activated.
    notices.clear();
    apps.frontmost = 1;
    {
        const auto taken = snapshot();
        ASSERT_TRUE(taken);
        std::optional<bool> result;
        applier.apply(fix, *taken, [&result](bool placed) { result = placed; });
        field->attributes.insert(AX::selectedTextRange, TextRange { 3, 0 });
        clock.advance(allWaits);
        EXPECT_EQ(result, false);
        EXPECT_EQ(notices, QStringList { QStringLiteral("The text or selection changed, so that edit was skipped.") });
        EXPECT_TRUE(keys.sent.isEmpty());
    }
    apps.frontmost = targetPid;

    // The application ignores the keystroke: the fix waits on the clipboard.
    notices.clear();
    reactionMs = -1;
    EXPECT_EQ(apply(fix), false);
    EXPECT_EQ(notices,
        QStringList {
            QStringLiteral("Editor did not paste as expected. Check the text. The fix is on your clipboard.") });
    EXPECT_EQ(clipboard.text(), QStringLiteral("their"));
    EXPECT_EQ(text(), misspelt);

    // Nothing could take the clipboard: the notice does not promise the fix is there.
    notices.clear();
    clipboard.refuseOwnership = true;
    EXPECT_EQ(apply(fix), false);
    EXPECT_EQ(notices, QStringList { QStringLiteral("Editor did not paste as expected. Check the text.") });
}

TEST_F(EditApplierTest, RemovalThroughPasteSendsBackSpaceAndNeverTouchesTheClipboard)
{
    applier.setForcePaste(true);
    EXPECT_EQ(apply({ 5, 4, QString() }), true);
    EXPECT_EQ(text(), QStringLiteral("Thier and thier cat saw thier toy."));
    EXPECT_EQ(keys.sent, QList<SyntheticKey> { SyntheticKey::deleteBackward });

    reactionMs = -1;
    EXPECT_EQ(apply({ 5, 4, QString() }), false);
    EXPECT_EQ(notices, QStringList { QStringLiteral("Editor did not respond. Check the text.") });

    notices.clear();
    const auto taken = snapshot();
    ASSERT_TRUE(taken);
    accessibility.focused = FakeElement::make(QString(AX::textFieldRole));
    applier.apply({ 5, 4, QString() }, *taken, {});
    clock.advance(allWaits);
    EXPECT_EQ(notices, QStringList { QStringLiteral("The field lost focus, so that edit was skipped.") });

    EXPECT_EQ(clipboard.writes + clipboard.saves, 0);
    EXPECT_EQ(clipboard.contents, userClipboard());
}

TEST_F(EditApplierTest, WriteThatLandsDifferentlyAsksTheUserToCheck)
{
    field->onSet = [this](const QString& attribute, const AXValue& value) {
        if (attribute == AX::selectedText)
            setText(QStringLiteral("Thier dog and their their cat saw thier toy."));
        else
            field->attributes.insert(attribute, value);
        return AXError::success;
    };
    // An application's name is its own, even when it holds a word that is reworded elsewhere.
    apps.running.first().name = QStringLiteral("System Settings");
    EXPECT_EQ(apply({ 14, 5, QStringLiteral("their") }), false);
    EXPECT_EQ(notices,
        QStringList { QStringLiteral("System Settings changed the text differently than expected. Check it.") });
    EXPECT_TRUE(keys.sent.isEmpty()) << "text that changed in an unknown way is not pasted into";
}

TEST_F(EditApplierTest, SecondWriteWhileOneRunsIsIgnored)
{
    applier.setForcePaste(true);
    reactionMs = 120;
    const auto taken = snapshot();
    ASSERT_TRUE(taken);
    QList<bool> results;
    applier.apply(threeFixes[0], *taken, [&results](bool placed) { results << placed; });
    ASSERT_TRUE(applier.isApplying());

    applier.apply(threeFixes[1], *taken, [&results](bool placed) { results << placed; });
    applier.applyInOrder(threeFixes, *taken, [&results](bool placed) { results << placed; });
    clock.advance(allWaits);
    EXPECT_EQ(results, QList<bool> { true });
    EXPECT_EQ(keys.sent.size(), 1);
    EXPECT_EQ(text(), QStringLiteral("Thier dog and thier cat saw their toy."));
    EXPECT_FALSE(applier.isApplying());

    // A write may start the next one from its completion.
    const auto fresh = snapshot();
    ASSERT_TRUE(fresh);
    applier.apply(threeFixes[1], *fresh,
        [&](bool) { applier.apply(threeFixes[2], *snapshot(), [&results](bool placed) { results << placed; }); });
    clock.advance(allWaits);
    EXPECT_EQ(results, (QList<bool> { true, true }));
    EXPECT_EQ(text(), spelt);
}

TEST_F(EditApplierTest, FixAllWritesFromRightToLeftAndHoldsTheFlagThroughout)
{
    applier.setForcePaste(true);
    reactionMs = 20;
    const auto taken = snapshot();
    ASSERT_TRUE(taken);
    std::optional<bool> result;
    QList<bool> applyingBetween;
    applier.applyInOrder(threeFixes, *taken, [&result](bool all) { result = all; });
    for (int i = 0; i < 20 && !result; ++i) {
        applyingBetween << applier.isApplying();
        clock.advance(50);
    }
    EXPECT_EQ(result, true);
    EXPECT_EQ(text(), spelt);
    EXPECT_EQ(keyRanges, (QList<TextRange> { { 28, 5 }, { 14, 5 }, { 0, 5 } }));
    EXPECT_FALSE(applyingBetween.contains(false));
    EXPECT_FALSE(applier.isApplying());
    EXPECT_TRUE(notices.isEmpty());

    // The same through accessibility writes.
    setText(misspelt);
    EXPECT_EQ(fixAll(threeFixes), true);
    EXPECT_EQ(text(), spelt);
    EXPECT_EQ(fixAll({}), true);
}

TEST_F(EditApplierTest, FixAllGoesOnWhenTheRemainingFixesAreUntouched)
{
    // After the rightmost fix, the user adds to the end of the text.
    typeAfterWriteEnding(33, [this] { setText(text() + QStringLiteral(" Yes.")); });
    EXPECT_EQ(fixAll(threeFixes), true);
    EXPECT_EQ(text(), spelt + QStringLiteral(" Yes."));

    // Or changes a word between the fixes without moving them.
    setText(misspelt);
    typeAfterWriteEnding(33, [this] { setText(text().replace(6, 3, QStringLiteral("cat"))); });
    EXPECT_EQ(fixAll(threeFixes), true);
    EXPECT_EQ(text(), QStringLiteral("Their cat and their cat saw their toy."));

    // Or types between two fixes, right of the next one.
    setText(misspelt);
    typeAfterWriteEnding(33, [this] { setText(text().insert(20, QStringLiteral("black "))); });
    EXPECT_EQ(fixAll(threeFixes), true);
    EXPECT_EQ(text(), QStringLiteral("Their dog and their black cat saw their toy."));
    EXPECT_TRUE(notices.isEmpty());
}

TEST_F(EditApplierTest, FixAllStopsWhenTheTextAtALaterFixChanged)
{
    const QString stopped = QStringLiteral("Applied 1 of 3 fixes. The text changed, so the rest were skipped.");
    const struct {
        const char* what;
        qint64 at;
        qint64 removed;
        QString typed;
    } cases[] {
        { "typed at the start", 0, 0, QStringLiteral("So ") },
        { "typed inside a later fix", 16, 0, QStringLiteral("i") },
        { "deleted across a later fix", 12, 4, QString() },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        setText(misspelt);
        notices.clear();
        QString expected;
        typeAfterWriteEnding(33, [&] {
            setText(text().replace(c.at, c.removed, c.typed));
            expected = text();
        });
        EXPECT_EQ(fixAll(threeFixes), false);
        EXPECT_EQ(notices, QStringList { stopped });
        EXPECT_EQ(text(), expected);
    }
}

TEST_F(EditApplierTest, FixAllStopsAtAFailedWriteOrAFieldThatCannotBeRead)
{
    // The field goes away after the first fix, with two still to come.
    typeAfterWriteEnding(33, [this] { field->attributes.remove(AX::value); });
    EXPECT_EQ(fixAll(threeFixes), false);
    EXPECT_EQ(notices, QStringList { QStringLiteral("Applied 1 of 3 fixes. Check the text.") });

    // After the last one there is nothing left to miss.
    notices.clear();
    setText(misspelt);
    typeAfterWriteEnding(5, [this] { field->attributes.remove(AX::value); });
    EXPECT_EQ(fixAll(threeFixes), true);
    EXPECT_TRUE(notices.isEmpty());

    // A failed write says why itself, and nothing follows it.
    notices.clear();
    setText(misspelt);
    applier.setForcePaste(true);
    reactionMs = -1;
    EXPECT_EQ(fixAll(threeFixes), false);
    EXPECT_EQ(notices,
        QStringList {
            QStringLiteral("Editor did not paste as expected. Check the text. The fix is on your clipboard.") });
    EXPECT_EQ(keys.sent.size(), 1);
}

TEST_F(EditApplierTest, CopyPutsPlainTextOnTheClipboard)
{
    applier.copy(QStringLiteral("A better sentence."), QStringLiteral("Copied the rewrite."));
    EXPECT_EQ(clipboard.text(), QStringLiteral("A better sentence."));
    EXPECT_EQ(notices, QStringList { QStringLiteral("Copied the rewrite.") });

    notices.clear();
    clipboard.refuseOwnership = true;
    applier.copy(QStringLiteral("Another."), QStringLiteral("Copied. The field closed, so paste it with ⌘V."));
    EXPECT_EQ(notices, QStringList { QStringLiteral("Quillcraft could not put the text on the clipboard.") });

    notices.clear();
    clipboard.refuseOwnership = false;
    applier.copy(QStringLiteral("Another."), QStringLiteral("Copied. The field closed, so paste it with ⌘V."));
    EXPECT_EQ(notices, QStringList { QStringLiteral("Copied. The field closed, so paste it with Ctrl+V.") });
}
