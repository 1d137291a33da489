// The checker against small stand-in engines that honour (or break) the
// JavaScript contract, so that its protocol is tested without the real engine.
#include "grammar/HarperChecker.h"

#include "Wait.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <utility>

using namespace quillcraft;
using quillcraft::test::spin;
using quillcraft::test::waitUntil;

namespace {

QString engineFolder(const char* name)
{
    return QStringLiteral(QUILLCRAFT_TEST_ENGINES "/") + QString::fromUtf8(name);
}

// What came back from a checker, in arrival order.
struct Record {
    std::optional<bool> ready;
    bool readyBeforeFirstAnswer = false;
    QStringList answered; // the texts whose completion ran
    QList<QList<TextIssue>> issues;
};

class Harness {
public:
    explicit Harness(const char* engine)
        : m_checker(std::make_unique<HarperChecker>(engineFolder(engine)))
    {
    }

    void start()
    {
        m_checker->start([record = m_record](bool ready) {
            EXPECT_FALSE(record->ready.has_value()) << "onReady ran twice";
            record->ready = ready;
        });
    }

    void lint(const QString& text)
    {
        m_checker->lint(text, [record = m_record, text](const QList<TextIssue>& issues) {
            if (record->answered.isEmpty())
                record->readyBeforeFirstAnswer = record->ready.has_value();
            record->answered << text;
            record->issues << issues;
        });
    }

    bool waitForReady()
    {
        return waitUntil([this] { return m_record->ready.has_value(); });
    }
    bool waitForAnswers(qsizetype count)
    {
        return waitUntil([this, count] { return m_record->answered.size() >= count; });
    }
    // The issues of the one answer for `text`.
    QList<TextIssue> issuesFor(const QString& text) const
    {
        const qsizetype index = m_record->answered.indexOf(text);
        return index < 0 ? QList<TextIssue> {} : m_record->issues.at(index);
    }

    HarperChecker& checker() { return *m_checker; }
    const Record& record() const { return *m_record; }
    void destroy() { m_checker.reset(); }

private:
    std::shared_ptr<Record> m_record = std::make_shared<Record>();
    std::unique_ptr<HarperChecker> m_checker;
};

// One checker over the echo engine for the tests that leave it ready.
class HarperCheckerEchoEngine : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_harness = std::make_unique<Harness>("echo");
        s_harness->start();
        ASSERT_TRUE(s_harness->waitForReady());
        ASSERT_EQ(s_harness->record().ready, true);
    }
    static void TearDownTestSuite() { s_harness.reset(); }

    // Checks `text` on the shared checker and returns what came back.
    static QList<TextIssue> check(const QString& text)
    {
        const qsizetype before = s_harness->record().answered.size();
        s_harness->lint(text);
        EXPECT_TRUE(s_harness->waitForAnswers(before + 1)) << text.toStdString();
        return s_harness->record().issues.value(before);
    }

    static std::unique_ptr<Harness> s_harness;
};

std::unique_ptr<Harness> HarperCheckerEchoEngine::s_harness;

} // namespace

TEST(HarperCheckerContract, RequestBeforeSetupSettlesIsAnsweredAfterReady)
{
    Harness harness("echo");
    harness.start();
    harness.lint(QStringLiteral("early bird"));
    ASSERT_TRUE(harness.waitForAnswers(1));
    EXPECT_TRUE(harness.record().readyBeforeFirstAnswer);
    EXPECT_EQ(harness.record().ready, true);
    const QList<TextIssue> issues = harness.issuesFor(QStringLiteral("early bird"));
    ASSERT_EQ(issues.size(), 1);
    EXPECT_EQ(issues[0].problemText, QStringLiteral("early bird"));
}

TEST(HarperCheckerContract, LintBeforeStartIsIgnored)
{
    Harness harness("echo");
    harness.lint(QStringLiteral("never started"));
    spin(100);
    EXPECT_TRUE(harness.record().answered.isEmpty());
}

TEST(HarperCheckerContract, DestroyingWhileACheckRunsIsQuiet)
{
    Harness harness("echo");
    harness.start();
    ASSERT_TRUE(harness.waitForReady());
    harness.lint(QStringLiteral("slow: going away"));
    spin(100);
    harness.destroy();
    spin(700);
    EXPECT_TRUE(harness.record().answered.isEmpty());
}

TEST_F(HarperCheckerEchoEngine, OnlyTheNewestWaitingRequestRuns)
{
    const qsizetype before = s_harness->record().answered.size();
    s_harness->lint(QStringLiteral("slow: first"));
    spin(150); // the first check is running now
    s_harness->lint(QStringLiteral("second"));
    s_harness->lint(QStringLiteral("third"));
    ASSERT_TRUE(s_harness->waitForAnswers(before + 2));
    spin(300);
    EXPECT_EQ(s_harness->record().answered.mid(before),
        QStringList({ QStringLiteral("slow: first"), QStringLiteral("third") }));
}

TEST_F(HarperCheckerEchoEngine, EngineSawTheBinaryWhichIsGoneAfterSetup)
{
    // setup() rejects unless __harperWasm held the file's bytes; afterwards it is deleted.
    const QList<TextIssue> issues = check(QStringLiteral("probe: is it there"));
    ASSERT_EQ(issues.size(), 1);
    EXPECT_EQ(issues[0].message, QStringLiteral("undefined"));
}

TEST_F(HarperCheckerEchoEngine, MisbehavingLintGivesNoIssuesAndTheCheckerStaysReady)
{
    for (const char* text :
        { "throw: up", "reject: this", "plain: string, not thenable", "object: not an array", "garbage: in",
            "symbol: not convertible", "array: a value that is no string", "twice: rejects, then fulfils" }) {
        EXPECT_TRUE(check(QString::fromUtf8(text)).isEmpty()) << text;
        EXPECT_EQ(check(QStringLiteral("still here")).size(), 1) << "after " << text;
    }
}

