// The field inside a document exposed as office and KDE programs expose theirs:
// status-bar items that all claim focus come first, and the paragraph with the
// keyboard sits one level deeper, in a container that manages its descendants.
// Runs inside tests/e2e/session.sh against the GTK target's --nested window.

#include "E2eSupport.h"
#include "FieldSourcesOf.h"
#include "Wait.h"

#include "assistant/FocusedField.h"
#include "platform/linux/LinuxSystem.h"

#include <gtest/gtest.h>

using namespace quillcraft;
using namespace quillcraft::e2e;
using quillcraft::test::waitUntil;

TEST(NestedFocusE2eTest, TheParagraphWithTheKeyboardIsTheFieldNotAClaimingStatusItem)
{
    TargetApp target(Toolkit::gtk, { QStringLiteral("--nested") });
    ASSERT_TRUE(target.start()) << "the target did not come up";

    for (const QString& paragraph : { nestedParagraph, otherParagraph }) {
        ASSERT_TRUE(target.focus(paragraph)) << paragraph.toStdString();
        // Started after the focus moved, it has seen no focus event and must search.
        const std::unique_ptr<LinuxSystem> system = createLinuxSystem();
        const std::optional<QString> expected = target.text(paragraph);
        ASSERT_TRUE(expected);
        std::optional<FocusedField> field;
        EXPECT_TRUE(waitUntil([&] {
            field = FocusedField::current(fieldSourcesOf(*system));
            return field && field->text() == *expected;
        })) << "expected "
            << paragraph.toStdString() << ", found " << (field ? field->text().toStdString() : std::string("no field"));
    }
}
