#include "CheckCommand.h"

#include "CommandLine.h"

namespace quillcraft {

int runCheckCommand(int, char**)
{
    CommandLine::printError(QStringLiteral("The check mode is not available in this build yet."));
    return CommandLine::exitUsage;
}

} // namespace quillcraft
