#include "core/PrivateFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "Printers.h"
#include "TestText.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace quillcraft;
using quillcraft::test::fileContents;
using quillcraft::test::u;

namespace {

void seed(const QString& path, const QByteArray& bytes, QFileDevice::Permissions permissions)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();
    ASSERT_TRUE(QFile::setPermissions(path, permissions));
}

unsigned mode(const QString& path)
{
    struct stat info { };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 0777 : 0;
}

// Lets everyone read new files for the lifetime of the object.
class PermissiveUmask final {
public:
    PermissiveUmask()
        : m_previous(::umask(0))
    {
    }
    ~PermissiveUmask() { ::umask(m_previous); }

private:
    mode_t m_previous;
};

// Makes writes past `bytes` fail with EFBIG instead of killing the process.
class FileSizeLimit final {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_previous);
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_previous;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }

private:
    rlimit m_previous {};
    void (*m_previousHandler)(int) = nullptr;
};

class PrivateFileTest : public testing::Test {
protected:
    QString path() const { return m_dir.filePath(u("prefs.json")); }
    QStringList entries() const { return QDir(m_dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot); }

    QTemporaryDir m_dir;
};

// Writes that wait for the disk and writes that do not keep the same promises.
class PrivateFileWriteTest : public PrivateFileTest, public testing::WithParamInterface<PrivateFile::Sync> { };

} // namespace

INSTANTIATE_TEST_SUITE_P(BothSyncs, PrivateFileWriteTest,
    testing::Values(PrivateFile::Sync::toDisk, PrivateFile::Sync::none),
    [](const testing::TestParamInfo<PrivateFile::Sync>& param) {
        return param.param == PrivateFile::Sync::toDisk ? "toDisk" : "none";
    });

TEST_P(PrivateFileWriteTest, OnlyTheOwnerCanReadWhateverTheUmaskOrTheOldMode)
{
    const PermissiveUmask umask;
    PrivateFile file(path());
    ASSERT_TRUE(file.write("first", GetParam()));
    EXPECT_EQ(mode(path()), 0600u);
    EXPECT_EQ(fileContents(path()), "first");

    seed(path(), "old",
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    ASSERT_EQ(mode(path()), 0644u);
    ASSERT_TRUE(file.write("second", GetParam()));
    EXPECT_EQ(mode(path()), 0600u);
    EXPECT_EQ(fileContents(path()), "second");
    EXPECT_TRUE(file.errorString().isEmpty());
    EXPECT_EQ(entries(), QStringList { u("prefs.json") }); // no temporary left behind
}

TEST_P(PrivateFileWriteTest, AFailedWriteKeepsTheOldFileAndSaysSo)
{
    // A directory where the file should be.
    ASSERT_TRUE(QDir().mkpath(path()));
    PrivateFile folder(path());
    EXPECT_FALSE(folder.write("new", GetParam()));
    EXPECT_FALSE(folder.errorString().isEmpty());
    EXPECT_TRUE(QFileInfo(path()).isDir());
    ASSERT_TRUE(QDir().rmdir(path()));

    seed(path(), "old", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // The disk fills up halfway through the write.
    {
        const FileSizeLimit limit(1024);
        PrivateFile file(path());
        EXPECT_FALSE(file.write(QByteArray(64 * 1024, 'x'), GetParam()));
        EXPECT_FALSE(file.errorString().isEmpty());
    }
    EXPECT_EQ(fileContents(path()), "old");
    EXPECT_EQ(entries(), QStringList { u("prefs.json") });
}

TEST_F(PrivateFileTest, SetAsideKeepsTheContentAndNeverOverwritesAnEarlierOne)
{
    // Named in UTC whatever the zone of the time given.
    const QDateTime now(QDate(2026, 3, 4), QTime(6, 6, 7, 891), Qt::OffsetFromUTC, 3600);
    const QString first = path() + u(".damaged-20260304T050607891Z");
    PrivateFile file(path());

    seed(path(), "damaged one", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(file.setAside(now), first);
    EXPECT_FALSE(QFile::exists(path()));
    EXPECT_EQ(fileContents(first), "damaged one");

    // Two more in the same millisecond; one name is already taken by someone else.
    seed(first + u("-3"), "not ours", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    seed(path(), "damaged two", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(file.setAside(now), first + u("-2"));
    seed(path(), "damaged three", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(file.setAside(now), first + u("-4"));
    EXPECT_EQ(fileContents(first), "damaged one");
    EXPECT_EQ(fileContents(first + u("-2")), "damaged two");
    EXPECT_EQ(fileContents(first + u("-3")), "not ours");
    EXPECT_EQ(fileContents(first + u("-4")), "damaged three");
    EXPECT_TRUE(file.errorString().isEmpty());

    // Nothing to set aside.
    EXPECT_TRUE(file.setAside(now).isEmpty());
    EXPECT_FALSE(file.errorString().isEmpty());
}
