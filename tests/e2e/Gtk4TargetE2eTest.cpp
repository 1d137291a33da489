// The GTK 4 target read, selected and written through the program's AT-SPI
// backend and write-back: GTK 4.8 marks only its windows SHOWING, reports
// positions relative to its window, answers "" for an entry's whole text, says
// TRUE to a text view's set_selection it did not make and never answers a text
// view's add_selection. Skipped where the GTK 4 target was not built. Runs inside
// tests/e2e/session.sh.

#include "E2eSupport.h"
#include "FieldSourcesOf.h"
#include "Wait.h"
#include "assistant/FocusedField.h"
#include "assistant/writeback/EditApplier.h"
#include "assistant/writeback/FieldWriter.h"
#include "core/SystemClock.h"
#include "platform/linux/LinuxSystem.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

using namespace quillcraft;
using namespace quillcraft::e2e;
using quillcraft::test::waitUntil;

namespace {

// "Teh 👋 cat sat on teh mat.": the wave takes UTF-16 offsets 4 and 5.
const QString waveText = QString::fromUtf8("Teh \xF0\x9F\x91\x8B cat sat on teh mat.");
constexpr int screenHeight = 1024;

QRectF flipped(const QRect& topLeft)
{
    return QRectF(topLeft.x(), screenHeight - topLeft.y() - topLeft.height(), topLeft.width(), topLeft.height());
}

class Gtk4TargetE2eTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!TargetApp::isBuilt(Toolkit::gtk4))
            GTEST_SKIP() << "the GTK 4 target is not built (no libgtk-4-dev)";
        ASSERT_TRUE(target.start()) << "the target did not come up";
        system = createLinuxSystem();
        applier = std::make_unique<EditApplier>(
            system->accessibility(), system->frontmostApp(), system->clipboard(), system->keySynthesizer(), clock);
        applier->onNotice = [this](const QString& text) { notices << text; };
    }

    FieldSources sources() const { return fieldSourcesOf(*system); }

    // Focuses the named field and waits until the snapshot shows it with the given text.
    std::optional<FocusedField> focusField(const QString& name, const QString& text)
    {
        if (!target.focus(name))
            return std::nullopt;
        std::optional<FocusedField> field;
        waitUntil([&] {
            field = FocusedField::current(sources());
            return field && field->text() == text;
        });
        return field && field->text() == text ? field : std::nullopt;
    }

    std::optional<FocusedField> settled(const FocusedField& field, const std::function<bool(const FocusedField&)>& ok)
    {
        std::optional<FocusedField> fresh;
        waitUntil([&] {
            fresh = field.refreshed();
            return fresh && ok(*fresh);
        });
        return fresh && ok(*fresh) ? fresh : std::nullopt;
    }

    std::optional<bool> select(const FocusedField& field, TextRange range)
    {
        auto result = std::make_shared<std::optional<bool>>();
        writer.select(field, range, [result](bool selected) { *result = selected; });
        waitUntil([&] { return result->has_value(); }, 10000);
        return *result;
    }

    // Writes one edit as a fix is written; absent when it did not report in time.
    std::optional<bool> apply(const FocusedField& field, const TextEdit& edit)
    {
        auto result = std::make_shared<std::optional<bool>>();
        applier->apply(edit, field, [result](bool placed) { *result = placed; });
        waitUntil([&] { return result->has_value(); }, 10000);
        return *result;
    }

    TargetApp target { Toolkit::gtk4, { QStringLiteral("--line"), waveText, QStringLiteral("--area"), waveText } };
    std::unique_ptr<LinuxSystem> system;
    SystemClock clock;
    FieldWriter writer { clock };
    std::unique_ptr<EditApplier> applier;
    QStringList notices;
};

} // namespace

TEST_F(Gtk4TargetE2eTest, EntryIsReadWithItsTextSelectionAndPlace)
{
    auto field = focusField(lineField, waveText);
    ASSERT_TRUE(field) << FocusedField::read(sources()).reason.toStdString();
    EXPECT_EQ(field->pid(), target.pid());
    EXPECT_EQ(field->element()->offsetUnit(), OffsetUnit::codePoint);
    EXPECT_EQ(field->frame(), flipped(*target.rect(lineField)));

    // The caret after "cat": 4 + 2 + 4 UTF-16 units.
    ASSERT_TRUE(pressKeys(QStringLiteral("Home")));
    for (int i = 0; i < 9; ++i)
        ASSERT_TRUE(pressKeys(QStringLiteral("Right")));
    field = settled(*field, [](const FocusedField& f) { return f.selection() == TextRange { 10, 0 }; });
    ASSERT_TRUE(field);

    // The emoji selected by its UTF-16 range reads back as it.
    EXPECT_EQ(select(*field, { 4, 2 }), true);
    field = settled(*field, [](const FocusedField& f) { return f.selection() == TextRange { 4, 2 }; });
    ASSERT_TRUE(field);
    EXPECT_EQ(field->selectedText(), QString::fromUtf8("\xF0\x9F\x91\x8B"));

    // GTK 4.8 entries have no character boxes at all: no underline rather than one in the wrong place.
    EXPECT_EQ(field->bounds({ 7, 3 }), std::nullopt);
}

