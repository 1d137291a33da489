#include "LanguageDetector.h"

// The CLD2 header uses size_t and friends without including what declares them.
#include <cstdio>

#include <cld2/public/compact_lang_det.h>
#include <cld2/public/encodings.h>

namespace quillcraft {

bool LanguageDetector::isOtherLanguage(const QString& text, int minimumPercent)
{
    // A lone surrogate would make invalid UTF-8, which CLD2 stops at; toUtf8()
    // turns it into U+FFFD.
    const QByteArray utf8 = text.toUtf8();
    if (utf8.isEmpty())
        return false;

    CLD2::CLDHints hints = { nullptr, nullptr, CLD2::UNKNOWN_ENCODING, CLD2::UNKNOWN_LANGUAGE };
    CLD2::Language languages[3] = {};
    int percents[3] = {};
    double scores[3] = {};
    int textBytes = 0;
    bool reliable = false;
    int validPrefixBytes = 0;
    const CLD2::Language top = CLD2::ExtDetectLanguageSummaryCheckUTF8(utf8.constData(), int(utf8.size()), true, &hints,
        0, languages, percents, scores, nullptr, &textBytes, &reliable, &validPrefixBytes);
    Q_UNUSED(top)

    const CLD2::Language first = languages[0];
    if (!reliable || first == CLD2::ENGLISH || first == CLD2::UNKNOWN_LANGUAGE || first == CLD2::TG_UNKNOWN_LANGUAGE)
        return false;
    return percents[0] >= minimumPercent;
}

} // namespace quillcraft
