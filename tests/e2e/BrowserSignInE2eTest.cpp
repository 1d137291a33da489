// The browser sign-in of the real program, end to end: the Account tab's button
// opens the service's connect page (through the desktop's xdg-open), headless
// Chromium creates an account there, and the quillcraft: link the page ends in
// goes back to the program through a second start, as the desktop's handler for
// the scheme would pass it.
#include "E2eSupport.h"
#include "ProgramRun.h"
#include "StandInService.h"
#include "Wait.h"

#include "service/PersistentCookieJar.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrlQuery>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

using namespace quillcraft;
using test::waitUntil;

namespace {

const QString email = QStringLiteral("ada@example.com");

// What xdg-open was asked to open, one line per call.
constexpr char recordingOpener[] = "#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"$0.opened\"\n";

class BrowserSignInE2eTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("chromium")).isEmpty())
            GTEST_SKIP() << "chromium is not installed";
        ASSERT_TRUE(m_home.isValid());
        m_service.emplace();
        ASSERT_FALSE(m_service->originText().isEmpty()) << m_service->output().toStdString();
        const QDir home(m_home.path());
        ASSERT_TRUE(home.mkpath(QStringLiteral("runtime")) && home.mkpath(QStringLiteral("bin")));
        ASSERT_TRUE(QFile::setPermissions(m_home.filePath(QStringLiteral("runtime")),
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        QFile opener(openerPath());
        ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
        opener.write(recordingOpener);
        opener.close();
        ASSERT_TRUE(opener.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        ASSERT_TRUE(e2e::presetFinishedOnboarding(m_home.filePath(QStringLiteral("config"))));

        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.filePath(QStringLiteral("runtime")));
        m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        m_environment.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(QStringLiteral("data")));
        m_environment.insert(QStringLiteral("QUILLCRAFT_ORIGIN"), m_service->originText());
        // The stand-in is the first xdg-open the program finds: the test plays the browser.
        m_environment.insert(QStringLiteral("PATH"),
            m_home.filePath(QStringLiteral("bin")) + u':' + m_environment.value(QStringLiteral("PATH")));
    }

    void TearDown() override
    {
        m_program.terminate();
        if (!m_program.waitForFinished(5000))
            m_program.kill();
        m_program.waitForFinished(5000);
    }

    QString openerPath() const { return m_home.filePath(QStringLiteral("bin/xdg-open")); }

    // The program with its settings window open on the Account tab.
    bool start()
    {
        QProcessEnvironment environment = m_environment;
        environment.insert(QStringLiteral("QUILLCRAFT_PREVIEW"), QStringLiteral("settings-account"));
        m_program.setProcessEnvironment(environment);
        m_program.setProcessChannelMode(QProcess::MergedChannels);
        m_program.start(QStringLiteral(QUILLCRAFT_BINARY), {});
        return waitUntil(
                   [this] {
                       return output().contains("Quillcraft is running") || m_program.state() == QProcess::NotRunning;
                   },
                   30000)
            && m_program.state() == QProcess::Running;
    }

    QByteArray output()
    {
        m_output += m_program.readAll();
        return m_output;
    }

    bool shows(const QString& name) const
    {
        const std::optional<QRect> rect = e2e::shownNamedRect(m_program.processId(), name);
        return rect && !rect->isEmpty();
    }

    // Every URL the program asked the desktop to open so far.
    QStringList opened() const
    {
        QFile record(openerPath() + QStringLiteral(".opened"));
        if (!record.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(record.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

    // Who the service says the program's stored cookies belong to; empty for nobody.
    QString storedSessionEmail()
    {
        QFile file(m_home.filePath(QStringLiteral("data/quillcraft/cookies.json")));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QString why;
        const std::optional<QList<QNetworkCookie>> cookies
            = PersistentCookieJar::parse(file.readAll(), QDateTime::currentDateTimeUtc(), why);
        if (!cookies)
            return {};
        QNetworkAccessManager manager;
        auto* jar = new QNetworkCookieJar(&manager);
        manager.setCookieJar(jar);
        for (const QNetworkCookie& cookie : *cookies)
            jar->insertCookie(cookie);
        const std::unique_ptr<QNetworkReply> reply(
            manager.get(QNetworkRequest(m_service->origin().resolved(QUrl(QStringLiteral("/api/auth/get-session"))))));
        waitUntil([&] { return reply->isFinished(); }, 20000);
        const QJsonObject session = QJsonDocument::fromJson(reply->readAll()).object();
        return session.value(QStringLiteral("user")).toObject().value(QStringLiteral("email")).toString();
    }

    std::optional<e2e::StandInService> m_service; // started once the test is known to run
    QTemporaryDir m_home;
    QProcessEnvironment m_environment;
    QProcess m_program;
    QByteArray m_output;
};

} // namespace

TEST_F(BrowserSignInE2eTest, AnAccountMadeInTheBrowserSignsTheProgramIn)
{
    ASSERT_TRUE(start()) << output().toStdString();
    const QString button = QStringLiteral("Continue with Google");
    ASSERT_TRUE(waitUntil([&] { return shows(button); }, 30000)) << "the Account tab shows its browser button";
    const std::optional<QRect> rect = e2e::shownNamedRect(m_program.processId(), button);
    ASSERT_TRUE(rect);
    ASSERT_TRUE(e2e::clickAt(rect->center()));

    ASSERT_TRUE(waitUntil([this] { return !opened().isEmpty(); }, 30000)) << "the click opened nothing in the browser";
    ASSERT_EQ(opened().size(), 1);
    const QUrl connect(opened().constFirst());
    EXPECT_EQ(
        connect.adjusted(QUrl::RemoveQuery), m_service->origin().resolved(QUrl(QStringLiteral("/desktop/connect"))));
    const QString state = QUrlQuery(connect).queryItemValue(QStringLiteral("state"));
    ASSERT_FALSE(state.isEmpty()) << connect.toString().toStdString();

    QString link;
    {
        test::ProgramOptions options;
        options.timeoutMs = 120000;
        const test::ProgramRun browser = test::runProgram(QStringLiteral("node"),
            { QStringLiteral(QUILLCRAFT_SIGN_IN_SCRIPT), connect.toString(QUrl::FullyEncoded), QStringLiteral("Ada"),
                email, QStringLiteral("correct horse battery") },
            options);
        ASSERT_EQ(browser.status, 0);
        link = browser.out.trimmed();
    }
    const QString expectedStart = QStringLiteral("quillcraft://connected?state=%1&token=").arg(state);
    ASSERT_TRUE(link.startsWith(expectedStart)) << "the page sent the browser elsewhere";
    const QString token = QUrlQuery(QUrl(link)).queryItemValue(QStringLiteral("token"));
    ASSERT_FALSE(token.isEmpty());

    // The browser's session is the browser's: the program is still a guest until the link comes back.
    EXPECT_EQ(storedSessionEmail(), QString());
    EXPECT_FALSE(shows(email));

    test::ProgramOptions handOff;
    handOff.environment = m_environment;
    handOff.timeoutMs = 30000;
    const test::ProgramRun again = test::runProgram(QStringLiteral(QUILLCRAFT_BINARY), { link }, handOff);
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(again.out, QStringLiteral("The sign-in link was handed to Quillcraft.\n"));

    EXPECT_TRUE(waitUntil([&] { return shows(email); }, 30000)) << "the Account tab shows who is signed in";
    EXPECT_TRUE(waitUntil([&] { return storedSessionEmail() == email; }, 30000))
        << "the program's stored cookies are a session of that account";

    EXPECT_EQ(m_program.state(), QProcess::Running);
    EXPECT_FALSE(output().contains(token.toUtf8())) << "the token reached the program's output";
    EXPECT_FALSE(again.out.contains(token) || again.err.contains(token)) << "the token reached the hand-off's output";
}
