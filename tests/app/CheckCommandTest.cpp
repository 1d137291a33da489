// `quillcraft check` with files that cannot be read and output that cannot be written.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

struct CommandRun {
    int status = -1;
    QString out;
    QString err;
};

CommandRun runCheck(const QStringList& arguments, const QString& outputFile = {})
{
    QProcess process;
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    process.start(QStringLiteral(QUILLCRAFT_BINARY), QStringList { QStringLiteral("check") } + arguments);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000))
        return {};
    return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError()) };
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return file.fileName();
}

} // namespace

TEST(CheckCommand, BadFilesAreReportedAndTheOthersStillChecked)
{
    QTemporaryDir dir;
    const QString good = writeFile(dir, QStringLiteral("good.txt"), "We saw teh cat.\n");
    // Latin-1: decoded as UTF-8 its é would have come out as a replacement character.
    const QString latin1 = writeFile(dir, QStringLiteral("latin1.txt"), "Le caf\xe9 teh noir.\n");
    const QString missing = dir.filePath(QStringLiteral("missing.txt"));

    const CommandRun run = runCheck({ latin1, good, missing });
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.out.startsWith(good + QStringLiteral(":1:8: "))) << run.out.toStdString();
    EXPECT_FALSE(run.out.contains(latin1)) << run.out.toStdString();
    const QStringList errors = run.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(errors.size(), 2) << run.err.toStdString();
    EXPECT_EQ(errors[0], QStringLiteral("quillcraft: The text in \"%1\" is not UTF-8.").arg(latin1));
    EXPECT_TRUE(errors[1].startsWith(QStringLiteral("quillcraft: Cannot read \"%1\": ").arg(missing)));
    EXPECT_TRUE(errors[1].endsWith(QLatin1Char('.')));

    EXPECT_EQ(runCheck({ missing }).status, 2);
}

TEST(CheckCommand, FindingsThatCannotBeWrittenAreAFailure)
{
    QTemporaryDir dir;
    const QString good = writeFile(dir, QStringLiteral("good.txt"), "We saw teh cat.\n");
    const CommandRun run = runCheck({ good }, QStringLiteral("/dev/full"));
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("quillcraft: Cannot write to standard output: ")))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.endsWith(QStringLiteral(".\n")));
    EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1);
}

TEST(CheckCommand, ColumnsOfSeveralFindingsOnOneLine)
{
    // Columns are counted on from one finding to the next: the thumb with its
    // skin tone and the e with a combining accent are one character each.
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("line.txt"),
        "I saw teh \xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD cat and e\xCC\x81 teh dog.\n"
        "And teh end.\n");
    const CommandRun run = runCheck({ QStringLiteral("--json"), path });
    QList<QPair<int, int>> positions;
    for (const QJsonValue& finding : QJsonDocument::fromJson(run.out.toUtf8()).array()) {
        if (finding[QStringLiteral("problemText")] == QStringLiteral("teh"))
            positions.append({ finding[QStringLiteral("line")].toInt(), finding[QStringLiteral("column")].toInt() });
    }
    EXPECT_EQ(positions, (QList<QPair<int, int>> { { 1, 7 }, { 1, 23 }, { 2, 5 } })) << run.out.toStdString();
}

TEST(CheckCommand, FileNamesCannotDriveTheTerminal)
{
    QTemporaryDir dir;
    const QString named = writeFile(dir, QStringLiteral("a\x1b[2J.txt"), "We saw teh cat.\n");
    const CommandRun run = runCheck({ named, dir.filePath(QStringLiteral("b\x1b]0;x\x07.txt")) });
    EXPECT_TRUE(run.out.startsWith(dir.filePath(QStringLiteral("a\\x1b[2J.txt:1:8: ")))) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("b?]0;x?.txt"))) << run.err.toStdString();
    EXPECT_FALSE(run.out.contains(QLatin1Char('\x1b')) || run.err.contains(QLatin1Char('\x1b')));
}

TEST(CheckCommand, AFileNameInAnotherEncodingCanBeChecked)
{
    // "caf\xe9.txt" is Latin-1; decoded to a QString it named another file.
    QTemporaryDir dir;
    const QByteArray raw = QFile::encodeName(dir.path()) + "/caf\xe9.txt";
    const int fd = ::open(raw.constData(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "We saw teh cat.\n", 16), 16);
    ::close(fd);
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral("/bin/sh"),
        { QStringLiteral("-c"), QStringLiteral("exec \"$0\" check \"$(printf 'caf\\351.txt')\""),
            QStringLiteral(QUILLCRAFT_BINARY) });
    ASSERT_TRUE(process.waitForFinished(120000));
    EXPECT_EQ(process.exitCode(), 1) << process.readAllStandardError().toStdString();
    EXPECT_TRUE(process.readAllStandardOutput().contains(":1:8: "));
}
