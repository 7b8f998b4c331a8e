#pragma once
// The simulated processor: takes the frames the program sends and produces the frames the
// device sends back. It holds the whole parameter table (identity at index 0, meters at
// 3..8 that move on every read, the running preset at 1165), twelve stored presets with
// names, and the WiFi module; it misbehaves on demand through its FaultInjector.
//
// Threads: every public function may be called from any thread; one mutex guards the
// whole device, so an endpoint thread may drive it while another takes a state() copy.
// The frame observer runs under that mutex and must not call back into the device.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sim/fault_injector.h"
#include "sim/frame_parser.h"
#include "sim/meter_animator.h"
#include "sim/preset_bank.h"
#include "sim/trace_replay.h"
#include "sim/wifi_module.h"

namespace kv816 {

struct SimConfig {
  int identity = DEVICE_ID;       // reported in the information reply and at index 0
  bool lockCurrentPreset = false; // lock the preset running at start
  // Answer the information request in the lock form only: such a device is known by its
  // index 0 alone.
  bool infoLockOnly = false;
  FaultConfig faults;
  uint32_t seed = 1; // seeds the faults and the meters
  // Answer as this recorded trace did instead of as the simulated processor.
  std::shared_ptr<TraceReplay> replay;
};

// A copy of everything the device keeps.
struct DeviceState {
  DeviceValues table{};
  std::array<StoredPreset, PRESET_COUNT> presets;
  int currentPreset = 1;
  uint32_t lockMask = 0;
  ModuleSettings module;
};

enum class FrameDirection { In, Out, Dropped };
using FrameObserver = std::function<void(FrameDirection, std::span<const uint8_t>)>;

class SimulatedDevice {
public:
  // Items per value report in a bulk dump.
  static constexpr int DUMP_ITEMS_PER_REPORT = 25;
  // Most items in one reply frame: keeps the payload under the long-frame length.
  static constexpr int MAX_ITEMS_PER_REPLY = 62;

  explicit SimulatedDevice(SimConfig config = {});

  // Bytes from the program on the device's one built-in stream (in-process and HID
  // users). Returns the frames to send back, in order, each with its fault delay.
  std::vector<OutgoingFrame> receive(std::span<const uint8_t> bytes);
  // One parsed frame, for endpoints that run their own FrameParser per connection.
  std::vector<OutgoingFrame> handleFrame(const Frame& frame);

  // A module text that arrived over UDP: the reply text, or nothing. No faults apply.
  std::optional<std::string> moduleDatagram(std::string_view text);
  // The TCP endpoint reports the linked computer (0 when none) and the module's address.
  void setLinkAddress(uint32_t address);
  void setModuleAddress(uint32_t address);

  DeviceState state() const;
  void loadState(const DeviceState& state);
  uint16_t value(int index) const;
  void setFrameObserver(FrameObserver observer);
  // A pulled cable: while set, frames from the program are lost and nothing answers.
  void setUnplugged(bool unplugged);

private:
  using Out = std::vector<OutgoingFrame>;
  void emitFrame(Out& out, uint8_t command, std::span<const uint8_t> payload);
  void emitItems(Out& out, uint8_t command, const std::vector<uint8_t>& items, int perFrame);
  void dispatch(Out& out, const Frame& frame);
  void onInfo(Out& out);
  void emitLocks(Out& out);
  void onRead(Out& out, std::span<const uint8_t> payload);
  void onWrite(Out& out, std::span<const uint8_t> payload);
  void onBulkDump(Out& out);
  void onName(Out& out, std::span<const uint8_t> payload);
  void onRecall(Out& out, std::span<const uint8_t> payload);
  void onStoreName(Out& out, std::span<const uint8_t> payload);
  void onModuleText(Out& out, std::span<const uint8_t> payload);
  bool storeValue(int index, uint16_t value); // true when the write asks for a recall
  void recall(int p);
  void refreshMeters();

  mutable std::mutex mutex_;
  SimConfig config_;
  DeviceValues table_{};
  PresetBank presets_;
  int currentPreset_ = 1;
  uint32_t lockMask_ = 0;
  WifiModule module_;
  FaultInjector faults_;
  MeterAnimator meters_;
  FrameParser parser_;
  FrameObserver observer_;
  bool unplugged_ = false;
};

} // namespace kv816
