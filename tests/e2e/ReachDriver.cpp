// Runs the program through one scenario in a real application whose text field
// has keyboard focus (scripts/reach starts it inside tests/e2e/session.sh): paste
// a text with two mistakes and an emoji, read the field, wait for the underlines,
// apply a fix from the card, undo it, and rewrite the whole text. Prints one line:
// found, offsets, underline placed, fix written, undo intact, rewrite written.
//
//   quillcraft_reach_driver [--paste-unformatted] [--switch-on APP]
//
// --paste-unformatted pastes with Ctrl+Shift+V and confirms the dialog (Writer);
// --switch-on switches on an application the program leaves off at first (Chromium).

#include "E2eSupport.h"
#include "Program.h"
#include "StandInService.h"
#include "Wait.h"

#include "platform/AX.h"
#include "platform/Accessibility.h"
#include "platform/linux/LinuxSystem.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QScopeGuard>

#include <cstdio>
#include <utility>

using namespace quillcraft;
using namespace quillcraft::e2e;
using quillcraft::test::spin;
using quillcraft::test::waitUntil;

namespace {

// The screen the harness starts: state-file geometry is bottom-left based.
constexpr int screenHeight = 1024;
// A shorter text is taken for another language and gets no findings.
const QString original = QString::fromUtf8("Teh cat \xF0\x9F\x98\x80 sat on teh na\xC3\xAFve mat by the door.");
const QString fixed = QString::fromUtf8("Teh cat \xF0\x9F\x98\x80 sat on the na\xC3\xAFve mat by the door.");
constexpr int wordsAfterNaive = 17; // " mat by the door."

struct Row {
    QString found = QStringLiteral("-");
    QString offsets = QStringLiteral("-");
    QString underline = QStringLiteral("-");
    QString fix = QStringLiteral("-");
    QString undo = QStringLiteral("-");
    QString rewrite = QStringLiteral("-");
};

class Driver final {
public:
    Driver(bool unformattedPaste, QStringList appsOn)
        : m_unformattedPaste(unformattedPaste)
        , m_appsOn(std::move(appsOn))
        , m_system(createLinuxSystem())
    {
    }

    Row run();

private:
    // The focused field's text as the application reports it; empty when none.
    QString fieldText() const
    {
        const ElementRef element = m_system->accessibility().focusedElement();
        return element ? AX::string(*element, AX::value).value_or(QString()) : QString();
    }
    bool fieldBecomes(const std::function<bool(const QString&)>& condition, int timeoutMs) const
    {
        return waitUntil([&] { return condition(fieldText()); }, timeoutMs);
    }
    // The field and the program's state after a step that went wrong, for the
    // log scripts/reach keeps: the field holds only the scenario's own text.
    void note(const char* when, const Program& program) const
    {
        std::fprintf(stderr, "%s: field \"%s\", state %s\n", when, qUtf8Printable(fieldText()),
            QJsonDocument(program.state()).toJson(QJsonDocument::Compact).constData());
    }
    bool paste(const QString& text)
    {
        QGuiApplication::clipboard()->setText(text);
        spin(200);
        if (!pressKeys(QStringLiteral("ctrl+a")))
            return false;
        if (!m_unformattedPaste) {
            // GTK pastes asynchronously, asking this process for the text: keys
            // pressed before it has its answer overtake the paste.
            const bool pressed = pressKeys(QStringLiteral("ctrl+v"));
            spin(500);
            return pressed;
        }
        if (!pressKeys(QStringLiteral("ctrl+shift+v")))
            return false;
        spin(1000);
        return pressKeys(QStringLiteral("Return"));
    }
    void readField(Row& row) const;
    QJsonObject waitForMarks(const Program& program) const;
    void fixOnCard(Row& row, const Program& program, const QJsonObject& state) const;
    void undoFix(Row& row) const;
    QString undoneInSteps() const;
    QString undoOfOwnPaste();
    void rewriteAll(Row& row, const Program& program);

