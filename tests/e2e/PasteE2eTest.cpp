// The whole paste path on real Qt and GTK fields: the checks over AT-SPI, the
// clipboard served from its own thread, Control+V or BackSpace through XTest,
// the wait for the field, and the user's clipboard put back afterwards.

#include "E2eSupport.h"
#include "MovedKey.h"
#include "SwitchedLayout.h"
#include "Wait.h"

#include "assistant/writeback/Paste.h"
#include "core/SystemClock.h"
#include "platform/AX.h"
#include "platform/Accessibility.h"
#include "platform/KeySynthesizer.h"
#include "platform/linux/LinuxSystem.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <gtest/gtest.h>

#include <utility>

// Last: plain numbers, but kept apart from the headers above like Xlib's.
#include <X11/keysym.h>

using namespace quillcraft;
using namespace quillcraft::e2e;
using quillcraft::test::waitUntil;

namespace {

const QString original = QStringLiteral("Their going home 😀 now.");
const QString customType = QStringLiteral("application/x-quillcraft-test");

// Holds a key down until released or destroyed, so a failing test never leaves it held.
class HeldKey final {
public:
    explicit HeldKey(QString key)
        : m_key(std::move(key))
        , m_down(xdotool({ QStringLiteral("keydown"), m_key }))
    {
    }
    ~HeldKey() { release(); }
    bool isDown() const { return m_down; }
    bool release() { return !std::exchange(m_down, false) || xdotool({ QStringLiteral("keyup"), m_key }); }

private:
    QString m_key;
    bool m_down;
};

// The real keys, counting how often a paste found a modifier still held.
class WatchedKeys final : public KeySynthesizer {
public:
    explicit WatchedKeys(KeySynthesizer& keys)
        : m_keys(keys)
    {
    }
    bool isAvailable() const override { return m_keys.isAvailable(); }
    bool modifiersHeld() const override
    {
        const bool held = m_keys.modifiersHeld();
        heldAnswers += held ? 1 : 0;
        return held;
    }
    KeySendResult send(SyntheticKey key) override { return m_keys.send(key); }

    mutable int heldAnswers = 0;

private:
    KeySynthesizer& m_keys;
};

void offerUserContents()
{
    auto* mime = new QMimeData;
    mime->setText(QStringLiteral("copied earlier"));
    mime->setData(customType, QByteArrayLiteral("custom \x01"));
    QGuiApplication::clipboard()->setMimeData(mime);
}

} // namespace

class PasteE2eTest : public testing::TestWithParam<Toolkit> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(target.start());
        ASSERT_TRUE(target.focus(lineField));
        ASSERT_TRUE(waitUntil([&] { return (field = system->accessibility().focusedElement()) != nullptr; }));
        offerUserContents();
    }

    // Selects a range the way the writing assistant does before pasting.
    bool select(TextRange range)
    {
        if (field->setAttribute(AX::selectedTextRange, range) != AXError::success)
            return false;
        return waitUntil([&] { return AX::range(*field, AX::selectedTextRange) == range; });
    }

    std::optional<Paste::Result> place(const TextEdit& edit, const QString& snapshot = original)
    {
        std::optional<Paste::Result> result;
        paste.replaceSelection(
            edit, Paste::Field { field, target.pid(), snapshot }, [&](Paste::Result r) { result = r; });
        waitUntil([&] { return result.has_value(); }, 10000);
        return result;
    }

    TargetApp target { GetParam(), { QStringLiteral("--line"), original } };
    std::unique_ptr<LinuxSystem> system = createLinuxSystem();
    SystemClock clock;
    Paste paste { system->accessibility(), system->frontmostApp(), system->clipboard(), system->keySynthesizer(),
        clock };
    ElementRef field;
};

TEST_P(PasteE2eTest, ReplacementIsPastedAndTheClipboardPutBack)
{
    ASSERT_TRUE(select({ 0, 5 }));
    EXPECT_EQ(place({ 0, 5, QStringLiteral("They're") }), Paste::Result::pasted);
    EXPECT_EQ(target.text(lineField), QStringLiteral("They're going home 😀 now."));

    EXPECT_TRUE(waitUntil([] {
        const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
        return mime && mime->data(customType) == QByteArrayLiteral("custom \x01");
    }));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("copied earlier"));
}

