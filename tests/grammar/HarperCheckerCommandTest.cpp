// `quillcraft check`: the built program run on files and standard input.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct CommandRun {
    int status = -1;
    QString out;
    QString err;
};

CommandRun runCheck(const QStringList& arguments, const QByteArray& input = {},
    const QString& program = QStringLiteral(QUILLCRAFT_BINARY))
{
    QProcess process;
    process.start(program, QStringList { QStringLiteral("check") } + arguments);
    if (!process.waitForStarted())
        return {};
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000))
        return {};
    return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError()) };
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

// A one-line failure that is a whole sentence.
void expectOneSentence(const QString& err)
{
    EXPECT_TRUE(err.startsWith(QStringLiteral("quillcraft: "))) << err.toStdString();
    EXPECT_TRUE(err.endsWith(QStringLiteral(".\n"))) << err.toStdString();
    EXPECT_EQ(err.count(QLatin1Char('\n')), 1) << err.toStdString();
}

} // namespace

TEST(HarperCheckerCommand, ReportsFindingsAsLinesAndAsJson)
{
    QTemporaryDir dir;
    // On line 2 the typo follows an emoji (two UTF-16 units, one character) and an é.
    const QByteArray text = "A clean first line.\nThe caf\xC3\xA9 \xF0\x9F\x98\x80 is next to the libary.\n";
    const QString path = writeFile(dir, QStringLiteral("notes.txt"), text);

    const CommandRun lines = runCheck({ path });
    EXPECT_EQ(lines.status, 1) << lines.err.toStdString();
    const QString expected
        = path + QStringLiteral(":2:27: Spelling: Did you mean to spell “libary” this way? [library");
    EXPECT_TRUE(lines.out.contains(expected)) << lines.out.toStdString();
    for (const QString& line : lines.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        EXPECT_TRUE(line.startsWith(path + QStringLiteral(":2:")) && line.endsWith(QLatin1Char(']')))
            << line.toStdString();

    const CommandRun json = runCheck({ QStringLiteral("--json"), path });
    EXPECT_EQ(json.status, 1);
    const QJsonArray findings = QJsonDocument::fromJson(json.out.toUtf8()).array();
    QJsonObject typo;
    for (const QJsonValue& finding : findings) {
        if (finding[QStringLiteral("problemText")] == QStringLiteral("libary"))
            typo = finding.toObject();
    }
    ASSERT_FALSE(typo.isEmpty()) << json.out.toStdString();
    const QString decoded = QString::fromUtf8(text);
    EXPECT_EQ(typo[QStringLiteral("file")], path);
    EXPECT_EQ(typo[QStringLiteral("line")], 2);
    EXPECT_EQ(typo[QStringLiteral("column")], 27);
    EXPECT_EQ(typo[QStringLiteral("location")], decoded.indexOf(QStringLiteral("libary")));
    EXPECT_EQ(typo[QStringLiteral("length")], 6);
    EXPECT_EQ(typo[QStringLiteral("kind")], QStringLiteral("Spelling"));
    const QJsonObject first = typo[QStringLiteral("suggestions")].toArray().first().toObject();
    EXPECT_EQ(first[QStringLiteral("kind")], QStringLiteral("replace"));
    EXPECT_EQ(first[QStringLiteral("text")], QStringLiteral("library"));
}

TEST(HarperCheckerCommand, CleanStandardInputExitsZero)
{
    const CommandRun run = runCheck({}, "This sentence is fine.\n");
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    const CommandRun json = runCheck({ QStringLiteral("--json"), QStringLiteral("-") }, "This sentence is fine.\n");
    EXPECT_EQ(json.status, 0) << json.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(json.out.toUtf8()).array(), QJsonArray());
}

TEST(HarperCheckerCommand, LongFilesAreCheckedWindowByWindow)
{
    // About 28000 characters: three windows, each finding shifted back to its own line.
    QTemporaryDir dir;
    QByteArray text;
    for (int i = 1; i <= 600; ++i)
        text += "Line " + QByteArray::number(i) + " says the libary opens today.\n";
    const CommandRun run = runCheck({ writeFile(dir, QStringLiteral("long.txt"), text) });
    EXPECT_EQ(run.status, 1);
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 600) << run.out.left(2000).toStdString();
    for (int i = 0; i < 600; ++i) {
        const QString where = QStringLiteral(":%1:%2: Spelling:")
                                  .arg(i + 1)
                                  .arg(i + 1 < 10       ? 17
                                          : i + 1 < 100 ? 18
                                                        : 19);
        EXPECT_TRUE(lines[i].contains(where)) << lines[i].toStdString();
    }
}

TEST(HarperCheckerCommand, BadUsageExitsTwoWithOneSentence)
{
    const CommandRun option = runCheck({ QStringLiteral("--frobnicate") });
    EXPECT_EQ(option.status, 2);
    expectOneSentence(option.err);

    const CommandRun missing = runCheck({ QStringLiteral("/no/such/file.txt") });
    EXPECT_EQ(missing.status, 2);
    expectOneSentence(missing.err);

    const CommandRun help = runCheck({ QStringLiteral("--help") });
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("quillcraft check")));
}

TEST(HarperCheckerCommand, EngineThatCannotStartExitsTwo)
{
    // The program looks for its engine in ../share/quillcraft beside itself.
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("bin")));
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("share/quillcraft")));
    const QString program = dir.filePath(QStringLiteral("bin/quillcraft"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUILLCRAFT_BINARY), program));
    const CommandRun run = runCheck({}, "Their going home.\n", program);
    EXPECT_EQ(run.status, 2);
    expectOneSentence(run.err);
    EXPECT_FALSE(run.err.contains(QStringLiteral("Their"))) << "user text reached stderr";
}
