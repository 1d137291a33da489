// `quillcraft check`: the built program run on files and standard input, with the
// real engine; files that cannot be read and output that cannot be written.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "ProgramRun.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

using quillcraft::test::ProgramRun;
using quillcraft::test::runProgram;

namespace {

ProgramRun runCheck(const QStringList& arguments, const QByteArray& input = {}, const QString& outputFile = {},
    const QString& program = QStringLiteral(QUILLCRAFT_BINARY))
{
    quillcraft::test::ProgramOptions options;
    options.input = input;
    options.outputFile = outputFile;
    return runProgram(program, QStringList { QStringLiteral("check") } + arguments, options);
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return file.fileName();
}

// A one-line failure that is a whole sentence.
void expectOneSentence(const QString& err)
{
    EXPECT_TRUE(err.startsWith(QStringLiteral("quillcraft: "))) << err.toStdString();
    EXPECT_TRUE(err.endsWith(QStringLiteral(".\n"))) << err.toStdString();
    EXPECT_EQ(err.count(QLatin1Char('\n')), 1) << err.toStdString();
}

} // namespace

TEST(CheckCommand, BadFilesAreReportedAndTheOthersStillChecked)
{
    QTemporaryDir dir;
    const QString good = writeFile(dir, QStringLiteral("good.txt"), "We saw teh cat.\n");
    // Latin-1: decoded as UTF-8 its é would have come out as a replacement character.
    const QString latin1 = writeFile(dir, QStringLiteral("latin1.txt"), "Le caf\xe9 teh noir.\n");
    const QString missing = dir.filePath(QStringLiteral("missing.txt"));

    const ProgramRun run = runCheck({ latin1, good, missing });
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.out.startsWith(good + QStringLiteral(":1:8: "))) << run.out.toStdString();
    EXPECT_FALSE(run.out.contains(latin1)) << run.out.toStdString();
    const QStringList errors = run.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(errors.size(), 2) << run.err.toStdString();
    EXPECT_EQ(errors[0], QStringLiteral("quillcraft: The text in \"%1\" is not UTF-8.").arg(latin1));
    EXPECT_TRUE(errors[1].startsWith(QStringLiteral("quillcraft: Cannot read \"%1\": ").arg(missing)));
    EXPECT_TRUE(errors[1].endsWith(QLatin1Char('.')));

    const ProgramRun alone = runCheck({ missing });
    EXPECT_EQ(alone.status, 2);
}

TEST(CheckCommand, FindingsThatCannotBeWrittenAreAFailure)
{
    QTemporaryDir dir;
    const QString good = writeFile(dir, QStringLiteral("good.txt"), "We saw teh cat.\n");
    const ProgramRun run = runCheck({ good }, {}, QStringLiteral("/dev/full"));
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
    const ProgramRun run = runCheck({ QStringLiteral("--json"), path });
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.isEmpty());
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
    const ProgramRun run = runCheck({ named, dir.filePath(QStringLiteral("b\x1b]0;x\x07.txt")) });
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
    quillcraft::test::ProgramOptions inFolder;
    inFolder.workingDirectory = dir.path();
    const ProgramRun run = runProgram(QStringLiteral("/bin/sh"),
        { QStringLiteral("-c"), QStringLiteral("exec \"$0\" check \"$(printf 'caf\\351.txt')\""),
            QStringLiteral(QUILLCRAFT_BINARY) },
        inFolder);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.contains(QStringLiteral(":1:8: "))) << run.out.toStdString();
}

TEST(CheckCommand, ReportsFindingsAsLinesAndAsJson)
{
    QTemporaryDir dir;
    // On line 2 the typo follows an emoji (two UTF-16 units, one character) and an é.
    const QByteArray text = "A clean first line.\nThe caf\xC3\xA9 \xF0\x9F\x98\x80 is next to the libary.\n";
    const QString path = writeFile(dir, QStringLiteral("notes.txt"), text);

    const ProgramRun lines = runCheck({ path });
    EXPECT_EQ(lines.status, 1) << lines.err.toStdString();
    const QString expected
        = path + QStringLiteral(":2:27: Spelling: Did you mean to spell “libary” this way? [library");
    EXPECT_TRUE(lines.out.contains(expected)) << lines.out.toStdString();
    for (const QString& line : lines.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        EXPECT_TRUE(line.startsWith(path + QStringLiteral(":2:")) && line.endsWith(QLatin1Char(']')))
            << line.toStdString();

    const ProgramRun json = runCheck({ QStringLiteral("--json"), path });
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

TEST(CheckCommand, CleanStandardInputExitsZero)
{
    const ProgramRun run = runCheck({}, "This sentence is fine.\n");
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    const ProgramRun json = runCheck({ QStringLiteral("--json"), QStringLiteral("-") }, "This sentence is fine.\n");
    EXPECT_EQ(json.status, 0) << json.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(json.out.toUtf8()).array(), QJsonArray());
}

TEST(CheckCommand, LongFilesAreCheckedWindowByWindow)
{
    // About 28000 characters: three windows, each finding shifted back to its own line.
    QTemporaryDir dir;
    QByteArray text;
    for (int i = 1; i <= 600; ++i)
        text += "Line " + QByteArray::number(i) + " says the libary opens today.\n";
    const ProgramRun run = runCheck({ writeFile(dir, QStringLiteral("long.txt"), text) });
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

TEST(CheckCommand, BadUsageExitsTwoWithOneSentence)
{
    const ProgramRun option = runCheck({ QStringLiteral("--frobnicate") });
    EXPECT_EQ(option.status, 2);
    expectOneSentence(option.err);

    const ProgramRun missing = runCheck({ QStringLiteral("/no/such/file.txt") });
    EXPECT_EQ(missing.status, 2);
    expectOneSentence(missing.err);

    const ProgramRun help = runCheck({ QStringLiteral("--help") });
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("quillcraft check")));
}

