#pragma once

#include <QString>

namespace quillcraft {

// Tells text that is clearly in another language than English, so that the
// grammar checker does not flag every word of it.
class LanguageDetector final {
public:
    // True only when the detector names one language other than English for at
    // least `minimumPercent` of the text's letters and calls its verdict reliable.
    // Unknown, mixed or short ambiguous texts count as English.
    static bool isOtherLanguage(const QString& text, int minimumPercent = 90);
};

} // namespace quillcraft
