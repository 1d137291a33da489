#include "TextTrim.h"

namespace quillcraft {

QString trimmed(const QString& text, bool (*isBlank)(QChar))
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace quillcraft
