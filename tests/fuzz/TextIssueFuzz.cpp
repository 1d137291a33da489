// The grammar engine's findings over a text. Input: two bytes giving the text's length
// in bytes, the text, then the findings JSON. Whatever the JSON says, every issue that
// comes out lies inside the text on whole characters and offers a suggestion.
#include "FuzzSupport.h"

#include "grammar/TextIssue.h"

#include <QSet>

using namespace quillcraft;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::InputReader input(data, size);
    const std::size_t textBytes = std::size_t(input.byte()) << 8 | input.byte();
    const QString text = QString::fromUtf8(input.bytes(textBytes));
    const QString json = QString::fromUtf8(input.rest());

    const QList<TextIssue> issues = TextIssue::decodeHarper(json, text);
    QSet<QString> ids;
    for (const TextIssue& issue : issues) {
        fuzz::check(issue.location >= 0 && issue.length > 0, "an issue has no extent");
        fuzz::check(issue.location + issue.length <= text.size(), "an issue reaches past the text");
        fuzz::check(issue.problemText == text.mid(issue.location, issue.length), "an issue holds other text");
        fuzz::check(issue.isAligned(text), "a fresh issue is not aligned with its text");
        fuzz::check(!issue.suggestions.isEmpty(), "an issue offers nothing");
        fuzz::check(!issue.message.contains(QLatin1Char('`')), "a message kept its back-quotes");
        fuzz::check(!ids.contains(issue.id()), "two issues share a span");
        ids.insert(issue.id());
        for (const Suggestion& suggestion : issue.suggestions) {
            fuzz::check(issue.edit(suggestion).apply(text).has_value(), "a suggestion cannot be applied");
            issue.label(suggestion);
        }
    }
    return 0;
}
