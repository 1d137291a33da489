// The focused-field snapshot, and selecting and writing through FieldWriter on
// the real clock, against real Qt and GTK 3 fields over the accessibility bus. Runs inside tests/e2e/session.sh.

#include "E2eSupport.h"
#include "FieldSourcesOf.h"
#include "Wait.h"
#include "assistant/FocusedField.h"
#include "assistant/writeback/FieldWriter.h"
#include "cli/InspectCommand.h"
#include "core/SystemClock.h"
#include "platform/Accessibility.h"
#include "platform/linux/LinuxSystem.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <signal.h>

using namespace quillcraft;
using namespace quillcraft::e2e;
using quillcraft::test::waitUntil;

namespace {

// "Hi 👋 there": the wave takes UTF-16 offsets 3 and 4.
const QString waveText = QString::fromUtf8("Hi \xF0\x9F\x91\x8B there");
const QString globe = QString::fromUtf8("\xF0\x9F\x8C\x8D");
// Height of the harness's only screen.
constexpr int screenHeight = 1024;

QRectF flipped(const QRect& topLeft)
{
    return QRectF(topLeft.x(), screenHeight - topLeft.y() - topLeft.height(), topLeft.width(), topLeft.height());
}

bool containsRect(const QRectF& outer, const QRectF& inner)
{
    return outer.adjusted(-0.5, -0.5, 0.5, 0.5).contains(inner);
}

// Hands out one fixed element as the focused one: for fields that cannot take focus.
class FixedFocus final : public Accessibility {
public:
    explicit FixedFocus(ElementRef element)
        : m_element(std::move(element))
    {
    }
    bool isAvailable() const override { return true; }
    void setMessagingTimeout(std::chrono::milliseconds) override { }
    ElementRef focusedElement() override { return m_element; }
    AXError enableAccessibility(qint64) override { return AXError::success; }

private:
    ElementRef m_element;
};

class FocusedFieldE2eTest : public testing::TestWithParam<Toolkit> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(target.start()) << "the target did not come up";
        system = createLinuxSystem();
    }

    FieldSources sources(Accessibility* accessibility = nullptr) const
    {
        return fieldSourcesOf(*system, accessibility);
    }

    // Focuses the named field and waits until the snapshot shows the field at its place.
    std::optional<FocusedField> focusField(const QString& name)
    {
        if (!target.focus(name))
            return std::nullopt;
        const auto expected = target.rect(name);
        std::optional<FocusedField> field;
        waitUntil([&] {
            field = FocusedField::current(sources());
            return field && expected && field->frame() == flipped(*expected);
        });
        return field;
    }

    // Runs the event loop until the writer reports; absent when it does not in time.
    template <typename Result, typename Start> std::optional<Result> await(Start start)
    {
        // Shared: a report after the time limit must not land in a dead frame.
        auto result = std::make_shared<std::optional<Result>>();
        start([result](Result r) { *result = r; });
        waitUntil([&] { return result->has_value(); }, 10000);
        return *result;
    }

    std::optional<bool> select(const FocusedField& field, TextRange range)
    {
        return await<bool>([&](FieldWriter::Selected done) { writer.select(field, range, std::move(done)); });
    }

    std::optional<FieldWriter::WriteResult> write(const FocusedField& field, const TextEdit& edit)
    {
        return await<FieldWriter::WriteResult>(
            [&](FieldWriter::Written done) { writer.write(field, edit, std::move(done)); });
    }

    bool isQt() const { return GetParam() == Toolkit::qt; }

    TargetApp target { GetParam(), { QStringLiteral("--line"), waveText } };
    std::unique_ptr<LinuxSystem> system;
    SystemClock clock;
    FieldWriter writer { clock };
};

} // namespace

