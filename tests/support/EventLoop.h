#pragma once

#include <functional>

namespace corvallen::test {

// Runs the event loop until `condition` holds; false when it still does not after `limitMs`
// (a safety net against a hanging test, not a speed requirement).
bool waitUntil(const std::function<bool()>& condition, int limitMs = 20000);

// Lets queued events (deferred notifications, zero-delay timers) run.
void processEvents();

}  // namespace corvallen::test
