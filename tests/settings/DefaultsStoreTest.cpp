#include "settings/DefaultsStore.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QPointF>
#include <QTemporaryDir>

#include "Printers.h"
#include "TestText.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <thread>

using namespace quillcraft;
using quillcraft::test::fileContents;
using quillcraft::test::u;

namespace {

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

unsigned mode(const QString& path)
{
    struct stat info { };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 0777 : 0;
}

// Collects warnings for the lifetime of the object.
class WarningLog final {
public:
    WarningLog() { m_previous = qInstallMessageHandler(&WarningLog::record); }
    ~WarningLog()
    {
        qInstallMessageHandler(m_previous);
        lines().clear();
    }
    static QStringList& lines()
    {
        static QStringList captured;
        return captured;
    }

private:
    static void record(QtMsgType, const QMessageLogContext&, const QString& message) { lines().append(message); }
    QtMessageHandler m_previous = nullptr;
};

class DefaultsStoreTest : public testing::Test {
protected:
    QString path() const { return m_dir.filePath(u("quillcraft/defaults.json")); }
    QStringList asideFiles() const
    {
        return QDir(m_dir.filePath(u("quillcraft"))).entryList({ u("defaults.json.damaged-*") }, QDir::Files);
    }
    void seed(const QByteArray& bytes)
    {
        QDir().mkpath(m_dir.filePath(u("quillcraft")));
        write(path(), bytes);
    }

    QTemporaryDir m_dir;
};

TEST_F(DefaultsStoreTest, TypesSurviveSaveAndReload)
{
    const QDateTime date(QDate(2026, 3, 4), QTime(5, 6, 7, 891), Qt::UTC);
    const QVariantMap values {
        { u("flag"), true },
        { u("flagText"), u("true") },
        { u("fraction"), 0.25 },
        { u("when"), date },
        { u("$dollar"), u("kept") },
        // User dictionaries that look like a date tag stay dictionaries.
        { u("lookalike"), QVariantMap { { u("$date"), u("2026-01-01T00:00:00.000Z") } } },
        { u("nested"),
            QVariantMap { { u("$date"), u("no date") }, { u("list"), QVariantList { 1, u("x"), date, false } } } },
    };
    {
        DefaultsStore store(path());
        for (auto it = values.begin(); it != values.end(); ++it)
            EXPECT_TRUE(store.setValue(it.key(), it.value())) << qPrintable(it.key());
    }

    DefaultsStore store(path());
    EXPECT_EQ(store.keys().size(), values.size());
    for (auto it = values.begin(); it != values.end(); ++it)
        EXPECT_EQ(store.value(it.key()), it.value()) << qPrintable(it.key());
    // QVariant equality is loose about numbers and booleans; the typed reads are not.
    EXPECT_EQ(store.boolValue(u("flagText")), std::nullopt);
    EXPECT_EQ(store.stringValue(u("flag")), std::nullopt);
    EXPECT_EQ(store.numberValue(u("flag")), std::nullopt);
    EXPECT_EQ(store.stringValue(u("when")), std::nullopt);
    EXPECT_EQ(store.dateValue(u("lookalike")), std::nullopt);
    const QVariantList list = store.mapValue(u("nested"))->value(u("list")).toList();
    EXPECT_EQ(DefaultsStore::asBool(list.value(3)), false);
    EXPECT_EQ(DefaultsStore::asDate(list.value(2)), date);
}

TEST_F(DefaultsStoreTest, RefusesValuesItCannotKeep)
{
    DefaultsStore store(path());
    store.setValue(u("x"), 2);
    const QByteArray before = fileContents(path());
    for (const QVariant& value : { QVariant(QPointF(1, 2)), QVariant(std::numeric_limits<double>::infinity()),
             QVariant(std::nan("")), QVariant(QDateTime()), QVariant(QVariantList { 1, QPointF() }),
             QVariant(QDateTime(QDate(12000, 1, 1), QTime(0, 0), Qt::UTC)) }) {
        EXPECT_FALSE(store.setValue(u("x"), value)) << value.typeName();
    }
    EXPECT_EQ(store.numberValue(u("x")), 2.0);
    EXPECT_EQ(fileContents(path()), before);
}

TEST_F(DefaultsStoreTest, LargeWholeNumbersReadTheSameFromMemoryAndFromDisk)
{
    // Beyond 2^53 a double is still whole, and the file spells it as an integer.
    const double large = 54043195528445952.0; // 1.5 * 2^55
    const double huge = 1e20; // beyond 64-bit integers
    DefaultsStore writer(path());
    ASSERT_TRUE(writer.setValue(u("large"), large));
    ASSERT_TRUE(writer.setValue(u("huge"), huge));
    DefaultsStore reader(path());
    for (const char* key : { "large", "huge" }) {
        EXPECT_EQ(writer.value(u(key)).typeId(), reader.value(u(key)).typeId()) << key;
        EXPECT_EQ(writer.numberValue(u(key)), reader.numberValue(u(key))) << key;
    }
    EXPECT_EQ(reader.value(u("large")), QVariant(qlonglong(54043195528445952)));
    EXPECT_EQ(reader.numberValue(u("huge")), huge);
}

TEST_F(DefaultsStoreTest, ByteOrderMarksOpeningAStringSurvive)
{
    // U+FEFF is a zero width no-break space inside text, and may open a pasted word.
    const QString mark(QChar(0xfeff));
    const QVariantMap words { { mark + u("key"), QVariantList { mark + u("word"), mark } } };
    {
        DefaultsStore writer(path());
        ASSERT_TRUE(writer.setValue(mark + u("top"), words));
    }
    DefaultsStore reader(path());
    EXPECT_EQ(reader.keys(), QStringList { mark + u("top") });
    EXPECT_EQ(reader.mapValue(mark + u("top")), words);
}

TEST_F(DefaultsStoreTest, DatesTheFileCannotSpellInUtcStayWritable)
{
    // Edited by hand: in UTC these fall outside the years 1 to 9999.
    seed(R"({"schema": 1, "values": {"dates": [{"$date": "9999-12-31T23:00:00.000-05:00"},
                                               {"$date": "0001-01-01T00:00:00.000+05:00"}]}})");
    DefaultsStore store(path());
    std::optional<QVariantList> dates = store.listValue(u("dates"));
    ASSERT_TRUE(dates);
    ASSERT_EQ(dates->size(), 2);
    EXPECT_EQ(DefaultsStore::asDate(dates->at(0)), std::nullopt);
    // A read-modify-write of the list still works and keeps them.
    dates->append(true);
    EXPECT_TRUE(store.setValue(u("dates"), *dates));
    EXPECT_EQ(DefaultsStore(path()).listValue(u("dates")), dates);
}

