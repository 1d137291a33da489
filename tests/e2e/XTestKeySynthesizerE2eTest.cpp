// Synthesised Control+V and BackSpace into real Qt and GTK fields, with the
// clipboard served from its own thread while this GUI thread reads the target
// over AT-SPI (the combination that deadlocks when one thread does both).

#include "E2eSupport.h"
#include "Wait.h"

#include "system/linux/X11Clipboard.h"
#include "system/linux/XTestKeySynthesizer.h"

#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

using namespace quillcraft;
using namespace quillcraft::e2e;
using quillcraft::test::waitUntil;

namespace {

// `xdotool mousemove --sync` waits for the pointer to move and hangs when it is
// already where the click goes, as it is when the previous test clicked the
// same field: move it away first.
bool focusField(TargetApp& target, const QString& name)
{
    QProcess park;
    park.start(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("0"), QStringLiteral("0")});
    park.waitForFinished(5000);
    return target.focus(name);
}

bool xdotool(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    return process.waitForFinished(10000) && process.exitCode() == 0;
}

// Releases a key held by the test however the test ends.
class HeldKey final {
public:
    explicit HeldKey(const QString& key)
        : m_key(key)
    {
        m_down = xdotool({QStringLiteral("keydown"), m_key});
    }
    ~HeldKey() { xdotool({QStringLiteral("keyup"), m_key}); }
    bool isDown() const { return m_down; }

private:
    QString m_key;
    bool m_down = false;
};

} // namespace

class XTestKeySynthesizerE2eTest : public testing::TestWithParam<Toolkit> {};

TEST_P(XTestKeySynthesizerE2eTest, PasteAndBackSpaceReachTheFocusedField)
{
    TargetApp target(GetParam(), {QStringLiteral("--line"), QStringLiteral("Hello there")});
    ASSERT_TRUE(target.start());
    ASSERT_TRUE(focusField(target, lineField));
    ASSERT_TRUE(pressKeys(QStringLiteral("End")));

    X11Clipboard clipboard;
    QObject context;
    bool owned = false;
    clipboard.setText(QStringLiteral(", friend 😀"), &context, [&](std::optional<quint64> count) { owned = count.has_value(); });
    ASSERT_TRUE(waitUntil([&] { return owned; }));

    XTestKeySynthesizer keys;
    ASSERT_TRUE(keys.isAvailable());
    EXPECT_FALSE(keys.modifiersHeld());
    QElapsedTimer elapsed;
    elapsed.start();
    ASSERT_EQ(keys.send(SyntheticKey::paste), KeySendResult::sent);
    // Reading the target right away blocks this thread in AT-SPI while the target
    // may be reading the clipboard: it must still finish promptly.
    EXPECT_TRUE(waitUntil([&] { return target.text(lineField) == QStringLiteral("Hello there, friend 😀"); }));
    EXPECT_LT(elapsed.elapsed(), 3000);

    ASSERT_EQ(keys.send(SyntheticKey::deleteBackward), KeySendResult::sent);
    EXPECT_TRUE(waitUntil([&] { return target.text(lineField) == QStringLiteral("Hello there, friend "); }))
        << "one BackSpace removes the whole emoji";
}

TEST_P(XTestKeySynthesizerE2eTest, HeldModifierHoldsTheKeystrokeBack)
{
    TargetApp target(GetParam(), {QStringLiteral("--line"), QStringLiteral("Hello")});
    ASSERT_TRUE(target.start());
    ASSERT_TRUE(focusField(target, lineField));
    XTestKeySynthesizer keys;
    {
        HeldKey shift(QStringLiteral("shift"));
        ASSERT_TRUE(shift.isDown());
        EXPECT_TRUE(keys.modifiersHeld());
        EXPECT_EQ(keys.send(SyntheticKey::deleteBackward), KeySendResult::modifiersHeld);
    }
    EXPECT_FALSE(keys.modifiersHeld());
    EXPECT_EQ(target.text(lineField), QStringLiteral("Hello"));
}

INSTANTIATE_TEST_SUITE_P(Targets, XTestKeySynthesizerE2eTest, testing::Values(Toolkit::qt, Toolkit::gtk),
                         [](const testing::TestParamInfo<Toolkit>& param) {
                             return toolkitName(param.param).toStdString();
                         });
