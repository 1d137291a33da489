#include "RewriteCommand.h"

#include "CommandLine.h"

namespace quillcraft {

int runRewriteCommand(int, char**)
{
    CommandLine::printError(QStringLiteral("The rewrite mode is not available in this build yet."));
    return CommandLine::exitUsage;
}

} // namespace quillcraft
