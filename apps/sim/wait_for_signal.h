#pragma once
// Clean exit on SIGINT and SIGTERM: block both before any thread starts (threads inherit
// the mask), then wait for one on the main thread.

namespace kv816 {

void blockTerminationSignals();
// Returns the signal that arrived.
int waitForTerminationSignal();

} // namespace kv816
