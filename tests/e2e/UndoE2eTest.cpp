// What a fix does to the target's own undo history, per toolkit and field kind:
// the user types in two bursts, a fix is written through the accessibility
// interface or pasted, then Control+Z is pressed until the text stops changing.
// The expectations are what the toolkits do today, so a toolkit that changes
// shows up here; WritePath's rule is built on this table.

#include "E2eSupport.h"
#include "FieldSourcesOf.h"
#include "Wait.h"

#include "assistant/FocusedField.h"
#include "assistant/writeback/FieldWriter.h"
#include "assistant/writeback/Paste.h"
#include "assistant/writeback/WritePath.h"
#include "core/SystemClock.h"
#include "platform/linux/LinuxSystem.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

using namespace quillcraft;
using namespace quillcraft::e2e;
using quillcraft::test::spin;
using quillcraft::test::waitUntil;

namespace {

const QString firstTyping = QStringLiteral("one two");
const QString typed = QStringLiteral("one two three");
const QString fixed = QStringLiteral("one TWO three");
const TextEdit fix { 4, 3, QStringLiteral("TWO") };
// More presses than any toolkit needs to reach the empty field.
constexpr int maxUndos = 4;

enum class Path { accessibility, paste };

struct Case {
    Toolkit toolkit;
    QString field;
    Path path;
    // The text after each Control+Z that changed it, as the toolkit does it today.
    QStringList undone;
    // The GTK 3 text area is a GtkSourceView, the text view of GTK 3's editors.
    bool sourceView = false;
};

// The first press gave back the text as it was before the fix.
bool restoresBeforeFix(const QStringList& undone)
{
    return !undone.isEmpty() && undone.first() == typed;
}

// Some press went on to undo the user's own typing.
bool keepsEarlierTyping(const QStringList& undone)
{
    return std::any_of(undone.begin(), undone.end(),
        [](const QString& text) { return text.size() < typed.size() && typed.startsWith(text); });
}

const Case cases[] = {
    // setText() underneath: the fix cannot be taken back and the typing is gone.
    Case { Toolkit::qt, lineField, Path::accessibility, {} },
    Case { Toolkit::qt, lineField, Path::paste, { typed, QString() } },
    // A deletion and an insertion, each its own step.
    Case { Toolkit::qt, textArea, Path::accessibility, { QStringLiteral("one  three"), typed, QString() } },
    Case { Toolkit::qt, textArea, Path::paste, { typed, QString() } },
    // GTK 3 entries and text views have no undo at all.
    Case { Toolkit::gtk, lineField, Path::accessibility, {} }, Case { Toolkit::gtk, lineField, Path::paste, {} },
    Case { Toolkit::gtk, textArea, Path::accessibility, {} }, Case { Toolkit::gtk, textArea, Path::paste, {} },
    // Their editors' GtkSourceView has undo: the write is two steps there, a paste one.
    Case { Toolkit::gtk, textArea, Path::accessibility,
        { QStringLiteral("one  three"), typed, QStringLiteral("one two"), QStringLiteral("one") }, true },
    Case { Toolkit::gtk, textArea, Path::paste, { typed, QStringLiteral("one two"), QStringLiteral("one"), QString() },
        true },
    // GTK 4.8 keeps both: the write is a deletion and an insertion; a paste is one step in a
    // text view and two in an entry.
    Case { Toolkit::gtk4, lineField, Path::accessibility,
        { QStringLiteral("one  three"), typed, QStringLiteral("one two"), QStringLiteral("one") } },
    Case { Toolkit::gtk4, lineField, Path::paste,
        { QStringLiteral("one  three"), typed, QStringLiteral("one two"), QStringLiteral("one") } },
    Case { Toolkit::gtk4, textArea, Path::accessibility,
        { QStringLiteral("one  three"), typed, QStringLiteral("one two"), QStringLiteral("one") } },
    Case {
        Toolkit::gtk4, textArea, Path::paste, { typed, QStringLiteral("one two"), QStringLiteral("one"), QString() } }
};

// Whether the undo history survives a fix on each path, by the measurements above.
struct Wholeness {
    bool byWrite = false;
    bool byPaste = false;
};

Wholeness wholeness(const Case& of)
{
    Wholeness whole;
    for (const Case& c : cases) {
        if (c.toolkit == of.toolkit && c.field == of.field && c.sourceView == of.sourceView) {
            (c.path == Path::paste ? whole.byPaste : whole.byWrite)
                = restoresBeforeFix(c.undone) && keepsEarlierTyping(c.undone);
        }
    }
    return whole;
}

QString kindName(const Case& c)
{
    if (c.sourceView)
        return QStringLiteral("sourceview");
    return c.field == lineField ? QStringLiteral("line") : QStringLiteral("area");
}

QString pathName(Path path)
{
    return path == Path::accessibility ? QStringLiteral("accessibility") : QStringLiteral("paste");
}

QString yesNo(bool value)
{
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

void PrintTo(const Case& c, std::ostream* out)
{
    *out << (toolkitName(c.toolkit) + QLatin1Char(' ') + kindName(c) + QLatin1Char(' ') + pathName(c.path))
                .toStdString();
}

} // namespace

class UndoE2eTest : public testing::TestWithParam<Case> {
protected:
    static void TearDownTestSuite()
    {
        std::cout << "\ntoolkit field path: Ctrl+Z restores text before fix / earlier typing undoable"
                     " (texts after each Ctrl+Z)\n";
        for (const QString& row : rows())
            std::cout << row.toStdString() << '\n';
    }

