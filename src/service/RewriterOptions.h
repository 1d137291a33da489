#pragma once

#include <QString>
#include <QStringList>

namespace quillcraft::RewriterOptions {

// The preset tone chips, in the order the card shows them.
const QStringList& presets();
// The writer roles of the card's role picker; the first is the default everywhere.
const QStringList& roles();

// The most custom tones that can be saved.
inline constexpr int customLimit = 15;
// The longest custom tone name, in UTF-16 units after trimming.
inline constexpr int nameLimit = 90;

// Whether a custom tone name fits the length limit once trimmed.
bool fitsNameLimit(const QString& name);
// Whether another custom tone can be saved beside the ones already saved.
inline bool canAddCustomTone(qsizetype savedCount)
{
    return savedCount < customLimit;
}

} // namespace quillcraft::RewriterOptions