TEST_F(Gtk4TargetE2eTest, TextViewSelectionIsMadeNotJustReported)
{
    const auto field = focusField(textArea, waveText);
    ASSERT_TRUE(field);
    // Once with nothing selected, once over a selection: GTK 4.8 fails each its own way.
    for (const TextRange range : { TextRange { 7, 3 }, TextRange { 11, 3 } }) {
        EXPECT_EQ(select(*field, range), true);
        EXPECT_TRUE(settled(*field, [&](const FocusedField& f) { return f.selection() == range; }));
    }
    // Underline boxes come from the characters: "cat" lies inside the view, right of the wave.
    const std::optional<QRectF> wave = field->bounds({ 4, 2 });
    const std::optional<QRectF> cat = field->bounds({ 7, 3 });
    ASSERT_TRUE(wave && cat);
    EXPECT_TRUE(field->visibleFrame().contains(*cat));
    EXPECT_GE(cat->left(), wave->right() - 1);
    EXPECT_NEAR(cat->center().y(), wave->center().y(), 2);
    // A key typed now replaces what is selected: the selection is the view's own.
    ASSERT_TRUE(typeText(QStringLiteral("X")));
    EXPECT_TRUE(waitUntil([&] {
        return target.text(textArea) == QString::fromUtf8("Teh \xF0\x9F\x91\x8B cat X on teh mat.");
    })) << target.text(textArea).value_or(QString()).toStdString();
}

TEST_F(Gtk4TargetE2eTest, FixesLandExactlyAndLeaveTheCaretAfterThem)
{
    for (const QString& name : { lineField, textArea }) {
        SCOPED_TRACE(name.toStdString());
        auto field = focusField(name, waveText);
        ASSERT_TRUE(field);
        // After the emoji: code points and UTF-16 units part there.
        ASSERT_EQ(apply(*field, { 18, 3, QStringLiteral("the") }), true) << notices.join(u' ').toStdString();
        const QString once = QString::fromUtf8("Teh \xF0\x9F\x91\x8B cat sat on the mat.");
        EXPECT_EQ(target.text(name), once);
        field = settled(*field, [&](const FocusedField& f) {
            return f.text() == once && f.selection() == TextRange { 21, 0 };
        });
        ASSERT_TRUE(field) << "the caret is not right after the fix";

        // Before it, with a longer replacement; typing then goes right after the fix.
        ASSERT_EQ(apply(*field, { 0, 3, QStringLiteral("These") }), true) << notices.join(u' ').toStdString();
        const QString twice = QString::fromUtf8("These \xF0\x9F\x91\x8B cat sat on the mat.");
        EXPECT_EQ(target.text(name), twice);
        ASSERT_TRUE(typeText(QStringLiteral("!")));
        EXPECT_TRUE(waitUntil([&] { return target.text(name) == QStringLiteral("These!") + twice.mid(5); }))
            << target.text(name).value_or(QString()).toStdString();
        EXPECT_TRUE(notices.isEmpty()) << notices.join(u' ').toStdString();
    }
}

TEST_F(Gtk4TargetE2eTest, PastedFixesLandExactly)
{
    applier->setForcePaste(true);
    for (const QString& name : { lineField, textArea }) {
        SCOPED_TRACE(name.toStdString());
        const auto field = focusField(name, waveText);
        ASSERT_TRUE(field);
        ASSERT_EQ(apply(*field, { 18, 3, QStringLiteral("the") }), true) << notices.join(u' ').toStdString();
        EXPECT_TRUE(waitUntil([&] {
            return target.text(name) == QString::fromUtf8("Teh \xF0\x9F\x91\x8B cat sat on the mat.");
        })) << target.text(name).value_or(QString()).toStdString();
        EXPECT_TRUE(notices.isEmpty()) << notices.join(u' ').toStdString();
    }
}
