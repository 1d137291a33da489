#include "settings/PreferenceKeys.h"
#include "settings/DefaultsStore.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "Printers.h"
#include "TestText.h"

#include <gtest/gtest.h>

using namespace quillcraft;
using quillcraft::test::fileContents;
using quillcraft::test::u;

namespace {

class PreferenceSchemaTest : public testing::Test {
protected:
    QString path() const { return m_dir.filePath(u("defaults.json")); }
    void seed(const QByteArray& bytes)
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    QList<QByteArray> asideContents() const
    {
        QList<QByteArray> all;
        for (const QString& name : QDir(m_dir.path()).entryList({ u("defaults.json.damaged-*") }, QDir::Files))
            all.append(fileContents(m_dir.filePath(name)));
        return all;
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST(PreferenceKeysTest, NamesEveryStoredKeyOnceWithADefaultOfItsType)
{
    // The names are what users' files hold: renaming one loses that preference.
    QStringList names;
    for (const PreferenceKeys::Row& row : PreferenceKeys::all()) {
        names.append(row.name);
        EXPECT_EQ(row.defaultValue.metaType(), row.type) << qPrintable(QString(row.name));
    }
    EXPECT_EQ(names,
        (QStringList { u("appChoices"), u("pausedUntil"), u("badgeCorners"), u("badgePositions"), u("hiddenBadges"),
            u("dictionary"), u("grammarOn"), u("language"), u("finishedOnboarding"), u("savedCustomTones"),
            u("sessionSharedWithBrowser"), u("automaticallyChecksForUpdates") }));
}

TEST_F(PreferenceSchemaTest, EverySchemaUpToTheCurrentOneIsReadWithItsValues)
{
    for (int schema = 1; schema <= PreferenceKeys::schemaVersion; ++schema) {
        seed(u(R"({"schema": %1, "values": {"grammarOn": false, "dictionary": ["alpha"]}})").arg(schema).toUtf8());
        DefaultsStore store(path());
        EXPECT_EQ(store.boolValue(PreferenceKeys::grammarOn.name), false) << schema;
        EXPECT_EQ(store.listValue(PreferenceKeys::dictionary.name), QVariantList { u("alpha") }) << schema;
    }
    EXPECT_TRUE(asideContents().isEmpty());
}

TEST_F(PreferenceSchemaTest, FilesFromBeforeTheFirstOrAfterTheCurrentSchemaAreSetAsideUntouched)
{
    const QList<QByteArray> unreadable {
        R"({"schema": 0, "values": {"grammarOn": false}})",
        R"({"values": {"grammarOn": false}})",
        u(R"({"schema": %1, "values": {"grammarOn": false}})").arg(PreferenceKeys::schemaVersion + 1).toUtf8(),
    };
    for (const QByteArray& bytes : unreadable) {
        seed(bytes);
        DefaultsStore store(path());
        EXPECT_FALSE(store.contains(PreferenceKeys::grammarOn.name)) << bytes.constData();
        // The next write is in the current schema and leaves the old file where it was put.
        store.setValue(PreferenceKeys::language.name, u("English"));
        const QJsonObject written = QJsonDocument::fromJson(fileContents(path())).object();
        EXPECT_EQ(written.value(u("schema")).toInt(), PreferenceKeys::schemaVersion) << bytes.constData();
    }
    EXPECT_EQ(asideContents().size(), unreadable.size());
    for (const QByteArray& bytes : unreadable)
        EXPECT_TRUE(asideContents().contains(bytes)) << bytes.constData();
}
