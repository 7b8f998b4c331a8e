#pragma once
// The twelve presets the device stores: a name of up to 20 bytes and the channel state
// (indexes 19..1146: input and output headers, channel blocks and routing). The global
// entries (identity, meters, preset words) belong to the device, not to a preset.
//
// Not thread-safe: the SimulatedDevice calls it under its own lock.

#include <array>
#include <cstdint>
#include <string>

#include "model/parameter_table.h"

namespace kv816 {

inline constexpr int PRESET_COUNT = 12;
inline constexpr int PRESET_NAME_BYTES = 20;
inline constexpr int PRESET_FIRST_INDEX = 19;
inline constexpr int PRESET_LAST_INDEX = 1146;

using DeviceValues = std::array<uint16_t, PARAM_COUNT>;

struct StoredPreset {
  std::string name; // raw name bytes as stored, at most PRESET_NAME_BYTES
  DeviceValues values{};
};

class PresetBank {
public:
  // Twelve distinct factory presets built on the factory-default table.
  PresetBank();

  static constexpr bool isValidNumber(int p) { return p >= 1 && p <= PRESET_COUNT; }
  static constexpr bool isPresetIndex(int index) {
    return index >= PRESET_FIRST_INDEX && index <= PRESET_LAST_INDEX;
  }

  // p is 1..12; callers check isValidNumber first.
  StoredPreset& preset(int p) { return presets_[p - 1]; }
  const StoredPreset& preset(int p) const { return presets_[p - 1]; }

  // Stores a name: at most the first 20 bytes are kept, as they came.
  void setName(int p, std::string name);

  // Copies the preset's channel state into a live table.
  void loadInto(int p, DeviceValues& live) const;

  static DeviceValues factoryValues();

private:
  std::array<StoredPreset, PRESET_COUNT> presets_;
};

} // namespace kv816
