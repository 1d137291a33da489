// The rewrite card end to end: its buttons and keys drive a real session whose
// requests go to a scripted server on loopback, and its saved tones go through a
// real preferences file, across restarts and a damaged file.
#include "LoopbackHttpServer.h"
#include "Wait.h"
#include "rewrite/RewriteSession.h"
#include "settings/DefaultsStore.h"
#include "views/CardSurface.h"
#include "views/PrimaryButton.h"
#include "views/RewriteCard.h"
#include "views/ToneChip.h"
#include "views/WrappedText.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <memory>

using namespace quillcraft;
using test::LoopbackHttpServer;
using test::ScriptedReply;
using Phase = RewriteSession::Phase;
using Mode = RewriteAction::Mode;

namespace quillcraft {
inline void PrintTo(const RewriteSession::Phase& phase, std::ostream* os)
{
    *os << "Phase(" << int(phase.kind) << ", \"" << phase.text.toStdString() << "\")";
}
} // namespace quillcraft

namespace {

QByteArray delta(const char* text)
{
    return "data: {\"type\":\"text-delta\",\"delta\":\"" + QByteArray(text) + "\"}\n";
}

const QByteArray finishStop = "data: {\"type\":\"finish\",\"finishReason\":\"stop\"}\n";

class RewriteCardServiceTest : public testing::Test {
protected:
    RewriteCardServiceTest()
        : m_client(&m_network, m_server.origin())
        , m_path(m_folder.filePath(QStringLiteral("defaults.json")))
        , m_defaults(std::make_unique<DefaultsStore>(m_path))
    {
    }

    ~RewriteCardServiceTest() override { close(); }

    RewriteCard& open()
    {
        m_session = std::make_unique<RewriteSession>(
            QStringLiteral("Their going home tomorow."), m_client, QStringLiteral("English"));
        RewriteCard::Callbacks callbacks;
        callbacks.onReplace = [this](const QString& text) { m_replaced << text; };
        callbacks.onSignIn = [this] { ++m_signIns; };
        m_card = new RewriteCard(*m_session, *m_defaults, callbacks);
        m_surface = std::make_unique<CardSurface>(RewriteCard::width, m_card);
        m_surface->show();
        m_surface->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_surface.get()));
        return *m_card;
    }

    void close()
    {
        m_surface.reset();
        m_card = nullptr;
        m_session.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The program quits and starts again: a new store reads the file.
    void restart()
    {
        close();
        m_defaults.reset();
        m_defaults = std::make_unique<DefaultsStore>(m_path);
    }

    template <typename T> QList<T*> shown() const
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        QList<T*> result;
        for (T* widget : m_card->findChildren<T*>()) {
            if (widget->isVisibleTo(m_card))
                result << widget;
        }
        return result;
    }

    // The shown button with `text`; the filled one when `filled`, as the run
    // button shares its title with a mode button.
    QAbstractButton* button(const QString& text, bool filled = false) const
    {
        for (QAbstractButton* candidate : shown<QAbstractButton>()) {
            if (candidate->text() == text && (!filled || dynamic_cast<PrimaryButton*>(candidate)))
                return candidate;
        }
        return nullptr;
    }

    bool press(const QString& text, bool filled = false) const
    {
        QAbstractButton* target = button(text, filled);
        if (!target)
            return false;
        QTest::mouseClick(target, Qt::LeftButton);
        return true;
    }

    bool showsLabel(const QString& text) const
    {
        for (QLabel* label : shown<QLabel>()) {
            if (label->text() == text)
                return true;
        }
        return false;
    }

    // The shown plain text with this object name ("streamed", "failure"), or none.
    std::optional<QString> plain(const QString& name) const
    {
        for (WrappedText* text : shown<WrappedText>()) {
            if (text->objectName() == name)
                return text->text();
        }
        return std::nullopt;
    }

    QStringList chipNames() const
    {
        QStringList names;
        for (ToneChip* chip : shown<ToneChip>())
            names << chip->text();
        return names;
    }

    void addTone(const QString& tone)
    {
        QLineEdit* field = m_card->toneField();
        field->setFocus();
        QTest::keyClicks(field, tone);
        QTest::keyClick(field, Qt::Key_Return);
    }

    QJsonObject body(qsizetype request) const
    {
        return QJsonDocument::fromJson(m_server.requests().at(request).body).object();
    }

    LoopbackHttpServer m_server;
    QNetworkAccessManager m_network;
    QuillcraftClient m_client;
    QTemporaryDir m_folder;
    QString m_path;
    std::unique_ptr<DefaultsStore> m_defaults;
    std::unique_ptr<RewriteSession> m_session;
    std::unique_ptr<CardSurface> m_surface;
    RewriteCard* m_card = nullptr;
    QStringList m_replaced;
    int m_signIns = 0;
};

