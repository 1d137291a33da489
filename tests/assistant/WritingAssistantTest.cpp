#include "assistant/WritingAssistant.h"

#include "FakeDesktopInput.h"
#include "FakeFieldScene.h"
#include "FakePointerMonitor.h"
#include "FakeTrust.h"
#include "ManualClock.h"
#include "assistant/BadgeController.h"
#include "assistant/IssuePresenter.h"
#include "assistant/RewriteController.h"
#include "grammar/GrammarChecker.h"
#include "platform/TrustCheck.h"
#include "settings/AppPolicy.h"
#include "settings/DefaultsStore.h"
#include "surfaces/FloatingPanel.h"
#include "surfaces/UnderlineOverlay.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quillcraft;
using namespace quillcraft::test;

namespace {

// Keeps every request until the test answers it.
class FakeChecker final : public GrammarChecker {
public:
    struct Request {
        QString text;
        Completion completion;
    };
    void start(ReadyHandler handler) override { onReady = std::move(handler); }
    void lint(const QString& text, Completion completion, Failure = {}) override
    {
        requests.append({ text, std::move(completion) });
    }

    ReadyHandler onReady;
    QList<Request> requests;
};

TextIssue spelling(qint64 location, const QString& word, const QString& fix)
{
    return { location, word.size(), QStringLiteral("Spelling"), QStringLiteral("Did you mean “%1”?").arg(fix), word,
        { Suggestion { Suggestion::Kind::replace, fix } } };
}

TextIssue style(qint64 location, const QString& words)
{
    return { location, words.size(), QStringLiteral("Style"), QStringLiteral("Wordy."), words,
        { Suggestion { Suggestion::Kind::remove, {} } } };
}

// The scene's editor with "Helo wrld" typed in it, watched by an assistant whose
// checker and clock are in the test's hands.
class WritingAssistantTest : public ::testing::Test {
protected:
    WritingAssistantTest()
    {
        scene.apps.frontmost = FakeFieldScene::targetPid;
        setText(QStringLiteral("Helo wrld"), 9);
        // Each word's box: 10 points per character along the field's baseline.
        scene.field->boundsForRange = [](TextRange range) -> std::optional<QRectF> {
            return QRectF(120 + 10 * range.location, 135, 10 * range.length, 18);
        };
        assistant.onStatus = [this](const WritingAssistant::Status& status) { statuses.append(status); };
        assistant.onNotice = [this](const QString& notice) { notices.append(notice); };
        assistant.start();
        checker.onReady(true);
    }

    void setText(const QString& text, qint64 caret)
    {
        scene.field->attributes.insert(AX::value, text);
        scene.field->attributes.insert(AX::selectedTextRange, TextRange { caret, 0 });
    }

    // Runs the poll until the quiet period is over and answers the lint with issues.
    void lintWith(const QList<TextIssue>& issues)
    {
        clock.advance(600);
        ASSERT_FALSE(checker.requests.isEmpty());
        const FakeChecker::Request request = checker.requests.takeLast();
        request.completion(issues);
    }

