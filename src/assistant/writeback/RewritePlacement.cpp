#include "RewritePlacement.h"

#include "assistant/TextActions.h"
#include "core/PlatformWording.h"

#include <optional>

namespace quillcraft {

namespace {

// The source's one place in the text, or nothing when it is missing or ambiguous.
std::optional<qint64> locate(const QString& text, TextRange range, const QString& source)
{
    if (range.liesInside(text.size()) && range.length == source.size()
        && QStringView(text).mid(range.location, range.length) == source)
        return range.location;
    const qsizetype first = text.indexOf(source);
    if (first < 0)
        return std::nullopt;
    // From one unit on, so that "aa" occurs twice in "aaa".
    if (text.indexOf(source, first + 1) >= 0)
        return std::nullopt;
    return first;
}

} // namespace

RewritePlacement placeRewrite(const QString& freshText, TextRange range, const QString& source, const QString& rewrite)
{
    const std::optional<qint64> start = locate(freshText, range, source);
    if (!start) {
        return { RewritePlacement::Outcome::copy, {},
            PlatformWording::apply(
                QStringLiteral("Copied. The text changed while the card was open, so paste it with ⌘V.")) };
    }
    const QString replacement = TextActions::keepingEdges(source, rewrite);
    std::optional<TextEdit> edit = TextActions::minimalEdit(source, replacement);
    if (!edit)
        return { RewritePlacement::Outcome::nothing, {}, {} };
    edit->location += *start;
    return { RewritePlacement::Outcome::edit, *edit, {} };
}

} // namespace quillcraft
