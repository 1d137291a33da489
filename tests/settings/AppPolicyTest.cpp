#include "settings/AppPolicy.h"
#include "settings/DefaultsStore.h"

#include <QFile>
#include <QTemporaryDir>

#include "Printers.h"
#include "TestText.h"

#include <gtest/gtest.h>

#include <limits>

using namespace quillcraft;
using quillcraft::test::u;
using namespace std::chrono_literals;

namespace {

const QString terminal = u("org.gnome.Terminal");
const QString writer = u("org.gnome.TextEditor");

class AppPolicyTest : public testing::Test {
protected:
    QString path() const { return m_dir.filePath(u("defaults.json")); }

    QTemporaryDir m_dir;
    DefaultsStore m_store { path() };
    QDateTime m_now { QDate(2026, 12, 8), QTime(10, 0), Qt::UTC };
    AppPolicy m_policy { m_store, [this] { return m_now; } };
};

TEST_F(AppPolicyTest, OffByDefaultTableKeepsItsRowsAndAddsLinuxOnes)
{
    const auto& table = AppPolicy::offByDefault();
    EXPECT_EQ(table.value(u("company.thebrowser.Browser")), u("The Chrome extension covers Arc."));
    EXPECT_EQ(table.value(u("com.googlecode.iterm2")), u("Terminals are code, not prose."));
    EXPECT_EQ(table.value(u("com.todesktop.230313mzl4w4u92")), u("Code editors are off by default."));
    EXPECT_EQ(table.value(u("com.apple.keychainaccess")), u("Password managers stay private."));

    // Desktop ids, WM_CLASS classes and executables of one program differ in case only.
    const std::pair<const char*, const char*> linuxIds[] = {
        { "Google-chrome", "The Chrome extension covers Chrome." },
        { "org.chromium.Chromium", "The Chrome extension covers Chromium." },
        { "Brave-browser", "The Chrome extension covers Brave." },
        { "XTerm", "Terminals are code, not prose." },
        { "gnome-terminal-server", "Terminals are code, not prose." },
        { "Code", "Code editors are off by default." },
        { "KeePassXC", "Password managers stay private." },
        { "ORG.KEEPASSXC.KEEPASSXC", "Password managers stay private." },
    };
    for (const auto& [id, reason] : linuxIds)
        EXPECT_EQ(AppPolicy::offByDefaultReason(u(id)), u(reason)) << id;

    // Only the four kinds: prose editors and browsers the extension does not cover stay on.
    for (const char* id : { "firefox", "org.mozilla.firefox", "org.gnome.gedit", "org.gnome.TextEditor",
             "libreoffice-writer", "thunderbird", "" })
        EXPECT_EQ(AppPolicy::offByDefaultReason(u(id)), std::nullopt) << id;

    // One row per identifier once case is ignored, so the settings list shows no twins.
    QSet<QString> folded;
    for (const QString& id : table.keys())
        folded.insert(id.toCaseFolded());
    EXPECT_EQ(folded.size(), table.size());
}

TEST_F(AppPolicyTest, ExplicitChoiceBeatsTheTable)
{
    EXPECT_FALSE(m_policy.isOn(terminal));
    EXPECT_FALSE(m_policy.isOn(u("XTerm")));
    EXPECT_TRUE(m_policy.isOn(writer));

    m_policy.set(true, terminal);
    m_policy.set(false, writer);
    EXPECT_TRUE(m_policy.isOn(terminal));
    EXPECT_FALSE(m_policy.isOn(writer));
    EXPECT_EQ(m_policy.appChoices(), (QMap<QString, bool> { { terminal, true }, { writer, false } }));

    // A second policy over the same store (and a reload from disk) sees the same rules.
    AppPolicy other(m_store);
    EXPECT_TRUE(other.isOn(terminal));
    DefaultsStore reread(path());
    EXPECT_FALSE(AppPolicy(reread).isOn(writer));
}

TEST_F(AppPolicyTest, PauseCoversEveryAppUntilItEnds)
{
    m_policy.set(true, terminal);
    m_policy.pause(3600s);
    EXPECT_TRUE(m_policy.isPaused());
    for (const QString& id : { terminal, writer, u("anything") })
        EXPECT_FALSE(m_policy.checks(id)) << qPrintable(id);
    EXPECT_TRUE(m_policy.isOn(writer)); // paused is not off

    m_now = m_now.addSecs(3601);
    EXPECT_FALSE(m_policy.isPaused());
    EXPECT_TRUE(m_policy.checks(terminal));
    EXPECT_TRUE(m_store.contains(AppPolicy::pausedUntilKey)); // a past date simply stays

    m_policy.pause();
    m_now = m_now.addYears(500);
    EXPECT_TRUE(m_policy.isPaused());
    EXPECT_EQ(DefaultsStore(path()).dateValue(AppPolicy::pausedUntilKey), AppPolicy::distantFuture());

    m_policy.resume();
    EXPECT_FALSE(m_policy.isPaused());
    EXPECT_FALSE(m_store.contains(AppPolicy::pausedUntilKey));

    // Only a date pauses; the same instant as text does not.
    m_store.setValue(AppPolicy::pausedUntilKey, AppPolicy::distantFuture().toString(Qt::ISODate));
    EXPECT_FALSE(m_policy.isPaused());
    // A pause set through the store by anyone counts at once.
    m_store.setValue(AppPolicy::pausedUntilKey, m_now.addSecs(5));
    EXPECT_TRUE(AppPolicy(m_store, [this] { return m_now; }).isPaused());
}

TEST_F(AppPolicyTest, MalformedValuesReadAsDefaultsAndAreReplacedOnWrite)
{
    m_store.setValue(AppPolicy::grammarOnKey, u("false"));
    m_store.setValue(AppPolicy::languageKey, 42);
    m_store.setValue(AppPolicy::finishedOnboardingKey, 1);
    m_store.setValue(AppPolicy::appChoicesKey, QVariantList { terminal });
    m_store.setValue(AppPolicy::badgeCornersKey, u("topLeft"));
    m_store.setValue(AppPolicy::hiddenBadgesKey, u("org.gnome.Terminal"));
    m_store.setValue(AppPolicy::dictionaryKey, QVariantMap { { u("word"), true } });

    EXPECT_TRUE(m_policy.grammarOn());
    EXPECT_EQ(m_policy.language(), u("English"));
    EXPECT_FALSE(m_policy.finishedOnboarding());
    EXPECT_FALSE(m_policy.isOn(terminal));
    EXPECT_TRUE(m_policy.appChoices().isEmpty());
    EXPECT_EQ(m_policy.badgeCorner(terminal), BadgeCorner::bottomRight);
    EXPECT_FALSE(m_policy.badgeHidden(terminal));
    EXPECT_TRUE(m_policy.dictionary().isEmpty());

    m_policy.set(true, terminal);
    EXPECT_EQ(m_policy.appChoices(), (QMap<QString, bool> { { terminal, true } }));
    m_policy.setBadgeHidden(true, terminal);
    EXPECT_TRUE(m_policy.badgeHidden(terminal));
    m_policy.setGrammarOn(false);
    EXPECT_FALSE(m_policy.grammarOn());

    // Inside a good container, an entry of the wrong type is no choice at all.
    m_store.setValue(AppPolicy::appChoicesKey, QVariantMap { { writer, u("false") }, { terminal, 1 } });
    EXPECT_TRUE(m_policy.isOn(writer));
    EXPECT_FALSE(m_policy.isOn(terminal));
    m_store.setValue(AppPolicy::badgeCornersKey, QVariantMap { { writer, u("middle") }, { terminal, u("TopLeft") } });
    EXPECT_EQ(m_policy.badgeCorner(writer), BadgeCorner::bottomRight);
    EXPECT_EQ(m_policy.badgeCorner(terminal), BadgeCorner::bottomRight);
}

TEST_F(AppPolicyTest, BadgePositionsAndCorners)
{
    const double infinity = std::numeric_limits<double>::infinity();
    m_policy.setBadgePosition({ 0.25, 1 }, writer);
    EXPECT_EQ(m_policy.badgePosition(writer), (BadgePosition { 0.25, 1 }));
    DefaultsStore reread(path());
    EXPECT_EQ(AppPolicy(reread).badgePosition(writer), (BadgePosition { 0.25, 1 }));

    // A non-finite position is never stored and never read.
    m_policy.setBadgePosition({ infinity, 0.5 }, writer);
    m_policy.setBadgePosition({ 0.5, std::nan("") }, writer);
    EXPECT_EQ(m_policy.badgePosition(writer), (BadgePosition { 0.25, 1 }));

    m_store.setValue(AppPolicy::badgePositionsKey,
        QVariantMap { { u("text"), QVariantMap { { u("x"), u("Infinity") }, { u("y"), 0.5 } } },
            { u("half"), QVariantMap { { u("x"), 0.5 } } },
            { u("bool"), QVariantMap { { u("x"), true }, { u("y"), 0.5 } } },
            { u("outside"), QVariantMap { { u("x"), -3 }, { u("y"), 5 } } } });
    for (const char* id : { "text", "half", "bool" })
        EXPECT_EQ(m_policy.badgePosition(u(id)), std::nullopt) << id;
    EXPECT_EQ(m_policy.badgePosition(u("outside")), (BadgePosition { -3, 5 }));

    // Choosing a corner forgets the drag; resetting forgets both, for that app only.
    m_policy.setBadgePosition({ 0.1, 0.2 }, writer);
    m_policy.setBadgePosition({ 0.3, 0.4 }, terminal);
    m_policy.setBadgeCorner(BadgeCorner::topLeft, writer);
    EXPECT_EQ(m_policy.badgeCorner(writer), BadgeCorner::topLeft);
    EXPECT_EQ(m_policy.badgePosition(writer), std::nullopt);
    EXPECT_EQ(m_policy.badgePosition(terminal), (BadgePosition { 0.3, 0.4 }));

    m_policy.setBadgePosition({ 0.1, 0.2 }, writer);
    m_policy.resetBadgePosition(writer);
    EXPECT_EQ(m_policy.badgeCorner(writer), BadgeCorner::bottomRight);
    EXPECT_EQ(m_policy.badgePosition(writer), std::nullopt);
    EXPECT_FALSE(m_store.mapValue(AppPolicy::badgeCornersKey)->contains(writer));
    EXPECT_EQ(m_policy.badgePosition(terminal), (BadgePosition { 0.3, 0.4 }));
}

TEST_F(AppPolicyTest, DictionaryAndHiddenBadgesAreSortedLowerCaseSets)
{
    m_policy.addToDictionary(u("Quillcraft"));
    m_policy.addToDictionary(u("quillcraft"));
    m_policy.addToDictionary(u("ÄPFEL"));
    m_policy.addToDictionary(u("apple"));
    m_policy.addToDictionary(QString());
    const QStringList expected { u("apple"), u("quillcraft"), u("äpfel") };
    EXPECT_EQ(m_policy.dictionary(), expected);
    EXPECT_EQ(m_store.listValue(AppPolicy::dictionaryKey), QVariant(expected).toList());

    m_policy.removeFromDictionary(u("QUILLCRAFT"));
    EXPECT_EQ(m_policy.dictionary(), (QStringList { u("apple"), u("äpfel") }));

    // Words stored in capitals by hand read lower-cased and can be removed.
    m_store.setValue(AppPolicy::dictionaryKey, QVariantList { u("Zeta"), 3, u("alpha") });
    EXPECT_EQ(m_policy.dictionary(), (QStringList { u("alpha"), u("zeta") }));
    m_policy.removeFromDictionary(u("zeta"));
    EXPECT_EQ(m_store.listValue(AppPolicy::dictionaryKey), (QVariantList { u("alpha") }));

    m_policy.setBadgeHidden(true, writer);
    m_policy.setBadgeHidden(true, terminal);
    m_policy.setBadgeHidden(true, terminal);
    EXPECT_EQ(m_store.listValue(AppPolicy::hiddenBadgesKey), (QVariantList { terminal, writer }));
}

TEST_F(AppPolicyTest, NullsWrittenByHandNeverBlockLaterChanges)
{
    QFile file(path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(R"({"schema": 1, "values": {"appChoices": {"other": null},
        "badgePositions": {"other": {"x": null, "y": 1}}, "badgeCorners": {"other": null}}})");
    file.close();
    DefaultsStore store(path());
    AppPolicy policy(store);

    policy.set(true, terminal);
    policy.setBadgePosition({ 0.5, 0.5 }, writer);
    policy.setBadgeCorner(BadgeCorner::topLeft, terminal);
    DefaultsStore reread(path());
    AppPolicy again(reread);
    EXPECT_TRUE(again.isOn(terminal));
    EXPECT_EQ(again.badgePosition(writer), (BadgePosition { 0.5, 0.5 }));
    EXPECT_EQ(again.badgeCorner(terminal), BadgeCorner::topLeft);
    EXPECT_EQ(again.badgePosition(u("other")), std::nullopt);
}

TEST(AppPolicyShared, OneInstanceOverTheUsersStore)
{
    AppPolicy& shared = AppPolicy::shared();
    EXPECT_EQ(&shared, &AppPolicy::shared());
    EXPECT_EQ(shared.defaults().filePath(), DefaultsStore::standardFilePath());
    EXPECT_TRUE(DefaultsStore::standardFilePath().endsWith(u("/quillcraft/defaults.json")));
}

} // namespace
