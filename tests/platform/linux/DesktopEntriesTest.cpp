#include "platform/linux/DesktopEntries.h"
#include "Wait.h"
#include "platform/linux/X11FrontmostApp.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace quillcraft;
using quillcraft::test::waitUntil;

namespace {

class DesktopEntriesTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("applications")));
        QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    void write(const QString& file, const QByteArray& content)
    {
        QFile out(dir.path() + QStringLiteral("/applications/") + file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(content);
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(DesktopEntriesTest, MatchesWindowClassThenFileNameThenExecutable)
{
    write(QStringLiteral("org.example.Writer.desktop"),
        "[Desktop Entry]\nName=Writer\nName[de]=Schreiber\nExec=/usr/bin/writer-bin %U\n"
        "StartupWMClass=WriterWindow\n[Desktop Action new]\nName=New window\n");
    write(QStringLiteral("notes.desktop"), "[Desktop Entry]\nName=Notes\nExec=\"notes\"\n");
    write(QStringLiteral("ghost.desktop"), "[Desktop Entry]\nName=Ghost\nExec=ghost\nHidden=true\n");
    write(QStringLiteral("broken.desktop"), "Name=No group\n");
    const DesktopEntries entries({ dir.path() });

    const auto byClass = entries.forProcess(0, QStringLiteral("WriterWindow"), QString());
    ASSERT_TRUE(byClass);
    EXPECT_EQ(byClass->id, QStringLiteral("org.example.Writer"));
    EXPECT_EQ(byClass->name, QStringLiteral("Schreiber")); // localised; the action's Name is not the entry's

    const auto byFileName = entries.forProcess(0, QStringLiteral("Notes"), QString());
    ASSERT_TRUE(byFileName);
    EXPECT_EQ(byFileName->name, QStringLiteral("Notes"));

    const auto byExecutable = entries.forProcess(0, QStringLiteral("unknown"), QStringLiteral("writer-bin"));
    ASSERT_TRUE(byExecutable);
    EXPECT_EQ(byExecutable->id, QStringLiteral("org.example.Writer"));

    EXPECT_FALSE(entries.forProcess(0, QStringLiteral("ghost"), QStringLiteral("ghost")));
    EXPECT_FALSE(entries.forProcess(0, QStringLiteral("broken"), QString()));
    EXPECT_FALSE(entries.forProcess(0, QString(), QString()));
}

// A program with a settings entry as well: "pad-settings" sorts first, and the
// entry that starts the program plainly names it all the same.
TEST_F(DesktopEntriesTest, TheEntryStartingTheProgramPlainlyNamesIt)
{
    write(QStringLiteral("org.example.pad-settings.desktop"),
        "[Desktop Entry]\nName=Editor Settings\nExec=pad --preferences\n");
    write(QStringLiteral("org.example.pad.desktop"), "[Desktop Entry]\nName=Pad\nExec=env LANG=C pad %U\n");
    write(QStringLiteral("tool-open.desktop"), "[Desktop Entry]\nName=Tool\nExec=tool --open %f\n");
    const DesktopEntries entries({ dir.path() });

    const auto pad = entries.forProcess(0, QString(), QStringLiteral("pad"));
    ASSERT_TRUE(pad);
    EXPECT_EQ(pad->name, QStringLiteral("Pad"));
    // With no plain entry, one with arguments is still better than none.
    const auto tool = entries.forProcess(0, QString(), QStringLiteral("tool"));
    ASSERT_TRUE(tool);
    EXPECT_EQ(tool->name, QStringLiteral("Tool"));
}

// GLib names the launched process next to the entry; the programs that process
// starts inherit both variables and are not that entry.
TEST_F(DesktopEntriesTest, LaunchHintCountsOnlyForTheLaunchedProcess)
{
    write(QStringLiteral("terminal.desktop"), "[Desktop Entry]\nName=Terminal\nExec=terminal\n");
    write(QStringLiteral("editor.desktop"), "[Desktop Entry]\nName=Editor\nExec=editor\nStartupWMClass=Editor\n");
    const DesktopEntries entries({ dir.path() });
    const QString terminal = dir.path() + QStringLiteral("/applications/terminal.desktop");

    const auto spawn = [&](const QString& launchedPid) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("GIO_LAUNCHED_DESKTOP_FILE"), terminal);
        process->setProcessEnvironment(environment);
        // $$ is the shell's own pid, which exec hands on to sleep.
        process->start(QStringLiteral("/bin/sh"),
            { QStringLiteral("-c"),
                QStringLiteral("%1exec sleep 30")
                    .arg(launchedPid.isNull() ? QString()
                                              : QStringLiteral("GIO_LAUNCHED_DESKTOP_FILE_PID=%1 export "
                                                               "GIO_LAUNCHED_DESKTOP_FILE_PID; ")
                                                    .arg(launchedPid)) });
        EXPECT_TRUE(process->waitForStarted());
        EXPECT_TRUE(waitUntil([&] {
            QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(process->processId()));
            return cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().startsWith("sleep");
        }));
        return process;
    };

    const auto launched = spawn(QStringLiteral("$$"));
    const auto byHint = entries.forProcess(launched->processId(), QStringLiteral("Editor"), QString());
    ASSERT_TRUE(byHint);
    EXPECT_EQ(byHint->id, QStringLiteral("terminal"));

    const auto child = spawn(QString::number(QCoreApplication::applicationPid()));
    const auto inherited = entries.forProcess(child->processId(), QStringLiteral("Editor"), QString());
    ASSERT_TRUE(inherited);
    EXPECT_EQ(inherited->id, QStringLiteral("editor"));

    // Launchers that set no pid: the hint is all there is.
    const auto unnamed = spawn(QString());
    const auto byBareHint = entries.forProcess(unnamed->processId(), QStringLiteral("Editor"), QString());
    ASSERT_TRUE(byBareHint);
    EXPECT_EQ(byBareHint->id, QStringLiteral("terminal"));

    for (QProcess* process : { launched.get(), child.get(), unnamed.get() }) {
        process->kill();
        process->waitForFinished();
    }
}

// Snap and many distribution entries start the program through env.
TEST_F(DesktopEntriesTest, ExecutableSkipsEnvAndItsAssignments)
{
    write(QStringLiteral("browser_browser.desktop"),
        "[Desktop Entry]\nName=Browser\n"
        "Exec=env BAMF_DESKTOP_FILE_HINT=/var/lib/snapd/desktop/applications/browser_browser.desktop "
        "/snap/bin/browser %u\n");
    const DesktopEntries entries({ dir.path() });
    const auto entry = entries.forProcess(0, QString(), QStringLiteral("browser"));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->id, QStringLiteral("browser_browser"));
    EXPECT_FALSE(entries.forProcess(0, QString(), QStringLiteral("env")));
}

// A package upgrade replaces the file of a program that keeps running.
TEST_F(DesktopEntriesTest, ExecutableOfAProcessWhoseFileWasReplaced)
{
    const QString copy = dir.path() + QStringLiteral("/writer-bin");
    ASSERT_TRUE(QFile::copy(QStringLiteral("/bin/sleep"), copy));
    QProcess process;
    process.start(copy, { QStringLiteral("30") });
    ASSERT_TRUE(process.waitForStarted());
    ASSERT_TRUE(QFile::remove(copy));
    EXPECT_EQ(X11FrontmostApp::executableName(process.processId()), QStringLiteral("writer-bin"));
    process.kill();
    process.waitForFinished();
}
