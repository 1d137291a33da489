// The desktop program itself against the Qt and GTK targets: underlines and the
// badge as the user types, the card and the list, fixes written into the field,
// a rewrite streamed from the stand-in service, and a target that goes away or
// freezes. Runs inside tests/e2e/session.sh; reads the program's state file.

#include "E2eSupport.h"
#include "Program.h"
#include "StandInService.h"
#include "Wait.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <signal.h>

using namespace quillcraft::e2e;
using quillcraft::test::waitUntil;

namespace {

// Height of the harness's only screen: state-file geometry is bottom-left based.
constexpr int screenHeight = 1024;
const QString mistakes = QStringLiteral("I has wrote a note tomorow.");

QPoint onScreen(const QJsonArray& bottomLeftRect)
{
    const double x = bottomLeftRect.at(0).toDouble();
    const double y = bottomLeftRect.at(1).toDouble();
    const double width = bottomLeftRect.at(2).toDouble();
    const double height = bottomLeftRect.at(3).toDouble();
    return QPoint(int(x + width / 2), int(screenHeight - y - height / 2));
}

QPoint markPoint(const QJsonArray& mark)
{
    // Marks are [midX, midY, width, height].
    return QPoint(int(mark.at(0).toDouble()), int(screenHeight - mark.at(1).toDouble()));
}

const QString binary = QStringLiteral(QUILLCRAFT_BINARY);

bool lists(const QJsonObject& state, const QString& key, const QString& text)
{
    return state.value(key).toArray().contains(QJsonValue(text));
}

class AssistantE2eTest : public ::testing::TestWithParam<Toolkit> {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(service.originText().isEmpty()) << "the stand-in service did not start";
        ASSERT_TRUE(target.start());
    }

    // Starts the program, types text into the target's line field and waits for its findings.
    QJsonObject typeAndCheck(Program& program, const QString& text, const QString& finding)
    {
        if (!program.waitFor([](const QJsonObject&) { return true; }, 20000).isEmpty() && target.focus(lineField)
            && pressKeys(QStringLiteral("ctrl+a")) && typeText(text)) {
            // The engine's first start can take a while on a loaded machine.
            const QJsonObject checked = program.waitFor(
                [&](const QJsonObject& state) {
                    return lists(state, QStringLiteral("fixes"), finding)
                        && state.value(QStringLiteral("marks")).toArray().size()
                        == state.value(QStringLiteral("fixes")).toArray().size()
                        && state.value(QStringLiteral("badge")).toString().startsWith(QStringLiteral("issues("));
                },
                40000);
            if (checked.isEmpty()) {
                ADD_FAILURE() << "never checked; field " << fieldText().toStdString() << ", state "
                              << QJsonDocument(program.state()).toJson(QJsonDocument::Compact).toStdString();
            }
            return checked;
        }
        return {};
    }

    // Rests the pointer on the underline of finding and waits for its card.
    bool openCard(Program& program, const QJsonObject& state, const QString& finding)
    {
        const qsizetype index = state.value(QStringLiteral("fixes")).toArray().toVariantList().indexOf(finding);
        if (index < 0)
            return false;
        const QPoint point = markPoint(state.value(QStringLiteral("marks")).toArray().at(index).toArray());
        movePointer(point);
        const bool shown
            = !program.waitFor([](const QJsonObject& s) { return s.value(QStringLiteral("card")).toBool(); }, 5000)
                   .isEmpty();
        if (!shown) {
            ADD_FAILURE() << "no card after resting at " << point.x() << "," << point.y() << " in "
                          << QJsonDocument(program.state()).toJson(QJsonDocument::Compact).toStdString();
        }
        return shown;
    }

    static bool clickNamed(const Program& program, const QString& name) { return clickSettled(program.pid(), name); }

    QString fieldText() const { return target.text(lineField).value_or(QString()); }

    StandInService service;
    TargetApp target { GetParam() };
};

TEST_P(AssistantE2eTest, UnderlinesAsYouTypeAndWritesTheFixChosenOnTheCard)
{
    Program program(binary, service.originText());
    const QJsonObject state = typeAndCheck(program, mistakes, QStringLiteral("tomorow"));
    ASSERT_FALSE(state.isEmpty()) << program.state().value(QStringLiteral("fixes")).toArray().size();
    EXPECT_EQ(state.value(QStringLiteral("status")).toString().left(9), QStringLiteral("checking("));
    EXPECT_EQ(state.value(QStringLiteral("badgeFrame")).toArray().size(), 4);

    ASSERT_TRUE(openCard(program, state, QStringLiteral("tomorow")));
    ASSERT_TRUE(clickNamed(program, QStringLiteral("Accept tomorrow")));
    EXPECT_TRUE(waitUntil([&] { return fieldText() == QStringLiteral("I has wrote a note tomorrow."); }, 5000))
        << fieldText().toStdString();
    EXPECT_TRUE(target.isFocused(lineField)) << "the field keeps the keyboard";
    // The caret sits right after the fix: typing goes there.
    ASSERT_TRUE(typeText(QStringLiteral("!")));
    EXPECT_TRUE(waitUntil([&] { return fieldText() == QStringLiteral("I has wrote a note tomorrow!."); }, 5000))
        << fieldText().toStdString();
    const QJsonObject after = program.waitFor([](const QJsonObject& s) {
        return !lists(s, QStringLiteral("fixes"), QStringLiteral("tomorow"))
            && !s.value(QStringLiteral("card")).toBool();
    });
    EXPECT_FALSE(after.isEmpty());
}