TEST_F(DefaultsStoreTest, SharedInstanceSeesWritesAndReportsRealChangesOnly)
{
    DefaultsStore store(path());
    QStringList spy;
    QObject::connect(&store, &DefaultsStore::changed, [&spy](const QString& key) { spy.append(key); });
    store.setValue(u("grammarOn"), false);
    store.setValue(u("grammarOn"), false);
    EXPECT_EQ(spy.size(), 1);
    // Same value, another type: a change.
    store.setValue(u("grammarOn"), 0);
    EXPECT_EQ(spy.size(), 2);
    store.remove(u("grammarOn"));
    store.remove(u("grammarOn"));
    EXPECT_EQ(spy.size(), 3);
    EXPECT_FALSE(store.contains(u("grammarOn")));
    EXPECT_EQ(spy.at(0), u("grammarOn"));
}

TEST_F(DefaultsStoreTest, PicksUpWhatAnotherProcessWrote)
{
    DefaultsStore mine(path());
    mine.setValue(u("language"), u("English"));
    QStringList spy;
    QObject::connect(&mine, &DefaultsStore::changed, [&spy](const QString& key) { spy.append(key); });

    DefaultsStore theirs(path()); // stands in for a second process
    theirs.setValue(u("language"), u("German"));
    theirs.setValue(u("grammarOn"), false);

    EXPECT_EQ(mine.stringValue(u("language")), u("German"));
    EXPECT_EQ(spy.size(), 2);
    // A write starts from the fresh file, so the other process's keys survive it.
    mine.setValue(u("finishedOnboarding"), true);
    EXPECT_EQ(DefaultsStore(path()).boolValue(u("grammarOn")), false);

    QFile::remove(path());
    EXPECT_FALSE(mine.contains(u("language")));
}

