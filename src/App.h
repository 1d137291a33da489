#pragma once

namespace quillcraft::App {

// The desktop program: the Linux backends, the grammar checker, the preferences,
// the service client and the writing assistant, wired together and run until
// the user quits. Returns the process's exit status.
int run(int argc, char** argv);

// `quillcraft quillcraft://connected?…`: hands the browser's sign-in link in
// argv[1] to the running program. Returns the process's exit status.
int handOff(int argc, char** argv);

} // namespace quillcraft::App
