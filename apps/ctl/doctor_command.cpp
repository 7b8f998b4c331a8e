#include "ctl/doctor_command.h"

#include <grp.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <pwd.h>
#include <unistd.h>

#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "ctl/ctl_context.h"
#include "ctl/exit_codes.h"
#include "link/event_log.h"
#include "link/transports/device_lock.h"
#include "link/transports/hid_transport.h"
#include "link/transports/net_address.h"
#include "link/transports/serial_port_list.h"
#include "presets/settings_folders.h"

namespace kv816 {
namespace {

namespace fs = std::filesystem;

enum class Verdict { Ok, Warn, Fail };

class Report {
public:
  void line(Verdict verdict, const std::string& check, const std::string& text) {
    static constexpr const char* NAMES[] = {"OK  ", "WARN", "FAIL"};
    char head[32];
    std::snprintf(head, sizeof head, "%s %-14s ", NAMES[static_cast<int>(verdict)], check.c_str());
    text_ += head + text + "\n";
    failed_ |= verdict == Verdict::Fail;
  }
  bool failed() const { return failed_; }
  const std::string& text() const { return text_; }

private:
  bool failed_ = false;
  std::string text_;
};

bool canReadWrite(const std::string& path) {
  return ::access(path.c_str(), R_OK | W_OK) == 0;
}

bool inGroup(const char* name) {
  const group* g = ::getgrnam(name);
  if (!g)
    return false;
  std::vector<gid_t> groups(static_cast<size_t>(::getgroups(0, nullptr)));
  const int n = ::getgroups(static_cast<int>(groups.size()), groups.data());
  for (int i = 0; i < n; ++i)
    if (groups[static_cast<size_t>(i)] == g->gr_gid)
      return true;
  return ::getgid() == g->gr_gid || ::getuid() == 0;
}

void checkSerialPorts(Report& report) {
  const std::vector<std::string> ports = systemSerialPorts();
  if (ports.empty())
    report.line(Verdict::Warn, "serial", "no serial ports on this computer (fine for USB or WiFi)");
  for (const std::string& port : ports) {
    if (canReadWrite(port))
      report.line(Verdict::Ok, "serial", port + " can be opened");
    else
      report.line(Verdict::Warn, "serial",
                  port + " permission denied" +
                      (inGroup("dialout")
                           ? std::string(" (ask the port's owner)")
                           : " (sudo usermod -aG dialout $USER, then log in again)"));
  }
}

// hidraw nodes whose device carries the processor's USB ids.
std::vector<std::string> processorHidNodes() {
  char id[40];
  std::snprintf(id, sizeof id, "HID_ID=0003:%08X:%08X", HID_VENDOR_ID, HID_PRODUCT_ID);
  std::vector<std::string> nodes;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator("/sys/class/hidraw", ec)) {
    std::ifstream uevent(entry.path() / "device/uevent");
    std::string line;
    while (std::getline(uevent, line))
      if (line == id)
        nodes.push_back("/dev/" + entry.path().filename().string());
  }
  return nodes;
}

bool udevRuleInstalled() {
  for (const char* folder : {"/etc/udev/rules.d", "/usr/lib/udev/rules.d", "/lib/udev/rules.d"}) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
      std::ifstream rule(entry.path());
      std::string line;
      while (std::getline(rule, line))
        if (line.find("4084") != std::string::npos && line.find("4357") != std::string::npos)
          return true;
    }
  }
  return false;
}

void checkUsb(Report& report) {
  const bool rule = udevRuleInstalled();
  report.line(rule ? Verdict::Ok : Verdict::Warn, "udev rule",
              rule ? "a rule for 4084:4357 is installed"
                   : "no rule for 4084:4357 (install packaging/linux/60-kv816.rules)");
  const std::vector<std::string> nodes = processorHidNodes();
  if (nodes.empty())
    report.line(Verdict::Warn, "usb", "no device 4084:4357 plugged in");
  for (const std::string& node : nodes)
    report.line(canReadWrite(node) ? Verdict::Ok : Verdict::Fail, "usb",
                node + (canReadWrite(node) ? " (4084:4357) can be opened"
                                           : " (4084:4357) permission denied: install the udev "
                                             "rule and plug the device in again"));
  const int holder = DeviceLock::holderPid(HidTransport::lockName());
  report.line(holder > 0 ? Verdict::Warn : Verdict::Ok, "usb lock",
              holder > 0 ? "held by PID " + std::to_string(holder) + " (another program drives it)"
                         : "free");
}