TEST_F(DefaultsStoreTest, DamagedFileIsSetAsideNeverOverwritten)
{
    WarningLog log;
    const QByteArray damaged = "{\"schema\": 1, \"values\": {\"dictionary\": [\"secretword\"";
    seed(damaged);

    DefaultsStore store(path());
    EXPECT_TRUE(store.keys().isEmpty());
    ASSERT_EQ(asideFiles().size(), 1);
    EXPECT_EQ(fileContents(m_dir.filePath(u("quillcraft/") + asideFiles().first())), damaged);
    ASSERT_EQ(WarningLog::lines().size(), 1);
    EXPECT_FALSE(WarningLog::lines().first().contains(u("secretword")));
    EXPECT_FALSE(WarningLog::lines().first().contains(QLatin1Char('\n')));
    EXPECT_TRUE(WarningLog::lines().first().endsWith(QLatin1Char('.')));

    store.setValue(u("grammarOn"), false);
    EXPECT_EQ(DefaultsStore(path()).boolValue(u("grammarOn")), false);

    // Damage appearing underneath a running store is set aside before the next write.
    write(path(), "not json at all");
    store.setValue(u("language"), u("English"));
    EXPECT_EQ(asideFiles().size(), 2);
    EXPECT_EQ(DefaultsStore(path()).stringValue(u("language")), u("English"));
}

TEST_F(DefaultsStoreTest, FilesItDoesNotUnderstandAreSetAside)
{
    WarningLog log;
    for (const QByteArray& bytes : { QByteArray("[]"), QByteArray("{\"values\": {}}"),
             QByteArray("{\"schema\": \"1\", \"values\": {}}"), QByteArray("{\"schema\": 1, \"values\": []}"),
             QByteArray("{\"schema\": 2, \"values\": {\"grammarOn\": false}}"), QByteArray() }) {
        seed(bytes);
        DefaultsStore store(path());
        EXPECT_TRUE(store.keys().isEmpty()) << bytes.constData();
        EXPECT_FALSE(QFile::exists(path())) << bytes.constData();
    }
    EXPECT_EQ(asideFiles().size(), 6);
}

TEST_F(DefaultsStoreTest, FileIsPrivateToTheUser)
{
    seed("{\"schema\": 1, \"values\": {}}");
    QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
    DefaultsStore store(path());
    store.setValue(u("grammarOn"), true);
    EXPECT_EQ(mode(path()), 0600u);

    const QString fresh = m_dir.filePath(u("new/quillcraft/defaults.json"));
    DefaultsStore other(fresh);
    other.setValue(u("grammarOn"), true);
    EXPECT_EQ(mode(fresh), 0600u);
    EXPECT_EQ(mode(m_dir.filePath(u("new/quillcraft"))), 0700u);
}

TEST_F(DefaultsStoreTest, UnwritableLocationKeepsValuesForTheSession)
{
    WarningLog log;
    write(m_dir.filePath(u("blocker")), "a file where a folder should be");
    DefaultsStore store(m_dir.filePath(u("blocker/quillcraft/defaults.json")));
    store.setValue(u("language"), u("French"));
    store.setValue(u("grammarOn"), false);
    EXPECT_EQ(store.stringValue(u("language")), u("French"));
    EXPECT_EQ(store.boolValue(u("grammarOn")), false);
    EXPECT_EQ(WarningLog::lines().size(), 1); // one warning, not one per write
}

TEST_F(DefaultsStoreTest, ReaderNeverSeesAHalfWrittenFile)
{
    DefaultsStore store(path());
    store.setValue(u("seed"), 0);

    std::atomic<bool> done { false };
    std::atomic<int> reads { 0 };
    std::atomic<int> failures { 0 };
    std::thread reader([&] {
        while (!done.load()) {
            QFile file(path());
            if (!file.open(QIODevice::ReadOnly))
                continue; // the rename is atomic, but count only real reads
            QJsonParseError error {};
            const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
            if (error.error != QJsonParseError::NoError || !document.isObject())
                ++failures;
            ++reads;
        }
    });
    // Values of changing length, so a torn read could not parse. The writer goes
    // on until the reader has really overlapped it, however it was scheduled.
    int writes = 0;
    for (; writes < 300 || (reads.load() < 50 && writes < 100000); ++writes)
        store.setValue(u("payload"), QString(50 + (writes * 37) % 4000, QLatin1Char(char('a' + writes % 26))));
    done = true;
    reader.join();

    EXPECT_GE(reads.load(), 50);
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(store.stringValue(u("payload"))->size(), 50 + ((writes - 1) * 37) % 4000);
}

} // namespace