TEST_F(RewriteCardServiceTest, RunStreamsPlainTextThenOffersTheTrimmedResult)
{
    open();
    int step = 0;
    // The second record arrives cut in two, the pieces apart.
    const QByteArray second = delta(" going home");
    m_server.enqueue(ScriptedReply(200)
                         .waitFor([&] { return step >= 1; })
                         .send(delta("They are"))
                         .waitFor([&] { return step >= 2; })
                         .send(second.left(20))
                         .pause(30)
                         .send(second.mid(20))
                         .waitFor([&] { return step >= 3; })
                         .send(delta(" tomorrow.\\n ") + finishStop));
    ASSERT_TRUE(press(QStringLiteral("Rewrite"), true));
    EXPECT_EQ(m_session->phase(), Phase::running());
    EXPECT_TRUE(showsLabel(QStringLiteral("Writing…")));
    EXPECT_EQ(button(QStringLiteral("Rewrite"), true), nullptr);

    step = 1;
    ASSERT_TRUE(test::waitUntil([&] { return plain(QStringLiteral("streamed")) == QStringLiteral("They are"); }));
    EXPECT_FALSE(showsLabel(QStringLiteral("Writing…")));
    EXPECT_TRUE(shown<QTextEdit>().isEmpty());
    EXPECT_EQ(button(QStringLiteral("Replace")), nullptr);

    step = 2;
    ASSERT_TRUE(
        test::waitUntil([&] { return plain(QStringLiteral("streamed")) == QStringLiteral("They are going home"); }));
    step = 3;
    ASSERT_TRUE(test::waitUntil([&] { return m_session->phase().kind == Phase::Kind::done; }));

    const QString result = QStringLiteral("They are going home tomorrow.");
    EXPECT_EQ(plain(QStringLiteral("streamed")), std::nullopt);
    EXPECT_TRUE(showsLabel(QStringLiteral("Suggested rewrite")));
    const QList<QTextEdit*> boxes = shown<QTextEdit>();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0]->toPlainText(), result);
    EXPECT_NE(button(QStringLiteral("Copy")), nullptr);
    EXPECT_NE(button(QStringLiteral("Try again")), nullptr);
    ASSERT_TRUE(press(QStringLiteral("Replace")));
    EXPECT_EQ(m_replaced, QStringList { result });

    ASSERT_EQ(m_server.requests().size(), 1);
    EXPECT_EQ(body(0)[QStringLiteral("prompt")], QStringLiteral("Their going home tomorow."));
    EXPECT_EQ(body(0)[QStringLiteral("mode")], QStringLiteral("rewrite"));
}

TEST_F(RewriteCardServiceTest, SwitchingModeWhileStreamingDropsTheReply)
{
    RewriteCard& card = open();
    bool switched = false;
    m_server.enqueue(ScriptedReply(200)
                         .send(delta("Half"))
                         .waitFor([&] { return switched; })
                         .pause(20)
                         .send(delta(" late") + finishStop));
    ASSERT_TRUE(press(QStringLiteral("Rewrite"), true));
    ASSERT_TRUE(test::waitUntil([&] { return plain(QStringLiteral("streamed")) == QStringLiteral("Half"); }));

    QTest::keyClick(&card, Qt::Key_2, Qt::ControlModifier);
    switched = true;
    EXPECT_EQ(m_session->phase(), Phase::choosing());
    EXPECT_EQ(m_session->mode(), Mode::grammar);
    EXPECT_EQ(m_session->lastAction(), std::nullopt);

    // Whatever the server still sends must not reach the card.
    test::waitUntil([&] { return m_server.closedByClient() + m_server.repliesCompleted() == 1; });
    test::spin(100);
    EXPECT_EQ(m_session->phase(), Phase::choosing());
    EXPECT_EQ(plain(QStringLiteral("streamed")), std::nullopt);
    EXPECT_FALSE(showsLabel(QStringLiteral("Writing…")));
    EXPECT_TRUE(shown<QTextEdit>().isEmpty());
    EXPECT_NE(button(QStringLiteral("Fix grammar"), true), nullptr);
    EXPECT_EQ(m_server.requests().size(), 1);
}

