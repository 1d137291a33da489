#include "cli/TerminalText.h"

#include "Printers.h"
#include "TestText.h"

#include <gtest/gtest.h>

using namespace quillcraft;
using quillcraft::test::u;
using TerminalText::Rendering;
using TerminalText::sanitized;

namespace {

const QChar loneHigh(0xd83d);
const QChar loneLow(0xde00);

} // namespace

TEST(TerminalTextTest, EscapeSequencesAndC1ControlsCannotReachTheTerminal)
{
    // Clear screen, a window title set through OSC, and CSI written as the one
    // C1 character U+009B; U+0085 (NEL) moves to the next line on some terminals.
    const QString text = QStringLiteral("a\x1b[2J b\x1b]0;x\x07 c") + QChar(0x9b) + QStringLiteral("2J d") + QChar(0x85)
        + QStringLiteral("e\x7f");
    EXPECT_EQ(sanitized(text, Rendering::questionMarks), QStringLiteral("a?[2J b?]0;x? c?2J d?e?"));
    EXPECT_EQ(sanitized(text, Rendering::escapes), QStringLiteral("a\\x1b[2J b\\x1b]0;x\\x07 c\\x9b2J d\\x85e\\x7f"));
    EXPECT_EQ(sanitized(text, Rendering::dropped), QStringLiteral("a[2J b]0;x c2J de"));
}

TEST(TerminalTextTest, BidirectionalControlsCannotReorderWhatIsShown)
{
    // "txt.exe" shown as "exe.txt": an override, an isolate and their closers.
    const QString text = QStringLiteral("name") + QChar(0x202e) + QStringLiteral("txt.exe") + QChar(0x202c)
        + QChar(0x2067) + QChar(0x2069) + QChar(0x202a) + QChar(0x2066);
    EXPECT_EQ(sanitized(text, Rendering::questionMarks), QStringLiteral("name?txt.exe?????"));
    EXPECT_EQ(
        sanitized(text, Rendering::escapes), QStringLiteral("name\\u202etxt.exe\\u202c\\u2067\\u2069\\u202a\\u2066"));
    EXPECT_EQ(sanitized(text, Rendering::dropped), QStringLiteral("nametxt.exe"));
    // Their neighbours are ordinary marks and spaces, not controls.
    for (const char32_t c : { 0x2029u, 0x202fu, 0x2065u, 0x206au, 0x200fu })
        EXPECT_FALSE(TerminalText::isUnsafe(c)) << std::hex << uint(c);
}

TEST(TerminalTextTest, LineBreaksAndTabsStayOnlyWhereThePlaceKeepsThem)
{
    const QString text = QStringLiteral("one\ttwo\r\nthree\n");
    EXPECT_EQ(sanitized(text, Rendering::questionMarks), QStringLiteral("one?two??three?"));
    EXPECT_EQ(sanitized(text, Rendering::escapes), QStringLiteral("one\ttwo\\r\\nthree\\n"));
    EXPECT_EQ(sanitized(text, Rendering::dropped), QStringLiteral("one\ttwo\nthree\n"));
}

TEST(TerminalTextTest, ALoneSurrogateIsUnsafeButAPairIsText)
{
    // Unpaired, each half would be written as "?" or invalid UTF-8.
    const QString text = QStringLiteral("a") + loneLow + QStringLiteral("b") + loneHigh;
    EXPECT_EQ(sanitized(text, Rendering::questionMarks), QStringLiteral("a?b?"));
    EXPECT_EQ(sanitized(text, Rendering::escapes), QStringLiteral("a\\ude00b\\ud83d"));
    EXPECT_EQ(sanitized(text, Rendering::dropped), QStringLiteral("ab"));
    const QString paired = QString(loneHigh) + loneLow + loneLow;
    EXPECT_EQ(sanitized(paired, Rendering::escapes), QString(loneHigh) + loneLow + QStringLiteral("\\ude00"));
}

TEST(TerminalTextTest, OrdinaryTextIsUntouched)
{
    // Accents (precomposed and combining), an emoji with a skin tone, CJK, a
    // right-to-left script without controls, and a no-break space.
    const QString text = QString::fromUtf8("caf\xC3\xA9 e\xCC\x81 \xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD "
                                           "\xE6\xBC\xA2\xE5\xAD\x97 \xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D\xC2\xA0!");
    for (const Rendering rendering : { Rendering::questionMarks, Rendering::escapes, Rendering::dropped })
        EXPECT_EQ(sanitized(text, rendering), text);
    EXPECT_EQ(sanitized(QString(), Rendering::escapes), QString());
}
