#pragma once
// The WiFi module's command slots: 17 pending text commands with the replies the module
// sent for them. The settings dialog queues commands and reads results; the connection
// worker (USB and serial links, as device command 0x57) or the network transport's
// discovery thread (UDP) sends them; the reply handler fills the slots.
//
// Slot numbers:
//   0 Get_IP        1 Get_LinkIP     2 Get_WiFiMode   3 Get_TCPPort   4 Get_UDPPort
//   5 Get_RouteSSID 6 Get_RoutePW    7 Get_HotSSID    8 Get_HotPW     9 unused
//  10 Set_WiFiMode 11 Set_RouteSSID 12 Set_RoutePW   13 Set_HotSSID  14 Set_HotPW
//  15 Set_Restore  16 Set_Restart
//
// Threads: every member may be called from any thread. The flags, values and retry counts
// are atomics; the texts are guarded by one mutex and handed out as copies.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace kv816 {

class LinkEvents;

inline constexpr int MODULE_SLOT_COUNT = 17;
// Sends through the device channel before an unanswered slot is dropped (the drop happens
// when the count reaches this value, so nine sends go out).
inline constexpr int MODULE_RETRY_LIMIT = 10;
// Longest text a slot keeps; longer replies are cut.
inline constexpr std::size_t MODULE_TEXT_MAX = 256;

namespace module_slot {
inline constexpr int GET_IP = 0;
inline constexpr int GET_LINK_IP = 1;
inline constexpr int GET_WIFI_MODE = 2;
inline constexpr int GET_TCP_PORT = 3;
inline constexpr int GET_UDP_PORT = 4;
inline constexpr int GET_ROUTE_SSID = 5;
inline constexpr int GET_ROUTE_PW = 6;
inline constexpr int GET_HOT_SSID = 7;
inline constexpr int GET_HOT_PW = 8;
inline constexpr int SET_WIFI_MODE = 10;
inline constexpr int SET_ROUTE_SSID = 11;
inline constexpr int SET_ROUTE_PW = 12;
inline constexpr int SET_HOT_SSID = 13;
inline constexpr int SET_HOT_PW = 14;
inline constexpr int SET_RESTORE = 15;
inline constexpr int SET_RESTART = 16;
} // namespace module_slot

// The module's mode value (slot 2) that means router; anything else is hotspot.
inline constexpr uint32_t MODULE_MODE_ROUTER = 2;

struct ModuleCommandSlot {
  std::atomic<bool> received{false}; // a reply arrived and has not been consumed
  std::atomic<bool> pending{false};  // the text is to be sent
  std::atomic<uint32_t> value{0};    // number from the reply (address, mode or port)
  std::atomic<int> retryCount{0};    // device-channel sends since the slot became pending
};

// What onModuleReply did with a reply.
struct ModuleReply {
  int slot = -1;      // the slot the reply was applied to; -1 when it was ignored
  uint32_t value = 0; // the parsed number for slots 0-4
};

class ModuleCommands {
public:
  ModuleCommands() = default;
  ModuleCommands(const ModuleCommands&) = delete;
  ModuleCommands& operator=(const ModuleCommands&) = delete;

  // Empties every slot (texts, flags, values, counts). Done when the worker starts.
  void clear();

  // Sets the Get texts of slots 0 and 2-8 and marks 0, 2, 5, 6, 7, 8 pending (3 and 4 get
  // their texts only).
  void queueModuleReads();
  // Sets the slot's text (cut to MODULE_TEXT_MAX) and marks it pending. Slots outside
  // 0-16 are ignored.
  void queueModuleCommand(int slot, std::string_view text);

  // The reply handler. `text` ends at its first NUL byte. The known prefix the text starts
  // with (after any spaces and line breaks) decides the slot; Get_IP, Get_LinkIP,
  // Get_WiFiMode and the port replies need more text than the prefix. A handled reply sets the
  // slot's received flag and clears pending and the retry count. The network transport adds slot
  // 0's value to its discovered list when the returned slot is 0.
  ModuleReply onModuleReply(std::string_view text);

  // Device channel, one step per worker cycle: the first pending slot at or after
  // `position` (reset to 0 when above 16). Counts one retry for it and returns its text;
  // a slot whose count reaches MODULE_RETRY_LIMIT is dropped instead (nothing returned,
  // the position stays so the next slot is found next cycle). With no pending slot the
  // position moves past the last slot.
  std::optional<std::string> nextDeviceCommand(int& position);
  // Network channel: the first pending slot at or after `position` (wrapping) with its
  // text, without a retry limit. The position stays on it until its reply clears it.
  std::optional<std::string> nextNetworkCommand(int& position);

  // Shows, through `events` with the caption "WiFi", one message per completed change:
  // router (11 and 12 both answered), hotspot (13 and 14), mode (10), restore (15),
  // restart (16). Clears the received flags it reports, before the message is shown, so
  // two callers never show one confirmation twice.
  void showModuleConfirmations(LinkEvents& events);

  // Slot access for the settings dialog; slots outside 0-16 read as empty.
  bool received(int slot) const;
  void clearReceived(int slot);
  bool pending(int slot) const;
  uint32_t value(int slot) const;
  int retryCount(int slot) const;
  std::string text(int slot) const;

  // Hexadecimal parse of a reply field: 0-9, A-F, a-f shift in their value, a space shifts
  // in 0, anything else is skipped; the low 32 bits are kept.
  static uint32_t parseHex(std::string_view field);
  // Decimal parse: digits accumulate, anything else is skipped; the low 32 bits are kept.
  static uint32_t parseDecimal(std::string_view field);

private:
  static bool valid(int slot) { return slot >= 0 && slot < MODULE_SLOT_COUNT; }
  void setText(int slot, std::string_view text);
  void markHandled(int slot);
  bool takeReceived(int slot);

  std::array<ModuleCommandSlot, MODULE_SLOT_COUNT> slots_{};
  mutable std::mutex textMutex_;
  std::array<std::string, MODULE_SLOT_COUNT> texts_{};
};

} // namespace kv816
