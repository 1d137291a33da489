// A GTK 4 editor (gnome-text-editor) read through the focused-field snapshot and
// written as fixes are: GTK 4.8 marks only its windows SHOWING, reports positions
// relative to its window and does not make the selections it says it made.
// Skipped where the editor is not installed. Runs inside tests/e2e/session.sh.

#include "E2eSupport.h"
#include "FieldSourcesOf.h"
#include "Wait.h"
#include "assistant/FocusedField.h"
#include "assistant/writeback/EditApplier.h"
#include "core/SystemClock.h"
#include "platform/linux/LinuxSystem.h"
#include "platform/linux/X11Windows.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quillcraft;
using namespace quillcraft::e2e;
using quillcraft::test::waitUntil;

namespace {

// Height of the harness's only screen.
constexpr int screenHeight = 1024;
const QString typed = QStringLiteral("Teh cat sat on teh mat.");

class Gtk4EditorE2eTest : public testing::Test {
protected:
    void SetUp() override
    {
        const QString editor = QStandardPaths::findExecutable(QStringLiteral("gnome-text-editor"));
        if (editor.isEmpty())
            GTEST_SKIP() << "gnome-text-editor is not installed";
        ASSERT_TRUE(m_data.isValid());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // No draft of an earlier run is restored into the new window.
        environment.insert(QStringLiteral("XDG_DATA_HOME"), m_data.path());
        m_editor.setProcessEnvironment(environment);
        m_editor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_editor.start(editor, { QStringLiteral("--standalone") });
        ASSERT_TRUE(m_editor.waitForStarted());
        m_system = createLinuxSystem();
        ASSERT_TRUE(waitUntil([&] { return !m_windows.contentRects(m_editor.processId()).isEmpty(); }, 20000))
            << "the editor's window did not appear";
    }

    void TearDown() override
    {
        if (m_editor.state() != QProcess::NotRunning) {
            m_editor.kill();
            m_editor.waitForFinished();
        }
    }

    FieldSources sources() const { return fieldSourcesOf(*m_system); }

    // Activates the editor, types the text and waits for the snapshot to show it.
    std::optional<FocusedField> typedField()
    {
        if (!m_windows.activate(m_editor.processId()))
            return std::nullopt;
        std::optional<FocusedField> field;
        // The editor takes typing once it is active; typed again until it shows.
        waitUntil(
            [&] {
                field = FocusedField::current(sources());
                if (!field && typeText(QStringLiteral(" ")))
                    return false;
                return field.has_value();
            },
            20000);
        if (!field || !typeText(typed))
            return std::nullopt;
        waitUntil([&] {
            field = FocusedField::current(sources());
            return field && field->text().endsWith(typed);
        });
        return field && field->text().endsWith(typed) ? field : std::nullopt;
    }

    QProcess m_editor;
    QTemporaryDir m_data;
    X11Windows m_windows;
    std::unique_ptr<LinuxSystem> m_system;
};

} // namespace

TEST_F(Gtk4EditorE2eTest, TheEditorIsFoundAndPlacedInsideItsWindow)
{
    ASSERT_TRUE(m_windows.activate(m_editor.processId()));
    std::optional<FocusedField> field;
    // The editor takes typing once it is active; typed again until it shows.
    ASSERT_TRUE(waitUntil(
        [&] {
            field = FocusedField::current(sources());
            if (!field && typeText(QStringLiteral(" ")))
                return false;
            return field.has_value();
        },
        20000))
        << "no field: " << FocusedField::read(sources()).reason.toStdString();
    ASSERT_TRUE(typeText(typed));
    ASSERT_TRUE(waitUntil([&] {
        field = FocusedField::current(sources());
        return field && field->text().endsWith(typed);
    }));
    EXPECT_EQ(field->pid(), m_editor.processId());
    EXPECT_EQ(field->element()->offsetUnit(), OffsetUnit::codePoint);

    // The selection is read in UTF-16 units like everywhere else.
    for (const char* key : { "End", "Left", "shift+Left", "shift+Left", "shift+Left" })
        ASSERT_TRUE(pressKeys(QString::fromLatin1(key)));
    ASSERT_TRUE(waitUntil([&] {
        field = field->refreshed();
        return field && field->selectedText() == QStringLiteral("mat");
    }));

    // Inside the window on screen, not at the screen's corner where GTK 4 says it is.
    const QList<QRectF> windows = m_windows.contentRects(m_editor.processId());
    ASSERT_EQ(windows.size(), 1);
    const QRectF window = windows.first();
    const QRectF bottomLeft(window.x(), screenHeight - window.bottom(), window.width(), window.height());
    EXPECT_GT(window.x(), 0);
    EXPECT_TRUE(bottomLeft.contains(field->frame())) << "frame " << field->frame().x() << "," << field->frame().y();
    EXPECT_TRUE(bottomLeft.contains(field->visibleFrame()));

    // GTK 4.8 has no range extents: the word's box comes from its characters.
    const std::optional<QRectF> word = field->bounds(field->selection());
    ASSERT_TRUE(word);
    EXPECT_GT(word->width(), 0);
    EXPECT_TRUE(field->visibleFrame().contains(*word)) << "word " << word->x() << "," << word->y();
}

TEST_F(Gtk4EditorE2eTest, FixesAreWrittenWhereTheyBelong)
{
    std::optional<FocusedField> field = typedField();
    ASSERT_TRUE(field) << "no field: " << FocusedField::read(sources()).reason.toStdString();
    SystemClock clock;
    EditApplier applier(
        m_system->accessibility(), m_system->frontmostApp(), m_system->clipboard(), m_system->keySynthesizer(), clock);
    QStringList notices;
    applier.onNotice = [&](const QString& text) { notices << text; };
    const auto apply = [&](const TextEdit& edit) {
        auto placed = std::make_shared<std::optional<bool>>();
        applier.apply(edit, *field, [placed](bool p) { *placed = p; });
        waitUntil([&] { return placed->has_value(); }, 10000);
        return placed->value_or(false);
    };

    // The second "teh" first, then the first: the fixed text is exact either way.
    const QString before = field->text();
    const qint64 second = before.lastIndexOf(QStringLiteral("teh"));
    ASSERT_TRUE(apply({ second, 3, QStringLiteral("the") })) << notices.join(u' ').toStdString();
    QString expected = before;
    expected.replace(second, 3, QStringLiteral("the"));
    ASSERT_TRUE(waitUntil([&] {
        field = field->refreshed();
        return field && field->text() == expected && field->selection() == TextRange { second + 3, 0 };
    })) << "text "
        << (field ? field->text().toStdString() : "unreadable");

    const qint64 first = expected.indexOf(QStringLiteral("Teh"));
    ASSERT_TRUE(apply({ first, 3, QStringLiteral("The") })) << notices.join(u' ').toStdString();
    expected.replace(first, 3, QStringLiteral("The"));
    ASSERT_TRUE(waitUntil([&] {
        field = field->refreshed();
        return field && field->text() == expected;
    })) << "text "
        << (field ? field->text().toStdString() : "unreadable");
    EXPECT_TRUE(notices.isEmpty()) << notices.join(u' ').toStdString();
}
