#pragma once

#include <functional>
#include <memory>

class QCoreApplication;

namespace quillcraft::test {

// Runs every test inside an application object of the caller's choice, with the
// XDG folders pointed at a private temporary directory so that no test touches
// the user's real preferences, cookies or data.
int runAllTests(int& argc, char** argv, const std::function<std::unique_ptr<QCoreApplication>(int&, char**)>& makeApp);

} // namespace quillcraft::test
