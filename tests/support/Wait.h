#pragma once

#include <functional>

namespace quillcraft::test {

// Spins the event loop until the condition holds or the time runs out; returns
// whether it held. For tests only: production code never waits like this.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

// Spins the event loop for the given time.
void spin(int ms);

} // namespace quillcraft::test
