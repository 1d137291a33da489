#include "system/linux/DesktopEntries.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quillcraft;

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
    const DesktopEntries entries({dir.path()});

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
