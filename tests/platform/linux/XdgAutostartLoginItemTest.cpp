// Start at login through autostart entries in temporary folders standing in for
// the user's and the system's.
#include "platform/linux/XdgAutostartLoginItem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quillcraft;
using Status = LoginItem::Status;

namespace {

class Folders {
public:
    Folders()
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("system"));
        QFile program(executable());
        program.open(QIODevice::WriteOnly);
        program.setPermissions(QFile::ReadOwner | QFile::ExeOwner | QFile::WriteOwner);
    }

    QString user() const { return m_dir.filePath(QStringLiteral("user/autostart")); }
    QString system() const { return m_dir.filePath(QStringLiteral("system")); }
    QString executable() const { return m_dir.filePath(QStringLiteral("quillcraft")); }

    XdgAutostartLoginItem item(const QString& program = {}) const
    {
        return XdgAutostartLoginItem(user(), { system() }, program.isEmpty() ? executable() : program);
    }

    static void write(const QString& path, const QByteArray& contents)
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }
    static QByteArray read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir m_dir;
};

} // namespace

TEST(XdgAutostartLoginItem, TurningOnAndOffWritesAndRemovesTheUsersEntry)
{
    Folders folders;
    XdgAutostartLoginItem item = folders.item();
    EXPECT_EQ(item.status(), Status::notRegistered);

    ASSERT_TRUE(item.setRegistered(true));
    EXPECT_EQ(item.status(), Status::enabled);
    const QByteArray entry = Folders::read(item.entryPath());
    EXPECT_TRUE(entry.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(entry.contains("Exec=\"" + folders.executable().toUtf8() + "\"\n")) << entry.toStdString();

    ASSERT_TRUE(item.setRegistered(false));
    EXPECT_EQ(item.status(), Status::notRegistered);
    EXPECT_FALSE(QFile::exists(item.entryPath()));
    // Off when already off is no failure.
    EXPECT_TRUE(item.setRegistered(false));
}

TEST(XdgAutostartLoginItem, ASystemEntryCountsAndIsHiddenForThisUserWhenTurnedOff)
{
    Folders folders;
    Folders::write(folders.system() + QStringLiteral("/quillcraft.desktop"),
        "[Desktop Entry]\nType=Application\nExec=quillcraft\n");
    XdgAutostartLoginItem item = folders.item();
    EXPECT_EQ(item.status(), Status::enabled);

    ASSERT_TRUE(item.setRegistered(false));
    EXPECT_EQ(item.status(), Status::notRegistered);
    EXPECT_TRUE(Folders::read(item.entryPath()).contains("Hidden=true\n"));
    // The system's file is not ours to change.
    EXPECT_TRUE(Folders::read(folders.system() + QStringLiteral("/quillcraft.desktop")).contains("Exec=quillcraft"));

    ASSERT_TRUE(item.setRegistered(true));
    EXPECT_EQ(item.status(), Status::enabled);
}

TEST(XdgAutostartLoginItem, EntriesSwitchedOffByOtherToolsReadAsOff)
{
    Folders folders;
    XdgAutostartLoginItem item = folders.item();
    const QByteArray variants[] = {
        "[Desktop Entry]\nExec=quillcraft\nHidden=true\n",
        "[Desktop Entry]\nExec=quillcraft\nX-GNOME-Autostart-enabled=false\n",
    };
    for (const QByteArray& contents : variants) {
        Folders::write(item.entryPath(), contents);
        EXPECT_EQ(item.status(), Status::notRegistered) << contents.toStdString();
    }
    // The same keys in another group change nothing.
    Folders::write(item.entryPath(), "[Desktop Entry]\nExec=quillcraft\n[Desktop Action x]\nHidden=true\n");
    EXPECT_EQ(item.status(), Status::enabled);
}

TEST(XdgAutostartLoginItem, ExecutablePathsAreQuotedOrRefused)
{
    EXPECT_EQ(XdgAutostartLoginItem::execLine(QStringLiteral("/opt/My Apps/quillcraft")),
        QStringLiteral("\"/opt/My Apps/quillcraft\""));
    // $, ", ` and \ are escaped inside the quotes, the backslash once more for the
    // string value, and % doubled for the field codes.
    EXPECT_EQ(XdgAutostartLoginItem::execLine(QStringLiteral("/a$b/\"c`/d\\e/100%/q")),
        QStringLiteral("\"/a\\\\$b/\\\\\"c\\\\`/d\\\\\\\\e/100%%/q\""));
    EXPECT_TRUE(XdgAutostartLoginItem::execLine(QStringLiteral("/tmp/a\nExec=evil")).isEmpty());

    Folders folders;
    XdgAutostartLoginItem broken = folders.item(QStringLiteral("/tmp/a\nX-Other=1/quillcraft"));
    EXPECT_FALSE(broken.setRegistered(true));
    EXPECT_EQ(broken.status(), Status::notRegistered);
    XdgAutostartLoginItem missing = folders.item(QStringLiteral("/no/such/quillcraft"));
    EXPECT_FALSE(missing.setRegistered(true));
    EXPECT_FALSE(QFile::exists(missing.entryPath()));
}
