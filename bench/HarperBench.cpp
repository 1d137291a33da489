// Times the Harper checker (JavaScriptCore on its own thread) and, as the
// baseline, the same engine files under Node on the same texts, in one run:
// setup to ready, the first check after ready, fresh 1k and 10k texts, and
// resident memory after setup and after 50 checks.
#include "grammar/HarperChecker.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QTemporaryFile>
#include <QTextStream>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <tuple>

using namespace quillcraft;

namespace {

constexpr int checkCount = 50; // including the first check after ready
constexpr int tenKChecks = 24;
constexpr int editChecks = 9;
// Memory after the checks is read once the program has been idle this long.
constexpr int idleMs = 200;

// English with mistakes of several kinds (about one finding per sentence).
// Every sentence of every text is new, so that no check is answered from the
// engine's cache (which remembers sentences); the words differ from those the
// engine warms up with. Denser in mistakes than ordinary writing, but the
// engine's cost hardly depends on that: the same texts without mistakes, and
// ordinary prose, all cost about 30 ms of CPU per fresh 1000 characters.
QString freshText(int seed, qsizetype size)
{
    static const char* const openings[] = {
        "Yesterday the driver",
        "In the morning our guests",
        "Last year the museum",
        "The young doctor",
        "After the storm the farmers",
        "Nobody in the village",
        "The orchestra",
        "Her brother",
        "The city council",
        "A group of students",
        "The restaurant owner",
        "Our landlord",
    };
    static const char* const middles[] = {
        "allways arrives late for",
        "were not sure about",
        "spent to much money on",
        "is responsable for",
        "has wrote three articles about",
        "cannot stop talking about",
        "was suprised by",
        "complained about",
        "carefully prepared",
        "doesnt care about",
        "is exited about",
        "quickly forgot",
    };
    static const char* const endings[] = {
        "the concert in the park",
        "a accident near the bridge",
        "the weather forecast",
        "there holiday plans",
        "the new parking rules",
        "an interesting documentary",
        "the price of of vegetables",
        "the neighbours dog",
        "the annual report",
        "a broken elevator",
        "the football match",
        "the seperate entrance",
    };
    quint32 state = quint32(seed) * 2654435761u + 12345u;
    auto pick = [&state](const auto& list) {
        state = state * 1664525u + 1013904223u;
        return QString::fromUtf8(list[(state >> 16) % std::size(list)]);
    };
    QString text;
    for (int i = 0; text.size() < size; ++i) {
        text += QStringLiteral("%1 %2 %3 on day %4 of week %5.")
                    .arg(pick(openings), pick(middles), pick(endings))
                    .arg(i + 1)
                    .arg(seed);
        text += (i % 6 == 5) ? QStringLiteral("\n\n") : QStringLiteral(" ");
    }
    text.truncate(size);
    return text;
}

double residentMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

// With QUILLCRAFT_BENCH_TRACE set: where the resident memory sits, by mapping.
void traceMappings()
{
    QFile smaps(QStringLiteral("/proc/self/smaps"));
    if (!smaps.open(QIODevice::ReadOnly))
        return;
    QFile rollup(QStringLiteral("/proc/self/smaps_rollup"));
    if (rollup.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : rollup.readAll().split('\n')) {
            if (line.startsWith("Rss:") || line.startsWith("Anonymous:") || line.startsWith("Pss_File:"))
                std::fprintf(stderr, "  %s\n", line.simplified().constData());
        }
    }
    QMap<QByteArray, double> byName;
    QByteArray name;
    for (const QByteArray& line : smaps.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 5 && fields[0].contains('-') && !fields[0].endsWith(':'))
            name = fields.size() >= 6 ? fields[5] : QByteArrayLiteral("[anonymous ") + fields[0] + ']';
        else if (line.startsWith("Rss:"))
            byName[name] += fields.value(1).toDouble() / 1024.0;
    }
    QList<std::pair<double, QByteArray>> sorted;
    for (auto it = byName.cbegin(); it != byName.cend(); ++it)
        sorted.append({ it.value(), it.key() });
    std::sort(sorted.begin(), sorted.end(), std::greater<>());
    for (qsizetype i = 0; i < std::min<qsizetype>(sorted.size(), 20); ++i)
        std::fprintf(stderr, "  %7.1f MiB %s\n", sorted[i].first, sorted[i].second.constData());
}