TEST_F(HarperCheckerEchoEngine, SizeLimit)
{
    const QString atLimit
        = QStringLiteral("The size limit counts UTF-16 units. ").repeated(300).left(HarperChecker::textLimit);
    EXPECT_EQ(check(atLimit).size(), 1);
    EXPECT_TRUE(check(atLimit + QLatin1Char('a')).isEmpty());
}

TEST_F(HarperCheckerEchoEngine, NearlyEmptyTextsNeverReachTheEngine)
{
    for (const char* text : { "ab", " a ", "\n\n\n", "", "  \t\n ok \n" })
        EXPECT_TRUE(check(QString::fromUtf8(text)).isEmpty()) << text;
    // A flag and a joined family emoji are one character each.
    EXPECT_TRUE(check(QString::fromUtf8("\xF0\x9F\x87\xAB\xF0\x9F\x87\xB7\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9"))
                    .isEmpty());
    EXPECT_EQ(check(QStringLiteral("a b")).size(), 1);
    EXPECT_EQ(check(QStringLiteral(" a b ")).size(), 1);
}

TEST_F(HarperCheckerEchoEngine, OtherLanguagesNeverReachTheEngine)
{
    const QString french = QStringLiteral("Le chat dort sur le canapé depuis ce matin, et personne n'ose le déranger. "
                                          "Nous irons au marché demain pour acheter des légumes frais et du pain.");
    EXPECT_TRUE(check(french).isEmpty());
    EXPECT_EQ(check(QStringLiteral("The cat has been asleep on the sofa since this morning.")).size(), 1);
}

TEST_F(HarperCheckerEchoEngine, GermanIsSkippedButEnglishWithGermanWordsIsChecked)
{
    const QString german = QStringLiteral("Wir treffen uns am Samstag im Park, wenn das Wetter schön bleibt. "
                                          "Ich bringe Kuchen mit, und du kümmerst dich um den Kaffee.");
    EXPECT_TRUE(check(german).isEmpty());
    // Names and a few foreign words leave a short sentence English.
    for (const char* mixed :
        { "Thanks, Frau Müller, for the Kaffee und Kuchen.", "Herr Schröder signed the Vertrag yesterday." })
        EXPECT_EQ(check(QString::fromUtf8(mixed)).size(), 1) << mixed;
}

TEST(HarperCheckerContract, StartResultTellsFilesFromARefusingEngine)
{
    using Start = HarperChecker::Start;
    const std::pair<const char*, Start> cases[] = {
        { "echo", Start::ready },
        { "rejected-setup", Start::engineRefused },
        { "throwing-setup", Start::engineRefused },
        { "no-setup", Start::filesUnusable },
        { "missing-bridge", Start::filesUnusable },
        { "no-bridge-object", Start::filesUnusable },
        { "plain-setup", Start::filesUnusable },
        { "no-such-folder", Start::filesUnusable },
    };
    for (const auto& [engine, expected] : cases) {
        Harness harness(engine);
        EXPECT_EQ(harness.checker().startResult(), Start::pending) << engine;
        harness.start();
        ASSERT_TRUE(harness.waitForReady()) << engine;
        EXPECT_EQ(harness.checker().startResult(), expected) << engine;
        EXPECT_EQ(harness.record().ready, expected == Start::ready) << engine;
    }
}

TEST(HarperCheckerContract, ARefusedStartIsTriedOnceMoreInAFreshContext)
{
    // A request made while the first start is refused waits for the second, which answers it;
    // the engine that always refuses is still refused after its second try.
    Harness harness("refuses-first-start");
    harness.start();
    harness.lint(QStringLiteral("early bird"));
    ASSERT_TRUE(harness.waitForAnswers(1));
    EXPECT_EQ(harness.record().ready, true);
    EXPECT_EQ(harness.checker().startResult(), HarperChecker::Start::ready);
    const QList<TextIssue> issues = harness.issuesFor(QStringLiteral("early bird"));
    ASSERT_EQ(issues.size(), 1);
    EXPECT_EQ(issues[0].message, QStringLiteral("attempt 2"));

    Harness refused("rejected-setup");
    refused.start();
    ASSERT_TRUE(refused.waitForReady());
    EXPECT_EQ(refused.checker().startResult(), HarperChecker::Start::engineRefused);
    EXPECT_EQ(refused.checker().startRefusal(), QStringLiteral("Error: cannot start"));
}

// Engines that cannot start: onReady(false) once, then every request gets nothing.
class BrokenEngine : public testing::TestWithParam<const char*> { };

TEST_P(BrokenEngine, FailsForGood)
{
    Harness harness(GetParam());
    harness.start();
    harness.lint(QStringLiteral("asked while loading"));
    ASSERT_TRUE(harness.waitForReady());
    EXPECT_EQ(harness.record().ready, false);
    harness.lint(QStringLiteral("asked after failing"));
    ASSERT_TRUE(harness.waitForAnswers(2));
    spin(50);
    EXPECT_EQ(harness.record().answered.size(), 2);
    for (const QList<TextIssue>& issues : harness.record().issues)
        EXPECT_TRUE(issues.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(HarperCheckerContract, BrokenEngine,
    testing::Values("missing-bridge", "rejected-setup", "no-bridge-object", "plain-setup", "no-such-folder",
        "throwing-setup", "no-setup"),
    [](const testing::TestParamInfo<const char*>& param) {
        QString name = QString::fromUtf8(param.param);
        name.remove(QLatin1Char('-'));
        return name.toStdString();
    });
