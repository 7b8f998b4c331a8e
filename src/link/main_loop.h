#pragma once
// The connection worker's main loop: one cycle every ~80 ms sends a pending module command
// (not on the network link), a batch of marked writes, the read-once requests, the
// notifications of arrived values, the raised device tasks, the meter requests of the page
// on show (every 30 ms) and, every 1500 ms, the keep-alive; a cycle that took more than
// 10 s drops the link.
//
// Threads: the worker thread. The positions persist across reconnects, as the worker's own.

#include <array>
#include <cstdint>

#include "link/connection_worker.h"

namespace kv816 {

class WorkerSession;

using WorkerTasks = std::array<WorkerTask, WORKER_TASK_LAST + 1>;

class MainLoop {
public:
  MainLoop(WorkerSession& session, const WorkerTasks& tasks);

  // Runs cycles until the link is lost (missCount at missLimit or `connected` cleared) or
  // the worker is stopped.
  void run();
  // The tick of the keep-alive sent after the handshake.
  void noteKeepAlive(uint32_t tick) { lastKeepAlive_ = tick; }
  // The stall check measures from here (thread entry, then each main-loop entry).
  void notePass(uint32_t tick) { lastPass_ = tick; }

private:
  bool linkUp() const;
  void cycle();
  void modulePass();
  void writePass();
  void readPass();
  void notificationPass();
  void taskPass();
  void meterPhase();
  void keepAlive();
  void stallCheck();

  WorkerSession& s_;
  const WorkerTasks& tasks_;
  int writePosition_ = 0;
  int modulePosition_ = 0;
  uint32_t lastMeter_ = 0;
  uint32_t meterPhaseEnd_ = 0;
  uint32_t lastKeepAlive_ = 0;
  uint32_t lastPass_ = 0;
};

} // namespace kv816
