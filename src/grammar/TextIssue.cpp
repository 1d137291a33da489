#include "TextIssue.h"

#include "core/TextTrim.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTextBoundaryFinder>

#include <cmath>

namespace quillcraft {

namespace {

const QChar kOpenQuote(0x201C);
const QChar kCloseQuote(0x201D);

// Space separators and tabs but not line breaks: a suggestion that adds a
// newline is not the same fix as one that does not.
bool isBlank(QChar c)
{
    return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space;
}

// A JSON number that holds an integer, or nothing (fractions, strings and absurd values alike).
std::optional<qint64> integerValue(const QJsonValue& value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    // 2^53: beyond that doubles skip integers, and no text is that long anyway.
    constexpr double kLimit = 9007199254740992.0;
    if (!std::isfinite(number) || std::floor(number) != number || std::fabs(number) > kLimit)
        return std::nullopt;
    return static_cast<qint64>(number);
}

// Whether the character that covers unit i (either half of a surrogate pair) is a combining mark.
bool isMarkAt(QStringView text, qint64 i)
{
    if (i < 0 || i >= text.size())
        return false;
    char32_t c = text.at(i).unicode();
    if (text.at(i).isLowSurrogate() && i > 0 && text.at(i - 1).isHighSurrogate())
        c = QChar::surrogateToUcs4(text.at(i - 1), text.at(i));
    else if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
        c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
    return QChar::isMark(c);
}

// Whether a span may begin or end at `position`: between two user-perceived
// characters, and not inside a word at one of its combining marks, where the
// engine splits decomposed words ("nai" + U+0308 + "ve"). Right after an
// accented letter that ends a word is a sound place. The finders run over `text`.
bool isSoundEdge(QStringView text, QTextBoundaryFinder& graphemes, QTextBoundaryFinder& words, qint64 position)
{
    graphemes.setPosition(int(position));
    if (!graphemes.isAtBoundary())
        return false;
    if (!isMarkAt(text, position - 1))
        return true;
    words.setPosition(int(position));
    return words.isAtBoundary();
}

QList<Suggestion> decodeSuggestions(const QJsonValue& value)
{
    QList<Suggestion> kept;
    QSet<QString> seen;
    const QJsonArray array = value.toArray();
    for (const QJsonValue& element : array) {
        if (!element.isObject())
            continue;
        const QJsonObject object = element.toObject();
        const QString wireKind = object.value(QLatin1String("kind")).toString();
        const std::optional<Suggestion::Kind> kind = Suggestion::kindFromRawValue(wireKind);
        if (!kind)
            continue;
        const QString text = object.value(QLatin1String("replacementText")).toString();
        const QString duplicateKey = wireKind + QLatin1Char(':') + trimmed(text, isBlank);
        if (seen.contains(duplicateKey))
            continue;
        seen.insert(duplicateKey);
        kept.append(Suggestion { *kind, text });
    }
    return kept;
}

} // namespace

QString TextIssue::id() const
{
    return QString::number(location) + QLatin1Char(':') + QString::number(length);
}

QString TextIssue::dismissKey() const
{
    return kind + QLatin1Char('|') + problemText + QLatin1Char('|') + message;
}

bool TextIssue::isSpelling() const
{
    return kind == QLatin1String("Spelling") || kind == QLatin1String("Typo");
}

bool TextIssue::isStyleSuggestion() const
{
    QString letters;
    for (QChar c : kind.toLower()) {
        if (c.isLetter())
            letters.append(c);
    }
    static constexpr const char* kStyleKinds[] = { "capitalization", "enhancement", "formatting", "readability",
        "redundancy", "regionalism", "style", "wordchoice" };
    for (const char* styleKind : kStyleKinds) {
        if (letters == QLatin1String(styleKind))
            return true;
    }
    return false;
}

bool TextIssue::isAligned(const QString& text) const
{
    if (!range().liesInside(text.size()))
        return false;
    const QString current = text.mid(location, length);
    if (current == problemText)
        return true;
    // Some toolkits hand back text in another normalisation form than they were given.
    return current.normalized(QString::NormalizationForm_D) == problemText.normalized(QString::NormalizationForm_D);
}

TextIssue TextIssue::shifted(qint64 delta) const
{
    TextIssue copy = *this;
    copy.location += delta;
    return copy;
}

TextEdit TextIssue::edit(const Suggestion& suggestion) const
{
    switch (suggestion.kind) {
    case Suggestion::Kind::replace:
        return { location, length, suggestion.text };
    case Suggestion::Kind::remove:
        return { location, length, QString() };
    case Suggestion::Kind::insertAfter:
        return { location + length, 0, suggestion.text };
    }
    Q_UNREACHABLE();
    return {};
}

QString TextIssue::label(const Suggestion& suggestion) const
{
    switch (suggestion.kind) {
    case Suggestion::Kind::replace:
        return suggestion.text;
    case Suggestion::Kind::remove:
        return QStringLiteral("Remove ") + kOpenQuote + problemText + kCloseQuote;
    case Suggestion::Kind::insertAfter:
        return QStringLiteral("Add ") + kOpenQuote + suggestion.text + kCloseQuote;
    }
    Q_UNREACHABLE();
    return {};
}

QList<TextIssue> TextIssue::decodeHarper(const QString& json, const QString& text)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return {};
    const QJsonArray findings = document.array();
    for (const QJsonValue& finding : findings) {
        if (!finding.isObject())
            return {};
    }

    const qint64 textLength = text.size();
    QList<TextIssue> issues;
    QSet<QString> seenSpans;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    QTextBoundaryFinder words(QTextBoundaryFinder::Word, text);
    const auto isSound = [&](qint64 position) { return isSoundEdge(text, graphemes, words, position); };
    for (const QJsonValue& value : findings) {
        const QJsonObject finding = value.toObject();
        const std::optional<qint64> start = integerValue(finding.value(QLatin1String("start")));
        const std::optional<qint64> end = integerValue(finding.value(QLatin1String("end")));
        if (!start || !end || *start < 0 || *start >= *end || *end > textLength)
            continue;
        // A span through the middle of a character means the engine saw other text than
        // ours; a fix there would leave half a character behind, or an accent on the
        // wrong letter.
        if (splitsSurrogatePair(text, *start) || splitsSurrogatePair(text, *end) || !isSound(*start) || !isSound(*end))
            continue;

        QList<Suggestion> suggestions = decodeSuggestions(finding.value(QLatin1String("suggestions")));
        if (suggestions.isEmpty())
            continue;

        const QJsonValue kindValue = finding.value(QLatin1String("kind"));
        const QString kind = kindValue.isString() ? kindValue.toString() : QStringLiteral("Miscellaneous");
        const QString message = readable(finding.value(QLatin1String("message")).toString());

        const QString spanKey = QString::number(*start) + QLatin1Char(':') + QString::number(*end);
        if (seenSpans.contains(spanKey))
            continue;
        seenSpans.insert(spanKey);
        issues.append(TextIssue {
            *start, *end - *start, kind, message, text.mid(*start, *end - *start), std::move(suggestions) });
    }
    return issues;
}

QString TextIssue::readable(const QString& message)
{
    QString result;
    result.reserve(message.size());
    bool opening = true;
    for (QChar c : message) {
        if (c == QLatin1Char('`')) {
            result.append(opening ? kOpenQuote : kCloseQuote);
            opening = !opening;
        } else {
            result.append(c);
        }
    }
    return result;
}

} // namespace quillcraft
