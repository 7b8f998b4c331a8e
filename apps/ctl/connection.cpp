#include "ctl/connection.h"

#include <CLI/CLI.hpp>

#include <map>

#include "ctl/exit_codes.h"
#include "ctl/transports.h"
#include "link/link.h"
#include "link/packet.h"
#include "link/preset_tasks.h"
#include "link/worker_session.h"
#include "presets/export_task.h"
#include "presets/import_task.h"
#include "presets/settings.h"

namespace kv816 {

namespace {
using namespace std::chrono_literals;
constexpr auto relaxed = std::memory_order_relaxed;

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
  options.skipFullRead = skipFullRead;
  if (!error.empty()) {
    std::fprintf(stderr, "kv816ctl: %s\n", error.c_str());
    return EXIT_USAGE;
  }
  const std::string name = linkName(options.config);
  worker_ = std::make_unique<ConnectionWorker>(table_, events_,
                                               makeCtlTransportFactory(options_.port), options);
  worker_->setTask(TASK_EXPORT,
                   [this](WorkerSession& s) { exportTask(s, fileInputs_, &outcome_); });
  worker_->setTask(TASK_IMPORT,
                   [this](WorkerSession& s) { importTask(s, fileInputs_, &outcome_); });
  worker_->setTask(TASK_RECALL, [this](WorkerSession& s) { recallTask(s, &outcome_); });
  worker_->setTask(TASK_STORE_NAME, [this](WorkerSession& s) { storeNameTask(s, &outcome_); });
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
  if (!worker_->start() || !worker_->waitUntilRunning(timeout())) {
    std::fprintf(stderr, "kv816ctl: no device answered on the %s link within %d s\n", name.c_str(),
                 options_.timeoutSeconds);
    return EXIT_LINK;
  }
  if (skipFullRead)
    learnDevice();
  return EXIT_OK;
}

// Without the start-up read nothing has asked for the identity (the model check of an
// import needs it) nor the running preset (its lock refuses an export).
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

bool DeviceConnection::linkUp() {
  return worker_ && worker_->phase() == WorkerPhase::Running &&
         worker_->link().state().connected.load(relaxed);
}

std::optional<TaskResult> DeviceConnection::runTask(int task, std::chrono::milliseconds timeout) {
  outcome_.begin();
  link().taskFlags().set(task, 1);
  return outcome_.waitFor(timeout);
}

bool DeviceConnection::runOnWorker(std::function<void(WorkerSession&)> job,
                                   std::chrono::milliseconds timeout) {
  outcome_.begin();
  {
    std::lock_guard lock(jobMutex_);
    job_ = [this, job = std::move(job)](WorkerSession& s) {
      job(s);
      outcome_.finish(TaskResult::Done);
    };
  }
  link().taskFlags().set(TASK_HOST_JOB, 1);
  return outcome_.waitFor(timeout).has_value();
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