TEST_P(FocusedFieldE2eTest, LineFieldSnapshotCountsUtf16AfterAnEmoji)
{
    auto field = focusField(lineField);
    ASSERT_TRUE(field);
    // The caret after the wave and its space: 3 + 2 + 1 UTF-16 units.
    ASSERT_TRUE(pressKeys(QStringLiteral("End")));
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(pressKeys(QStringLiteral("Left")));
    ASSERT_TRUE(waitUntil([&] {
        field = field->refreshed();
        return field && field->selection() == TextRange { 6, 0 };
    })) << "selection "
        << field->selection().location << "+" << field->selection().length;

    EXPECT_EQ(field->text(), waveText);
    EXPECT_EQ(field->pid(), target.pid());
    EXPECT_FALSE(field->bundleID().isEmpty());
    EXPECT_FALSE(field->appName().isEmpty());
    EXPECT_EQ(field->element()->offsetUnit(), isQt() ? OffsetUnit::utf16 : OffsetUnit::codePoint);
    EXPECT_EQ(field->frame(), flipped(*target.rect(lineField)));
    EXPECT_EQ(field->visibleFrame(), field->frame());
    EXPECT_EQ(field->editorFrame(), field->frame());
    EXPECT_FALSE(field->isWebContent());

    // Selecting the emoji by UTF-16 range reads back the same range and text.
    ASSERT_EQ(select(*field, { 3, 2 }), true);
    const auto fresh = field->refreshed();
    ASSERT_TRUE(fresh);
    EXPECT_EQ(fresh->selection(), (TextRange { 3, 2 }));
    EXPECT_EQ(fresh->selectedText(), QString::fromUtf8("\xF0\x9F\x91\x8B"));
    EXPECT_TRUE(field->isSameField(FocusedField::current(sources())));
}

TEST_P(FocusedFieldE2eTest, TextAreaInAScrollAreaGetsTheScrollAreaAsEditorFrame)
{
    const auto field = focusField(textArea);
    ASSERT_TRUE(field);
    const QRectF scroll = flipped(*target.rect(scrollArea));
    EXPECT_EQ(field->frame(), flipped(*target.rect(textArea)));
    EXPECT_EQ(field->visibleFrame(), flipped(*target.visibleRect(textArea)));
    EXPECT_TRUE(containsRect(field->editorFrame(), field->visibleFrame()));
    EXPECT_TRUE(containsRect(scroll, field->editorFrame()));
    if (isQt()) {
        // Qt reports the whole 900-point text area; only the viewport shows.
        EXPECT_GT(field->frame().height(), 800);
        EXPECT_LT(field->visibleFrame().height(), 170);
        EXPECT_GT(field->editorFrame().width(), field->visibleFrame().width());
    } else {
        EXPECT_EQ(field->editorFrame(), scroll);
    }
    EXPECT_TRUE(field->text().startsWith(QStringLiteral("Line 1 of the text area.\nLine 2")));
}

TEST_P(FocusedFieldE2eTest, BoundsOfTextScrolledOutOfViewAreAbsentButRawBoundsAreNot)
{
    const auto field = focusField(textArea);
    ASSERT_TRUE(field);
    const qint64 first = field->text().indexOf(QStringLiteral("Line 1 "));
    const qint64 last = field->text().indexOf(QStringLiteral("Line 40 "));
    ASSERT_GE(first, 0);
    ASSERT_GT(last, 0);

    const auto shown = field->bounds({ first, 6 });
    ASSERT_TRUE(shown);
    EXPECT_TRUE(containsRect(field->visibleFrame().adjusted(-4, -2, 2, 2), *shown));

    EXPECT_EQ(field->bounds({ last, 7 }), std::nullopt);
    const auto raw = field->rawBounds({ last, 7 });
    ASSERT_TRUE(raw);
    EXPECT_GT(raw->width(), 0);
    // Below the visible part: lower on screen means a smaller y here.
    EXPECT_LT(raw->bottom(), field->visibleFrame().top());
}

