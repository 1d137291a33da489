#include "CheckCommand.h"

#include "cli/CommandLine.h"
#include "cli/TerminalText.h"
#include "core/ResourceFolder.h"
#include "grammar/HarperChecker.h"
#include "grammar/LintWindow.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cstdio>
#include <optional>

namespace quillcraft {

namespace {

constexpr int exitFound = 1;

struct Input {
    QString name;
    QString text;
};

struct Finding {
    qsizetype input;
    TextIssue issue; // location in the whole input's text
};

QString usage()
{
    return QStringLiteral("Usage: quillcraft check [--json] [FILE...]\n"
                          "\n"
                          "Checks the grammar and spelling of English text on this computer with the Harper engine.\n"
                          "Reads standard input when no FILE is given or FILE is \"-\". Longer texts are checked in\n"
                          "windows of up to 10000 characters cut at line ends; text in another language is skipped.\n"
                          "\n"
                          "Prints one line per finding: FILE:LINE:COLUMN: Kind: message [suggestion, ...]\n"
                          "(lines and columns count from 1, columns in characters).\n"
                          "\n"
                          "Options:\n"
                          "  --json      print one JSON array with an object per finding: file, line, column,\n"
                          "              location and length (UTF-16 units into the file), kind, message,\n"
                          "              problemText and suggestions (kind and text)\n"
                          "  -h, --help  show this help\n"
                          "\n"
                          "A FILE that cannot be read or is not UTF-8 text is reported and the others are checked.\n"
                          "\n"
                          "Exit status: 0 when nothing was found, 1 when something was, 2 on bad usage, when a\n"
                          "FILE could not be read, when the findings could not be written or when the grammar\n"
                          "engine cannot start.\n");
}

// Where the lines of a text start, to turn offsets into lines and columns.
class LineIndex final {
public:
    explicit LineIndex(const QString& text)
        : m_graphemes(QTextBoundaryFinder::Grapheme, text)
    {
        m_starts.append(0);
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text.at(i) == QLatin1Char('\n'))
                m_starts.append(i + 1);
        }
    }

    // 1-based line and column; the column counts characters (grapheme clusters).
    std::pair<qsizetype, qsizetype> position(qsizetype offset)
    {
        const auto next = std::upper_bound(m_starts.cbegin(), m_starts.cend(), offset);
        const qsizetype line = next - m_starts.cbegin();
        const qsizetype start = *(next - 1);
        // Findings come mostly in order, so counting goes on from the previous
        // one: counting from the line start each time took hours on long lines.
        if (start != m_lineStart || offset < m_boundary) {
            m_lineStart = start;
            m_boundary = start;
            m_column = 1;
        }
        m_graphemes.setPosition(m_boundary);
        for (qsizetype b = m_graphemes.toNextBoundary(); b != -1 && b <= offset; b = m_graphemes.toNextBoundary()) {
            m_boundary = b;
            ++m_column;
        }
        // An offset inside a character counts that character too.
        return { line, m_boundary == offset ? m_column : m_column + 1 };
    }

private:
    QTextBoundaryFinder m_graphemes;
    QList<qsizetype> m_starts;
    qsizetype m_lineStart = -1;
    qsizetype m_boundary = 0; // the last boundary counted, on the line at m_lineStart
    qsizetype m_column = 1; // the column at m_boundary
};

// Keeps a finding on its line and control characters (a file name's escape
// sequences) away from the terminal.
QString oneLine(const QString& text)
{
    return TerminalText::sanitized(text, TerminalText::Rendering::escapes);
}

// Checks the inputs one window at a time (the checker keeps only the newest
// waiting request, so each window waits for the previous answer).
class CheckRun final {
public:
    CheckRun(QList<Input> inputs, HarperChecker& checker)
        : m_inputs(std::move(inputs))
        , m_checker(checker)
    {
    }

