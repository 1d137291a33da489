// The first start of the real program: the first-run window, switching
// accessibility on from its access page, and the practice field checked like any
// other. Runs inside tests/e2e/session.sh; reads the program's state file.

#include "E2eSupport.h"
#include "Wait.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quillcraft::e2e;
using quillcraft::test::waitUntil;

namespace {

QDBusMessage statusCall(const QString& method)
{
    return QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
        QStringLiteral("org.freedesktop.DBus.Properties"), method);
}

bool setAccessibilityEnabled(bool enabled)
{
    QDBusMessage set = statusCall(QStringLiteral("Set"));
    set << QStringLiteral("org.a11y.Status") << QStringLiteral("IsEnabled")
        << QVariant::fromValue(QDBusVariant(enabled));
    return QDBusConnection::sessionBus().call(set).type() == QDBusMessage::ReplyMessage;
}

bool accessibilityEnabled()
{
    QDBusMessage get = statusCall(QStringLiteral("Get"));
    get << QStringLiteral("org.a11y.Status") << QStringLiteral("IsEnabled");
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
        && reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

// Accessibility off for the test; on again afterwards, whatever happened, for the
// tests that share the session.
class AccessibilityOff final {
public:
    AccessibilityOff() { m_done = setAccessibilityEnabled(false); }
    ~AccessibilityOff() { setAccessibilityEnabled(true); }
    AccessibilityOff(const AccessibilityOff&) = delete;
    AccessibilityOff& operator=(const AccessibilityOff&) = delete;
    bool done() const { return m_done; }

private:
    bool m_done = false;
};

// The program on its first start: nothing in its config folder yet.
class FirstStart final {
public:
    FirstStart()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QUILLCRAFT_STATE_FILE"), m_home.filePath(QStringLiteral("state.json")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(QStringLiteral("data")));
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(QUILLCRAFT_BINARY), {});
    }
    ~FirstStart()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }
    FirstStart(const FirstStart&) = delete;
    FirstStart& operator=(const FirstStart&) = delete;

    qint64 pid() const { return m_process.processId(); }

    QJsonObject state() const
    {
        QFile file(m_home.filePath(QStringLiteral("state.json")));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(file.readAll()).object();
    }

    // Clicks the shown element of ours with this accessible name once it appears
    // and stays put: a window just mapped may still be moved by the window manager.
    bool click(const QString& name, int timeoutMs = 20000) const
    {
        std::optional<QRect> last;
        const bool settled = waitUntil(
            [&] {
                const std::optional<QRect> rect = shownNamedRect(pid(), name);
                const bool same = rect && !rect->isEmpty() && rect == last;
                last = rect;
                if (!same)
                    quillcraft::test::spin(150);
                return same;
            },
            timeoutMs);
        return settled && clickAt(last->center());
    }

    bool shows(const QString& name, int timeoutMs = 10000) const
    {
        return waitUntil(
            [&] {
                const std::optional<QRect> rect = shownNamedRect(pid(), name);
                return rect && !rect->isEmpty();
            },
            timeoutMs);
    }

private:
    QTemporaryDir m_home;
    QProcess m_process;
};

TEST(OnboardingE2eTest, AFirstStartSwitchesAccessibilityOnAndChecksThePracticeField)
{
    AccessibilityOff off;
    ASSERT_TRUE(off.done()) << "the harness's accessibility switch did not answer";
    FirstStart program;
    ASSERT_TRUE(program.click(QStringLiteral("Continue"))) << "the first-run window did not show";

    // Access is off, so the access page comes next and waits.
    ASSERT_TRUE(program.shows(QStringLiteral("Waiting for access")));
    EXPECT_FALSE(program.shows(QStringLiteral("Access is on"), 1500));
    ASSERT_TRUE(program.click(QStringLiteral("Turn On Accessibility")));
    EXPECT_TRUE(waitUntil(accessibilityEnabled, 5000));
    // The poll notices within about a second; moving on stays a click.
    ASSERT_TRUE(program.shows(QStringLiteral("Access is on"), 5000));
    ASSERT_TRUE(program.click(QStringLiteral("Continue")));
    ASSERT_TRUE(program.shows(QStringLiteral("Practice text")));

    // The practice field has the keyboard: a typed mistake is underlined.
    ASSERT_TRUE(pressKeys(QStringLiteral("ctrl+End")));
    ASSERT_TRUE(typeText(QStringLiteral(" I saw teh cat.")));
    QJsonObject state;
    const bool underlined = waitUntil(
        [&] {
            state = program.state();
            const QJsonArray fixes = state.value(QStringLiteral("fixes")).toArray();
            return fixes.contains(QJsonValue(QStringLiteral("teh")))
                && state.value(QStringLiteral("marks")).toArray().size() == fixes.size();
        },
        40000);
    EXPECT_TRUE(underlined) << QJsonDocument(state).toJson(QJsonDocument::Compact).toStdString();
}

} // namespace