TEST_P(FocusedFieldE2eTest, BoundsInALineScrolledToItsEndAreWhereItsCharactersShow)
{
    auto field = focusField(lineField);
    ASSERT_TRUE(field);
    QString line;
    for (int i = 0; i < 60; ++i)
        line += QStringLiteral("word%1 teh ").arg(i);
    line += QStringLiteral("last");
    ASSERT_EQ(write(*field, { 0, field->text().size(), line }), FieldWriter::WriteResult::written);
    ASSERT_TRUE(pressKeys(QStringLiteral("End")));
    ASSERT_TRUE(waitUntil([&] {
        field = field->refreshed();
        return field && field->text() == line && field->selection() == TextRange { line.size(), 0 };
    }));

    // The end shows inside the field, on the middle of its line; the start is scrolled
    // away. Qt scrolls when it paints, a moment after the key.
    std::optional<QRectF> end;
    ASSERT_TRUE(waitUntil([&] {
        return (end = field->bounds({ line.size() - 4, 4 })).has_value();
    })) << "the last word has no box inside the field";
    EXPECT_TRUE(containsRect(field->visibleFrame(), *end));
    EXPECT_GT(end->left(), field->visibleFrame().center().x());
    EXPECT_NEAR(end->center().y(), field->visibleFrame().center().y(), 3);
    EXPECT_EQ(field->bounds({ 0, 5 }), std::nullopt);

    // Back at the start the first word is where it was drawn, just inside the frame.
    ASSERT_TRUE(pressKeys(QStringLiteral("Home")));
    ASSERT_TRUE(waitUntil([&] {
        field = field->refreshed();
        return field && field->selection() == TextRange { 0, 0 };
    }));
    std::optional<QRectF> start;
    ASSERT_TRUE(waitUntil([&] { return (start = field->bounds({ 0, 5 })).has_value(); }));
    EXPECT_GE(start->left(), field->visibleFrame().left());
    EXPECT_LT(start->left(), field->visibleFrame().left() + 12);
    EXPECT_EQ(field->bounds({ line.size() - 4, 4 }), std::nullopt);
}

TEST_P(FocusedFieldE2eTest, PasswordAndDisabledFieldsAreNotFields)
{
    ASSERT_TRUE(target.focus(passwordField));
    FieldReading reading;
    ASSERT_TRUE(waitUntil([&] {
        reading = FocusedField::read(sources());
        return reading.reason == QStringLiteral("The focused element is a password field.");
    })) << reading.reason.toStdString();
    EXPECT_FALSE(reading.field);
    const QByteArray report = QJsonDocument(inspectReport(reading)).toJson();
    EXPECT_FALSE(report.contains("secret"));
    EXPECT_FALSE(report.contains("\xE2\x97\x8F")); // GTK's bullets

    // A disabled line edit cannot take focus; hand it over as if it had.
    FixedFocus disabled(target.element(disabledField));
    reading = FocusedField::read(sources(&disabled));
    EXPECT_FALSE(reading.field);
    EXPECT_EQ(reading.reason, QStringLiteral("The focused field is disabled."));
}

TEST_P(FocusedFieldE2eTest, WriteReplacesAndConfirms)
{
    auto field = focusField(lineField);
    ASSERT_TRUE(field);
    // "there" becomes "wörld 🌍": an emoji and a non-ASCII letter in the replacement.
    const QString replacement = QString::fromUtf8("w\xC3\xB6rld ") + globe;
    EXPECT_EQ(write(*field, { 6, 5, replacement }), FieldWriter::WriteResult::written);
    const QString expected = QString::fromUtf8("Hi \xF0\x9F\x91\x8B ") + replacement;
    EXPECT_EQ(target.text(lineField), expected);

    // A deletion right after the emoji, in the fresh text.
    field = field->refreshed();
    ASSERT_TRUE(field);
    EXPECT_EQ(write(*field, { 5, 1, QString() }), FieldWriter::WriteResult::written);
    EXPECT_EQ(target.text(lineField), QString::fromUtf8("Hi \xF0\x9F\x91\x8Bw\xC3\xB6rld ") + globe);

    // And in the text area.
    const auto area = focusField(textArea);
    ASSERT_TRUE(area);
    EXPECT_EQ(write(*area, { 0, 6, QStringLiteral("First line") }), FieldWriter::WriteResult::written);
    EXPECT_TRUE(target.text(textArea)->startsWith(QStringLiteral("First line of the text area.\nLine 2")));
}

TEST_P(FocusedFieldE2eTest, WriteIsStaleWhenTheTextChangedFirst)
{
    const auto before = focusField(lineField);
    ASSERT_TRUE(before);
    ASSERT_TRUE(pressKeys(QStringLiteral("End")));
    ASSERT_TRUE(typeText(QStringLiteral("!")));
    ASSERT_TRUE(waitUntil([&] { return target.text(lineField) == waveText + QLatin1Char('!'); }));
    EXPECT_TRUE(before->isSameField(FocusedField::current(sources())));

    EXPECT_EQ(write(*before, { 6, 5, QStringLiteral("world") }), FieldWriter::WriteResult::stale);
    EXPECT_EQ(target.text(lineField), waveText + QLatin1Char('!'));
    // The caret stays where the user typed, with nothing selected for the next key to replace.
    const auto after = FocusedField::current(sources());
    ASSERT_TRUE(after);
    EXPECT_EQ(after->selection(), (TextRange { 12, 0 }));
}