TEST_P(AssistantE2eTest, FixesEverythingFromTheBadgesList)
{
    Program program(binary, service.originText());
    const QJsonObject state = typeAndCheck(program, mistakes, QStringLiteral("tomorow"));
    ASSERT_FALSE(state.isEmpty());
    const qsizetype count = state.value(QStringLiteral("fixes")).toArray().size();
    ASSERT_TRUE(clickAt(onScreen(state.value(QStringLiteral("badgeFrame")).toArray())));
    ASSERT_FALSE(
        program.waitFor([](const QJsonObject& s) { return s.value(QStringLiteral("list")).toBool(); }).isEmpty());
    if (count > 1) {
        ASSERT_TRUE(clickNamed(program, QStringLiteral("Accept all %1").arg(count)));
    } else {
        ASSERT_TRUE(clickNamed(program, QStringLiteral("Accept")));
    }
    EXPECT_TRUE(waitUntil([&] { return !fieldText().contains(QStringLiteral("tomorow")); }, 10000));
    const QJsonObject after = program.waitFor([](const QJsonObject& s) {
        return !s.value(QStringLiteral("list")).toBool()
            && !lists(s, QStringLiteral("fixes"), QStringLiteral("tomorow"));
    });
    EXPECT_FALSE(after.isEmpty()) << fieldText().toStdString();
}

TEST_P(AssistantE2eTest, TypingDuringFixAllKeepsWhatTheUserTyped)
{
    // Pasting makes each fix slow enough to type into the middle of the chain.
    Program program(binary, service.originText(), { QStringLiteral("QUILLCRAFT_FORCE_PASTE=1") });
    const QJsonObject state
        = typeAndCheck(program, QStringLiteral("Teh cat sat on teh mat and teh dog."), QStringLiteral("teh"));
    ASSERT_FALSE(state.isEmpty());
    const qsizetype count = state.value(QStringLiteral("fixes")).toArray().size();
    ASSERT_GE(count, 2);
    ASSERT_TRUE(clickAt(onScreen(state.value(QStringLiteral("badgeFrame")).toArray())));
    ASSERT_FALSE(
        program.waitFor([](const QJsonObject& s) { return s.value(QStringLiteral("list")).toBool(); }).isEmpty());
    ASSERT_TRUE(clickNamed(program, QStringLiteral("Accept all %1").arg(count)));
    ASSERT_TRUE(xdotool({ QStringLiteral("type"), QStringLiteral("Z") }));
    EXPECT_TRUE(waitUntil([&] { return fieldText().contains(u'Z'); }, 5000)) << fieldText().toStdString();
    // Settled: either the chain finished before the keystroke or it stopped with a notice.
    quillcraft::test::spin(3000);
    EXPECT_TRUE(fieldText().contains(u'Z')) << fieldText().toStdString();
    const QString notice = program.state().value(QStringLiteral("notice")).toString();
    // A keystroke inside a paste that is being watched makes it "not as expected".
    EXPECT_TRUE(notice.isEmpty() || notice.startsWith(QStringLiteral("Applied "))
        || notice.startsWith(QStringLiteral("The text")) || notice.contains(QStringLiteral("Check the text.")))
        << notice.toStdString();
}

TEST_P(AssistantE2eTest, DismissAndDictionaryHideAFinding)
{
    Program program(binary, service.originText());
    QJsonObject state = typeAndCheck(program, QStringLiteral("A note tomorow about teh plan."), QStringLiteral("teh"));
    ASSERT_FALSE(state.isEmpty());
    ASSERT_TRUE(openCard(program, state, QStringLiteral("teh")));
    ASSERT_TRUE(clickNamed(program, QStringLiteral("Dismiss")));
    state = program.waitFor([](const QJsonObject& s) {
        return !lists(s, QStringLiteral("fixes"), QStringLiteral("teh")) && !s.value(QStringLiteral("card")).toBool();
    });
    ASSERT_FALSE(state.isEmpty());

    ASSERT_TRUE(openCard(program, state, QStringLiteral("tomorow")));
    ASSERT_TRUE(clickNamed(program, QStringLiteral("Add “tomorow” to dictionary")));
    EXPECT_FALSE(
        program
            .waitFor([](const QJsonObject& s) { return !lists(s, QStringLiteral("fixes"), QStringLiteral("tomorow")); })
            .isEmpty())
        << "running " << program.isRunning() << " state "
        << QJsonDocument(program.state()).toJson(QJsonDocument::Compact).toStdString() << " output "
        << program.output().toStdString();
    EXPECT_EQ(fieldText(), QStringLiteral("A note tomorow about teh plan.")) << "neither wrote anything";
}