    QTemporaryDir dir;
    DefaultsStore store { dir.filePath(QStringLiteral("defaults.json")) };
    AppPolicy policy { store };
    FakeFieldScene scene;
    FakeTrust trust;
    FakeClipboard clipboard;
    FakeKeys keys;
    FakeGrabber grabber;
    FakePointerMonitor pointer;
    ManualClock clock;
    FakeChecker checker;
    QNetworkAccessManager network;
    QuillcraftClient client { &network, QUrl(QStringLiteral("http://127.0.0.1:9")) };
    AssistantServices services { scene.accessibility, scene.screens, scene.apps, trust, clipboard, keys, grabber, clock,
        nullptr, &pointer, 1 };
    WritingAssistant assistant { services, policy, checker, client };
    QList<WritingAssistant::Status> statuses;
    QStringList notices;
};

TEST_F(WritingAssistantTest, ChecksTheTextOnceItHasBeenStillForAMoment)
{
    clock.advance(250);
    EXPECT_TRUE(checker.requests.isEmpty()) << "the text was first seen just now";
    // Typing every 200 ms keeps pushing the check back.
    for (int i = 0; i < 4; ++i) {
        setText(QStringLiteral("Helo wrld") + QString(i + 1, u'!'), 10 + i);
        clock.advance(200);
    }
    EXPECT_TRUE(checker.requests.isEmpty());
    // Moving the caret alone does not restart the wait.
    scene.field->attributes.insert(AX::selectedTextRange, TextRange { 2, 0 });
    clock.advance(250);
    ASSERT_EQ(checker.requests.size(), 1);
    EXPECT_EQ(checker.requests.first().text, QStringLiteral("Helo wrld!!!!"));
    EXPECT_EQ(assistant.lintCount(), 1);

    // An answer for text the user has since changed is dropped.
    setText(QStringLiteral("Helo wrld!!!!?"), 14);
    clock.advance(250);
    checker.requests.takeFirst().completion({ spelling(0, QStringLiteral("Helo"), QStringLiteral("Hello")) });
    EXPECT_TRUE(assistant.issues().isEmpty());
    EXPECT_FALSE(assistant.linted().has_value());
    lintWith({ spelling(0, QStringLiteral("Helo"), QStringLiteral("Hello")) });
    EXPECT_EQ(assistant.visibleIssues().size(), 1);
}

TEST_F(WritingAssistantTest, TheBadgeCountsWhatStillFitsAndNeverFlickersBackToChecking)
{
    clock.advance(250);
    ASSERT_TRUE(assistant.badgeState().has_value());
    EXPECT_EQ(*assistant.badgeState(), FieldBadge::State(FieldBadge::Checking {}));
    lintWith({ spelling(0, QStringLiteral("Helo"), QStringLiteral("Hello")),
        spelling(5, QStringLiteral("wrld"), QStringLiteral("world")) });
    EXPECT_EQ(*assistant.badgeState(), FieldBadge::State(FieldBadge::Issues { 2, false }));
    EXPECT_EQ(assistant.presenter().marks().size(), 2);

    // The user corrects one word: it goes at once, the badge keeps its count until the answer.
    setText(QStringLiteral("Hello wrld"), 10);
    clock.advance(250);
    EXPECT_EQ(assistant.visibleIssues().size(), 0) << "the second issue moved by one and no longer fits";
    EXPECT_EQ(*assistant.badgeState(), FieldBadge::State(FieldBadge::Issues { 2, false }));
    lintWith({ spelling(6, QStringLiteral("wrld"), QStringLiteral("world")) });
    EXPECT_EQ(*assistant.badgeState(), FieldBadge::State(FieldBadge::Issues { 1, false }));

    setText(QStringLiteral("Hello world"), 11);
    lintWith({});
    EXPECT_EQ(*assistant.badgeState(), FieldBadge::State(FieldBadge::Clean {}));
    EXPECT_FALSE(assistant.presenter().overlay().isVisible());

    setText(QStringLiteral("Hello world very"), 16);
    lintWith({ style(12, QStringLiteral("very")) });
    EXPECT_EQ(*assistant.badgeState(), FieldBadge::State(FieldBadge::Issues { 1, true }));
}

TEST_F(WritingAssistantTest, UnderlinesAtMostEightyAndCountsTheUnmeasured)
{
    QString text;
    QList<TextIssue> found;
    for (int i = 0; i < 100; ++i) {
        found.append(spelling(text.size(), QStringLiteral("teh"), QStringLiteral("the")));
        text += QStringLiteral("teh ");
    }
    setText(text, 0);
    // The third word is scrolled out of view.
    scene.field->boundsForRange = [](TextRange range) -> std::optional<QRectF> {
        if (range.location == 8)
            return std::nullopt;
        return QRectF(120 + range.location % 280, 135, 10 * range.length, 18);
    };
    lintWith(found);
    EXPECT_EQ(assistant.presenter().marks().size(), 79);
    EXPECT_EQ(*assistant.badgeState(), FieldBadge::State(FieldBadge::Issues { 100, false }));
}

TEST_F(WritingAssistantTest, TheCardOpensAfterRestingOnAWordAndClosesAfterLeavingIt)
{
    lintWith({ spelling(0, QStringLiteral("Helo"), QStringLiteral("Hello")),
        spelling(5, QStringLiteral("wrld"), QStringLiteral("world")) });
    const QList<IssuePresenter::Mark> marks = assistant.presenter().marks();
    ASSERT_EQ(marks.size(), 2);
    FloatingPanel& card = assistant.presenter().card();

    pointer.moveTo(marks[0].rect.center());
    clock.advance(100);
    // Passing on to the next word does not restart the wait, nor change the word.
    pointer.moveTo(marks[1].rect.center());
    clock.advance(160);
    ASSERT_TRUE(card.isVisible());
    EXPECT_EQ(assistant.presenter().cardIssue()->problemText, QStringLiteral("Helo"));

    // Inside the card (or near it) it stays; away from both it closes after 0.35 s.
    pointer.moveTo(card.cardFrame().center());
    clock.advance(1000);
    EXPECT_TRUE(card.isVisible());
    pointer.moveTo(QPointF(900, 900));
    clock.advance(300);
    EXPECT_TRUE(card.isVisible());
    clock.advance(60);
    EXPECT_FALSE(card.isVisible());

    // A click on a word opens its card at once; a click elsewhere closes it.
    pointer.moveTo(marks[1].rect.center());
    pointer.pressLeft();
    EXPECT_TRUE(card.isVisible());
    EXPECT_EQ(assistant.presenter().cardIssue()->problemText, QStringLiteral("wrld"));
    pointer.moveTo(QPointF(900, 900));
    pointer.pressLeft();
    EXPECT_FALSE(card.isVisible());
}

TEST_F(WritingAssistantTest, DismissedIssuesStayHiddenInEveryFieldAndDictionaryWordsOnlyAsSpelling)
{
    const TextIssue helo = spelling(0, QStringLiteral("Helo"), QStringLiteral("Hello"));
    TextIssue repeated = helo;
    repeated.kind = QStringLiteral("Repetition");
    lintWith({ helo, spelling(5, QStringLiteral("wrld"), QStringLiteral("world")) });
    assistant.presenter().showCard(assistant.visibleIssues().at(1), QRectF(170, 135, 40, 18));
    assistant.presenter().actions.dismiss(assistant.visibleIssues().at(1));
    EXPECT_EQ(assistant.visibleIssues(), QList<TextIssue> { helo });
    EXPECT_FALSE(assistant.presenter().card().isVisible());

    // Another field with the same finding.
    auto other = FakeElement::make(QString(AX::textAreaRole));
    other->setFrame({ 120, 200, 300, 100 });
    other->setParent(scene.window);
    other->attributes.insert(AX::window, ElementRef(scene.window));
    other->attributes.insert(AX::value, QStringLiteral("Helo wrld"));
    other->attributes.insert(AX::selectedTextRange, TextRange { 0, 0 });
    scene.accessibility.focused = other;
    lintWith({ helo, spelling(5, QStringLiteral("wrld"), QStringLiteral("world")), repeated });
    EXPECT_EQ(assistant.visibleIssues(), (QList<TextIssue> { helo, repeated }));

    assistant.presenter().actions.addWord(helo);
    EXPECT_EQ(policy.dictionary(), QStringList { QStringLiteral("helo") });
    EXPECT_EQ(assistant.visibleIssues(), QList<TextIssue> { repeated });
}

TEST_F(WritingAssistantTest, ReportsEachStatusOnceAndHidesEverythingWithoutAField)
{
    clock.advance(250);
    lintWith({ spelling(0, QStringLiteral("Helo"), QStringLiteral("Hello")) });
    clock.advance(1000);
    ASSERT_FALSE(statuses.isEmpty());
    EXPECT_EQ(statuses.last(), WritingAssistant::Status::checking(QStringLiteral("Editor"), 1));
    EXPECT_EQ(statuses.count(WritingAssistant::Status::checking(QStringLiteral("Editor"), 1)), 1);
    EXPECT_TRUE(assistant.badge().isVisible());

    policy.set(false, QStringLiteral("org.example.Editor"));
    clock.advance(250);
    EXPECT_EQ(statuses.last(), WritingAssistant::Status::off(QStringLiteral("Editor")));
    EXPECT_FALSE(assistant.badge().isVisible());
    EXPECT_FALSE(assistant.presenter().overlay().isVisible());
    policy.set(true, QStringLiteral("org.example.Editor"));

    policy.pause();
    clock.advance(250);
    EXPECT_EQ(statuses.last(), WritingAssistant::Status::paused());
    policy.resume();

    trust.trusted = false;
    clock.advance(250);
    EXPECT_EQ(statuses.last(), WritingAssistant::Status::needsAccess());
    trust.trusted = true;

    // The issues survive a spell away from the field: back in it, they show at once.
    clock.advance(250);
    EXPECT_EQ(statuses.last(), WritingAssistant::Status::checking(QStringLiteral("Editor"), 1));
    EXPECT_TRUE(assistant.badge().isVisible());

    // No field, but the pointer is on the list the user is working with: it stays.
    assistant.showSuggestions();
    ASSERT_TRUE(assistant.presenter().list().isVisible());
    scene.accessibility.focused = nullptr;
    pointer.pointer = assistant.presenter().list().frame().center();
    clock.advance(250);
    EXPECT_EQ(statuses.last(), WritingAssistant::Status::idle());
    EXPECT_TRUE(assistant.presenter().list().isVisible());
    pointer.pointer = QPointF(5, 5);
    clock.advance(250);
    EXPECT_FALSE(assistant.presenter().list().isVisible());
    EXPECT_FALSE(assistant.field().has_value());
}

TEST_F(WritingAssistantTest, AcceptingAFixWritesItAndChecksAgainAtOnce)
{
    lintWith({ spelling(0, QStringLiteral("Helo"), QStringLiteral("Hello")),
        spelling(5, QStringLiteral("wrld"), QStringLiteral("world")) });
    const TextIssue helo = assistant.visibleIssues().at(0);
    const int before = checker.requests.size();
    assistant.accept(
        assistant.visibleIssues().at(1), Suggestion { Suggestion::Kind::replace, QStringLiteral("world") });
    clock.advance(400);
    EXPECT_EQ(std::get<QString>(scene.field->attributes.value(AX::value)), QStringLiteral("Helo world"));
    EXPECT_EQ(std::get<TextRange>(scene.field->attributes.value(AX::selectedTextRange)), (TextRange { 10, 0 }));
    ASSERT_GT(checker.requests.size(), before) << "the fixed text is checked without the quiet period";
    EXPECT_EQ(checker.requests.last().text, QStringLiteral("Helo world"));

    // The user changed the word before choosing the fix.
    setText(QStringLiteral("Help world"), 4);
    assistant.accept(helo, helo.suggestions.first());
    EXPECT_EQ(notices.last(), QStringLiteral("The text changed, so that fix was skipped."));
    EXPECT_EQ(std::get<QString>(scene.field->attributes.value(AX::value)), QStringLiteral("Help world"));
}

TEST_F(WritingAssistantTest, TheShortcutChoosesBetweenTheRewriteCardAndTheList)
{
    trust.trusted = false;
    assistant.openFromShortcut();
    EXPECT_EQ(notices.last(), QStringLiteral("Allow Accessibility access first."));
    trust.trusted = true;

    // "wrld" highlighted: the card opens for it, and ticks leave the field alone.
    scene.field->attributes.insert(AX::selectedTextRange, TextRange { 5, 4 });
    assistant.openFromShortcut();
    ASSERT_TRUE(assistant.rewrite().isVisible());
    EXPECT_EQ(assistant.rewrite().target()->source, QStringLiteral("wrld"));
    EXPECT_EQ(assistant.rewrite().phaseName(), QStringLiteral("choosing"));
    const int requests = checker.requests.size();
    setText(QStringLiteral("Something else"), 3);
    clock.advance(1000);
    EXPECT_EQ(checker.requests.size(), requests);
    EXPECT_EQ(assistant.field()->text(), QStringLiteral("Helo wrld"));
    EXPECT_TRUE(assistant.state().value(QStringLiteral("rewrite")).toBool());

    // Pressed again, it closes the card.
    assistant.openFromShortcut();
    EXPECT_FALSE(assistant.rewrite().isVisible());
    EXPECT_EQ(assistant.rewrite().phaseName(), QStringLiteral("none"));

    // Nothing highlighted but issues found: the list.
    setText(QStringLiteral("Helo wrld"), 9);
    lintWith({ spelling(0, QStringLiteral("Helo"), QStringLiteral("Hello")) });
    assistant.openFromShortcut();
    EXPECT_TRUE(assistant.presenter().list().isVisible());

    // No field anywhere.
    scene.accessibility.focused = nullptr;
    clock.advance(250);
    assistant.openFromShortcut();
    EXPECT_EQ(notices.last(), QStringLiteral("Click into a text field, highlight some text, then press Ctrl+Alt+R."));
}

TEST_F(WritingAssistantTest, AnApplicationHidingItsWindowsIsNamedOnceUnlessItWasOnlyStarting)
{
    const qint64 browser = 5151;
    scene.apps.running.append({ browser, QStringLiteral("chromium-like"), QStringLiteral("Browser") });
    scene.accessibility.focused = nullptr;
    scene.accessibility.enableResult = AXError::apiDisabled;

    // A program that shows its windows within the grace period is never named.
    scene.apps.frontmost = browser;
    clock.advance(1000);
    scene.accessibility.enableResult = AXError::success;
    clock.advance(3000);
    EXPECT_TRUE(notices.isEmpty());
    const int asked = scene.accessibility.enableCalls;
    clock.advance(1000);
    EXPECT_EQ(scene.accessibility.enableCalls, asked) << "asked again although it answered";

    // One that keeps them hidden is named once, however long it stays in front.
    const qint64 hiding = 5252;
    scene.apps.running.append({ hiding, QStringLiteral("electron-like"), QStringLiteral("Chat") });
    scene.accessibility.enableResult = AXError::apiDisabled;
    scene.apps.frontmost = hiding;
    clock.advance(10000);
    ASSERT_EQ(notices.size(), 1);
    EXPECT_EQ(notices.first(),
        QStringLiteral("Chat shows its windows to Quillcraft only when it is started with "
                       "--force-renderer-accessibility."));
    scene.apps.frontmost = FakeFieldScene::targetPid;
    clock.advance(500);
    scene.apps.frontmost = hiding;
    clock.advance(5000);
    EXPECT_EQ(notices.size(), 1);
}

TEST_F(WritingAssistantTest, TheStateFileHoldsTheTwentyThreeKeys)
{
    const QString path = dir.filePath(QStringLiteral("state.json"));
    assistant.setStateFile(path);
    lintWith({ spelling(0, QStringLiteral("Helo"), QStringLiteral("Hello")) });
    policy.setBadgeHidden(true, QStringLiteral("org.example.Editor"));
    clock.advance(250);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.permissions() & (QFile::ReadGroup | QFile::ReadOther), 0) << "it holds the field's text";
    const QJsonObject state = QJsonDocument::fromJson(file.readAll()).object();
    EXPECT_EQ(state.size(), 23);
    EXPECT_EQ(state.value(QStringLiteral("status")).toString(), QStringLiteral("checking(app: \"Editor\", fixes: 1)"));
    EXPECT_EQ(state.value(QStringLiteral("fixes")).toArray(), QJsonArray { QStringLiteral("Helo") });
    EXPECT_EQ(state.value(QStringLiteral("badge")).toString(), QStringLiteral("hidden"));
    EXPECT_EQ(state.value(QStringLiteral("badgeFrame")).toArray().size(), 4);
    EXPECT_EQ(state.value(QStringLiteral("marks")).toArray().size(), 1);
    EXPECT_EQ(state.value(QStringLiteral("frontmost")).toString(), QStringLiteral("org.example.Editor"));
    EXPECT_EQ(state.value(QStringLiteral("rewritePhase")).toString(), QStringLiteral("none"));
    EXPECT_EQ(state.value(QStringLiteral("accessibilityPid")).toInteger(), FakeFieldScene::targetPid);
}

TEST_F(WritingAssistantTest, TheStateFileShowsTheUnderlinesWhenTheAnswerArrives)
{
    const QString path = dir.filePath(QStringLiteral("state.json"));
    assistant.setStateFile(path);
    lintWith({ spelling(0, QStringLiteral("Helo"), QStringLiteral("Hello")) });

    // No poll since the answer: automation timing the underline must not wait for one.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject state = QJsonDocument::fromJson(file.readAll()).object();
    EXPECT_EQ(state.value(QStringLiteral("fixes")).toArray(), QJsonArray { QStringLiteral("Helo") });
    EXPECT_EQ(state.value(QStringLiteral("marks")).toArray().size(), 1);
}

} // namespace
