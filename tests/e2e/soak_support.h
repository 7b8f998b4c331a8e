#pragma once
// Shared pieces of the soak and recovery tests: a host that counts what the link reports,
// the editing "user" with its paces, the simulator's fault figures from its frame log, the
// device's final table from its state file, and the process's thread and descriptor counts.

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "link/connection_worker.h"
#include "link/link_events.h"
#include "link/module_commands.h"
#include "link/packet.h"
#include "link/transports/net_transport.h"
#include "link/transports/serial_transport.h"
#include "model/channel_layout.h"
#include "model/parameter_table.h"
#include "sim/state_json.h"
#include "support/null_progress.h"
#include "support/wait_until.h"

namespace kv816::soak {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using testing::waitUntil;

// The indexes the program edits: the device owns 0-18 (identity, meters, status) and
// 1147-1174 (presets, host words).
inline constexpr int FIRST_EDITABLE = IDX_INPUT_FIRST;
inline constexpr int LAST_EDITABLE = IDX_CHANNELS_LAST;

// A positive number from the environment variable, else the short form's default.
inline int positiveFromEnv(const char* name, int fallback) {
  const char* text = std::getenv(name);
  const int value = text ? std::atoi(text) : 0;
  return value > 0 ? value : fallback;
}

using test::NullProgress;

// The worker's transport for a test link: the serial port `ptyPath` only, or the network
// link with every address on 127.0.0.1 and the sweep off.
inline TransportFactory testLinkFactory(int linkType, const std::string& ptyPath, uint16_t udpPort,
                                        uint16_t tcpPort) {
  if (linkType == LINK_NETWORK) {
    NetSettings net;
    net.broadcastAddress = "127.0.0.1";
    net.sweep = false;
    net.udpPort = udpPort;
    net.localUdpPort = 0;
    net.tcpPort = tcpPort;
    net.notice = [](const std::string&) {};
    return [net](const TransportContext& c) -> std::unique_ptr<Transport> {
      return std::make_unique<NetTransport>(c.link, c.modules, &c.events, net);
    };
  }
  SerialSettings serial;
  serial.preferredPorts = {ptyPath};
  serial.listSystemPorts = [] { return std::vector<std::string>{}; }; // never real ports
  return [serial](const TransportContext& c) -> std::unique_ptr<Transport> {
    return std::make_unique<SerialTransport>(c.link, &c.events, serial);
  };
}

// Counts the link's reports without storing them (a long soak posts millions).
class CountingEvents : public LinkEvents {
public:
  void post(Notify what, int) override {
    if (what == Notify::ReadDone)
      ++readsDone;
  }
  void send(Notify what, int arg) override {
    if (what != Notify::LinkStatus)
      return;
    if (arg == LINK_LOST)
      ++losses;
    else if (arg == LINK_FOUND)
      ++found;
  }
  MessageButton showMessage(MessageKind, const std::string& text, const std::string&) override {
    std::lock_guard lock(mutex_);
    messages_.push_back(text);
    return MessageButton::Ok;
  }
  ProgressView& progress() override { return progress_; }
  std::vector<std::string> messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
  }

  std::atomic<int> losses{0}; // (4, 1): lost, or an open's probe got no answer
  std::atomic<int> found{0};  // (4, 0)
  std::atomic<int> readsDone{0};

private:
  mutable std::mutex mutex_;
  std::vector<std::string> messages_;
  NullProgress progress_;
};

// The last edit of one entry.
struct EditRecord {
  int32_t value = -1; // -1: never edited
  bool linkUp = false;
  int lossesBefore = 0; // the loss count when the edit was made
};

// The user: edits random entries at a reading pace, in bursts, and by dragging one value
// faster than the device can echo it. Runs on the test's thread, as the GUI thread would.
class Editor {
public:
  Editor(ConnectionWorker& worker, CountingEvents& events, uint32_t seed)
      : worker_(worker), events_(events), random_(seed) {}

  // Edits until `until`, or until `stop` turns true.
  void run(Clock::time_point until, const std::atomic<bool>* stop = nullptr) {
    while (Clock::now() < until && !(stop && stop->load())) {
      switch (pick(0, 9)) {
      case 0:
      case 1:
        burst();
        break;
      case 2:
        drag();
        break;
      default:
        edit(pick(FIRST_EDITABLE, LAST_EDITABLE));
        std::this_thread::sleep_for(std::chrono::milliseconds(pick(20, 120)));
      }
    }
  }

  int edits() const { return edits_; }
  int editsWhileUp() const { return editsWhileUp_; }
  const std::array<EditRecord, PARAM_COUNT>& records() const { return records_; }

private:
  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

  bool linkUp() const {
    return worker_.phase() == WorkerPhase::Running &&
           worker_.link().state().connected.load(std::memory_order_relaxed);
  }

  void edit(int index) {
    const int losses = events_.losses.load();
    const bool up = linkUp();
    const auto value = static_cast<int32_t>(pick(0, 0xFFFF));
    worker_.table().setParameter(index, value);
    records_[index] = {value, up && losses == events_.losses.load(), losses};
    ++edits_;
    editsWhileUp_ += up;
  }

  // A page setting several values at once (a channel copy, a preset of bands).
  void burst() {
    const int count = pick(5, 40);
    for (int i = 0; i < count; ++i)
      edit(pick(FIRST_EDITABLE, LAST_EDITABLE));
    std::this_thread::sleep_for(100ms);
  }

  // A slider drag: one entry changed every few milliseconds.
  void drag() {
    const int index = pick(FIRST_EDITABLE, LAST_EDITABLE);
    const int steps = pick(10, 40);
    for (int i = 0; i < steps; ++i) {
      edit(index);
      std::this_thread::sleep_for(std::chrono::milliseconds(pick(2, 12)));
    }
  }

