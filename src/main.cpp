#include "App.h"
#include "cli/CheckCommand.h"
#include "cli/CommandLine.h"
#include "cli/InspectCommand.h"
#include "cli/PreviewCommand.h"
#include "cli/RewriteCommand.h"

#include <cstring>

using namespace quillcraft;

int main(int argc, char** argv)
{
    const char* mode = argc > 1 ? argv[1] : "";
    if (std::strcmp(mode, "rewrite") == 0)
        return runRewriteCommand(argc, argv);
    if (std::strcmp(mode, "check") == 0)
        return runCheckCommand(argc, argv);
    if (std::strcmp(mode, "inspect") == 0)
        return runInspectCommand(argc, argv);
    if (std::strcmp(mode, "preview") == 0)
        return runPreviewCommand(argc, argv);
    if (std::strcmp(mode, "--help") == 0 || std::strcmp(mode, "-h") == 0) {
        return CommandLine::printOut(CommandLine::overview()) ? CommandLine::exitOk : 1;
    }
    // The browser starts us with its sign-in link; the running instance takes it.
    if (qstrnicmp(mode, "quillcraft:", 11) == 0) {
        if (argc == 2)
            return App::handOff(argc, argv);
        CommandLine::printError(QStringLiteral("A sign-in link must be the only argument."));
        return CommandLine::exitUsage;
    }
    if (argc > 1) {
        CommandLine::printError(
            QStringLiteral("Unknown mode \"%1\"; see quillcraft --help.").arg(QString::fromLocal8Bit(mode)));
        return CommandLine::exitUsage;
    }
    return App::run(argc, argv);
}
