// The harness itself: both targets come up on the bus and take focus by click,
// so failures in the other end-to-end tests point at the program, not the session.

#include "E2eSupport.h"
#include "Wait.h"

#include <gtest/gtest.h>

using namespace quillcraft::e2e;

class HarnessE2eTest : public testing::TestWithParam<Toolkit> { };

TEST_P(HarnessE2eTest, TargetExposesItsFieldsAndTakesFocusByClick)
{
    TargetApp target(GetParam(), { QStringLiteral("--line"), QStringLiteral("Start text") });
    ASSERT_TRUE(target.start());
    EXPECT_EQ(target.text(lineField), QStringLiteral("Start text"));
    for (const QString& name : { lineField, textArea }) {
        ASSERT_TRUE(target.focus(name)) << name.toStdString();
        EXPECT_TRUE(target.isFocused(name));
    }
    EXPECT_FALSE(target.isFocused(lineField));
    ASSERT_TRUE(target.focus(lineField));
    ASSERT_TRUE(target.focus(lineField)); // the pointer is already there
    ASSERT_TRUE(pressKeys(QStringLiteral("End")));
    ASSERT_TRUE(typeText(QStringLiteral("!")));
    EXPECT_TRUE(quillcraft::test::waitUntil([&] { return target.text(lineField) == QStringLiteral("Start text!"); }));
}

INSTANTIATE_TEST_SUITE_P(Targets, HarnessE2eTest, testing::Values(Toolkit::qt, Toolkit::gtk),
    [](const testing::TestParamInfo<Toolkit>& param) { return toolkitName(param.param).toStdString(); });
