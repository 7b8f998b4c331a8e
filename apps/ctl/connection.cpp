#include "ctl/connection.h"

#include <CLI/CLI.hpp>

#include <map>

#include "ctl/exit_codes.h"
#include "ctl/transports.h"
#include "link/event_log.h"
#include "link/full_read.h"
#include "link/link.h"
#include "link/lock_state_request.h"
#include "link/packet.h"
#include "link/worker_session.h"
#include "presets/device_tasks.h"
#include "presets/settings.h"
#include "presets/trace_setting.h"

namespace kv816 {

namespace {
using namespace std::chrono_literals;
constexpr auto relaxed = std::memory_order_relaxed;
// Information requests made at most for the lock state.
constexpr int LOCK_STATE_ATTEMPTS = 8;

// kv816ctl shares the desktop program's settings section.
constexpr const char* SETTINGS_SECTION = "kv816";

const std::map<std::string, int> LINK_NAMES = {
    {"usb", LINK_USB}, {"net", LINK_NETWORK}, {"serial", LINK_SERIAL}, {"bt", LINK_BLUETOOTH}};

std::string linkName(const LinkConfig& config) {
  if (config.demoDevice)
    return "demo";
  for (const auto& [name, type] : LINK_NAMES)
    if (type == config.linkType)
      return name;
  return "serial";
}
} // namespace

void addConnectionOptions(CLI::App& app, ConnectionOptions& o) {
  app.add_option("--link", o.link, "Link to the device: usb, net, serial or bt")
      ->check(CLI::IsMember({"usb", "net", "serial", "bt"}));
  app.add_option("--port", o.port, "Serial or Bluetooth port (only this one is tried)");
  app.add_option("--baud", o.baud, "Serial baud rate")->check(CLI::PositiveNumber);
  app.add_option("--net-address", o.netAddress,
                 "Address the network discovery asks (turns the /24 sweep off)");
  app.add_option("--udp-port", o.netUdpPort, "The module's UDP port")->check(CLI::Range(1, 65535));
  app.add_option("--tcp-port", o.netTcpPort, "The module's TCP port")->check(CLI::Range(1, 65535));
  app.add_option("--local-udp-port", o.netLocalUdpPort, "UDP port bound on this computer")
      ->check(CLI::Range(0, 65535));
  app.add_flag("--demo", o.demo, "Use the simulated device inside kv816ctl");
  app.add_option("--timeout", o.timeoutSeconds, "Seconds to wait for the device")
      ->check(CLI::Range(1, 600));
  app.add_option("--trace", o.traceFile, "Record every frame to and from the device in FILE");
  app.add_flag("--verbose", o.verbose, "Log debug lines too, and show the log on standard error");
}

LinkConfig resolveLinkConfig(const ConnectionOptions& o, std::string& error) {
  LinkConfig config = Settings::forThisProgram(SETTINGS_SECTION).readLinkConfig();
  if (!o.link.empty()) {
    const auto it = LINK_NAMES.find(o.link);
    if (it == LINK_NAMES.end()) {
      error = "unknown link " + o.link;
      return config;
    }
    config.linkType = it->second;
    config.demoDevice = false;
  }
  if (!o.port.empty() && o.link.empty() && config.linkType == LINK_USB)
    config.linkType = LINK_SERIAL; // a port names a serial link
  if (o.baud > 0)
    config.baudRate = o.baud;
  if (!o.netAddress.empty()) {
    config.netBroadcastAddress = o.netAddress;
    config.netSweep = false;
  }
  if (o.netUdpPort > 0)
    config.netUdpPort = static_cast<uint16_t>(o.netUdpPort);
  if (o.netTcpPort > 0)
    config.netTcpPort = static_cast<uint16_t>(o.netTcpPort);
  if (o.netLocalUdpPort >= 0)
    config.netLocalUdpPort = static_cast<uint16_t>(o.netLocalUdpPort);
  if (o.demo)
    config.demoDevice = true;
  return config;
}

DeviceConnection::DeviceConnection(const ConnectionOptions& options, TerminalEvents& events)
    : options_(options), events_(events),
      fileInputs_(SettingsFolders::forThisProgram(SETTINGS_SECTION)) {}

DeviceConnection::~DeviceConnection() {
  if (worker_)
    worker_->stop();
}

int DeviceConnection::open(bool skipFullRead) {
  std::string error;
  WorkerOptions options;
  options.config = resolveLinkConfig(options_, error);
  // The table is read as a job in the main loop (readTable), not by the worker's start-up
  // read: no start-up pause, no preset names, and the read's result is known.
  options.skipFullRead = true;
  if (!error.empty()) {
    std::fprintf(stderr, "kv816ctl: %s\n", error.c_str());
    return EXIT_USAGE;
  }
  const std::string name = linkName(options.config);
  EventLogOptions log;
  log.verbose = options_.verbose;
  startEventLog(log);
  logInfo("kv816ctl: connecting over the " + name + " link");
  worker_ = std::make_unique<ConnectionWorker>(table_, events_,
                                               makeCtlTransportFactory(options_.port), options);
  const std::string trace = traceFileFor(Settings::forThisProgram(SETTINGS_SECTION), "kv816ctl",
                                         options_.traceFile, defaultLogFolder());
  if (!trace.empty() && !link().trace().open(trace)) {
    std::fprintf(stderr, "kv816ctl: cannot write the trace %s\n", trace.c_str());
    // Only a trace asked for on this command line stops the run.
    if (!options_.traceFile.empty())
      return EXIT_FILE;
  }
  installDeviceTasks(*worker_, fileInputs_, &outcome_);
  worker_->setTask(TASK_HOST_JOB, [this](WorkerSession& s) {
    std::function<void(WorkerSession&)> job;
    {
      std::lock_guard lock(jobMutex_);
      job = std::move(job_);
      job_ = nullptr;
    }
    if (job)
      job(s);
  });
  if (!worker_->start()) {
    std::fprintf(stderr, "kv816ctl: the link could not be started\n");
    return EXIT_LINK;
  }
  const auto deadline = std::chrono::steady_clock::now() + timeout();
  if (!worker_->waitUntilRunning(timeout())) {
    reportNotRunning(name);
    return EXIT_LINK;
  }
  if (!skipFullRead) // within the same time-out: --timeout bounds the whole command
    return readTable(std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now()));
  learnDevice();
  return EXIT_OK;
}