  ConnectionWorker& worker_;
  CountingEvents& events_;
  std::mt19937 random_;
  std::array<EditRecord, PARAM_COUNT> records_{};
  int edits_ = 0;
  int editsWhileUp_ = 0;
};

// Whether every read that queueModuleReads sends has been answered.
inline bool moduleReadsAnswered(const ModuleCommands& modules) {
  for (const int slot :
       {module_slot::GET_IP, module_slot::GET_WIFI_MODE, module_slot::GET_ROUTE_SSID,
        module_slot::GET_ROUTE_PW, module_slot::GET_HOT_SSID, module_slot::GET_HOT_PW})
    if (!modules.received(slot))
      return false;
  return true;
}

// True once no editable entry waits for its echo, or false after `timeout`.
inline bool waitSettled(ConnectionWorker& worker, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (Clock::now() < deadline) {
    bool pending = worker.phase() != WorkerPhase::Running;
    for (int i = FIRST_EDITABLE; i <= LAST_EDITABLE && !pending; ++i)
      pending = worker.table().mustSend(i);
    if (!pending)
      return true;
    std::this_thread::sleep_for(50ms);
  }
  return false;
}

// What the fault injector did, from the simulator's frame log: swallowed frames, and sent
// frames whose CRC no longer matches (one flipped bit always breaks it).
struct FaultFigures {
  int out = 0;
  int dropped = 0;
  int corrupted = 0;
};

inline std::vector<uint8_t> hexBytes(const std::string& hex) {
  std::vector<uint8_t> bytes;
  std::istringstream in(hex);
  std::string pair;
  while (in >> pair)
    bytes.push_back(static_cast<uint8_t>(std::stoul(pair, nullptr, 16)));
  return bytes;
}

inline FaultFigures faultFigures(const std::string& logPath) {
  FaultFigures f;
  std::ifstream in(logPath);
  std::string line;
  while (std::getline(in, line)) {
    if (line.find("\"dir\":\"dropped\"") != std::string::npos) {
      ++f.dropped;
      continue;
    }
    if (line.find("\"dir\":\"out\"") == std::string::npos)
      continue;
    ++f.out;
    const size_t at = line.find("\"hex\":\"");
    const size_t end = at == std::string::npos ? at : line.find('"', at + 7);
    if (end == std::string::npos)
      continue;
    const std::vector<uint8_t> frame = hexBytes(line.substr(at + 7, end - at - 7));
    if (frame.size() < 5)
      continue;
    const uint16_t crc = crc16(std::span(frame).first(frame.size() - 2));
    if (frame[frame.size() - 2] != (crc >> 8) || frame.back() != (crc & 0xFF))
      ++f.corrupted;
  }
  return f;
}

inline std::optional<DeviceState> readDeviceState(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  DeviceState state;
  std::string error;
  if (!stateFromJson(text.str(), state, error))
    return std::nullopt;
  return state;
}

// Editable entries whose value differs between the program's table and the device.
inline int tableMismatches(const ParameterTable& table, const DeviceState& device) {
  int n = 0;
  for (int i = FIRST_EDITABLE; i <= LAST_EDITABLE; ++i)
    n += table.wireValue(i) != device.table[static_cast<size_t>(i)];
  return n;
}

// Entries whose last edit was made while the link was up, with no loss after it, and is
// not what the device holds.
inline int lostEdits(const Editor& editor, int finalLosses, const DeviceState& device) {
  int n = 0;
  for (int i = FIRST_EDITABLE; i <= LAST_EDITABLE; ++i) {
    const EditRecord& r = editor.records()[static_cast<size_t>(i)];
    if (r.value >= 0 && r.linkUp && r.lossesBefore == finalLosses &&
        device.table[static_cast<size_t>(i)] != static_cast<uint16_t>(r.value))
      ++n;
  }
  return n;
}

inline int countEntries(const char* folder) {
  DIR* dir = ::opendir(folder);
  if (!dir)
    return -1;
  int n = 0;
  while (const dirent* e = ::readdir(dir))
    n += e->d_name[0] != '.';
  ::closedir(dir);
  return n - (std::string(folder) == "/proc/self/fd"); // the listing's own descriptor
}

struct ResourceCount {
  int threads = countEntries("/proc/self/task");
  int descriptors = countEntries("/proc/self/fd");

  bool operator==(const ResourceCount&) const = default;
};

// The count once it matches `expected`, or the last one seen after a few seconds: a joined
// thread or a closed socket can still be listed for a moment after it has gone.
inline ResourceCount settledCount(const ResourceCount& expected) {
  ResourceCount now;
  waitUntil([&] { return (now = ResourceCount{}) == expected; }, std::chrono::seconds(5));
  return now;
}

// The count before a test starts its threads. A sanitizer's runtime adds a helper thread of
// its own once the process makes its first thread; one short thread first makes it here,
// and the count waits until that thread is no longer listed.
inline ResourceCount startingCount() {
  std::atomic<pid_t> shortThread{0};
  std::thread([&] { shortThread = ::gettid(); }).join();
  const std::string entry = "/proc/self/task/" + std::to_string(shortThread.load());
  waitUntil([&] { return ::access(entry.c_str(), F_OK) != 0; }, std::chrono::seconds(5));
  return {};
}

// A loopback port nobody uses at the moment of asking.
inline uint16_t freeLoopbackPort(int type) {
  const int fd = ::socket(AF_INET, type, 0);
  sockaddr_in in{};
  in.sin_family = AF_INET;
  in.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof in;
  uint16_t port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&in), sizeof in) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&in), &size) == 0)
    port = ntohs(in.sin_port);
  ::close(fd);
  return port;
}

} // namespace kv816::soak