// What an idle desktop gives the checker after a check (in Node, the same pause).
void idle()
{
    QEventLoop loop;
    QTimer::singleShot(idleMs, &loop, &QEventLoop::quit);
    loop.exec();
}

double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Results {
    double setupMs = 0;
    double firstMs = 0;
    double firstCpuMs = 0;
    QMap<QString, QList<double>> times; // by kind of check
    QMap<QString, QList<double>> cpu;
    double rssAfterSetup = 0;
    double rssAfterChecks = 0;
    qint64 findings = 0;
};

struct Check {
    QString size;
    QString text;
};

// The process's CPU time: the checker thread and the engine's compiler and
// collector threads, comparable with Node's process.cpuUsage().
double cpuMs()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// Waits for the checker's answer; a benchmark may block its own thread.
std::pair<double, double> timedCheck(HarperChecker& checker, const QString& text, qint64& findings)
{
    QEventLoop loop;
    QElapsedTimer timer;
    double ms = 0;
    const double cpuBefore = cpuMs();
    timer.start();
    checker.lint(text, [&](const QList<TextIssue>& issues) {
        ms = double(timer.nsecsElapsed()) / 1e6;
        findings += issues.size();
        loop.quit();
    });
    loop.exec();
    return { ms, cpuMs() - cpuBefore };
}

std::optional<Results> runChecker(const QString& first, const QList<Check>& checks)
{
    Results results;
    HarperChecker checker(QStringLiteral(QUILLCRAFT_RESOURCE_DIR));
    QEventLoop loop;
    bool ready = false;
    QElapsedTimer timer;
    timer.start();
    checker.start([&](bool ok) {
        ready = ok;
        loop.quit();
    });
    loop.exec();
    results.setupMs = double(timer.nsecsElapsed()) / 1e6;
    if (!ready)
        return std::nullopt;
    results.rssAfterSetup = residentMiB();
    const bool trace = qEnvironmentVariableIsSet("QUILLCRAFT_BENCH_TRACE");
    if (trace)
        traceMappings();
    std::tie(results.firstMs, results.firstCpuMs) = timedCheck(checker, first, results.findings);
    for (qsizetype i = 0; i < checks.size(); ++i) {
        const auto [ms, cpu] = timedCheck(checker, checks[i].text, results.findings);
        results.times[checks[i].size].append(ms);
        results.cpu[checks[i].size].append(cpu);
        if (trace)
            std::fprintf(
                stderr, "%s %.1f ms (CPU %.1f ms), %.0f MiB\n", qPrintable(checks[i].size), ms, cpu, residentMiB());
        if (i + 1 == checkCount - 1) {
            idle();
            results.rssAfterChecks = residentMiB();
            if (trace)
                traceMappings();
        }
    }
    return results;
}

