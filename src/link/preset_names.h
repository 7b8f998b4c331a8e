#pragma once
// The names of the device's twelve presets, the one name being edited or stored
// (nameBuffer) and a received mark per slot. Slot s holds preset s + 1.
//
// Threads: the receive side stores name replies; the GUI and the worker read names and
// edit the buffer. Every character is its own atomic word: a reader may see a name half
// replaced, as the protocol tolerates.

#include <array>
#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kv816 {

inline constexpr int PRESET_SLOTS = 12;
inline constexpr int NAME_LENGTH = 25;

class PresetNames {
public:
  // Name of slot 0..11 up to its first NUL; empty for other slots.
  std::u16string name(int slot) const;
  // Stores up to NAME_LENGTH characters, padding with NUL. Other slots are ignored.
  void setName(int slot, std::u16string_view text);
  bool received(int slot) const;
  void setReceived(int slot, bool received);
  void clearReceived();

  // The edit buffer, up to its first NUL.
  std::u16string buffer() const;
  void setBuffer(std::u16string_view text);
  char16_t bufferChar(int i) const;

  // Receive side, a name reply [p, c1, c2, ...] (p = preset 1..12; higher values wrap onto
  // slot (p - 1) mod 12). Fills the buffer with up to 25 bytes as characters, trims its
  // tail (never the first two characters), copies it to the slot and marks it received.
  // p = 0 stores nothing and returns false.
  bool storeReply(uint8_t preset, std::span<const uint8_t> nameBytes);

private:
  using Name = std::array<std::atomic<char16_t>, NAME_LENGTH>;
  static std::u16string read(const Name& n);
  static void write(Name& n, std::u16string_view text);

  std::array<Name, PRESET_SLOTS> table_{};
  Name buffer_{};
  std::array<std::atomic<int>, PRESET_SLOTS> received_{};
};

} // namespace kv816
