#pragma once

namespace quillcraft {

// `quillcraft inspect ...`: argc and argv as main() received them, argv[1] being "inspect".
int runInspectCommand(int argc, char** argv);

} // namespace quillcraft