TEST_P(AssistantE2eTest, NeverReadsAPasswordField)
{
    const QString secret = QStringLiteral("hunter2 tomorow");
    Program program(binary, service.originText());
    ASSERT_FALSE(program.waitFor([](const QJsonObject&) { return true; }).isEmpty());
    ASSERT_TRUE(target.focus(passwordField));
    ASSERT_TRUE(typeText(secret));
    // Long enough for several polls and a check.
    QThread::msleep(1500);
    const QJsonObject state = program.state();
    EXPECT_EQ(state.value(QStringLiteral("status")).toString(), QStringLiteral("idle"));
    QFile file(program.statePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_FALSE(bytes.contains("hunter2"));
    EXPECT_FALSE(program.output().contains("hunter2"));
}

TEST_P(AssistantE2eTest, RewritesTheHighlightedTextWritingOnlyWhatChanged)
{
    for (const bool forcePaste : { false, true }) {
        SCOPED_TRACE(forcePaste ? "paste" : "accessibility");
        Program program(binary, service.originText(),
            forcePaste ? QStringList { QStringLiteral("QUILLCRAFT_FORCE_PASTE=1") } : QStringList {});
        ASSERT_FALSE(program.waitFor([](const QJsonObject&) { return true; }).isEmpty());
        ASSERT_TRUE(target.focus(lineField));
        ASSERT_TRUE(pressKeys(QStringLiteral("ctrl+a")));
        ASSERT_TRUE(typeText(QStringLiteral("Keep this. Their going to the libary.")));
        // Highlight the second sentence.
        ASSERT_TRUE(pressKeys(QStringLiteral("End")));
        for (int i = 0; i < 26; ++i)
            ASSERT_TRUE(xdotool({ QStringLiteral("key"), QStringLiteral("shift+Left") }));
        ASSERT_FALSE(program
                         .waitFor([](const QJsonObject& s) {
                             return s.value(QStringLiteral("selection")).toString()
                                 == QStringLiteral("Their going to the libary.");
                         })
                         .isEmpty());
        ASSERT_TRUE(pressKeys(QStringLiteral("ctrl+alt+r")));
        ASSERT_FALSE(program
                         .waitFor([](const QJsonObject& s) {
                             return s.value(QStringLiteral("rewrite")).toBool()
                                 && s.value(QStringLiteral("rewritePhase")).toString() == QStringLiteral("choosing");
                         })
                         .isEmpty())
            << QJsonDocument(program.state()).toJson(QJsonDocument::Compact).toStdString();
        // Fix grammar, run it, and replace once it is done.
        ASSERT_TRUE(pressKeys(QStringLiteral("ctrl+2")));
        ASSERT_TRUE(pressKeys(QStringLiteral("Return")));
        ASSERT_FALSE(program
                         .waitFor([](const QJsonObject& s) {
                             return s.value(QStringLiteral("rewritePhase")).toString() == QStringLiteral("done");
                         })
                         .isEmpty())
            << program.state().value(QStringLiteral("rewritePhase")).toString().toStdString();
        // Return replaces; so does a click on Replace, on the card that grew with the text.
        if (forcePaste)
            ASSERT_TRUE(clickNamed(program, QStringLiteral("Replace")));
        else
            ASSERT_TRUE(pressKeys(QStringLiteral("Return")));
        EXPECT_TRUE(
            waitUntil([&] { return fieldText() == QStringLiteral("Keep this. They're going to the library."); }, 10000))
            << fieldText().toStdString();
        const QJsonObject after
            = program.waitFor([](const QJsonObject& s) { return !s.value(QStringLiteral("rewrite")).toBool(); });
        EXPECT_FALSE(after.isEmpty());
        EXPECT_TRUE(target.isFocused(lineField)) << "the keyboard went back to the field";
    }
}

TEST_P(AssistantE2eTest, ATargetThatQuitsOrFreezesHidesTheSurfacesWithoutStoppingTheProgram)
{
    Program program(binary, service.originText());
    ASSERT_FALSE(typeAndCheck(program, mistakes, QStringLiteral("tomorow")).isEmpty());

    // Frozen: every call to it times out, yet the poll goes on.
    ASSERT_EQ(::kill(pid_t(target.pid()), SIGSTOP), 0);
    const QDateTime frozenAt = QFileInfo(program.statePath()).lastModified();
    QThread::msleep(3000);
    const QDateTime later = QFileInfo(program.statePath()).lastModified();
    ::kill(pid_t(target.pid()), SIGCONT);
    EXPECT_GT(later, frozenAt) << "the state file stopped being written while the target was frozen";
    EXPECT_TRUE(program.isRunning());

    // Gone.
    ::kill(pid_t(target.pid()), SIGKILL);
    const QJsonObject gone = program.waitFor([](const QJsonObject& s) {
        return s.value(QStringLiteral("badge")).toString() == QStringLiteral("hidden")
            && s.value(QStringLiteral("marks")).toArray().isEmpty();
    });
    EXPECT_FALSE(gone.isEmpty());
    EXPECT_TRUE(program.isRunning());
}

INSTANTIATE_TEST_SUITE_P(Targets, AssistantE2eTest, ::testing::Values(Toolkit::qt, Toolkit::gtk),
    [](const ::testing::TestParamInfo<Toolkit>& param) { return toolkitName(param.param).toStdString(); });

} // namespace