    void start()
    {
        m_checker.start([this](bool ready) {
            if (!ready) {
                m_engineFailed = true;
                QCoreApplication::quit();
                return;
            }
            checkNextWindow();
        });
    }

    bool engineFailed() const { return m_engineFailed; }
    // The engine could not check one of the texts: its findings would be incomplete.
    bool checkFailed() const { return m_checkFailed; }
    const QList<Input>& inputs() const { return m_inputs; }
    const QList<Finding>& findings() const { return m_findings; }

private:
    void checkNextWindow()
    {
        while (m_input < m_inputs.size() && m_position >= m_inputs.at(m_input).text.size()) {
            ++m_input;
            m_position = 0;
        }
        if (m_input >= m_inputs.size()) {
            QCoreApplication::quit();
            return;
        }
        const QString& text = m_inputs.at(m_input).text;
        // The window is chosen as for a caret at the start of what is left.
        const qint64 limit = HarperChecker::textLimit;
        const TextRange window = lintWindow(text.mid(m_position, limit + 1), 0, limit);
        const qsizetype start = m_position;
        const qsizetype length
            = window.length > 0 ? qsizetype(window.length) : std::min<qsizetype>(limit, text.size() - start);
        m_position = start + length;
        m_checker.lint(
            text.mid(start, length),
            [this, start, input = m_input](const QList<TextIssue>& issues) {
                for (const TextIssue& issue : issues)
                    m_findings.append({ input, issue.shifted(start) });
                checkNextWindow();
            },
            [this] {
                m_checkFailed = true;
                QCoreApplication::quit();
            });
    }

    QList<Input> m_inputs;
    HarperChecker& m_checker;
    qsizetype m_input = 0;
    qsizetype m_position = 0;
    bool m_engineFailed = false;
    bool m_checkFailed = false;
    QList<Finding> m_findings;
};

// Calls `visit(name, line, column, issue)` for each finding, in order; line
// positions are indexed once per input.
template <typename Visit>
void forEachPositioned(const QList<Input>& inputs, const QList<Finding>& findings, Visit visit)
{
    std::optional<LineIndex> index;
    qsizetype indexed = -1;
    for (const Finding& finding : findings) {
        if (finding.input != indexed) {
            index.emplace(inputs.at(finding.input).text);
            indexed = finding.input;
        }
        const auto [line, column] = index->position(qsizetype(finding.issue.location));
        visit(inputs.at(finding.input).name, line, column, finding.issue);
    }
}

QString formatLines(const QList<Input>& inputs, const QList<Finding>& findings)
{
    QString out;
    forEachPositioned(inputs, findings, [&out](const QString& name, auto line, auto column, const TextIssue& issue) {
        QStringList labels;
        for (const Suggestion& suggestion : issue.suggestions)
            labels << oneLine(issue.label(suggestion));
        out += QStringLiteral("%1:%2:%3: %4: %5 [%6]\n")
                   .arg(oneLine(name))
                   .arg(line)
                   .arg(column)
                   .arg(issue.kind, oneLine(issue.message), labels.join(QLatin1String(", ")));
    });
    return out;
}

QString formatJson(const QList<Input>& inputs, const QList<Finding>& findings)
{
    QJsonArray array;
    forEachPositioned(inputs, findings, [&array](const QString& name, auto line, auto column, const TextIssue& issue) {
        QJsonArray suggestions;
        for (const Suggestion& suggestion : issue.suggestions) {
            suggestions.append(QJsonObject { { QStringLiteral("kind"), Suggestion::rawValue(suggestion.kind) },
                { QStringLiteral("text"), suggestion.text } });
        }
        array.append(QJsonObject {
            { QStringLiteral("file"), name },
            { QStringLiteral("line"), qint64(line) },
            { QStringLiteral("column"), qint64(column) },
            { QStringLiteral("location"), issue.location },
            { QStringLiteral("length"), issue.length },
            { QStringLiteral("kind"), issue.kind },
            { QStringLiteral("message"), issue.message },
            { QStringLiteral("problemText"), issue.problemText },
            { QStringLiteral("suggestions"), suggestions },
        });
    });
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented));
}

