#include "assistant/writeback/WritePath.h"

#include "FakeFieldScene.h"
#include "assistant/FocusedField.h"

#include <gtest/gtest.h>

using namespace quillcraft;
using namespace quillcraft::test;

namespace {

class WritePathTest : public testing::Test, protected FakeFieldScene {
protected:
    // A snapshot of the scene's field as a field of the given toolkit and role.
    FocusedField fieldOf(const std::optional<QString>& toolkit, QLatin1String role)
    {
        if (toolkit)
            field->attributes.insert(AX::toolkit, *toolkit);
        else
            field->attributes.remove(AX::toolkit);
        field->attributes.insert(AX::role, QString(role));
        FieldSources sources;
        sources.accessibility = &accessibility;
        sources.screens = &screens;
        sources.apps = &apps;
        sources.ownPid = 7;
        std::optional<FocusedField> snapshot = FocusedField::current(sources);
        EXPECT_TRUE(snapshot);
        return *snapshot;
    }
};

} // namespace

TEST_F(WritePathTest, FieldsWhereOnlyAPasteIsOneUndoStep)
{
    // Qt: a line edit's history is wiped, a text edit's fix is two steps. Toolkits name
    // themselves in their own spelling.
    EXPECT_TRUE(accessibilityWriteBreaksUndo(fieldOf(QStringLiteral("Qt"), AX::textFieldRole)));
    EXPECT_TRUE(accessibilityWriteBreaksUndo(fieldOf(QStringLiteral("qt"), AX::textFieldRole)));
    EXPECT_TRUE(accessibilityWriteBreaksUndo(fieldOf(QStringLiteral("Qt"), AX::textAreaRole)));

    // GTK text views (GtkSourceView's undo, GTK 4's) and LibreOffice's paragraphs: two
    // steps by the accessibility interface, one by a paste.
    EXPECT_TRUE(accessibilityWriteBreaksUndo(fieldOf(QStringLiteral("GTK"), AX::textAreaRole)));
    field->attributes.insert(AX::editable, true);
    EXPECT_TRUE(accessibilityWriteBreaksUndo(fieldOf(QStringLiteral("gtk"), QLatin1String("AXParagraph"))));
    // GTK entries: no undo in GTK 3, two steps of a paste as well in GTK 4.
    EXPECT_FALSE(accessibilityWriteBreaksUndo(fieldOf(QStringLiteral("gtk"), AX::textFieldRole)));
    // A name that merely contains "qt" is another toolkit.
    EXPECT_FALSE(accessibilityWriteBreaksUndo(fieldOf(QStringLiteral("qtquick-shim"), AX::textFieldRole)));
    EXPECT_FALSE(accessibilityWriteBreaksUndo(fieldOf(QStringLiteral("gtk-ish"), AX::textAreaRole)));
}

TEST_F(WritePathTest, UnknownToolkitOrRoleKeepsTheAccessibilityWrite)
{
    // Nothing known about the field: the write that is confirmed by read-back stays first.
    const FocusedField silent = fieldOf(std::nullopt, AX::textFieldRole);
    EXPECT_FALSE(accessibilityWriteBreaksUndo(silent));
    EXPECT_EQ(writePathFor(silent, false), WritePath::accessibility);

    // An editable element of another role in a Qt program (a combo box's own text, say).
    field->attributes.insert(AX::editable, true);
    EXPECT_FALSE(accessibilityWriteBreaksUndo(fieldOf(QStringLiteral("Qt"), QLatin1String("AXUnknown"))));

    // The role read fails after the snapshot was taken.
    const FocusedField qtLine = fieldOf(QStringLiteral("Qt"), AX::textFieldRole);
    field->attributes.remove(AX::role);
    EXPECT_FALSE(accessibilityWriteBreaksUndo(qtLine));
}

TEST_F(WritePathTest, PathForEachKindOfField)
{
    EXPECT_EQ(writePathFor(fieldOf(QStringLiteral("gtk"), AX::textFieldRole), false), WritePath::accessibility);
    EXPECT_EQ(writePathFor(fieldOf(QStringLiteral("Qt"), AX::textAreaRole), false), WritePath::paste);
    EXPECT_EQ(writePathFor(fieldOf(QStringLiteral("gtk"), AX::textAreaRole), false), WritePath::paste);
    EXPECT_EQ(writePathFor(fieldOf(QStringLiteral("Qt"), AX::textFieldRole), false), WritePath::paste);
    EXPECT_EQ(writePathFor(fieldOf(QStringLiteral("gtk"), AX::textFieldRole), true), WritePath::paste);

    // Web content always pastes, whatever the toolkit says.
    const FocusedField gtkLine = fieldOf(QStringLiteral("gtk"), AX::textFieldRole);
    window->attributes.insert(AX::role, QString(AX::webAreaRole));
    EXPECT_EQ(writePathFor(gtkLine, false), WritePath::paste);
}