// Says how far the worker got: a silent link and a device that answered but did not
// identify itself call for different remedies.
void DeviceConnection::reportNotRunning(const std::string& name) const {
  const int seconds = options_.timeoutSeconds;
  switch (worker_->phase()) {
  case WorkerPhase::Handshaking:
    std::fprintf(stderr,
                 "kv816ctl: a device answered on the %s link but did not identify itself as a "
                 "KV816 within %d s\n",
                 name.c_str(), seconds);
    break;
  case WorkerPhase::Reading:
  case WorkerPhase::Lost:
    std::fprintf(stderr,
                 "kv816ctl: the device answered on the %s link but stopped answering within %d s\n",
                 name.c_str(), seconds);
    break;
  default:
    if (const LinkFailure failure = worker_->link().lastFailure().get())
      std::fprintf(stderr, "kv816ctl: no device answered on the %s link within %d s: %s\n",
                   name.c_str(), seconds, describeLinkFailure(failure).c_str());
    else
      std::fprintf(stderr, "kv816ctl: no device answered on the %s link within %d s\n",
                   name.c_str(), seconds);
    break;
  }
}

// The whole table, read on the worker thread; only a read that got every entry counts.
int DeviceConnection::readTable(std::chrono::milliseconds timeout) {
  auto result = std::make_shared<std::atomic<FullReadResult>>(FullReadResult::Failed);
  // A lossy link may need longer than the time-out for the whole table: the read goes on
  // while entries keep arriving, and gives up after a whole time-out without one.
  int received = table_.countRefreshed();
  postJob([result](WorkerSession& s) { result->store(fullRead(s)); });
  std::optional<TaskResult> done;
  while (!(done = awaitOutcome(TASK_HOST_JOB, timeout))) {
    const int now = table_.countRefreshed();
    if (now <= received) {
      std::fprintf(stderr,
                   "kv816ctl: the device answered but reading its table did not finish within "
                   "%d s\n",
                   options_.timeoutSeconds);
      return EXIT_LINK;
    }
    received = now;
    timeout = this->timeout();
  }
  if (done == TaskResult::LinkDown)
    return EXIT_LINK; // awaitOutcome has said so
  switch (result->load()) {
  case FullReadResult::Complete:
    return EXIT_OK;
  case FullReadResult::Incomplete:
    std::fprintf(stderr, "kv816ctl: the device did not report %d of its %d entries\n",
                 link().state().readMissing.load(relaxed), PARAM_COUNT);
    return EXIT_LINK;
  case FullReadResult::Locked:
    std::fprintf(stderr, "kv816ctl: the device's current preset is locked; its table was not "
                         "read\n");
    return EXIT_LINK;
  default:
    std::fprintf(stderr, "kv816ctl: the link was lost while reading the device's table\n");
    return EXIT_LINK;
  }
}

