#include "platform/linux/DesktopAppDirectory.h"
#include "platform/linux/DesktopEntries.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quillcraft;

namespace {

class DesktopAppDirectoryTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("applications")));
        QLocale::setDefault(QLocale::c());
    }

    void write(const QString& file, const QByteArray& content)
    {
        QFile out(dir.path() + QStringLiteral("/applications/") + file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(content);
    }

    QTemporaryDir dir;
};

TEST_F(DesktopAppDirectoryTest, FindsEntriesByIdIgnoringCaseAndAnswersWithTheirSpelling)
{
    write(QStringLiteral("Alacritty.desktop"), "[Desktop Entry]\nName=Alacritty\nExec=alacritty\n");
    write(QStringLiteral("org.example.Nameless.desktop"), "[Desktop Entry]\nExec=nameless\n");
    const DesktopEntries entries({ dir.path() });
    const DesktopAppDirectory apps(entries);

    const auto found = apps.find(QStringLiteral("alacritty"));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->id, QStringLiteral("Alacritty"));
    EXPECT_EQ(found->name, QStringLiteral("Alacritty"));
    // No name: the id stands in for it.
    EXPECT_EQ(apps.find(QStringLiteral("org.example.Nameless"))->name, QStringLiteral("org.example.Nameless"));
    EXPECT_FALSE(apps.find(QStringLiteral("org.example.Missing")));
    EXPECT_FALSE(apps.find(QString()));
}

TEST_F(DesktopAppDirectoryTest, AProgramOnThePathCountsOnlyWhenNoEntryClaimsIt)
{
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sh"));
    ASSERT_FALSE(shell.isEmpty());
    {
        const DesktopEntries entries({ dir.path() });
        const auto found = DesktopAppDirectory(entries).find(QStringLiteral("sh"));
        ASSERT_TRUE(found);
        EXPECT_EQ(found->id, QStringLiteral("sh"));
        // Paths are never looked up.
        EXPECT_FALSE(DesktopAppDirectory(entries).find(shell));
    }
    // An entry that runs it would be what a running copy is reported as.
    write(QStringLiteral("org.example.Shell.desktop"), "[Desktop Entry]\nName=Shell\nExec=sh -c true\n");
    const DesktopEntries entries({ dir.path() });
    EXPECT_FALSE(DesktopAppDirectory(entries).find(QStringLiteral("sh")));
}

} // namespace
