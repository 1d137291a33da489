#include "InspectCommand.h"

#include "CommandLine.h"

namespace quillcraft {

int runInspectCommand(int, char**)
{
    CommandLine::printError(QStringLiteral("The inspect mode is not available in this build yet."));
    return CommandLine::exitUsage;
}

} // namespace quillcraft
