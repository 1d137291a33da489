// The checker with the real Harper engine built into the resource folder.
// Loading it takes about a second, so one checker serves every test here.
#include "grammar/HarperChecker.h"

#include "Wait.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <memory>
#include <optional>

using namespace quillcraft;
using quillcraft::test::waitUntil;

namespace {

class HarperCheckerEngine : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_checker = std::make_unique<HarperChecker>(QStringLiteral(QUILLCRAFT_RESOURCE_DIR));
        auto ready = std::make_shared<std::optional<bool>>();
        s_checker->start([ready](bool ok) { *ready = ok; });
        ASSERT_TRUE(waitUntil([ready] { return ready->has_value(); }, 60000));
        ASSERT_EQ(*ready, true);
    }
    static void TearDownTestSuite() { s_checker.reset(); }

    static QList<TextIssue> check(const QString& text)
    {
        auto answer = std::make_shared<std::optional<QList<TextIssue>>>();
        s_checker->lint(text, [answer](const QList<TextIssue>& issues) { *answer = issues; });
        EXPECT_TRUE(waitUntil([answer] { return answer->has_value(); }, 30000));
        return answer->value_or(QList<TextIssue> {});
    }

    static const TextIssue* find(const QList<TextIssue>& issues, const QString& problem)
    {
        for (const TextIssue& issue : issues) {
            if (issue.problemText == problem)
                return &issue;
        }
        return nullptr;
    }

    static std::unique_ptr<HarperChecker> s_checker;
};

std::unique_ptr<HarperChecker> HarperCheckerEngine::s_checker;

} // namespace

TEST_F(HarperCheckerEngine, TypoAfterEmojiHasItsUtf16Location)
{
    const QString text = QString::fromUtf8("We met at the caf\xC3\xA9 \xF0\x9F\x98\x80 and talked about the libary.");
    const QList<TextIssue> issues = check(text);
    const TextIssue* typo = find(issues, QStringLiteral("libary"));
    ASSERT_NE(typo, nullptr);
    EXPECT_EQ(typo->location, text.indexOf(QStringLiteral("libary")));
    EXPECT_EQ(typo->length, 6);
    EXPECT_TRUE(typo->isSpelling());
    bool offersLibrary = false;
    for (const Suggestion& suggestion : typo->suggestions)
        offersLibrary = offersLibrary || suggestion.text == QStringLiteral("library");
    EXPECT_TRUE(offersLibrary);
}

TEST_F(HarperCheckerEngine, FindingsCarryTheEnginesKindsAndReadableMessages)
{
    const QList<TextIssue> issues = check(QStringLiteral("This is an test of the the checker."));
    ASSERT_FALSE(issues.isEmpty());
    for (const TextIssue& issue : issues) {
        EXPECT_FALSE(issue.kind.isEmpty());
        EXPECT_FALSE(issue.message.contains(QLatin1Char('`')));
        EXPECT_FALSE(issue.suggestions.isEmpty());
    }
}

TEST_F(HarperCheckerEngine, TheDoubleSpaceAfterAnAccentedWordIsFoundInEitherForm)
{
    const QString composed = QStringLiteral("The r\u00e9sum\u00e9  was ready on time.");
    const QString decomposed = composed.normalized(QString::NormalizationForm_D);
    for (const QString& text : { composed, decomposed }) {
        const QList<TextIssue> issues = check(text);
        const TextIssue* gap = find(issues, QStringLiteral("  "));
        ASSERT_NE(gap, nullptr) << (text == composed ? "composed" : "decomposed");
        EXPECT_EQ(gap->location, text.indexOf(QStringLiteral("  ")));
    }
}

TEST_F(HarperCheckerEngine, FrenchParagraphYieldsNothing)
{
    EXPECT_TRUE(check(
        QStringLiteral("Je suis allé au marché ce matin pour acheter des légumes, mais il pleuvait tellement "
                       "que je suis rentré à la maison sans rien. Demain, nous irons ensemble chez le boulanger."))
                    .isEmpty());
}

TEST_F(HarperCheckerEngine, SizeLimitAndNearlyEmptyTexts)
{
    QString text = QStringLiteral("This sentense has a typo. ").repeated(400);
    text.truncate(HarperChecker::textLimit);
    EXPECT_FALSE(check(text).isEmpty());
    EXPECT_TRUE(check(text + QLatin1Char(' ')).isEmpty());

    // The engine would flag each of these, had it seen them.
    EXPECT_TRUE(check(QStringLiteral("im")).isEmpty());
    EXPECT_TRUE(check(QStringLiteral(" u \n")).isEmpty());
    EXPECT_FALSE(check(QStringLiteral("teh")).isEmpty());
    EXPECT_FALSE(check(QStringLiteral("u r")).isEmpty());
}

// The real engine beside a prelude whose recorded digest is not what setup leaves,
// as after a start that JavaScriptCore spoiled: every attempt is refused, with why.
TEST(HarperCheckerEngineReference, AnInstanceUnlikeTheReferenceIsRefused)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString from = QStringLiteral(QUILLCRAFT_RESOURCE_DIR "/");
    for (const char* name : { "harper.wasm", "harper-bridge.js" })
        ASSERT_TRUE(QFile::copy(from + QLatin1String(name), dir.filePath(QLatin1String(name))));
    QFile source(from + QStringLiteral("harper-prelude.js"));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    QString prelude = QString::fromUtf8(source.readAll());
    const QRegularExpression digest(QStringLiteral("__harperSetupDigest = \"[0-9a-f]+/"));
    ASSERT_TRUE(prelude.contains(digest)) << "the build recorded no digest";
    prelude.replace(digest, QStringLiteral("__harperSetupDigest = \"0/"));
    QFile changed(dir.filePath(QStringLiteral("harper-prelude.js")));
    ASSERT_TRUE(changed.open(QIODevice::WriteOnly));
    ASSERT_GT(changed.write(prelude.toUtf8()), 0);
    changed.close();

    HarperChecker checker(dir.path());
    auto ready = std::make_shared<std::optional<bool>>();
    checker.start([ready](bool ok) { *ready = ok; });
    ASSERT_TRUE(waitUntil([ready] { return ready->has_value(); }, 120000));
    EXPECT_EQ(*ready, false);
    EXPECT_EQ(checker.startResult(), HarperChecker::Start::engineRefused);
    EXPECT_TRUE(checker.startRefusal().contains(QStringLiteral("memory after setup differs")))
        << checker.startRefusal().toStdString();
}
