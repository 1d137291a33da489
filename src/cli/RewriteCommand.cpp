#include "RewriteCommand.h"

#include "cli/CommandLine.h"
#include "cli/TerminalText.h"
#include "core/DevelopmentHooks.h"
#include "service/PersistentCookieJar.h"
#include "service/QuillcraftClient.h"
#include "service/RewriterOptions.h"
#include "service/ServiceNetwork.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <optional>
#include <unistd.h>
#include <variant>

namespace quillcraft {

namespace {

// Exit statuses, one per way of failing (listed in --help).
constexpr int exitCannotReadOrWrite = 1;
constexpr int exitOffline = 3;
constexpr int exitServer = 4;
constexpr int exitTooLong = 5;
constexpr int exitTryLater = 6;
constexpr int exitSignIn = 7;
constexpr int exitUpgrade = 8;

QString usage()
{
    return QStringLiteral("Usage: quillcraft rewrite [OPTIONS] [FILE]\n"
                          "\n"
                          "Rewrites the text of FILE (or of standard input, also with FILE \"-\") with the\n"
                          "Quillcraft web service and prints the result. On a terminal the text is shown\n"
                          "while it arrives.\n"
                          "\n"
                          "Options:\n"
                          "  --mode MODE      rewrite (the default), grammar or shorten\n"
                          "  --tone NAME      a tone to write in; repeat for several. Without --custom-tones\n"
                          "                   it must be one of: %1\n"
                          "  --custom-tones   the tones are your own names (at most %2, each at most %3\n"
                          "                   characters)\n"
                          "  --role ROLE      the writer role, one of the card's roles (default \"Standard\")\n"
                          "  --language LANG  the language to write in (default \"English\")\n"
                          "  -h, --help       show this help\n"
                          "\n"
                          "Grammar fixes always use the Standard role and no tones.\n"
                          "\n"
                          "Exit status:\n"
                          "  0  the rewrite was printed\n"
                          "  1  the input could not be read, is not UTF-8 text or is empty, or the result\n"
                          "     could not be written\n"
                          "  2  wrong usage\n"
                          "  3  the service is not reachable\n"
                          "  4  the service failed or the rewrite broke off\n"
                          "  5  the text is too long\n"
                          "  6  too many rewrites at once; try again later\n"
                          "  7  today's guest rewrites are used up; signing in gives more\n"
                          "  8  today's free rewrites are used up\n")
        .arg(RewriterOptions::presets().join(QStringLiteral(", ")))
        .arg(RewriterOptions::customLimit)
        .arg(RewriterOptions::nameLimit);
}

int exitStatus(RewriteFailure::Kind kind)
{
    switch (kind) {
    case RewriteFailure::Kind::signInForMore:
        return exitSignIn;
    case RewriteFailure::Kind::upgradeForMore:
        return exitUpgrade;
    case RewriteFailure::Kind::tryLater:
        return exitTryLater;
    case RewriteFailure::Kind::tooLong:
        return exitTooLong;
    case RewriteFailure::Kind::offline:
        return exitOffline;
    case RewriteFailure::Kind::server:
        break;
    }
    return exitServer;
}

struct Request {
    RewriteAction action;
    QString language;
    std::optional<QString> file; // none: standard input
};

// A usage error: prints one sentence and gives the status to exit with.
int usageError(QString sentence)
{
    if (sentence.endsWith(QLatin1Char('.')))
        sentence.chop(1);
    CommandLine::printError(sentence + QStringLiteral("; see quillcraft rewrite --help."));
    return CommandLine::exitUsage;
}

// Parses the arguments; on failure returns the exit status instead.
std::variant<Request, int> parse(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption mode(QStringLiteral("mode"), QString(), QStringLiteral("MODE"));
    const QCommandLineOption tone(QStringLiteral("tone"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption customTones(QStringLiteral("custom-tones"));
    const QCommandLineOption role(QStringLiteral("role"), QString(), QStringLiteral("ROLE"));
    const QCommandLineOption language(QStringLiteral("language"), QString(), QStringLiteral("LANG"));
    const QCommandLineOption help(QStringList { QStringLiteral("h"), QStringLiteral("help") });
    parser.addOptions({ mode, tone, customTones, role, language, help });
    if (!parser.parse(QStringList { QStringLiteral("quillcraft rewrite") } + arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        return CommandLine::printOut(usage()) ? CommandLine::exitOk : exitCannotReadOrWrite;
    }

    Request request { RewriteAction::rewrite(), QStringLiteral("English"), std::nullopt };
    if (parser.isSet(mode)) {
        const QString name = parser.value(mode);
        if (name == QLatin1String("rewrite"))
            request.action.mode = RewriteAction::Mode::rewrite;
        else if (name == QLatin1String("grammar"))
            request.action.mode = RewriteAction::Mode::grammar;
        else if (name == QLatin1String("shorten"))
            request.action.mode = RewriteAction::Mode::shorten;
        else
            return usageError(QStringLiteral("Unknown mode \"%1\"; use rewrite, grammar or shorten.").arg(name));
    }

    const bool custom = parser.isSet(customTones);
    request.action.source = custom ? RewriteAction::Source::custom : RewriteAction::Source::preset;
    for (const QString& name : parser.values(tone)) {
        if (!custom) {
            if (!RewriterOptions::presets().contains(name))
                return usageError(
                    QStringLiteral("\"%1\" is not a preset tone; use --custom-tones for your own.").arg(name));
            request.action.tones << name;
            continue;
        }
        const QString trimmed = name.trimmed();
        if (trimmed.isEmpty())
            return usageError(QStringLiteral("A custom tone needs a name."));
        if (!RewriterOptions::fitsNameLimit(trimmed))
            return usageError(
                QStringLiteral("A custom tone name can be at most %1 characters.").arg(RewriterOptions::nameLimit));
        request.action.tones << trimmed;
    }
    if (custom && request.action.tones.size() > RewriterOptions::customLimit)
        return usageError(QStringLiteral("At most %1 custom tones can be used.").arg(RewriterOptions::customLimit));

    if (parser.isSet(role)) {
        request.action.role = parser.value(role);
        if (!RewriterOptions::roles().contains(request.action.role))
            return usageError(QStringLiteral("\"%1\" is not a known role.").arg(request.action.role));
    }
    if (parser.isSet(language)) {
        request.language = parser.value(language).trimmed();
        if (request.language.isEmpty())
            return usageError(QStringLiteral("The language needs a name."));
    }

    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return usageError(QStringLiteral("Give at most one file."));
    if (!files.isEmpty() && files.first() != QLatin1String("-"))
        request.file = files.first();
    return request;
}

// The whole input as text; on failure prints why and returns nothing.
std::optional<QString> readInput(const std::optional<QByteArray>& path)
{
    QString error;
    std::optional<QString> text = CommandLine::readText(path, error);
    if (!text) {
        CommandLine::printError(error);
    } else if (text->trimmed().isEmpty()) {
        const QString name
            = path ? QStringLiteral("\"%1\"").arg(QFile::decodeName(*path)) : QStringLiteral("standard input");
        CommandLine::printError(QStringLiteral("There is no text to rewrite in %1.").arg(name));
        return std::nullopt;
    }
    return text;
}

// The service's text must not drive the terminal: control characters
// (escape sequences, carriage returns) are left out.
QString printable(const QString& text)
{
    return TerminalText::sanitized(text, TerminalText::Rendering::dropped);
}

// Shows the text on a terminal while it streams. The text only ever grows at
// its end, so printing what was appended keeps the screen right even across
// line breaks; leading white space is held back because the result is trimmed.
class TerminalEcho final {
public:
    // False when the terminal could not be written.
    bool show(const QString& text)
    {
        const qsizetype start = firstVisible(text);
        if (start < 0)
            return true;
        const QString shown = text.mid(start);
        // A character split across two records waits for its second half,
        // which alone would be an unsafe lone surrogate.
        qsizetype end = shown.size();
        if (end > m_printed && shown.at(end - 1).isHighSurrogate())
            --end;
        const bool written = CommandLine::printOut(printable(shown.mid(m_printed, end - m_printed)));
        m_printed = end;
        return written;
    }
    bool printedAnything() const { return m_printed > 0; }

private:
    static qsizetype firstVisible(const QString& text)
    {
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (!text.at(i).isSpace())
                return i;
        }
        return -1;
    }

    qsizetype m_printed = 0;
};

} // namespace

int runRewriteCommand(int argc, char** argv)
{
    const std::variant<Request, int> parsed = parse(CommandLine::argumentsAfterMode(argc, argv));
    if (const int* status = std::get_if<int>(&parsed))
        return *status;
    const Request& request = std::get<Request>(parsed);
    const std::optional<QString> text
        = readInput(request.file ? std::optional(CommandLine::rawArgument(argc, argv, *request.file)) : std::nullopt);
    if (!text)
        return exitCannotReadOrWrite;

    QCoreApplication app(argc, argv);
    ServiceNetwork network(PersistentCookieJar::defaultFilePath());
    const QuillcraftClient client(network.manager(), DevelopmentHooks::origin());
    const bool terminal = ::isatty(STDOUT_FILENO) == 1;
    TerminalEcho echo;
    bool outputFailed = false;
    const auto failOutput = [&outputFailed] {
        outputFailed = true;
        QCoreApplication::exit(exitCannotReadOrWrite);
    };

    auto onText = [terminal, &echo, &outputFailed, failOutput](const QString& partial) {
        if (terminal && !outputFailed && !echo.show(partial))
            failOutput();
    };
    auto onDone = [terminal, &echo, &outputFailed, failOutput](const RewriteTask::Outcome& outcome) {
        if (outputFailed)
            return;
        if (terminal && echo.printedAnything() && !CommandLine::printOut(QStringLiteral("\n")))
            return failOutput();
        if (const QString* result = std::get_if<QString>(&outcome)) {
            // A result that never reached its reader is no success.
            if (!terminal && !CommandLine::printOut(*result + QLatin1Char('\n')))
                return failOutput();
            QCoreApplication::exit(CommandLine::exitOk);
            return;
        }
        const RewriteFailure failure = std::holds_alternative<RewriteFailure>(outcome)
            ? std::get<RewriteFailure>(outcome)
            : QuillcraftClient::failedGenerally();
        // The message may be the service's own text.
        CommandLine::printError(printable(failure.message));
        QCoreApplication::exit(exitStatus(failure.kind));
    };
    const std::unique_ptr<RewriteTask> task = client.rewrite(*text, request.action, request.language, onText, onDone);
    return app.exec();
}

} // namespace quillcraft
