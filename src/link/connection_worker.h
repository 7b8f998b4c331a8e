#pragma once
// The connection worker: one thread that owns the device link for the whole run. It
// opens the transport the factory gives it, identifies the device, reads the whole table,
// then loops every ~80 ms: module commands, marked writes, read requests, notifications of
// arrived values, device tasks, meter polling and the keep-alive. When the device stops
// answering it reports the loss and opens the transport again.
//
// Threads: construct, start, stop and destroy on one host thread (the GUI thread or the
// command-line tool's main thread). link() and modules() give shared state that any thread
// may use as its own headers allow. The host's LinkEvents are called from the worker thread;
// send() and showMessage() block the worker until the host has handled them, so a host that
// stops the worker from its own event thread must let those calls return (or answer them)
// while it waits.

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "link/link.h"
#include "link/link_config.h"
#include "link/module_commands.h"
#include "link/stop_signal.h"
#include "link/transport_factory.h"

namespace kv816 {

class LinkEvents;
class MainLoop;
class ParameterTable;
class Transport;
class WorkerSession;

// Where the worker is; Running means the main loop runs with a device that answered.
enum class WorkerPhase : int { Stopped, Starting, Opening, Handshaking, Reading, Running, Lost };

// A device task (export 1, import 2, recall 4, name store 13), run on the worker thread in
// the task pass of a main-loop cycle after its flag was raised and cleared.
using WorkerTask = std::function<void(WorkerSession& session)>;

inline constexpr int WORKER_TASK_FIRST = 1;
inline constexpr int WORKER_TASK_LAST = 15;

struct WorkerOptions {
  // Read at thread entry (normally Settings::readLinkConfig). Empty: `config` is used.
  std::function<LinkConfig()> readConfig;
  LinkConfig config;
  // For the command-line tool: after the handshake go straight to the main loop, without
  // the start-up pause, the full read, the preset names and the settling pause. The
  // desktop program never sets it.
  bool skipFullRead = false;
  // For the desktop program: a task raised while the link is down is refused, never run
  // after the link comes back. Pending tasks are dropped when the link is lost and again
  // before the main loop of a new connection starts; a task dropped at the loss shows
  // "No device" once. The command-line tool waits out short drops instead.
  bool dropTasksWhenDown = false;
  // The clock of the worker's own link (the real one when null); must outlive the worker.
  // A worker on a host's Link uses that link's clock.
  LinkClock* clock = nullptr;
};

class ConnectionWorker {
public:
  // `table` and `events` must outlive the worker; the worker owns its Link.
  ConnectionWorker(ParameterTable& table, LinkEvents& events, TransportFactory factory,
                   WorkerOptions options = {});
  // Drives a Link the host owns (and its table); `link` and `events` must outlive the
  // worker. The worker installs its module-reply handler on the link while it exists.
  ConnectionWorker(Link& link, LinkEvents& events, TransportFactory factory,
                   WorkerOptions options = {});
  // Stops the worker and joins its thread: no thread outlives the worker.
  ~ConnectionWorker();
  ConnectionWorker(const ConnectionWorker&) = delete;
  ConnectionWorker& operator=(const ConnectionWorker&) = delete;

  // Installs the task for flag `index` (1-15). Call before start(); a flag without a task
  // only gets the common ending (progress hidden, (8, 0) posted).
  void setTask(int index, WorkerTask task);

  // Loads the table's factory defaults, clears the module slots and starts the thread.
  // Returns false when the thread could not be created (the message "创建串口发送线程失败！"
  // has then been shown) or the worker runs already.
  bool start();
  // Clears workerRun and connected, wakes every sleep and reply wait, and waits up to
  // 2000 ms for the thread to end. Returns true when it ended (the destructor joins it in
  // any case). Safe to call when not started or twice.
  bool stop();
  // The first half of stop(): asks the thread to end and returns at once. A host that must
  // keep answering the worker's calls waits for phase() Stopped, then calls stop().
  void requestStop();

  // Ends the main loop's current idle wait, so entries marked since go out in the next
  // cycle instead of after the meter phase. A host calls it after an edit; any thread.
  void wake() { stopSignal_.wake(); }

  WorkerPhase phase() const { return phase_.load(std::memory_order_relaxed); }
  // Blocks until the phase is Running, stop() was called or `timeout` passed. Host thread
  // (the command-line tool); never the GUI thread.
  bool waitUntilRunning(std::chrono::milliseconds timeout);

  Link& link() { return link_; }
  ParameterTable& table() { return table_; }
  ModuleCommands& modules() { return modules_; }
  // The page on show (written by the main window); selects the meter request.
  std::atomic<int>& meterView() { return link_.state().meterView; }

private:
  void threadMain();
  void runConnections(WorkerSession& session, MainLoop& mainLoop);
  bool readAfterHandshake(WorkerSession& session, MainLoop& mainLoop);
  void setPhase(WorkerPhase phase);
  bool dropPendingTasks();

  std::unique_ptr<Link> ownedLink_;
  Link& link_;
  ParameterTable& table_;
  LinkEvents& events_;
  TransportFactory factory_;
  WorkerOptions options_;
  ModuleCommands modules_;
  StopSignal stopSignal_;
  std::array<WorkerTask, WORKER_TASK_LAST + 1> tasks_{};

  std::atomic<WorkerPhase> phase_{WorkerPhase::Stopped};
  std::mutex phaseMutex_;
  std::condition_variable phaseChanged_;
  bool finished_ = true; // guarded by phaseMutex_
  std::thread thread_;
};

} // namespace kv816
