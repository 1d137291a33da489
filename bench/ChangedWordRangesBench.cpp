// Times WordDiff::changedWordRanges, which the rewrite card reruns on every streamed
// update, against the 16.7 ms of a 60 Hz frame. The baseline is a linear pass over the same
// texts (wordCount), so the ratio says how many text passes a diff costs on any machine.

#include "rewrite/WordDiff.h"

#include "MedianTime.h"

#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

using namespace quillcraft;

namespace {

constexpr double kFrameMs = 1000.0 / 60.0;

// clang-format off
const char* const kVocabulary[] = {
    "the",     "writer",   "quickly", "reviewed", "draft",    "before",   "sending", "it",      "to",
    "editor",  "because",  "several", "sections", "needed",   "clearer",  "words",   "and",     "a",
    "better",  "structure", "while",  "others",   "were",     "already",  "fine",    "however", "team",
    "agreed",  "that",     "deadline", "could",   "move",     "Tuesday",  "if",      "results", "looked",
    "right",   "report",   "shows",   "growth",   "of",       "12%",      "in",      "March",   "don't",
    "we'll",   "customer", "support", "email",    "meeting",  "notes",    "summary", "plan",    "next",
};
// clang-format on

// A selection of `count` words with sentence punctuation, deterministic per seed.
QString selection(int count, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> pick(0, int(std::size(kVocabulary)) - 1);
    QString text;
    for (int i = 0; i < count; ++i) {
        QString word = QString::fromLatin1(kVocabulary[pick(random)]);
        if (i % 12 == 0)
            word[0] = word[0].toUpper();
        text += word;
        text += (i % 12 == 11) ? QStringLiteral(". ") : (i % 5 == 4 ? QStringLiteral(", ") : QStringLiteral(" "));
    }
    return text.trimmed();
}

// A rewrite of `source` with `count` words: about a fifth replaced, the rest kept in order,
// padded with inserted words, as a model's rewrite tends to be.
QString rewriteOf(const QString& source, int count, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> pick(0, int(std::size(kVocabulary)) - 1);
    std::uniform_int_distribution<int> percent(0, 99);
    QStringList words = source.split(QLatin1Char(' '));
    QStringList result;
    for (const QString& word : words) {
        if (int(result.size()) >= count)
            break;
        result << (percent(random) < 20 ? QString::fromLatin1(kVocabulary[pick(random)]) : word);
        const qsizetype remaining = words.size() - result.size();
        if (int(result.size()) < count && percent(random) < 100 * (count - int(result.size()) - remaining) / count + 1)
            result << QString::fromLatin1(kVocabulary[pick(random)]);
    }
    while (int(result.size()) < count)
        result << QString::fromLatin1(kVocabulary[pick(random)]);
    return result.join(QLatin1Char(' '));
}

double medianMs(const std::function<void()>& work)
{
    return bench::medianTime<std::milli>(work, 30);
}

} // namespace

int main()
{
    struct Case {
        const char* name;
        int oldWords;
        int newWords;
    };
    const Case cases[]
        = { { "40 x 44 words", 40, 44 }, { "150 x 165 words", 150, 165 }, { "600 x 660 words", 600, 660 } };

    std::printf("%-18s %10s %10s %12s %10s\n", "case", "marked", "ms", "of a frame", "x baseline");
    volatile qsizetype sink = 0;
    for (const Case& c : cases) {
        const QString oldText = selection(c.oldWords, 7);
        const QString newText = rewriteOf(oldText, c.newWords, 11);
        if (WordDiff::wordCount(oldText) != c.oldWords || WordDiff::wordCount(newText) != c.newWords)
            std::printf("(word counts %lld x %lld)\n", static_cast<long long>(WordDiff::wordCount(oldText)),
                static_cast<long long>(WordDiff::wordCount(newText)));
        const qsizetype marked = WordDiff::changedWordRanges(oldText, newText).size();
        const double baseline = medianMs([&] { sink = WordDiff::wordCount(oldText) + WordDiff::wordCount(newText); });
        const double diff = medianMs([&] { sink = WordDiff::changedWordRanges(oldText, newText).size(); });
        std::printf("%-18s %10lld %10.3f %11.1f%% %10.0f\n", c.name, static_cast<long long>(marked), diff,
            100.0 * diff / kFrameMs, diff / baseline);
    }
    return 0;
}
