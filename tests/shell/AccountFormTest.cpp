#include "shell/AccountForm.h"
#include "LoopbackHttpServer.h"
#include "ManualClock.h"
#include "Wait.h"

#include "service/AccountStore.h"
#include "service/ServiceNetwork.h"
#include "settings/DefaultsStore.h"
#include "views/PrimaryButton.h"
#include "views/QuietButton.h"
#include "views/WrappedText.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include "TestText.h"

#include <gtest/gtest.h>

using namespace quillcraft;
using quillcraft::test::u;
using test::LoopbackHttpServer;
using test::ScriptedReply;

namespace {

class AccountFormTest : public testing::Test {
protected:
    AccountFormTest()
        : m_defaults(m_dir.filePath(QStringLiteral("defaults.json")))
        , m_store(AccountEndpoints(m_network.manager(), m_server.origin(), &m_defaults), m_clock,
              [this](const QUrl& url) {
                  m_opened << url;
                  return true;
              })
        , m_form(m_store, [this] { ++m_done; })
    {
    }

    template <typename T> T* child(const char* name) const
    {
        T* found = m_form.findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QLineEdit* email() const { return child<QLineEdit>("email"); }
    QLineEdit* password() const { return child<QLineEdit>("password"); }
    PrimaryButton* signIn() const { return child<PrimaryButton>("signIn"); }
    PrimaryButton* continueButton() const { return child<PrimaryButton>("continue"); }
    static bool shown(const QWidget* widget) { return widget && !widget->isHidden(); }

    void type(const QString& emailText, const QString& passwordText)
    {
        email()->setText(emailText);
        password()->setText(passwordText);
    }

    QTemporaryDir m_dir;
    DefaultsStore m_defaults;
    LoopbackHttpServer m_server;
    ServiceNetwork m_network { QString() };
    test::ManualClock m_clock;
    QList<QUrl> m_opened;
    int m_done = 0;
    AccountStore m_store;
    AccountForm m_form;
};

} // namespace

TEST_F(AccountFormTest, SignInNeedsBothFieldsAndReturnDoesNothingWithoutThem)
{
    EXPECT_FALSE(signIn()->isEnabled());
    type(u("ada@example.com"), QString());
    EXPECT_FALSE(signIn()->isEnabled());
    QTest::keyClick(email(), Qt::Key_Return);
    type(QString(), u("secret"));
    QTest::keyClick(password(), Qt::Key_Return);
    test::spin(50);
    EXPECT_TRUE(m_server.requests().isEmpty());
    EXPECT_FALSE(m_store.working());

    type(u("ada@example.com"), u("secret"));
    EXPECT_TRUE(signIn()->isEnabled());
}

TEST_F(AccountFormTest, ReturnSignsInAndTheFormShowsTheRunningSignIn)
{
    m_server.enqueue(ScriptedReply::silent());
    type(u("ada@example.com"), u(" pass word "));
    QTest::keyClick(password(), Qt::Key_Return);

    EXPECT_TRUE(m_store.working());
    EXPECT_EQ(signIn()->text(), u("Signing in…"));
    EXPECT_FALSE(signIn()->isEnabled());
    EXPECT_FALSE(continueButton()->isEnabled());
    EXPECT_FALSE(email()->isEnabled());
    QTest::keyClick(&m_form, Qt::Key_Return);
    ASSERT_TRUE(test::waitUntil([&] { return !m_server.requests().isEmpty(); }));
    test::spin(50);
    EXPECT_EQ(m_server.requests().size(), 1) << "a second Return while signing in starts nothing";
    const QJsonObject body = QJsonDocument::fromJson(m_server.requests().at(0).body).object();
    EXPECT_EQ(body.value(u("password")).toString(), u(" pass word "));
}

TEST_F(AccountFormTest, AFailedSignInShowsTheMessageAndKeepsWhatWasTyped)
{
    auto* error = child<WrappedText>("error");
    EXPECT_FALSE(shown(error));
    m_server.enqueue(ScriptedReply(401)
                         .header("Content-Type", "application/json")
                         .send(R"({"message":"That password is not right."})"));
    type(u("ada@example.com"), u("wrong"));
    signIn()->click();
    ASSERT_TRUE(test::waitUntil([&] { return !m_store.working(); }));

    EXPECT_TRUE(shown(error));
    EXPECT_EQ(error->text(), u("That password is not right."));
    EXPECT_EQ(error->color(), QColor(0xDC, 0x26, 0x26));
    EXPECT_EQ(email()->text(), u("ada@example.com"));
    EXPECT_EQ(password()->text(), u("wrong"));
    EXPECT_EQ(signIn()->text(), u("Sign in"));
    EXPECT_TRUE(signIn()->isEnabled());
}

TEST_F(AccountFormTest, TheBrowserSignInWaitsWithACancelThatEndsItQuietly)
{
    continueButton()->click();
    ASSERT_EQ(m_opened.size(), 1);
    auto* waiting = child<QWidget>("waiting");
    EXPECT_TRUE(shown(waiting));
    EXPECT_FALSE(shown(continueButton()));
    EXPECT_FALSE(signIn()->isEnabled());

    child<QuietButton>("cancelBrowser")->click();
    EXPECT_FALSE(shown(waiting));
    EXPECT_TRUE(shown(continueButton()));
    EXPECT_TRUE(continueButton()->isEnabled());
    EXPECT_FALSE(shown(child<WrappedText>("error")));
}

TEST_F(AccountFormTest, SignedInShowsTheAccountAndItsActions)
{
    const QString longEmail = u("ada.lovelace.with.a.rather.long.address@analytical-engine.example.com");
    m_store.showSample({ .account = Account { longEmail, u("Ada") } });
    EXPECT_TRUE(shown(child<PrimaryButton>("done")));
    EXPECT_FALSE(shown(signIn()->parentWidget()));
    auto* shownEmail = child<WrappedText>("accountEmail");
    EXPECT_EQ(shownEmail->text(), longEmail);
    EXPECT_EQ(shownEmail->toolTip(), longEmail);

    QTest::keyClick(&m_form, Qt::Key_Return);
    child<PrimaryButton>("done")->click();
    EXPECT_EQ(m_done, 2);

    child<QAbstractButton>("managePlan")->click();
    ASSERT_EQ(m_opened.size(), 1);
    EXPECT_EQ(m_opened.at(0).path(), u("/pricing"));

    child<QAbstractButton>("signOut")->click();
    ASSERT_TRUE(test::waitUntil([&] { return !m_store.account(); }));
    EXPECT_TRUE(shown(signIn()));
    EXPECT_EQ(m_server.requests().at(0).path, "/api/auth/sign-out");
}

TEST_F(AccountFormTest, TheLinksOpenTheServicePages)
{
    child<QAbstractButton>("sign-up")->click();
    child<QAbstractButton>("forgot-password")->click();
    ASSERT_EQ(m_opened.size(), 2);
    EXPECT_EQ(m_opened.at(0), m_server.origin().resolved(QUrl(u("/sign-up"))));
    EXPECT_EQ(m_opened.at(1), m_server.origin().resolved(QUrl(u("/forgot-password"))));
}

TEST_F(AccountFormTest, TheBrandHeaderIsLeftOutWhenAsked)
{
    // The header has no meta-object of its own, so it is found by name.
    EXPECT_NE(m_form.findChild<QWidget*>(u("brand")), nullptr);
    const AccountForm inSettings(m_store, {}, false);
    EXPECT_FALSE(inSettings.showsBrand());
    EXPECT_EQ(inSettings.findChild<QWidget*>(u("brand")), nullptr);
}
