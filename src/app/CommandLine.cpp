#include "CommandLine.h"

#include <cstdio>

namespace quillcraft::CommandLine {

void printError(const QString& line)
{
    const QByteArray bytes = (QStringLiteral("quillcraft: ") + line + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

void printOut(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
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
        "  inspect   show the focused text field as Quillcraft sees it (quillcraft inspect --help)\n");
}

QStringList argumentsAfterMode(int argc, char** argv)
{
    QStringList args;
    for (int i = 2; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

} // namespace quillcraft::CommandLine
