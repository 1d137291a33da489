// quillcraft preview, run as a developer would. The pictures stay in the build
// tree's previews/ folder to be looked at.
#include "ProgramRun.h"
#include "core/DevelopmentHooks.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quillcraft;

namespace {

class PreviewCommandTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!DevelopmentHooks::isDevelopmentBuild())
            GTEST_SKIP() << "previews are drawn by development builds only";
        ASSERT_TRUE(QDir().mkpath(folder));
        // Qt complains on standard error without one.
        ASSERT_TRUE(runtime.isValid());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        options.environment = environment;
    }

    test::ProgramRun run(const QStringList& arguments) const
    {
        return test::runProgram(
            QStringLiteral(QUILLCRAFT_BINARY), QStringList { QStringLiteral("preview") } + arguments, options);
    }

    // Draws `name` at `scale` into previews/<name>@<scale>x.png and reads it back.
    QImage draw(const QString& name, int scale)
    {
        const QString file = QDir(folder).filePath(QStringLiteral("%1@%2x.png").arg(name).arg(scale));
        QFile::remove(file);
        const test::ProgramRun drawn
            = run({ name, QStringLiteral("--png"), file, QStringLiteral("--scale"), QString::number(scale) });
        EXPECT_EQ(drawn.status, 0);
        EXPECT_EQ(drawn.out, QString());
        EXPECT_EQ(drawn.err, QString());
        QImage image(file);
        EXPECT_FALSE(image.isNull()) << file.toStdString();
        return image;
    }

    const QString folder = QStringLiteral(QUILLCRAFT_PREVIEW_DIR);
    QTemporaryDir runtime;
    test::ProgramOptions options;
};

TEST_F(PreviewCommandTest, DrawsAtTheLogicalSizeTimesTheScale)
{
    EXPECT_EQ(draw(QStringLiteral("badge-3"), 1).size(), QSize(36, 34));
    EXPECT_EQ(draw(QStringLiteral("badge-3"), 2).size(), QSize(72, 68));
    const QImage card = draw(QStringLiteral("controls"), 1);
    const QImage sharp = draw(QStringLiteral("controls"), 2);
    EXPECT_EQ(sharp.size(), card.size() * 2);
    // The gallery's card is 360 wide, in its shadow margin.
    EXPECT_EQ(card.width(), 360 + 36);
    // Around the card the picture is transparent.
    EXPECT_EQ(qAlpha(card.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(sharp.pixel(sharp.width() - 1, 0)), 0);
}

TEST_F(PreviewCommandTest, DrawsEveryNameInBothAppearances)
{
    for (const char* name : { "badge-checking", "badge-clean", "badge-0", "badge-3", "badge-style-3", "badge-99",
             "badge-100", "selection-button", "controls" }) {
        for (const char* suffix : { "-light", "-dark" }) {
            SCOPED_TRACE(std::string(name) + suffix);
            for (int scale : { 1, 2 })
                EXPECT_FALSE(draw(QString::fromLatin1(name) + QString::fromLatin1(suffix), scale).isNull());
        }
    }
    // The card's face follows the appearance.
    const QColor light = draw(QStringLiteral("controls-light"), 1).pixelColor(25, 150);
    const QColor dark = draw(QStringLiteral("controls-dark"), 1).pixelColor(25, 150);
    EXPECT_GT(light.lightnessF(), 0.9);
    EXPECT_LT(dark.lightnessF(), 0.25);
}

TEST_F(PreviewCommandTest, RefusesWhatItCannotDraw)
{
    const QString file = QDir(folder).filePath(QStringLiteral("refused.png"));
    QFile::remove(file);
    struct Case {
        QStringList arguments;
        QString message;
    };
    const QList<Case> cases {
        { { QStringLiteral("painting"), QStringLiteral("--png"), file },
            QStringLiteral("There is no preview called \"painting\"; the names are badge-checking") },
        { { QStringLiteral("badge-3"), QStringLiteral("--png"), file, QStringLiteral("--scale"), QStringLiteral("0") },
            QStringLiteral("The scale must be a whole number from 1 to 4.") },
        { { QStringLiteral("badge-3") }, QStringLiteral("Name a surface and a file") },
        { { QStringLiteral("badge-3"), QStringLiteral("--png") }, QStringLiteral("The option --png needs a value.") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const test::ProgramRun refused = run(c.arguments);
        EXPECT_EQ(refused.status, 2);
        EXPECT_TRUE(refused.err.startsWith(QStringLiteral("quillcraft: ") + c.message));
        EXPECT_TRUE(refused.err.endsWith(QStringLiteral(".\n")));
        EXPECT_EQ(refused.err.count(QLatin1Char('\n')), 1);
    }
    EXPECT_FALSE(QFile::exists(file));

    // A file that cannot be written is a failure, said in one sentence.
    const test::ProgramRun unwritable
        = run({ QStringLiteral("badge-3"), QStringLiteral("--png"), QStringLiteral("/nonexistent/folder/badge.png") });
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_TRUE(unwritable.err.startsWith(QStringLiteral("quillcraft: Cannot write the picture to ")));
    EXPECT_TRUE(unwritable.err.endsWith(QStringLiteral(".\n")));
    EXPECT_EQ(unwritable.err.count(QLatin1Char('\n')), 1);
}

} // namespace

TEST_F(PreviewCommandTest, DrawsTheAccountFormInEachState)
{
    for (const char* name :
        { "account", "account-working", "account-error", "account-waiting", "account-signed-in", "account-settings" }) {
        for (const char* suffix : { "-light", "-dark" }) {
            SCOPED_TRACE(std::string(name) + suffix);
            const QImage small = draw(QString::fromLatin1(name) + QString::fromLatin1(suffix), 1);
            const QImage sharp = draw(QString::fromLatin1(name) + QString::fromLatin1(suffix), 2);
            EXPECT_EQ(sharp.size(), small.size() * 2);
        }
    }
    // The form fills its window in the appearance's colour.
    EXPECT_GT(draw(QStringLiteral("account-light"), 1).pixelColor(4, 4).lightnessF(), 0.8);
    EXPECT_LT(draw(QStringLiteral("account-dark"), 1).pixelColor(4, 4).lightnessF(), 0.25);
    // Without the brand header the page is shorter.
    EXPECT_LT(
        draw(QStringLiteral("account-settings"), 1).height(), draw(QStringLiteral("account-signed-in"), 1).height());
}

TEST_F(PreviewCommandTest, DrawsTheSettingsWindowOnEachTab)
{
    for (const char* name :
        { "settings", "settings-apps", "settings-dictionary", "settings-dictionary-empty", "settings-account" }) {
        for (const char* suffix : { "-light", "-dark" }) {
            SCOPED_TRACE(std::string(name) + suffix);
            const QString full = QString::fromLatin1(name) + QString::fromLatin1(suffix);
            EXPECT_EQ(draw(full, 1).size(), QSize(532, 480));
            EXPECT_EQ(draw(full, 2).size(), QSize(1064, 960));
        }
    }
    EXPECT_GT(draw(QStringLiteral("settings-light"), 1).pixelColor(4, 4).lightnessF(), 0.8);
    EXPECT_LT(draw(QStringLiteral("settings-dark"), 1).pixelColor(4, 4).lightnessF(), 0.25);
    // The whole General tab, unscrolled, is taller than the window.
    EXPECT_GT(draw(QStringLiteral("settings-general-full-light"), 1).height(), 480);
}
