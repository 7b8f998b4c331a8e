#pragma once
// The program's log file: link events, failures with their reasons, and device tasks, in a
// rotating, size-capped file in the XDG state folder. Until startEventLog() runs, every
// call is a no-op, so tests and tools log nothing unless they ask.
//
// Threads: any; the calls are safe from the worker, receive threads and the host.

#include <cstddef>
#include <string>

namespace kv816 {

struct EventLogOptions {
  std::string folder;        // empty: defaultLogFolder()
  bool verbose = false;      // debug lines too, and every line on standard error
  size_t maxBytes = 1 << 20; // per file
  size_t files = 3;          // kv816.log and kv816.1.log, kv816.2.log
};

// $XDG_STATE_HOME/kv816, else ~/.local/state/kv816.
std::string defaultLogFolder();
// The log file's path in `folder` (empty: defaultLogFolder()).
std::string logFilePath(const std::string& folder = {});
// Opens the log (creating its folder); false when the file cannot be written.
bool startEventLog(const EventLogOptions& options);
void stopEventLog();

void logInfo(const std::string& text);
void logWarning(const std::string& text);
void logDebug(const std::string& text);

} // namespace kv816
