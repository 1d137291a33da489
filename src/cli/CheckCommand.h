#pragma once

namespace quillcraft {

// `quillcraft check ...`: argc and argv as main() received them, argv[1] being "check".
int runCheckCommand(int argc, char** argv);

} // namespace quillcraft
