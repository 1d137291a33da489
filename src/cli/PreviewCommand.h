#pragma once

namespace quillcraft {

// `quillcraft preview NAME --png FILE [--scale N]`: draws one surface offscreen
// into a PNG file, for looking at it. Development builds only. argc and argv as
// main() received them, argv[1] being "preview".
int runPreviewCommand(int argc, char** argv);

} // namespace quillcraft
