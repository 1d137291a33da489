#include "CommandLine.h"

#include "cli/TerminalText.h"

#include <QFile>
#include <QStringDecoder>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillcraft::CommandLine {

void printError(const QString& line)
{
    // A file name can hold escape sequences; they must not drive the terminal.
    const QString shown = TerminalText::sanitized(line, TerminalText::Rendering::questionMarks);
    const QByteArray bytes = (QStringLiteral("quillcraft: ") + shown + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

bool printOut(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    errno = 0;
    const bool written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size())
        && std::fflush(stdout) == 0;
    // The network parts ignore SIGPIPE, so a closed pipe shows up here; its
    // reader has gone and needs no message.
    if (!written && errno != EPIPE) {
        const int error = errno;
        printError(QStringLiteral("Cannot write to standard output: %1.")
                       .arg(QString::fromLocal8Bit(std::strerror(error ? error : EIO))));
    }
    return written;
}

std::optional<QString> readText(const std::optional<QByteArray>& path, QString& error)
{
    const QString name
        = path ? QStringLiteral("\"%1\"").arg(QFile::decodeName(*path)) : QStringLiteral("standard input");
    // Opened by its bytes: a name in another encoding does not survive a QString.
    const int fd = path ? ::open(path->constData(), O_RDONLY | O_CLOEXEC) : STDIN_FILENO;
    if (fd < 0) {
        error = QStringLiteral("Cannot read %1: %2.").arg(name, QString::fromLocal8Bit(std::strerror(errno)));
        return std::nullopt;
    }
    struct stat status { };
    if (path && ::fstat(fd, &status) == 0 && S_ISDIR(status.st_mode)) {
        ::close(fd);
        error = QStringLiteral("%1 is a folder, not a file.").arg(name);
        return std::nullopt;
    }
    QFile file;
    const bool opened
        = file.open(fd, QIODevice::ReadOnly, path ? QFileDevice::AutoCloseHandle : QFileDevice::DontCloseHandle);
    const QByteArray bytes = opened ? file.readAll() : QByteArray();
    if (!opened || file.error() != QFileDevice::NoError) {
        if (!opened && path)
            ::close(fd);
        error = QStringLiteral("Cannot read %1: %2.").arg(name, file.errorString());
        return std::nullopt;
    }
    // Text in another encoding would come out with its letters replaced.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError()) {
        error = QStringLiteral("The text in %1 is not UTF-8.").arg(name);
        return std::nullopt;
    }
    return text;
}

QByteArray rawArgument(int argc, char** argv, const QString& argument)
{
    for (int i = argc - 1; i > 1; --i) {
        if (QString::fromLocal8Bit(argv[i]) == argument)
            return QByteArray(argv[i]);
    }
    return QFile::encodeName(argument);
}

QString overview()
{
    return QStringLiteral(
        "Usage: quillcraft [MODE] [OPTIONS]\n"
        "\n"
        "Quillcraft is a writing assistant for the desktop's text fields.\n"
        "Without a mode it starts the desktop program.\n"
        "\n"
        "Modes:\n"
        "  rewrite   rewrite a text with the web service (quillcraft rewrite --help)\n"
        "  check     check files for grammar and spelling on this computer (quillcraft check --help)\n"
        "  inspect   show the focused text field as Quillcraft sees it (quillcraft inspect --help)\n"
        "  preview   draw a surface into a PNG file, in development builds (quillcraft preview --help)\n");
}

QStringList argumentsAfterMode(int argc, char** argv)
{
    QStringList args;
    for (int i = 2; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

} // namespace quillcraft::CommandLine