std::optional<Results> runNode(const QString& first, const QList<Check>& checks)
{
    QTemporaryFile textsFile;
    if (!textsFile.open())
        return std::nullopt;
    QJsonArray array;
    for (const Check& check : checks)
        array.append(QJsonObject { { QStringLiteral("size"), check.size }, { QStringLiteral("text"), check.text } });
    textsFile.write(
        QJsonDocument(QJsonObject { { QStringLiteral("first"), first }, { QStringLiteral("checks"), array },
                          { QStringLiteral("rssAfter"), checkCount - 1 }, { QStringLiteral("idleMs"), idleMs } })
            .toJson(QJsonDocument::Compact));
    textsFile.flush();

    QProcess node;
    node.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    node.start(QStringLiteral(QUILLCRAFT_NODE),
        { QStringLiteral(QUILLCRAFT_NODE_BASELINE), QStringLiteral(QUILLCRAFT_RESOURCE_DIR), textsFile.fileName() });
    if (!node.waitForFinished(600000) || node.exitCode() != 0)
        return std::nullopt;
    const QJsonObject out = QJsonDocument::fromJson(node.readAllStandardOutput()).object();
    Results results;
    results.setupMs = out[QStringLiteral("setupMs")].toDouble();
    results.firstMs = out[QStringLiteral("firstMs")].toDouble();
    results.firstCpuMs = out[QStringLiteral("firstCpuMs")].toDouble();
    for (const QString& key : { QStringLiteral("times"), QStringLiteral("cpu") }) {
        const QJsonObject bySize = out[key].toObject();
        for (auto it = bySize.constBegin(); it != bySize.constEnd(); ++it) {
            for (const QJsonValue& v : it.value().toArray())
                (key == QLatin1String("times") ? results.times : results.cpu)[it.key()].append(v.toDouble());
        }
    }
    results.rssAfterSetup = out[QStringLiteral("rssAfterSetup")].toDouble();
    results.rssAfterChecks = out[QStringLiteral("rssAfterChecks")].toDouble();
    results.findings = out[QStringLiteral("findings")].toInteger();
    return results;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);

    const QString first = freshText(1, HarperChecker::textLimit);
    QList<Check> checks;
    for (int i = 0; i < checkCount - 1; ++i) {
        const bool big = i % 2 == 0 && i / 2 < tenKChecks;
        checks.append({ big ? QStringLiteral("10k") : QStringLiteral("1k"),
            freshText(100 + i, big ? HarperChecker::textLimit : 1000) });
    }
    // Then what typing costs: the same 10k text again after a one-word change
    // each time, mostly answered from the engine's cache.
    QString edited = freshText(99, HarperChecker::textLimit);
    checks.append({ QStringLiteral("edited-original"), edited });
    qsizetype at = 0;
    for (int i = 0; i < editChecks; ++i) {
        at = edited.indexOf(QStringLiteral(" day "), at + 977);
        if (at < 0)
            break;
        edited.replace(at, 5, QStringLiteral(" dai "));
        checks.append({ QStringLiteral("edit"), edited });
    }

    const std::optional<Results> jsc = runChecker(first, checks);
    if (!jsc) {
        std::fputs("The checker could not start; is the engine built?\n", stderr);
        return 1;
    }
    const std::optional<Results> node = runNode(first, checks);
    if (!node) {
        std::fputs("The Node baseline failed.\n", stderr);
        return 1;
    }

    auto row = [&](const char* what, double ours, double base, const char* unit) {
        out << QStringLiteral("%1 %2 %3 %4  ratio %5\n")
                   .arg(QString::fromLatin1(what), -38)
                   .arg(ours, 9, 'f', 1)
                   .arg(base, 9, 'f', 1)
                   .arg(QString::fromLatin1(unit), -4)
                   .arg(base > 0 ? ours / base : 0, 0, 'f', 2);
    };
    out << QStringLiteral("%1 %2 %3\n")
               .arg(QStringLiteral("Harper checker"), -38)
               .arg(QStringLiteral("JSC"), 9)
               .arg(QStringLiteral("Node"), 9);
    auto medians = [&](const char* what, const QString& kind, bool cpu) {
        row(what, median((cpu ? jsc->cpu : jsc->times)[kind]), median((cpu ? node->cpu : node->times)[kind]), "ms");
    };
    row("setup to ready", jsc->setupMs, node->setupMs, "ms");
    row("first check after ready (fresh 10k)", jsc->firstMs, node->firstMs, "ms");
    row("  CPU time, first check", jsc->firstCpuMs, node->firstCpuMs, "ms");
    medians("fresh 1k text, median", QStringLiteral("1k"), false);
    medians("fresh 10k text, median", QStringLiteral("10k"), false);
    medians("  CPU time, fresh 1k, median", QStringLiteral("1k"), true);
    medians("  CPU time, fresh 10k, median", QStringLiteral("10k"), true);
    medians("10k text after a one-word edit, median", QStringLiteral("edit"), false);
    medians("  CPU time, one-word edit, median", QStringLiteral("edit"), true);
    row("resident memory after setup", jsc->rssAfterSetup, node->rssAfterSetup, "MiB");
    row("resident memory after 50 checks, idle", jsc->rssAfterChecks, node->rssAfterChecks, "MiB");
    out << QStringLiteral(
        "findings: %1 (JSC), %2 (Node); fresh texts: %3 of 1k, %4 of 10k (with the first); %5 edits\n")
               .arg(jsc->findings)
               .arg(node->findings)
               .arg(jsc->times[QStringLiteral("1k")].size())
               .arg(jsc->times[QStringLiteral("10k")].size() + 1)
               .arg(jsc->times[QStringLiteral("edit")].size());
    out << QStringLiteral("targets: fresh 10k ratio <= 1.0, first check <= 150 ms, "
                          "memory after 50 checks <= 260 MiB\n");
    out.flush();
    return 0;
}