    static QStringList& rows()
    {
        static QStringList list;
        return list;
    }

    std::optional<QString> text() const { return target.text(GetParam().field); }

    // Types as the user would, in two bursts a pause apart. (Qt still makes one
    // undo step of them; what matters is whether the typing can be undone at all.)
    bool typeAsTheUser()
    {
        if (!typeText(firstTyping) || !waitUntil([&] { return text() == firstTyping; }))
            return false;
        spin(1200);
        return typeText(QStringLiteral(" three")) && waitUntil([&] { return text() == typed; });
    }

    std::optional<FocusedField> snapshot()
    {
        std::optional<FocusedField> field;
        waitUntil([&] {
            field = FocusedField::current(fieldSourcesOf(*system));
            return field && field->text() == typed;
        });
        return field;
    }

    bool writeThroughAccessibility(const FocusedField& field)
    {
        std::optional<FieldWriter::WriteResult> result;
        writer.write(field, fix, [&](FieldWriter::WriteResult r) { result = r; });
        waitUntil([&] { return result.has_value(); });
        return result == FieldWriter::WriteResult::written;
    }

    bool paste(const FocusedField& field)
    {
        std::optional<bool> selected;
        writer.select(field, { fix.location, fix.length }, [&](bool s) { selected = s; });
        if (!waitUntil([&] { return selected.has_value(); }) || !*selected)
            return false;
        std::optional<Paste::Result> result;
        paster.replaceSelection(
            fix, Paste::Field { field.element(), field.pid(), field.text() }, [&](Paste::Result r) { result = r; });
        waitUntil([&] { return result.has_value(); }, 10000);
        return result == Paste::Result::pasted;
    }

    // Presses Control+Z until the text stops changing; the text after each press that changed it.
    QStringList undoAll()
    {
        QStringList texts;
        QString last = text().value_or(QString());
        for (int i = 0; i < maxUndos; ++i) {
            if (!pressKeys(QStringLiteral("ctrl+z")))
                break;
            if (!waitUntil([&] { return text() != last; }, 800))
                break;
            spin(100); // a step may arrive as a deletion and an insertion
            last = text().value_or(QString());
            texts << last;
        }
        return texts;
    }

    TargetApp target { GetParam().toolkit,
        QStringList { QStringLiteral("--line"), QString(), QStringLiteral("--area"), QString() }
            + (GetParam().sourceView ? QStringList { QStringLiteral("--source-view") } : QStringList()) };
    std::unique_ptr<LinuxSystem> system = createLinuxSystem();
    SystemClock clock;
    FieldWriter writer { clock };
    Paste paster { system->accessibility(), system->frontmostApp(), system->clipboard(), system->keySynthesizer(),
        clock };
};

TEST_P(UndoE2eTest, ControlZAfterAFix)
{
    const Case& c = GetParam();
    if (!TargetApp::isBuilt(c.toolkit))
        GTEST_SKIP() << "the " << toolkitName(c.toolkit).toStdString() << " target is not built";
#ifndef QUILLCRAFT_GTK_SOURCE_VIEW
    if (c.sourceView)
        GTEST_SKIP() << "the GTK target is built without GtkSourceView";
#endif
    ASSERT_TRUE(target.start());
    ASSERT_TRUE(target.focus(c.field));
    ASSERT_TRUE(typeAsTheUser()) << "typed: " << text().value_or(QStringLiteral("(unreadable)")).toStdString();
    const std::optional<FocusedField> field = snapshot();
    ASSERT_TRUE(field);
    // GTK 4 calls itself "GTK" like GTK 3.
    EXPECT_TRUE(toolkitName(c.toolkit).startsWith(field->toolkit().value_or(QStringLiteral("?")).toLower()));
    // Where one path keeps the history whole and the other does not, the rule picks that one;
    // where they do the same (no undo at all, or two steps either way), either will do.
    const Wholeness whole = wholeness(c);
    if (whole.byPaste != whole.byWrite) {
        EXPECT_EQ(accessibilityWriteBreaksUndo(*field), whole.byPaste);
    }
    ASSERT_TRUE(c.path == Path::accessibility ? writeThroughAccessibility(*field) : paste(*field));
    ASSERT_TRUE(waitUntil([&] { return text() == fixed; }));

    const QStringList undone = undoAll();
    QStringList quoted;
    for (const QString& t : undone)
        quoted << QLatin1Char('"') + t + QLatin1Char('"');
    rows() << QStringLiteral("%1 %2 %3: %4 / %5 (%6)")
                  .arg(toolkitName(c.toolkit), kindName(c), pathName(c.path), yesNo(restoresBeforeFix(undone)),
                      yesNo(keepsEarlierTyping(undone)), quoted.join(QStringLiteral(", ")));
    EXPECT_EQ(undone, c.undone) << rows().last().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Fields, UndoE2eTest, testing::ValuesIn(cases), [](const testing::TestParamInfo<Case>& param) {
    const Case& c = param.param;
    return (toolkitName(c.toolkit) + QLatin1Char('_') + kindName(c) + QLatin1Char('_') + pathName(c.path))
        .toStdString();
});