namespace {

// The GTK 4 target's text view: GTK 4.8 entries have no character boxes, so no underline.
class Gtk4AssistantE2eTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!TargetApp::isBuilt(Toolkit::gtk4))
            GTEST_SKIP() << "the GTK 4 target is not built (no libgtk-4-dev)";
        ASSERT_FALSE(service.originText().isEmpty()) << "the stand-in service did not start";
        ASSERT_TRUE(target.start());
    }

    QString areaText() const { return target.text(textArea).value_or(QString()); }

    StandInService service;
    TargetApp target { Toolkit::gtk4,
        { QStringLiteral("--area"), QString::fromUtf8("I wrote \xF0\x9F\x98\x80 a note tomorow.") } };
};

} // namespace

TEST_F(Gtk4AssistantE2eTest, UnderlinesTheWordAndWritesTheFixAfterAnEmoji)
{
    Program program(binary, service.originText());
    ASSERT_FALSE(program.waitFor([](const QJsonObject&) { return true; }).isEmpty());
    // The text is there before focus comes: typing an emoji with xdotool is not reliable.
    ASSERT_TRUE(target.focus(textArea));
    const QJsonObject state = program.waitFor(
        [](const QJsonObject& s) {
            return lists(s, QStringLiteral("fixes"), QStringLiteral("tomorow"))
                && s.value(QStringLiteral("marks")).toArray().size()
                == s.value(QStringLiteral("fixes")).toArray().size();
        },
        40000);
    ASSERT_FALSE(state.isEmpty()) << QJsonDocument(program.state()).toJson(QJsonDocument::Compact).toStdString();

    // The underline sits under the word: inside the view, in its right part where the word is.
    const qsizetype index
        = state.value(QStringLiteral("fixes")).toArray().toVariantList().indexOf(QStringLiteral("tomorow"));
    const QPoint mark = markPoint(state.value(QStringLiteral("marks")).toArray().at(index).toArray());
    const std::optional<QRect> view = target.visibleRect(textArea);
    ASSERT_TRUE(view);
    EXPECT_TRUE(view->contains(mark)) << mark.x() << "," << mark.y();
    EXPECT_LT(mark.y(), view->top() + 30) << "on the first line";
    EXPECT_GT(mark.x(), view->left() + 60) << "not at the start of the line";

    movePointer(mark);
    ASSERT_FALSE(
        program.waitFor([](const QJsonObject& s) { return s.value(QStringLiteral("card")).toBool(); }, 5000).isEmpty());
    ASSERT_TRUE(waitUntil([&] { return namedRect(program.pid(), QStringLiteral("Accept tomorrow")).has_value(); }));
    quillcraft::test::spin(300); // the card settles before its button is clicked
    const std::optional<QRect> accept = namedRect(program.pid(), QStringLiteral("Accept tomorrow"));
    ASSERT_TRUE(accept && clickAt(accept->center()));
    const QString fixed = QString::fromUtf8("I wrote \xF0\x9F\x98\x80 a note tomorrow.");
    EXPECT_TRUE(waitUntil([&] { return areaText() == fixed; }, 5000)) << areaText().toStdString();
    // The caret sits right after the fix: typing goes there.
    ASSERT_TRUE(typeText(QStringLiteral("!")));
    EXPECT_TRUE(
        waitUntil([&] { return areaText() == QString::fromUtf8("I wrote \xF0\x9F\x98\x80 a note tomorrow!."); }, 5000))
        << areaText().toStdString();
}
