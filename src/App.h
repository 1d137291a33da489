#pragma once

namespace quillcraft::App {

// The desktop program: the Linux backends, the grammar checker, the preferences,
// the service client and the writing assistant, wired together and run until
// the user quits. Returns the process's exit status.
int run(int argc, char** argv);

} // namespace quillcraft::App
