#pragma once
// What the program does with each valid packet the device sends: updates the parameter
// table, the device information, the preset names and the task flags, and hands
// network-module text to the module-reply handler.
//
// Called on the receive thread only (from Link::onBytesReceived).
// Items of commands 0x03 and 0x06 are four bytes [index high, index low, value high, value
// low]; a final partial item is ignored, so nothing outside the packet is ever read.

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

namespace kv816 {

class ParameterTable;
struct DeviceInfo;
class PresetNames;
class TaskFlags;

class PacketDispatcher {
public:
  using ModuleReply = std::function<void(std::string_view text)>;

  PacketDispatcher(ParameterTable& table, DeviceInfo& info, PresetNames& names, TaskFlags& flags,
                   ModuleReply moduleReply);

  // Applies one packet. Returns true when the packet is a reply that releases a waiting
  // sender (0x00, 0x01, 0x03, 0x04, 0x06, 0x10, 0x57); false for any other command.
  bool dispatch(uint8_t command, std::span<const uint8_t> payload);

private:
  void onInfo(std::span<const uint8_t> p);
  void onEcho(std::span<const uint8_t> p);
  void onName(std::span<const uint8_t> p);
  void onValues(std::span<const uint8_t> p);

  ParameterTable& table_;
  DeviceInfo& info_;
  PresetNames& names_;
  TaskFlags& flags_;
  ModuleReply moduleReply_;
};

} // namespace kv816