TEST_P(PasteE2eTest, DeletionUsesBackSpaceAndLeavesTheClipboardAlone)
{
    // " 😀" after "home": three UTF-16 units, one of them half an emoji.
    ASSERT_TRUE(select({ 16, 3 }));
    EXPECT_EQ(place({ 16, 3, QString() }), Paste::Result::pasted);
    EXPECT_EQ(target.text(lineField), QStringLiteral("Their going home now."));
    EXPECT_TRUE(QGuiApplication::clipboard()->ownsClipboard()) << "the clipboard was never taken";
}

TEST_P(PasteE2eTest, MovedSelectionOrFocusIsRefusedWithoutTyping)
{
    ASSERT_TRUE(select({ 6, 3 }));
    EXPECT_EQ(place({ 6, 5, QStringLiteral("are") }), Paste::Result::changed);

    ASSERT_TRUE(select({ 6, 5 }));
    ASSERT_TRUE(target.focus(textArea));
    EXPECT_EQ(place({ 6, 5, QStringLiteral("are") }), Paste::Result::notFocused);
    EXPECT_EQ(target.text(lineField), original);
    EXPECT_TRUE(QGuiApplication::clipboard()->ownsClipboard());
}

TEST_P(PasteE2eTest, HeldModifierDelaysTheKeystrokeUntilReleased)
{
    ASSERT_TRUE(select({ 0, 5 }));
    HeldKey shift(QStringLiteral("shift"));
    ASSERT_TRUE(shift.isDown());
    WatchedKeys keys(system->keySynthesizer());
    Paste watched { system->accessibility(), system->frontmostApp(), system->clipboard(), keys, clock };
    std::optional<Paste::Result> result;
    watched.replaceSelection({ 0, 5, QStringLiteral("They're") }, Paste::Field { field, target.pid(), original },
        [&](Paste::Result r) { result = r; });
    // Released as soon as the paste has seen Shift held, well inside the time it waits.
    ASSERT_TRUE(waitUntil([&] { return keys.heldAnswers > 0 || result.has_value(); }));
    EXPECT_FALSE(result.has_value()) << "Shift+Control+V would be another shortcut";
    EXPECT_EQ(target.text(lineField), original);

    ASSERT_TRUE(shift.release());
    EXPECT_TRUE(waitUntil([&] { return result.has_value(); }));
    EXPECT_EQ(result, Paste::Result::pasted);
    EXPECT_EQ(target.text(lineField), QStringLiteral("They're going home 😀 now."));
}

TEST_P(PasteE2eTest, ControlVFollowsTheVKeyToAnotherKeyCode)
{
    // A paste first, so that a key map cached on the way is from before the change.
    ASSERT_TRUE(select({ 0, 5 }));
    ASSERT_EQ(place({ 0, 5, QStringLiteral("They're") }), Paste::Result::pasted);
    const QString fixed = QStringLiteral("They're going home 😀 now.");
    ASSERT_EQ(target.text(lineField), fixed);

    MovedKey moved(XK_v, XK_V);
    ASSERT_TRUE(moved.isMoved()) << "the keyboard mapping has no free key code";
    ASSERT_TRUE(select({ 8, 5 }));
    EXPECT_EQ(place({ 8, 5, QStringLiteral("heading") }, fixed), Paste::Result::pasted);
    EXPECT_EQ(target.text(lineField), QStringLiteral("They're heading home 😀 now."));
}

INSTANTIATE_TEST_SUITE_P(Targets, PasteE2eTest, testing::Values(Toolkit::qt, Toolkit::gtk),
    [](const testing::TestParamInfo<Toolkit>& param) { return toolkitName(param.param).toStdString(); });

// A Russian layout alone, set before the target starts: no key types a Latin
// V, and Control+V goes on the key V has on a US keyboard, which both
// toolkits read as their paste shortcut.
class RussianLayoutPasteE2eTest : public PasteE2eTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(russian.isSwitched());
        PasteE2eTest::SetUp();
    }

    SwitchedLayout russian { QStringLiteral("ru") };
};

TEST_P(RussianLayoutPasteE2eTest, ReplacementIsPasted)
{
    ASSERT_TRUE(select({ 0, 5 }));
    EXPECT_EQ(place({ 0, 5, QStringLiteral("They're") }), Paste::Result::pasted);
    EXPECT_EQ(target.text(lineField), QStringLiteral("They're going home 😀 now."));
}

INSTANTIATE_TEST_SUITE_P(Targets, RussianLayoutPasteE2eTest, testing::Values(Toolkit::qt, Toolkit::gtk),
    [](const testing::TestParamInfo<Toolkit>& param) { return toolkitName(param.param).toStdString(); });
