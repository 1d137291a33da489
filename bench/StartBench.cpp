// How long the desktop program takes to start, as a user meets it:
//   1. from starting it to its status-area icon (the line it prints once the icon,
//      the menu and the assistant are set up);
//   2. from starting it to the first underline in a field that has the keyboard
//      (the engine started and warmed, one poll, the quiet period and one check).
// Both are set against the time the same binary takes to start and print its help,
// measured in the same run. Each sample starts the program afresh.
//   tests/e2e/session.sh build/bench/bench_start [--samples 5]

#include "AssistantProcess.h"
#include "E2eSupport.h"

#include <QCommandLineParser>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace quillcraft;
using namespace quillcraft::e2e;
using bench::AssistantProcess;

namespace {

using Clock = std::chrono::steady_clock;

const QString unusedOrigin = QStringLiteral("http://127.0.0.1:9");
const QString runningLine = QStringLiteral("Quillcraft is running");
constexpr int pollMs = 5;
constexpr int limitMs = 20000;

double msSince(Clock::time_point from)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    return QString::fromLatin1(file.readAll()).section(QLatin1Char(' '), 0, 2);
}

// The baseline: the binary loaded, its libraries resolved and its help printed.
std::optional<double> helpMs()
{
    QProcess process;
    const auto start = Clock::now();
    process.start(QStringLiteral(QUILLCRAFT_BINARY), { QStringLiteral("--help") });
    if (!process.waitForFinished(limitMs) || process.exitCode() != 0)
        return std::nullopt;
    return msSince(start);
}

// Polls until the condition holds; the time taken, or nothing at the limit.
std::optional<double> timeUntil(Clock::time_point start, const std::function<bool()>& condition)
{
    while (msSince(start) < limitMs) {
        if (condition())
            return msSince(start);
        QThread::msleep(pollMs);
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption samplesOption(
        QStringLiteral("samples"), QStringLiteral("Starts to time."), QStringLiteral("count"), QStringLiteral("5"));
    parser.addOption(samplesOption);
    parser.addHelpOption();
    parser.process(app);
    const int samples = std::max(1, parser.value(samplesOption).toInt());
    std::printf("load average at start: %s\n", qPrintable(loadAverage()));

    TargetApp target(Toolkit::qt,
        { QStringLiteral("--line"), QStringLiteral("We walked to teh park and then went home for a quiet dinner.") });
    if (!target.start() || !target.focus(lineField)) {
        std::fprintf(stderr,
            "The Qt target did not start with its field focused; run this under "
            "tests/e2e/session.sh.\n");
        return 1;
    }

    std::vector<double> baseline;
    std::vector<double> toIcon;
    std::vector<double> toUnderline;
    for (int i = 0; i < samples; ++i) {
        if (const std::optional<double> help = helpMs())
            baseline.push_back(*help);
        const auto start = Clock::now();
        AssistantProcess program(unusedOrigin);
        const std::optional<double> icon
            = timeUntil(start, [&program] { return program.output().contains(runningLine); });
        const std::optional<double> underline = timeUntil(start, [&program] {
            const QJsonObject state = program.state();
            return !state.value(QStringLiteral("fixes")).toArray().isEmpty()
                && !state.value(QStringLiteral("marks")).toArray().isEmpty();
        });
        if (!icon || !underline) {
            std::fprintf(stderr, "Start %d: %s within %d s; its last state: %s\n", i + 1,
                !icon ? "the program never said it was running" : "no underline", limitMs / 1000,
                QJsonDocument(program.state()).toJson(QJsonDocument::Compact).constData());
            return 1;
        }
        std::printf("start %d: icon %.0f ms, underline %.0f ms\n", i + 1, *icon, *underline);
        toIcon.push_back(*icon);
        toUnderline.push_back(*underline);
        // The target keeps the keyboard for the next start.
        if (!target.focus(lineField)) {
            std::fprintf(stderr, "The line field lost the keyboard.\n");
            return 1;
        }
    }

    const double base = median(baseline);
    std::printf("\nmedian of %d starts (baseline: the same binary printing its help, %.0f ms)\n", samples, base);
    std::printf("to status-area icon: %.0f ms (%.1fx baseline; target under 1000 ms)\n", median(toIcon),
        base > 0 ? median(toIcon) / base : 0.0);
    std::printf("to first underline:  %.0f ms (%.1fx baseline; target under 3000 ms to ready, this includes one "
                "poll and the quiet period)\n",
        median(toUnderline), base > 0 ? median(toUnderline) / base : 0.0);
    std::printf("load average at end: %s\n", qPrintable(loadAverage()));
    return 0;
}
