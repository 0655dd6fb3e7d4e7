#pragma once

#include <functional>

namespace db {

// The Firebird client catches SIGINT and SIGTERM itself: it closes every
// connection of the process and then leaves the process running. This lets
// the program end itself when that happens. The function is called on the
// client's own shutdown thread, once; it should only ask the program to end
// (for instance with a queued call to the main thread).
void onSignalShutdown(std::function<void()> callback);

} // namespace db
