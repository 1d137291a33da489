// How often JavaScriptCore spoils the grammar engine's setup: a trap, or memory
// unlike the build's reference (see memoryDigest in engine/harper-bridge.js). One
// engine on a loaded machine traps on about one start in 300; several engines
// starting at once in one process are spoiled far more often, which makes a new
// JavaScriptCore, or an option of it, quick to judge. Each round starts the engines
// together (each on its thread, in a context of its own, as the program does) and
// waits until all are ready; each refused attempt is counted from the checker's log
// and then tried again by the checker itself. JSC_* environment options apply.
//   build/bench/bench_engine_starts [--engines 4] [--rounds 10]
// The baseline is the same run's count of starts: the result is a rate.

#include "grammar/HarperChecker.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

using namespace quillcraft;

namespace {

// The checker logs each refused attempt, on its own thread, before it tries once more.
std::atomic<int> refusedAttempts = 0;

void countRefusals(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && qstrcmp(context.category, "quillcraft.grammar") == 0
        && message.contains(QLatin1String("setup failed"))) {
        ++refusedAttempts;
        std::fprintf(stderr, "%s\n", qUtf8Printable(message));
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption enginesOption(QStringLiteral("engines"), QStringLiteral("Engines started at once."),
        QStringLiteral("count"), QStringLiteral("4"));
    const QCommandLineOption roundsOption(
        QStringLiteral("rounds"), QStringLiteral("Rounds of starts."), QStringLiteral("count"), QStringLiteral("10"));
    parser.addOptions({ enginesOption, roundsOption });
    parser.process(app);
    const int engines = qMax(1, parser.value(enginesOption).toInt());
    const int rounds = qMax(1, parser.value(roundsOption).toInt());

    QLoggingCategory::setFilterRules(QStringLiteral("quillcraft.grammar.warning=true"));
    qInstallMessageHandler(countRefusals);

    int round = 0;
    int started = 0;
    int gaveUp = 0;
    int waiting = 0;
    std::vector<std::unique_ptr<HarperChecker>> checkers;
    QElapsedTimer clock;
    clock.start();
    std::function<void()> nextRound = [&] {
        checkers.clear();
        if (round++ == rounds) {
            app.quit();
            return;
        }
        waiting = engines;
        for (int i = 0; i < engines; ++i) {
            checkers.push_back(std::make_unique<HarperChecker>(QStringLiteral(QUILLCRAFT_RESOURCE_DIR)));
            checkers.back()->start([&](bool ready) {
                ++started;
                if (!ready)
                    ++gaveUp;
                if (--waiting == 0)
                    QTimer::singleShot(0, &app, nextRound);
            });
        }
    };
    QTimer::singleShot(0, &app, nextRound);
    app.exec();

    std::printf("engine starts                 %6d (%d at once, %d rounds, %.0f s)\n", started, engines, rounds,
        double(clock.elapsed()) / 1000);
    std::printf("setup attempts refused        %6d  rate %.3f per start\n", refusedAttempts.load(),
        started > 0 ? double(refusedAttempts.load()) / started : 0.0);
    std::printf("engines that never got ready  %6d\n", gaveUp);
    return gaveUp == 0 ? 0 : 1;
}
