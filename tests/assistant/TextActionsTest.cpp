#include "assistant/TextActions.h"

#include "Printers.h"
#include "TestText.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <random>

using namespace quillcraft;
using quillcraft::test::u;
namespace TA = quillcraft::TextActions;

TEST(TextActions, SelectionButton)
{
    for (const char* yes : { "ok", "  a!\n", "字字", "〇〇" })
        EXPECT_TRUE(TA::showsIcon(u(yes))) << yes;
    // Characters are grapheme clusters, and punctuation or emoji alone hold no word.
    for (const char* no : { "", "a", "  a \n", " \t ", "?!", "😀😀", "e\u0301", "👍🏽" })
        EXPECT_FALSE(TA::showsIcon(u(no))) << no;
}

TEST(TextActions, EdgesAndMinimalEdits)
{
    EXPECT_EQ(TA::keepingEdges(u("  hello\n"), u("Hi there ")), u("  Hi there\n"));
    EXPECT_EQ(TA::keepingEdges(u(" \t"), u("\nx ")), u(" \tx \t"));
    EXPECT_EQ(TA::minimalEdit(u("abc"), u("abc")), std::nullopt);
    EXPECT_EQ(TA::minimalEdit(u("abc"), u("abXc")), (TextEdit { 2, 0, u("X") }));
    EXPECT_EQ(TA::minimalEdit(u("aaa"), u("aa")), (TextEdit { 2, 1, QString() }));
    EXPECT_EQ(TA::minimalEdit(u("a😀b"), u("a😃b")), (TextEdit { 1, 2, u("😃") })); // shared high surrogate
    const QString oldPair = QString(QChar(0xD83D)) + QChar(0xDE00);
    const QString newPair = QString(QChar(0xD83C)) + QChar(0xDE00);
    EXPECT_EQ(TA::minimalEdit(oldPair, newPair), (TextEdit { 0, 2, newPair })); // shared low surrogate

    // Any two texts: the edit reproduces the new one and cuts only between characters.
    std::mt19937 random(7);
    const QStringList pieces = { u("a"), u("b"), u(" "), u("😀"), u("😃"), u("🙂") };
    const auto randomText = [&] {
        QString text;
        for (int i = std::uniform_int_distribution(0, 6)(random); i > 0; --i)
            text += pieces[std::uniform_int_distribution(0, 5)(random)];
        return text;
    };
    const auto cutsPair
        = [](const QString& text, qint64 at) { return at < text.size() && text.at(at).isLowSurrogate(); };
    for (int round = 0; round < 2000; ++round) {
        const QString before = randomText();
        const QString after = randomText();
        const std::optional<TextEdit> edit = TA::minimalEdit(before, after);
        ASSERT_EQ(edit.has_value(), before != after);
        if (!edit)
            continue;
        EXPECT_EQ(edit->apply(before), after);
        EXPECT_FALSE(cutsPair(before, edit->location) || cutsPair(before, edit->location + edit->length)
            || (!edit->replacement.isEmpty() && edit->replacement.front().isLowSurrogate()));
    }
}