TEST(CheckCommand, EngineThatCannotStartExitsTwo)
{
    // The program looks for its engine in ../share/quillcraft beside itself.
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("bin")));
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("share/quillcraft")));
    const QString program = dir.filePath(QStringLiteral("bin/quillcraft"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUILLCRAFT_BINARY), program));
    const ProgramRun run = runCheck({}, "Their going home.\n", {}, program);
    EXPECT_EQ(run.status, 2);
    expectOneSentence(run.err);
    EXPECT_FALSE(run.err.contains(QStringLiteral("Their"))) << "user text reached stderr";
}

namespace {

// A copy of the program in dir/bin with a stand-in engine in dir/share/quillcraft;
// empty when the copy fails.
QString programWithEngine(const QTemporaryDir& dir, const char* engineName)
{
    const QDir root(dir.path());
    const QString program = dir.filePath(QStringLiteral("bin/quillcraft"));
    if (!root.mkpath(QStringLiteral("bin")) || !root.mkpath(QStringLiteral("share/quillcraft"))
        || !QFile::copy(QStringLiteral(QUILLCRAFT_BINARY), program))
        return {};
    const QString engine = QStringLiteral(QUILLCRAFT_TEST_ENGINES "/") + QLatin1String(engineName) + u'/';
    const QString share = dir.filePath(QStringLiteral("share/quillcraft/"));
    for (const char* name : { "harper.wasm", "harper-prelude.js", "harper-bridge.js" }) {
        if (!QFile::copy(engine + QLatin1String(name), share + QLatin1String(name)))
            return {};
    }
    return program;
}

} // namespace

TEST(CheckCommand, AnEngineThatRefusesToStartIsNotBlamedOnItsFiles)
{
    // Files that load but whose setup gives up, beside a copy of the program; then the same
    // folder with the bridge script gone. Only the second is a problem with the files.
    QTemporaryDir dir;
    const QString program = programWithEngine(dir, "rejected-setup");
    ASSERT_FALSE(program.isEmpty());
    const QString share = dir.filePath(QStringLiteral("share/quillcraft/"));

    const ProgramRun refused = runCheck({}, "Their going home.\n", {}, program);
    EXPECT_EQ(refused.status, 2);
    expectOneSentence(refused.err);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("failed to set itself up"))) << refused.err.toStdString();
    // The engine's own reason travels with it, so a rare refusal can be told apart from the next.
    EXPECT_TRUE(refused.err.contains(QStringLiteral("cannot start"))) << refused.err.toStdString();
    EXPECT_FALSE(refused.err.contains(QStringLiteral("missing or broken"))) << refused.err.toStdString();

    ASSERT_TRUE(QFile::remove(share + QStringLiteral("harper-bridge.js")));
    const ProgramRun missing = runCheck({}, "Their going home.\n", {}, program);
    EXPECT_EQ(missing.status, 2);
    expectOneSentence(missing.err);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("missing or broken"))) << missing.err.toStdString();
}

TEST(CheckCommand, ATextTheEngineCouldNotCheckIsNotReportedAsClean)
{
    // The stand-in engine rejects a text starting with "reject:", as a trap would end a check.
    QTemporaryDir dir;
    const QString program = programWithEngine(dir, "echo");
    ASSERT_FALSE(program.isEmpty());

    const ProgramRun checked = runCheck({}, "Their going home today.\n", {}, program);
    EXPECT_EQ(checked.status, 1) << checked.err.toStdString();
    const ProgramRun failed = runCheck({}, "reject: Their going home today.\n", {}, program);
    EXPECT_EQ(failed.status, 2);
    EXPECT_TRUE(failed.out.isEmpty()) << failed.out.toStdString();
    expectOneSentence(failed.err);
    EXPECT_FALSE(failed.err.contains(QStringLiteral("Their"))) << "user text reached stderr";
}
