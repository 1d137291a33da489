// quillcraft preview draws the suggestion card and the issues panel in every
// state; the pictures stay in the build tree's previews/ folder to be looked at.
#include "ProgramRun.h"
#include "core/DevelopmentHooks.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quillcraft;

namespace {

TEST(CardPreview, DrawsEachCardStateInBothAppearancesAndScales)
{
    if (!DevelopmentHooks::isDevelopmentBuild())
        GTEST_SKIP() << "previews are drawn by development builds only";
    const QString folder = QStringLiteral(QUILLCRAFT_PREVIEW_DIR);
    ASSERT_TRUE(QDir().mkpath(folder));
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    test::ProgramOptions options;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    options.environment = environment;

    struct Case {
        const char* name;
        int width; // the card's, without the shadow margin
    };
    for (const Case c : { Case { "suggestion", 330 }, { "suggestion-grammar", 330 }, { "suggestion-5", 330 },
             { "suggestion-long", 330 }, { "issues", 360 }, { "issues-0", 360 }, { "issues-1", 360 },
             { "issues-12", 360 }, { "issues-40", 360 } }) {
        for (const char* suffix : { "-light", "-dark" }) {
            const QString name = QString::fromLatin1(c.name) + QString::fromLatin1(suffix);
            for (int scale : { 1, 2 }) {
                SCOPED_TRACE(name.toStdString() + " @" + std::to_string(scale));
                const QString file = QDir(folder).filePath(QStringLiteral("%1@%2x.png").arg(name).arg(scale));
                QFile::remove(file);
                const test::ProgramRun drawn = test::runProgram(QStringLiteral(QUILLCRAFT_BINARY),
                    { QStringLiteral("preview"), name, QStringLiteral("--png"), file, QStringLiteral("--scale"),
                        QString::number(scale) },
                    options);
                EXPECT_EQ(drawn.status, 0);
                EXPECT_EQ(drawn.err, QString());
                const QImage image(file);
                ASSERT_FALSE(image.isNull());
                EXPECT_EQ(image.width(), (c.width + 36) * scale);
                // Every state fits a small screen.
                EXPECT_LT(image.height(), 560 * scale);
            }
        }
    }
}

} // namespace
