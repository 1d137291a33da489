// The real program's settings window on the harness's desktop: opened at launch,
// a word removed with the pointer, and the tab bar switched with the arrow keys.
#include "E2eSupport.h"
#include "Wait.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace quillcraft;

namespace {

class SettingsE2eTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        ASSERT_TRUE(QDir(m_home.path()).mkpath(QStringLiteral("runtime")));
        ASSERT_TRUE(QFile::setPermissions(m_home.filePath(QStringLiteral("runtime")),
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        ASSERT_TRUE(QDir(m_home.path()).mkpath(QStringLiteral("config/quillcraft")));
        QFile defaults(defaultsPath());
        ASSERT_TRUE(defaults.open(QIODevice::WriteOnly));
        defaults.write(R"({"schema": 1, "values": {"dictionary": ["harper", "quillcraft"]}})");
    }

    void TearDown() override
    {
        m_program.terminate();
        if (!m_program.waitForFinished(5000))
            m_program.kill();
        m_program.waitForFinished(5000);
    }

    QString defaultsPath() const { return m_home.filePath(QStringLiteral("config/quillcraft/defaults.json")); }

    bool start(const QString& preview)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.filePath(QStringLiteral("runtime")));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("QUILLCRAFT_PREVIEW"), preview);
        m_program.setProcessEnvironment(environment);
        m_program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_program.start(QStringLiteral(QUILLCRAFT_BINARY), {});
        return m_program.waitForStarted(10000);
    }

    // Shown on screen: a hidden tab's controls have no area.
    bool shows(const QString& name) const
    {
        const std::optional<QRect> rect = e2e::namedRect(m_program.processId(), name);
        return rect && rect->width() > 0 && rect->height() > 0;
    }

    QTemporaryDir m_home;
    QProcess m_program;
};

TEST_F(SettingsE2eTest, ALaunchPreviewOpensTheTabWhereWordsAreRemovedAndArrowsSwitchTabs)
{
    ASSERT_TRUE(start(QStringLiteral("settings-dictionary")));
    ASSERT_TRUE(test::waitUntil([this] { return shows(QStringLiteral("Remove harper")); }, 30000))
        << "the settings window opened on the Dictionary tab";

    const std::optional<QRect> remove = e2e::namedRect(m_program.processId(), QStringLiteral("Remove harper"));
    ASSERT_TRUE(remove);
    ASSERT_TRUE(e2e::clickAt(remove->center()));
    EXPECT_TRUE(test::waitUntil(
        [this] {
            QFile defaults(defaultsPath());
            return defaults.open(QIODevice::ReadOnly) && !defaults.readAll().contains("harper");
        },
        10000))
        << "the word left the stored dictionary";
    EXPECT_TRUE(shows(QStringLiteral("Remove quillcraft")));

    // The click went to a button that takes no part in the tab bar; the bar has the focus back.
    const std::optional<QRect> dictionaryTab = e2e::namedRect(m_program.processId(), QStringLiteral("Dictionary"));
    ASSERT_TRUE(dictionaryTab);
    ASSERT_TRUE(e2e::clickAt(dictionaryTab->center()));
    EXPECT_FALSE(shows(QStringLiteral("Email")));
    ASSERT_TRUE(e2e::pressKeys(QStringLiteral("Right")));
    EXPECT_TRUE(test::waitUntil([this] { return shows(QStringLiteral("Email")); }, 10000))
        << "Right moved to the Account tab";
    ASSERT_TRUE(e2e::pressKeys(QStringLiteral("Right")));
    EXPECT_TRUE(test::waitUntil([this] { return shows(QStringLiteral("Rewrite language")); }, 10000))
        << "Right on Account wrapped around to General";
}

} // namespace