TEST_P(FocusedFieldE2eTest, InspectPrintsTheFocusedField)
{
    ASSERT_TRUE(focusField(lineField));
    ASSERT_TRUE(pressKeys(QStringLiteral("End")));
    // The key has reached the field before the other process looks.
    ASSERT_TRUE(waitUntil([&] {
        const auto field = FocusedField::current(sources());
        return field && field->selection() == TextRange { 11, 0 };
    }));
    QProcess inspect;
    inspect.start(QStringLiteral(QUILLCRAFT_BINARY), { QStringLiteral("inspect") });
    ASSERT_TRUE(inspect.waitForFinished(20000));
    EXPECT_EQ(inspect.exitCode(), 0) << inspect.readAllStandardError().toStdString();
    const QJsonObject report = QJsonDocument::fromJson(inspect.readAllStandardOutput()).object();
    EXPECT_EQ(report.value(QStringLiteral("isField")).toBool(), true);
    EXPECT_EQ(report.value(QStringLiteral("pid")).toInteger(), target.pid());
    EXPECT_EQ(report.value(QStringLiteral("textLength")).toInt(), 11);
    EXPECT_EQ(report.value(QStringLiteral("selection")).toArray(), (QJsonArray { 11, 0 }));
    EXPECT_EQ(report.value(QStringLiteral("role")).toString(), QStringLiteral("AXTextField"));
    EXPECT_EQ(report.value(QStringLiteral("offsetUnit")).toString(),
        isQt() ? QStringLiteral("utf16") : QStringLiteral("codepoint"));
    EXPECT_EQ(report.value(QStringLiteral("reason")).toString(), QString());
}

TEST_P(FocusedFieldE2eTest, InspectWatchPrintsALinePerChange)
{
    ASSERT_TRUE(focusField(lineField));
    QProcess inspect;
    inspect.start(QStringLiteral(QUILLCRAFT_BINARY), { QStringLiteral("inspect"), QStringLiteral("--watch") });
    QList<QJsonObject> lines;
    const auto readLines = [&] {
        while (inspect.canReadLine())
            lines << QJsonDocument::fromJson(inspect.readLine()).object();
    };
    ASSERT_TRUE(waitUntil(
        [&] {
            readLines();
            return !lines.isEmpty();
        },
        20000));
    EXPECT_EQ(lines.first().value(QStringLiteral("role")).toString(), QStringLiteral("AXTextField"));

    ASSERT_TRUE(target.focus(textArea));
    ASSERT_TRUE(waitUntil([&] {
        readLines();
        return lines.last().value(QStringLiteral("role")).toString() == QStringLiteral("AXTextArea");
    }));
    // Nothing changes: nothing more is printed.
    const qsizetype count = lines.size();
    test::spin(700);
    readLines();
    EXPECT_EQ(lines.size(), count);
    inspect.terminate();
    EXPECT_TRUE(inspect.waitForFinished(5000));
}

TEST_P(FocusedFieldE2eTest, FrozenApplicationCostsHalfASecondNotFifteen)
{
    const auto field = focusField(lineField);
    ASSERT_TRUE(field);
    // Reads a few milliseconds apart share one answer; this one must go to the application.
    quillcraft::test::spin(100);
    ASSERT_EQ(::kill(static_cast<pid_t>(target.pid()), SIGSTOP), 0);
    QElapsedTimer timer;
    timer.start();
    const auto fresh = field->refreshed();
    const qint64 elapsed = timer.elapsed();
    ::kill(static_cast<pid_t>(target.pid()), SIGCONT);
    EXPECT_FALSE(fresh);
    // Well under the bus's own 15 s default even on a loaded machine.
    EXPECT_GE(elapsed, 400);
    EXPECT_LT(elapsed, 7000);
}

INSTANTIATE_TEST_SUITE_P(Targets, FocusedFieldE2eTest, testing::Values(Toolkit::qt, Toolkit::gtk),
    [](const testing::TestParamInfo<Toolkit>& param) { return toolkitName(param.param).toStdString(); });