void checkNetwork(Report& report, CtlContext& context) {
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) {
    report.line(Verdict::Warn, "network", "interfaces cannot be listed");
    return;
  }
  for (const ifaddrs* i = list; i; i = i->ifa_next) {
    if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET)
      continue;
    const uint32_t address =
        ntohl(reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr.s_addr);
    const bool up = (i->ifa_flags & IFF_UP) != 0;
    report.line(up ? Verdict::Ok : Verdict::Warn, "network",
                std::string(i->ifa_name) + " " + formatIpv4(address) + (up ? " up" : " down"));
  }
  ::freeifaddrs(list);
  std::string error;
  const LinkConfig config = resolveLinkConfig(context.connection, error);
  std::string where = "discovery would ask " + config.netBroadcastAddress + " on UDP " +
                      std::to_string(config.netUdpPort);
  if (config.netSweep)
    where += " and sweep " +
             (config.netSweepBase.empty() ? std::string("each local") : config.netSweepBase) +
             " /24";
  const std::optional<uint32_t> address = parseIpv4(config.netBroadcastAddress);
  const bool allowed = address && destinationAllowed(*address);
  report.line(allowed ? Verdict::Ok : Verdict::Warn, "discovery",
              where + (allowed ? "" : " (refused: KV816_LOOPBACK_ONLY is set)"));
}

// The folder, or the nearest folder above it that exists, can be written.
bool writable(fs::path folder) {
  std::error_code ec;
  while (!folder.empty() && !fs::exists(folder, ec))
    folder = folder.parent_path();
  return !folder.empty() && ::access(folder.c_str(), W_OK) == 0;
}

void checkFolders(Report& report) {
  const SettingsFolders folders = SettingsFolders::forThisProgram("kv816");
  const bool preset = writable(folders.presetFolder);
  const bool fallback = writable(folders.fallbackFolder);
  report.line(preset     ? Verdict::Ok
              : fallback ? Verdict::Warn
                         : Verdict::Fail,
              "settings",
              folders.presetFolder.string() +
                  (preset     ? " writable"
                   : fallback ? " read-only; " + folders.fallbackFolder.string() + " is used"
                              : " and " + folders.fallbackFolder.string() + " read-only"));
  const bool log = writable(defaultLogFolder());
  report.line(log ? Verdict::Ok : Verdict::Warn, "log",
              logFilePath() + (log ? "" : " cannot be written"));
}

// The desktop program's lock file names its holder's PID on its first line.
void checkInstanceLock(Report& report) {
  // The toolkit's runtime folder: $XDG_RUNTIME_DIR, else one per user in the temporary folder.
  const passwd* user = ::getpwuid(::getuid());
  const std::string folders[] = {DeviceLock::defaultFolder(),
                                 "/tmp/runtime-" + std::string(user ? user->pw_name : "")};
  for (const std::string& folder : folders) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("kv816-T509-", 0) != 0 || entry.path().extension() != ".lock")
        continue;
      std::ifstream file(entry.path());
      int pid = 0;
      file >> pid;
      const bool running = pid > 0 && fs::exists("/proc/" + std::to_string(pid));
      report.line(Verdict::Ok, "instance",
                  running ? "kv816 is running as PID " + std::to_string(pid)
                          : "stale lock " + entry.path().string() + " (taken over at start)");
      return;
    }
  }
  report.line(Verdict::Ok, "instance", "kv816 is not running");
}

} // namespace

std::string doctorReport(CtlContext& context, bool& failed) {
  Report report;
  checkSerialPorts(report);
  checkUsb(report);
  checkNetwork(report, context);
  checkFolders(report);
  checkInstanceLock(report);
  failed = report.failed();
  return report.text();
}

void addDoctorCommand(CLI::App& app, CtlContext& context) {
  CLI::App* doctor = app.add_subcommand(
      "doctor", "Check ports, USB permissions, the udev rule, network and folders (sends nothing)");
  doctor->callback([&context] {
    context.run = [&context] {
      bool failed = false;
      std::fputs(doctorReport(context, failed).c_str(), stdout);
      return failed ? EXIT_LINK : EXIT_OK;
    };
  });
}

} // namespace kv816
