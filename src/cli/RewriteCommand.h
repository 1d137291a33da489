#pragma once

namespace quillcraft {

// `quillcraft rewrite ...`: argc and argv as main() received them, argv[1] being "rewrite".
int runRewriteCommand(int argc, char** argv);

} // namespace quillcraft
