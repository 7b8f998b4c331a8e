#pragma once
// The device side of kv816ctl: connection options, the link configuration they make, and
// one connection worker with the preset tasks installed.
//
// Threads: everything here runs on the main thread except the jobs handed to runOnWorker,
// which run on the worker thread.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "ctl/terminal_events.h"
#include "link/connection_worker.h"
#include "link/link_config.h"
#include "link/task_outcome.h"
#include "model/parameter_table.h"
#include "presets/preset_task_inputs.h"

namespace CLI {
class App;
}

namespace kv816 {

class WorkerSession;

struct ConnectionOptions {
  std::string link;       // usb, net, serial or bt; empty: Configuration.ini
  std::string port;       // serial or Bluetooth port to use (only this one)
  int baud = 0;           // 0: Configuration.ini
  std::string netAddress; // where discovery asks; empty: Configuration.ini
  int netUdpPort = 0;
  int netTcpPort = 0;
  int netLocalUdpPort = -1; // 0: any free port
  bool demo = false;
  int timeoutSeconds = 15;
  std::string traceFile; // every frame in and out, for support; empty: none
  bool verbose = false;  // debug lines in the log, and the log on standard error
};

// Adds the connection options to the program (they apply to every device command).
void addConnectionOptions(CLI::App& app, ConnectionOptions& options);

// Configuration.ini's link settings with the command line's choices on top. An explicit
// network address turns the /24 sweep off. `error` is set for an unknown link name.
LinkConfig resolveLinkConfig(const ConnectionOptions& options, std::string& error);

// The worker task slot kv816ctl uses for its own short jobs on the worker thread.
inline constexpr int TASK_HOST_JOB = 15;

class DeviceConnection {
public:
  DeviceConnection(const ConnectionOptions& options, TerminalEvents& events);
  ~DeviceConnection();

  // Starts the worker and waits until it runs with a device; then, unless `skipFullRead`,
  // reads the device's whole table. Returns EXIT_OK, EXIT_USAGE (bad options) or EXIT_LINK
  // (no device within the time-out, or a table read that did not get every entry; a
  // message saying which has been printed).
  int open(bool skipFullRead);

  ParameterTable& table() { return table_; }
  Link& link() { return worker_->link(); }
  ConnectionWorker& worker() { return *worker_; }
  PresetTaskInputs& fileInputs() { return fileInputs_; }
  bool linkUp();

  // Raises a task whose inputs the caller has prepared and waits for its result. When the
  // link is down and stays down for the connection time-out before the task ran, the task
  // is withdrawn, a message printed and LinkDown returned. A read that failed for want of
  // entries the device never reported says how many.
  std::optional<TaskResult> runTask(int task, std::chrono::milliseconds timeout);
  // Runs `job` on the worker thread in its next task pass; false on time-out or when the
  // link is down as for runTask.
  bool runOnWorker(std::function<void(WorkerSession&)> job, std::chrono::milliseconds timeout);
  // Reads the entries from the device (read requests, repeated until every one was
  // reported); false on time-out.
  bool readEntries(const std::vector<int>& indexes, std::chrono::milliseconds timeout);

  // Asks the device for its locked presets until it has told them (within the time-out);
  // false when it did not, and the lock state in DeviceInfo is then not the device's.
  bool readLockState();

  std::chrono::milliseconds timeout() const {
    return std::chrono::seconds(options_.timeoutSeconds);
  }

private:
  void learnDevice();
  int readTable(std::chrono::milliseconds timeout);
  // Hands `job` to the worker's next task pass without waiting for it.
  void postJob(std::function<void(WorkerSession&)> job);
  void reportNotRunning(const std::string& linkName) const;
  std::optional<TaskResult> awaitOutcome(int task, std::chrono::milliseconds timeout);

  ConnectionOptions options_;
  TerminalEvents& events_;
  ParameterTable table_;
  PresetTaskInputs fileInputs_;
  TaskOutcome outcome_;
  std::mutex jobMutex_;
  std::function<void(WorkerSession&)> job_;
  std::unique_ptr<ConnectionWorker> worker_;
};

} // namespace kv816
