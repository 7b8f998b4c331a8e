#pragma once
// What the connection worker's steps and the device tasks it runs share: the link, the
// host's events, the progress window, the transport's open test, and sleeps and reply
// waits that a stop request cuts short.
//
// Threads: the worker thread only (the tasks run there too). The objects it hands out
// document their own rules.

#include <chrono>
#include <cstdint>
#include <span>

#include "link/progress_reporter.h"

namespace kv816 {

class Link;
class LinkEvents;
class ModuleCommands;
class ParameterTable;
class StopSignal;
struct LinkState;

class WorkerSession {
public:
  WorkerSession(Link& link, LinkEvents& events, ModuleCommands& modules, StopSignal& stop);
  WorkerSession(const WorkerSession&) = delete;
  WorkerSession& operator=(const WorkerSession&) = delete;

  Link& link() { return link_; }
  ParameterTable& table();
  LinkState& state();
  LinkEvents& events() { return events_; }
  ModuleCommands& modules() { return modules_; }
  ProgressReporter& progress() { return progress_; }

  // True while the worker is to go on: workerRun is set and no stop was requested.
  bool running() const;
  // Sleeps; false (early) when a stop was requested.
  bool sleepFor(std::chrono::milliseconds duration);
  // Sleeps; false (early) when a stop was requested or the host woke the worker.
  bool sleepUntilWoken(std::chrono::milliseconds duration);
  // The transport's open test; false without a transport.
  bool transportOpen() const;
  // The millisecond tick of the link (wraps; compare differences).
  uint32_t now() const;

  // Sends without waiting.
  void send(uint8_t command, std::span<const uint8_t> payload = {});
  // Sets waitingForReply, sends, waits up to `timeoutMs` for a reply while the transport
  // is open (a closed transport skips the wait and counts as answered), clears
  // waitingForReply. A stop request ends the wait at once. Returns false on time-out.
  bool request(uint8_t command, std::span<const uint8_t> payload, uint32_t timeoutMs);
  // After a timed-out wait in the main loop: when the transport has closed, hides the
  // progress window and clears `connected` so the cycle ends in a reconnect.
  void dropIfClosed();

  // Where the next write batch starts (the import task resets it to 0).
  int writeBatchPosition = 0;

private:
  Link& link_;
  LinkEvents& events_;
  ModuleCommands& modules_;
  StopSignal& stop_;
  ProgressReporter progress_;
};

} // namespace kv816