    bool m_unformattedPaste;
    QStringList m_appsOn;
    std::unique_ptr<LinuxSystem> m_system;
};

// What `quillcraft inspect` makes of the field with "naïve" selected.
void Driver::readField(Row& row) const
{
    // Ctrl+End: End stops at the end of a wrapped line.
    pressKeys(QStringLiteral("ctrl+End"));
    for (int i = 0; i < wordsAfterNaive; ++i)
        xdotool({ QStringLiteral("key"), QStringLiteral("Left") });
    for (int i = 0; i < 5; ++i)
        xdotool({ QStringLiteral("key"), QStringLiteral("shift+Left") });
    spin(1000);
    QJsonObject report;
    // Firefox answers the first position query of a new field with (-1, -1).
    for (int attempt = 0; attempt < 2; ++attempt) {
        QProcess inspect;
        inspect.start(QStringLiteral(QUILLCRAFT_BINARY), { QStringLiteral("inspect") });
        inspect.waitForFinished(20000);
        report = QJsonDocument::fromJson(inspect.readAllStandardOutput().trimmed()).object();
        spin(500);
    }
    if (!report.value(QStringLiteral("isField")).toBool()) {
        row.found = QStringLiteral("no (%1)").arg(report.value(QStringLiteral("reason")).toString());
        return;
    }
    row.found = QStringLiteral("yes");
    const QJsonArray selection = report.value(QStringLiteral("selection")).toArray();
    const qint64 length = report.value(QStringLiteral("textLength")).toInteger();
    const bool right = selection.size() == 2 && selection.at(0).toInteger() == 22 && selection.at(1).toInteger() == 5
        && length == original.size();
    row.offsets = right ? QStringLiteral("right")
                        : QStringLiteral("wrong ([%1, %2] of %3)")
                              .arg(selection.at(0).toInteger())
                              .arg(selection.at(1).toInteger())
                              .arg(length);
}

QJsonObject Driver::waitForMarks(const Program& program) const
{
    // The engine's first start can take a while on a loaded machine.
    return program.waitFor(
        [](const QJsonObject& s) {
            const QJsonArray fixes = s.value(QStringLiteral("fixes")).toArray();
            return fixes.contains(QJsonValue(QStringLiteral("teh")))
                && s.value(QStringLiteral("marks")).toArray().size() == fixes.size();
        },
        60000);
}

// Rests the pointer on the underline of "teh", accepts the card's suggestion and reads the field.
void Driver::fixOnCard(Row& row, const Program& program, const QJsonObject& state) const
{
    const qsizetype index
        = state.value(QStringLiteral("fixes")).toArray().toVariantList().indexOf(QStringLiteral("teh"));
    const QJsonArray mark = state.value(QStringLiteral("marks")).toArray().at(index).toArray();
    const QJsonArray field = state.value(QStringLiteral("fieldFrame")).toArray();
    // Marks are [midX, midY, width, height], the field [x, y, width, height], both bottom-left.
    const QPointF middle(mark.at(0).toDouble(), mark.at(1).toDouble());
    const QRectF frame(field.at(0).toDouble(), field.at(1).toDouble(), field.at(2).toDouble(), field.at(3).toDouble());
    const bool placed = mark.at(3).toDouble() >= 4 && frame.contains(middle);
    row.underline = placed ? QStringLiteral("yes") : QStringLiteral("no (height %1)").arg(mark.at(3).toDouble());

    const QPoint point(int(middle.x()), int(screenHeight - middle.y()));
    bool shown = false;
    for (int attempt = 0; attempt < 2 && !shown; ++attempt) {
        movePointer(point + QPoint(attempt * 2, 0));
        shown = !program.waitFor([](const QJsonObject& s) { return s.value(QStringLiteral("card")).toBool(); }, 5000)
                     .isEmpty();
    }
    if (!shown) {
        row.fix = QStringLiteral("no (no card)");
        return;
    }
    if (!clickSettled(program.pid(), QStringLiteral("Accept the"))) {
        row.fix = QStringLiteral("no (no Accept button)");
        return;
    }
    row.fix = fieldBecomes([](const QString& text) { return text == fixed; }, 8000) ? QStringLiteral("yes")
                                                                                    : QStringLiteral("no");
    // A person looks at the fix before undoing it. The program confirms a paste by
    // reading the field for up to two seconds; an undo inside that time reads as a
    // paste that did not land, and the rewrite's Replace waits for no write in flight.
    spin(2500);
}

void Driver::undoFix(Row& row) const
{
    row.undo = undoneInSteps();
}

// Presses Control+Z up to twice after a fix: "yes" when once gives the text back.
QString Driver::undoneInSteps() const
{
    pressKeys(QStringLiteral("ctrl+z"));
    if (fieldBecomes([](const QString& text) { return text == original; }, 3000))
        return QStringLiteral("yes");
    pressKeys(QStringLiteral("ctrl+z"));
    return fieldBecomes([](const QString& text) { return text == original; }, 3000) ? QStringLiteral("no (two steps)")
                                                                                    : QStringLiteral("no");
}

// The same fix made by hand, a paste of "the" over "teh": what Control+Z does after
// the application's own edit, to tell its undo from ours. Empty when it could not be made.
QString Driver::undoOfOwnPaste()
{
    if (!paste(original) || !fieldBecomes([](const QString& text) { return text == original; }, 10000))
        return {};
    const ElementRef field = m_system->accessibility().focusedElement();
    const TextRange teh { 18, 3 };
    if (!field || field->setAttribute(AX::selectedTextRange, teh) != AXError::success
        || !waitUntil(
            [&] {
                const std::optional<TextRange> selection = AX::range(*field, AX::selectedTextRange);
                return selection && selection->location == teh.location && selection->length == teh.length;
            },
            3000))
        return {};
    QGuiApplication::clipboard()->setText(QStringLiteral("the"));
    spin(200);
    pressKeys(QStringLiteral("ctrl+v"));
    spin(500);
    if (!fieldBecomes([](const QString& text) { return text == fixed; }, 5000))
        return {};
    spin(1000);
    return undoneInSteps();
}

// Selects the whole text and has the stand-in service fix its grammar.
void Driver::rewriteAll(Row& row, const Program& program)
{
    if (!paste(original) || !fieldBecomes([](const QString& text) { return text == original; }, 10000)) {
        row.rewrite = QStringLiteral("- (the text could not be set again)");
        return;
    }
    pressKeys(QStringLiteral("ctrl+a"));
    if (program
            .waitFor(
                [](const QJsonObject& s) { return s.value(QStringLiteral("selection")).toString() == original; }, 5000)
            .isEmpty()) {
        row.rewrite = QStringLiteral("no (the whole text never showed as selected)");
        note("selecting everything", program);
        return;
    }
    pressKeys(QStringLiteral("ctrl+alt+r"));
    if (program
            .waitFor(
                [](const QJsonObject& s) {
                    return s.value(QStringLiteral("rewrite")).toBool()
                        && s.value(QStringLiteral("rewritePhase")).toString() == QStringLiteral("choosing");
                },
                10000)
            .isEmpty()) {
        row.rewrite = QStringLiteral("no (no card)");
        return;
    }
    pressKeys(QStringLiteral("ctrl+2"));
    pressKeys(QStringLiteral("Return"));
    if (program
            .waitFor(
                [](const QJsonObject& s) {
                    return s.value(QStringLiteral("rewritePhase")).toString() == QStringLiteral("done");
                },
                40000)
            .isEmpty()) {
        row.rewrite = QStringLiteral("no (%1)").arg(program.state().value(QStringLiteral("rewritePhase")).toString());
        return;
    }
    pressKeys(QStringLiteral("Return"));
    // The service fixes both spellings and leaves the rest alone.
    const bool written = fieldBecomes(
        [](const QString& text) {
            return text != original && !text.contains(QStringLiteral("teh"), Qt::CaseInsensitive)
                && text.contains(QString::fromUtf8("\xF0\x9F\x98\x80 sat on the na\xC3\xAFve mat"));
        },
        15000);
    row.rewrite = written ? QStringLiteral("yes") : QStringLiteral("no");
    if (!written)
        note("after the rewrite", program);
}

Row Driver::run()
{
    Row row;
    StandInService service;
    if (service.originText().isEmpty()) {
        row.found = QStringLiteral("- (the stand-in service did not start)");
        return row;
    }
    Program program(QStringLiteral(QUILLCRAFT_BINARY), service.originText(), {}, m_appsOn);
    // The program's own log (it never holds the field's text) goes to the driver's.
    const auto log = qScopeGuard([&program] { std::fputs(program.output().constData(), stderr); });
    if (program.waitFor([](const QJsonObject&) { return true; }).isEmpty()) {
        row.found = QStringLiteral("- (the program wrote no state)");
        return row;
    }
    if (!paste(original) || !fieldBecomes([](const QString& text) { return text == original; }, 10000)) {
        row.found = QStringLiteral("no (the pasted text is not in the field)");
        note("after pasting", program);
        return row;
    }
    readField(row);
    pressKeys(QStringLiteral("ctrl+End"));
    const QJsonObject state = waitForMarks(program);
    if (state.isEmpty()) {
        row.underline = QStringLiteral("no (no findings)");
        note("waiting for findings", program);
        return row;
    }
    fixOnCard(row, program, state);
    if (row.fix == QStringLiteral("yes")) {
        undoFix(row);
        if (row.undo != QStringLiteral("yes")) {
            const QString own = undoOfOwnPaste();
            row.undo += own == row.undo ? QStringLiteral(", as after a paste by hand")
                : own.isEmpty()         ? QString()
                                        : QStringLiteral("; after a paste by hand: %1").arg(own);
        }
    }
    rewriteAll(row, program);
    return row;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    QStringList appsOn;
    if (const qsizetype at = arguments.indexOf(QStringLiteral("--switch-on")); at > 0 && at + 1 < arguments.size())
        appsOn.append(arguments.at(at + 1));
    const Row row = Driver(arguments.contains(QStringLiteral("--paste-unformatted")), appsOn).run();
    const QString line
        = QStringList { row.found, row.offsets, row.underline, row.fix, row.undo, row.rewrite }.join(u'\t');
    std::printf("%s\n", line.toUtf8().constData());
    return 0;
}