// Without the start-up read nothing has asked for the running preset (its lock refuses
// an export); the handshake has asked for the identity.
void DeviceConnection::learnDevice() {
  runOnWorker(
      [](WorkerSession& s) {
        const uint8_t infoRequest[] = {0x00};
        s.request(cmd::INFO, infoRequest, s.state().ackWait.load(relaxed) + 300);
        s.sleepFor(50ms); // the lock form follows the identity
      },
      timeout());
  readEntries({IDX_CURRENT_PRESET}, 2s);
}

bool DeviceConnection::readLockState() {
  auto known = std::make_shared<std::atomic<bool>>(false);
  const bool ran = runOnWorker(
      [known](WorkerSession& s) { known->store(requestLockState(s, LOCK_STATE_ATTEMPTS)); },
      timeout());
  return ran && known->load();
}

bool DeviceConnection::linkUp() {
  return worker_ && worker_->phase() == WorkerPhase::Running &&
         worker_->link().state().connected.load(relaxed);
}

std::optional<TaskResult> DeviceConnection::runTask(int task, std::chrono::milliseconds timeout) {
  outcome_.begin();
  link().taskFlags().set(task, 1);
  const std::optional<TaskResult> result = awaitOutcome(task, timeout);
  const int missing = link().state().readMissing.load(relaxed);
  if (result == TaskResult::ReadFailed && missing > 0)
    std::fprintf(stderr, "kv816ctl: the device did not report %d of its %d entries\n", missing,
                 PARAM_COUNT);
  return result;
}

// Waits for the task's outcome. A task only runs while the worker's main loop does; when
// the link stays down for the connection time-out with the task still waiting, it never
// will, so it is withdrawn instead of waiting out `timeout`.
std::optional<TaskResult> DeviceConnection::awaitOutcome(int task,
                                                         std::chrono::milliseconds timeout) {
  using Clock = std::chrono::steady_clock;
  constexpr auto SLICE = 100ms;
  const auto end = Clock::now() + timeout;
  auto lastUp = Clock::now();
  TaskFlags& flags = link().taskFlags();
  while (Clock::now() < end) {
    if (const std::optional<TaskResult> result = outcome_.waitFor(SLICE))
      return result;
    if (linkUp() || !flags.pending(task)) {
      lastUp = Clock::now();
      continue;
    }
    if (Clock::now() - lastUp >= this->timeout()) {
      flags.clear(task);
      std::fprintf(stderr,
                   "kv816ctl: the link to the device was lost and did not come back within %d s; "
                   "nothing was done\n",
                   options_.timeoutSeconds);
      return TaskResult::LinkDown;
    }
  }
  return outcome_.waitFor(0ms);
}

void DeviceConnection::postJob(std::function<void(WorkerSession&)> job) {
  outcome_.begin();
  {
    std::lock_guard lock(jobMutex_);
    job_ = [this, job = std::move(job)](WorkerSession& s) {
      job(s);
      outcome_.finish(TaskResult::Done);
    };
  }
  link().taskFlags().set(TASK_HOST_JOB, 1);
}

bool DeviceConnection::runOnWorker(std::function<void(WorkerSession&)> job,
                                   std::chrono::milliseconds timeout) {
  postJob(std::move(job));
  return awaitOutcome(TASK_HOST_JOB, timeout) == TaskResult::Done;
}

bool DeviceConnection::readEntries(const std::vector<int>& indexes,
                                   std::chrono::milliseconds timeout) {
  events_.clearChanged();
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  // The read pass asks once per mark; a lost reply is asked for again.
  while (std::chrono::steady_clock::now() < deadline) {
    for (int index : indexes)
      table_.record(index).mustRead.store(1, relaxed);
    if (events_.waitChanged(indexes, 500ms))
      return true;
    if (!linkUp())
      return false;
  }
  return false;
}

} // namespace kv816
