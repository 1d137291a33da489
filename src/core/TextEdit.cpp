#include "TextEdit.h"

#include "core/TextRange.h"

namespace quillcraft {

std::optional<QString> TextEdit::apply(const QString& text) const
{
    if (!TextRange { location, length }.liesInside(text.size()))
        return std::nullopt;
    QString result = text;
    result.replace(location, length, replacement);
    return result;
}

} // namespace quillcraft
