#include "IssueSamples.h"

#include <array>

namespace quillcraft::IssueSamples {

namespace {

Suggestion replace(const QString& text)
{
    return { Suggestion::Kind::replace, text };
}

} // namespace

QString appName()
{
    return QStringLiteral("Notes");
}

TextIssue typo()
{
    return { 0, 3, QStringLiteral("Typo"), QStringLiteral("Did you mean the definite article?"), QStringLiteral("teh"),
        { replace(QStringLiteral("the")) } };
}

TextIssue agreement()
{
    return { 10, 3, QStringLiteral("Agreement"), QStringLiteral("The verb must agree with the pronoun."),
        QStringLiteral("has"), { replace(QStringLiteral("have")) } };
}

TextIssue spelling()
{
    return { 20, 7, QStringLiteral("Spelling"), QStringLiteral("Did you mean to spell tomorow this way?"),
        QStringLiteral("tomorow"),
        { replace(QStringLiteral("tomorrow")), replace(QStringLiteral("tomorrows")),
            replace(QStringLiteral("morrow")) } };
}

QList<TextIssue> notes()
{
    return { typo(), agreement(), spelling() };
}

TextIssue fiveSuggestions()
{
    return { 4, 4, QStringLiteral("Spelling"), QStringLiteral("Did you mean to spell recieve this way?"),
        QStringLiteral("recieve"),
        { replace(QStringLiteral("receive")), replace(QStringLiteral("relieve")), replace(QStringLiteral("recife")),
            replace(QStringLiteral("reprieve")), replace(QStringLiteral("retrieve")) } };
}

TextIssue longText()
{
    const QString word = QStringLiteral("Supercalifragilistic").repeated(10);
    const QString message
        = QStringLiteral(
              "هذه الكلمة غير معروفة 📚 וגם המילה הזאת ארוכה מאוד ✍️ — ")
        + word
        + QStringLiteral(" is not in any dictionary we know 🤔, and this message keeps going well past what a card "
                         "can hold on a handful of lines, so it must stop somewhere sensible.");
    return { 0, word.size(), QStringLiteral("Spelling"), message, word,
        { replace(word.toLower()), replace(QStringLiteral("שלום עולם مرحبا بالعالم")),
            replace(QStringLiteral("👩‍💻 coder")) } };
}

QList<TextIssue> many(int count)
{
    struct Row {
        const char16_t* kind;
        const char16_t* message;
        const char16_t* problem;
        Suggestion::Kind fix;
        const char16_t* text;
    };
    // Each kind of fix appears, including a replacement by nothing.
    static constexpr std::array<Row, 8> rows { {
        { u"Spelling", u"Did you mean to spell teh this way?", u"teh", Suggestion::Kind::replace, u"the" },
        { u"Agreement", u"The verb must agree with the pronoun.", u"has", Suggestion::Kind::replace, u"have" },
        { u"Repetition", u"The word “the” is repeated.", u"the the", Suggestion::Kind::replace, u"the" },
        { u"Punctuation", u"A comma is missing here.", u"However", Suggestion::Kind::insertAfter, u"," },
        { u"Redundancy", u"This word adds nothing.", u"very", Suggestion::Kind::remove, u"" },
        { u"Capitalization", u"Sentences start with a capital letter.", u"monday", Suggestion::Kind::replace,
            u"Monday" },
        { u"Style", u"Spaces before a full stop are not needed.", u" ", Suggestion::Kind::replace, u"" },
        { u"Word Choice", u"A plainer word reads better.", u"utilize", Suggestion::Kind::replace, u"use" },
    } };
    QList<TextIssue> result;
    for (int i = 0; i < count; ++i) {
        const Row& row = rows[std::size_t(i) % rows.size()];
        const QString problem = QString::fromUtf16(row.problem);
        result << TextIssue { qint64(i) * 20, problem.size(), QString::fromUtf16(row.kind),
            QString::fromUtf16(row.message), problem, { { row.fix, QString::fromUtf16(row.text) } } };
    }
    return result;
}

} // namespace quillcraft::IssueSamples
