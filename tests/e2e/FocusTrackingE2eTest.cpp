// Finding the focused field on a busy desktop: a window with hundreds of
// labels before its entry, focus that moves by events, and our own fields read
// in process. Runs inside tests/e2e/session.sh.

#include "E2eSupport.h"
#include "FieldSourcesOf.h"
#include "Wait.h"
#include "assistant/FocusedField.h"
#include "platform/AX.h"
#include "platform/Accessibility.h"
#include "platform/linux/LinuxSystem.h"

#include <QApplication>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

using namespace quillcraft;
using namespace quillcraft::e2e;
using quillcraft::test::waitUntil;

namespace {

constexpr int screenHeight = 1024;

QRectF flipped(const QRect& topLeft)
{
    return QRectF(topLeft.x(), screenHeight - topLeft.y() - topLeft.height(), topLeft.width(), topLeft.height());
}

} // namespace

TEST(FocusTrackingE2eTest, WindowWithSixHundredVisibleLabelsFindsItsField)
{
    TargetApp target(Toolkit::gtk, { QStringLiteral("--labels"), QStringLiteral("600") });
    ASSERT_TRUE(target.start());
    const auto system = createLinuxSystem();
    const FieldSources sources = fieldSourcesOf(*system);

    // Focused before we listened: found without an event.
    ASSERT_TRUE(target.focus(lineField));
    std::optional<FocusedField> field;
    EXPECT_TRUE(waitUntil([&] {
        field = FocusedField::current(sources);
        return field && field->text() == QStringLiteral("Hello there");
    }));

    // Moved by the user: the event tells, and the next read follows.
    ASSERT_TRUE(target.focus(textArea));
    EXPECT_TRUE(waitUntil([&] {
        field = FocusedField::current(sources);
        return field && field->text().startsWith(QStringLiteral("Line 1 of the text area."));
    }));
    ASSERT_TRUE(target.focus(lineField));
    EXPECT_TRUE(waitUntil([&] {
        field = FocusedField::current(sources);
        return field && field->text() == QStringLiteral("Hello there");
    }));
    ASSERT_TRUE(field);
    EXPECT_EQ(field->pid(), target.pid());
    EXPECT_EQ(field->frame(), flipped(*target.rect(lineField)));
}

TEST(FocusTrackingE2eTest, FocusFollowsTheActiveApplication)
{
    TargetApp gtk(Toolkit::gtk, { QStringLiteral("--line"), QStringLiteral("From GTK") });
    TargetApp qt(Toolkit::qt, { QStringLiteral("--line"), QStringLiteral("From Qt") });
    ASSERT_TRUE(gtk.start());
    ASSERT_TRUE(qt.start());
    const auto system = createLinuxSystem();
    const FieldSources sources = fieldSourcesOf(*system);

    for (int round = 0; round < 2; ++round) {
        for (TargetApp* target : { &gtk, &qt }) {
            ASSERT_TRUE(target->focus(lineField));
            std::optional<FocusedField> field;
            EXPECT_TRUE(waitUntil([&] {
                field = FocusedField::current(sources);
                return field && field->pid() == target->pid();
            })) << toolkitName(target->toolkit()).toStdString();
        }
    }
}

TEST(FocusTrackingE2eTest, OwnLineEditIsReadInProcessWhenOwnFieldsAreAllowed)
{
    const auto system = createLinuxSystem();
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* edit = new QLineEdit(QStringLiteral("Practice 👋 here"), &window);
    layout->addWidget(edit);
    window.resize(360, 80);
    window.show();
    window.activateWindow();
    edit->setFocus();
    ASSERT_TRUE(waitUntil([&] { return QApplication::focusWidget() == edit && edit->window()->isActiveWindow(); }));
    edit->setSelection(9, 2);

    EXPECT_FALSE(FocusedField::current(fieldSourcesOf(*system)));
    std::optional<FocusedField> field;
    // Bounded by the bus time-out if it were asked over the bus: in process it answers at once.
    ASSERT_TRUE(
        waitUntil([&] { return (field = FocusedField::current(fieldSourcesOf(*system, nullptr, true))).has_value(); }));
    EXPECT_EQ(field->pid(), QCoreApplication::applicationPid());
    EXPECT_EQ(field->text(), edit->text());
    EXPECT_EQ(field->selection(), (TextRange { 9, 2 }));
    EXPECT_EQ(field->selectedText(), QString::fromUtf8("\xF0\x9F\x91\x8B"));
    EXPECT_EQ(field->element()->offsetUnit(), OffsetUnit::utf16);
    EXPECT_EQ(field->frame(), flipped(QRect(edit->mapToGlobal(QPoint(0, 0)), edit->size())));
    EXPECT_TRUE(field->isSameField(FocusedField::current(fieldSourcesOf(*system, nullptr, true))));
    ASSERT_TRUE(field->bounds({ 0, 8 }));
    EXPECT_TRUE(field->visibleFrame().contains(field->bounds({ 0, 8 })->center()));

    // Writes go through Qt's own interfaces too.
    EXPECT_EQ(field->element()->setAttribute(AX::selectedTextRange, TextRange { 0, 8 }), AXError::success);
    EXPECT_EQ(field->element()->setAttribute(AX::selectedText, QStringLiteral("Drill")), AXError::success);
    EXPECT_EQ(edit->text(), QString::fromUtf8("Drill \xF0\x9F\x91\x8B here"));
}
