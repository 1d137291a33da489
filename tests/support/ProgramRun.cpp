#include "ProgramRun.h"

#include "Wait.h"

#include <QFileInfo>
#include <QProcess>

namespace quillcraft::test {

ProgramRun runProgram(const QString& program, const QStringList& arguments, const ProgramOptions& options)
{
    QProcess process;
    if (!options.outputFile.isEmpty())
        process.setStandardOutputFile(options.outputFile);
    if (!options.workingDirectory.isEmpty())
        process.setWorkingDirectory(options.workingDirectory);
    if (options.environment)
        process.setProcessEnvironment(*options.environment);
    if (options.inChild)
        process.setChildProcessModifier(options.inChild);
    process.start(program, arguments);

    int status = -1;
    QString ending;
    if (!process.waitForStarted()) {
        ending = QStringLiteral("did not start: %1").arg(process.errorString());
    } else {
        process.write(options.input);
        process.closeWriteChannel();
        if (!waitUntil([&] { return process.state() == QProcess::NotRunning; }, options.timeoutMs)) {
            ending = QStringLiteral("did not finish within %1 s").arg(options.timeoutMs / 1000);
            process.kill();
            process.waitForFinished(5000);
        } else if (process.exitStatus() == QProcess::CrashExit) {
            ending = QStringLiteral("was killed by a signal");
        } else {
            status = process.exitCode();
            ending = QStringLiteral("exited with status %1").arg(status);
        }
    }
    const QByteArray out = process.readAllStandardOutput();
    const QByteArray err = process.readAllStandardError();
    const QString summary = QStringLiteral("%1 %2 %3; its standard error: \"%4\"")
                                .arg(QFileInfo(program).fileName(), arguments.value(0), ending, QString::fromUtf8(err));
    return { status, out, err, QString::fromUtf8(out), QString::fromUtf8(err),
        testing::ScopedTrace(__FILE__, __LINE__, summary.toStdString()) };
}

} // namespace quillcraft::test
