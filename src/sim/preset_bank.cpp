#include "sim/preset_bank.h"

#include "model/factory_defaults.h"

namespace kv816 {
namespace {

constexpr const char* FACTORY_NAMES[PRESET_COUNT] = {
    "Flat",       "Speech",     "Live Band", "Club Night", "Theatre",  "Church",
    "Conference", "Background", "Sub Boost", "Outdoor",    "Monitors", "Night Mode"};

int inputBlock(int i) {
  return 21 + 172 * i;
}
int outputBlock(int o) {
  return 716 + 54 * o;
}
int routingWord(int o) {
  return 707 + o;
}

constexpr int OFFSET_MUTE = 0;
constexpr int OFFSET_GAIN = 2;
constexpr int OFFSET_DELAY = 3;
constexpr int INPUT_PEQ0_GAIN = 132;
constexpr int OUTPUT_HPF_FREQ = 10;
constexpr int OUTPUT_PEQ0_GAIN = 15;
constexpr uint16_t HPF_80_HZ = 32768 + 800;

// Preset 1 is the factory state; the others differ in gains, delays, EQ, crossover and
// routing so that a recall visibly changes the pages.
void vary(DeviceValues& v, int p) {
  if (p == 1)
    return;
  const int k = p - 1;
  for (int i = 0; i < 4; ++i) {
    v[inputBlock(i) + OFFSET_GAIN] = static_cast<uint16_t>(360 + 5 * k - 10 * i);
    v[inputBlock(i) + INPUT_PEQ0_GAIN] = static_cast<uint16_t>(500 + 10 * k);
  }
  for (int o = 0; o < 8; ++o) {
    const int out = outputBlock(o);
    v[out + OFFSET_GAIN] = static_cast<uint16_t>(360 - 10 * k + 5 * o);
    v[out + OFFSET_DELAY] = static_cast<uint16_t>(48 * k * (o + 1));
    v[out + OUTPUT_PEQ0_GAIN] = static_cast<uint16_t>(500 - 10 * k);
    if (p % 2 == 0)
      v[out + OUTPUT_HPF_FREQ] = HPF_80_HZ;
    v[routingWord(o)] = static_cast<uint16_t>(1 + (k + o) % 15);
  }
  if (p == PRESET_COUNT)
    v[outputBlock(7) + OFFSET_MUTE] = 1;
}

} // namespace

DeviceValues PresetBank::factoryValues() {
  DeviceValues values{};
  const auto& defaults = factoryDefaults();
  for (int i = 0; i < PARAM_COUNT; ++i)
    values[i] = static_cast<uint16_t>(defaults[i]);
  return values;
}

PresetBank::PresetBank() {
  const DeviceValues base = factoryValues();
  for (int p = 1; p <= PRESET_COUNT; ++p) {
    StoredPreset& preset = presets_[p - 1];
    preset.name = FACTORY_NAMES[p - 1];
    preset.values = base;
    vary(preset.values, p);
  }
}

void PresetBank::setName(int p, std::string name) {
  if (name.size() > PRESET_NAME_BYTES)
    name.resize(PRESET_NAME_BYTES);
  preset(p).name = std::move(name);
}

void PresetBank::loadInto(int p, DeviceValues& live) const {
  const DeviceValues& stored = preset(p).values;
  for (int i = PRESET_FIRST_INDEX; i <= PRESET_LAST_INDEX; ++i)
    live[i] = stored[i];
}

} // namespace kv816