TEST_F(RewriteCardServiceTest, FailedRepliesOfferTryAgainOrSignIn)
{
    RewriteCard& card = open();
    QTest::keyClick(&card, Qt::Key_3, Qt::ControlModifier);
    m_server.enqueue(ScriptedReply(500).send("Internal Server Error"));
    ASSERT_TRUE(press(QStringLiteral("Shorten"), true));
    ASSERT_TRUE(test::waitUntil([&] { return m_session->phase().kind == Phase::Kind::failed; }));
    EXPECT_EQ(plain(QStringLiteral("failure")), QStringLiteral("The rewrite failed. Try again."));
    EXPECT_EQ(button(QStringLiteral("Sign in free")), nullptr);

    m_server.enqueue(ScriptedReply(200).send(delta("Going home.") + finishStop));
    ASSERT_TRUE(press(QStringLiteral("Try again")));
    ASSERT_TRUE(test::waitUntil([&] { return m_session->phase() == Phase::done(QStringLiteral("Going home.")); }));
    ASSERT_EQ(m_server.requests().size(), 2);
    EXPECT_EQ(body(1), body(0));
    EXPECT_EQ(body(1)[QStringLiteral("lengthPreset")], QStringLiteral("shorter"));

    // Trying again from a result can fail too, with another way out.
    m_server.enqueue(ScriptedReply(429).send(R"({"error":"login_required"})"));
    ASSERT_TRUE(press(QStringLiteral("Try again")));
    ASSERT_TRUE(test::waitUntil([&] { return m_session->phase().kind == Phase::Kind::failed; }));
    ASSERT_EQ(m_server.requests().size(), 3);
    EXPECT_EQ(body(2), body(0));
    EXPECT_EQ(plain(QStringLiteral("failure")),
        QStringLiteral("You used today's 10 guest rewrites. Sign in free for 40 a day."));
    EXPECT_EQ(button(QStringLiteral("Try again")), nullptr);
    EXPECT_EQ(button(QStringLiteral("Replace")), nullptr);
    ASSERT_TRUE(press(QStringLiteral("Sign in free")));
    EXPECT_EQ(m_signIns, 1);
    EXPECT_EQ(m_server.requests().size(), 3);
}

TEST_F(RewriteCardServiceTest, SavedTonesSurviveARestartAndADamagedFile)
{
    RewriteCard& card = open();
    ASSERT_TRUE(press(QStringLiteral("My tones")));
    addTone(QStringLiteral("Warm but brief"));
    addTone(QStringLiteral("Plain"));
    const QStringList newestFirst { QStringLiteral("Plain"), QStringLiteral("Warm but brief") };
    EXPECT_EQ(card.saved(), newestFirst);

    restart();
    EXPECT_EQ(open().saved(), newestFirst);
    ASSERT_TRUE(press(QStringLiteral("My tones")));
    EXPECT_EQ(chipNames(), newestFirst);

    // Readable, but with entries that are not tones: only the strings are listed.
    restart();
    {
        QFile file(m_path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(R"({"schema": 1, "values": {"savedCustomTones": ["Kept", 7, null, {"a": 1}, "Also"]}})");
    }
    m_defaults = std::make_unique<DefaultsStore>(m_path);
    EXPECT_EQ(open().saved(), (QStringList { QStringLiteral("Kept"), QStringLiteral("Also") }));

    restart();
    {
        QFile file(m_path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("{\"schema\": 1, \"values\": {\"savedCustomTones\": [\"Pl\xff\xfe");
    }
    m_defaults = std::make_unique<DefaultsStore>(m_path);
    RewriteCard& fresh = open();
    EXPECT_TRUE(fresh.saved().isEmpty());
    ASSERT_TRUE(press(QStringLiteral("My tones")));
    EXPECT_TRUE(chipNames().isEmpty());
    // The damaged file is kept aside, not written over.
    const QStringList aside = QDir(m_folder.path()).entryList({ QStringLiteral("defaults.json.damaged-*") });
    EXPECT_EQ(aside.size(), 1);

    addTone(QStringLiteral("Fresh"));
    EXPECT_EQ(fresh.saved(), QStringList { QStringLiteral("Fresh") });
    restart();
    EXPECT_EQ(open().saved(), QStringList { QStringLiteral("Fresh") });

    // Damaged again while the program runs: the next card reads the file anew.
    close();
    {
        QFile file(m_path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("garbage that is not JSON at all");
    }
    EXPECT_TRUE(open().saved().isEmpty());
    ASSERT_TRUE(press(QStringLiteral("My tones")));
    addTone(QStringLiteral("Again"));
    restart();
    EXPECT_EQ(open().saved(), QStringList { QStringLiteral("Again") });
    EXPECT_EQ(QDir(m_folder.path()).entryList({ QStringLiteral("defaults.json.damaged-*") }).size(), 2);
}

} // namespace