// The engine's words for a refused start, fit to sit inside one sentence: one line,
// bounded, without its own closing period. They never hold user text.
QString refusalInOneLine(const QString& reason)
{
    QString line = reason.simplified();
    if (line.size() > 300)
        line = line.left(299) + QChar(0x2026);
    while (line.endsWith(QLatin1Char('.')))
        line.chop(1);
    return line.isEmpty() ? QStringLiteral("nothing") : line;
}

} // namespace

int runCheckCommand(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // The failure is reported below in one sentence; the engine's diagnostics would only add noise.
    QLoggingCategory::setFilterRules(QStringLiteral("quillcraft.grammar.warning=false"));
    bool json = false;
    bool optionsEnded = false;
    QStringList files;
    for (const QString& argument : CommandLine::argumentsAfterMode(argc, argv)) {
        if (!optionsEnded && (argument == QLatin1String("--help") || argument == QLatin1String("-h"))) {
            return CommandLine::printOut(usage()) ? CommandLine::exitOk : CommandLine::exitUsage;
        }
        if (!optionsEnded && argument == QLatin1String("--json")) {
            json = true;
        } else if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && argument.startsWith(QLatin1Char('-')) && argument != QLatin1String("-")) {
            CommandLine::printError(
                QStringLiteral("Unknown option \"%1\"; see quillcraft check --help.").arg(argument));
            return CommandLine::exitUsage;
        } else {
            files << argument;
        }
    }
    if (files.isEmpty())
        files << QStringLiteral("-");
    if (files.count(QStringLiteral("-")) > 1) {
        CommandLine::printError(QStringLiteral("Standard input can be checked only once."));
        return CommandLine::exitUsage;
    }

    // One unreadable file leaves the findings in the others to be shown.
    QList<Input> inputs;
    bool unreadable = false;
    for (const QString& file : std::as_const(files)) {
        const bool isStdin = file == QLatin1String("-");
        QString error;
        std::optional<QString> text = CommandLine::readText(
            isStdin ? std::nullopt : std::optional(CommandLine::rawArgument(argc, argv, file)), error);
        if (!text) {
            CommandLine::printError(error);
            unreadable = true;
            continue;
        }
        inputs.append({ isStdin ? QStringLiteral("<stdin>") : file, std::move(*text) });
    }
    if (inputs.isEmpty())
        return CommandLine::exitUsage;

    const QString resources = ResourceFolder::path();
    HarperChecker checker(resources);
    CheckRun run(std::move(inputs), checker);
    run.start();
    app.exec();
    if (run.engineFailed()) {
        // Blaming the files when they loaded and the engine itself gave up sends people looking in the wrong place.
        if (checker.startResult() == HarperChecker::Start::engineRefused)
            CommandLine::printError(QStringLiteral("Grammar checking could not start: the engine loaded from %1 failed "
                                                   "to set itself up (it said: %2).")
                                        .arg(resources, refusalInOneLine(checker.startRefusal())));
        else
            CommandLine::printError(
                QStringLiteral("Grammar checking could not start: the engine's files in %1 are missing or broken.")
                    .arg(resources));
        return CommandLine::exitUsage;
    }
    if (run.checkFailed()) {
        CommandLine::printError(QStringLiteral("The grammar engine failed while checking the text; run it again."));
        return CommandLine::exitUsage;
    }
    const QString out = json ? formatJson(run.inputs(), run.findings()) : formatLines(run.inputs(), run.findings());
    if (!CommandLine::printOut(out) || unreadable)
        return CommandLine::exitUsage;
    return run.findings().isEmpty() ? CommandLine::exitOk : exitFound;
}

} // namespace quillcraft
