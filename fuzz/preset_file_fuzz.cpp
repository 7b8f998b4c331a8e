// Fuzzes the preset-file reader: arbitrary file bytes are decoded and parsed as a .jib
// file. A file that parses must describe values inside the table and survive a rewrite:
// writing its header and values again and reading that back gives the same values.

#include <cstdint>
#include <cstdlib>
#include <random>
#include <span>
#include <vector>

#include "fuzz_check.h"
#include "model/parameter_table.h"
#include "presets/preset_codec.h"

namespace {

using kv816::fuzz::check;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> file(data, size);
  const std::vector<uint8_t> decoded = kv816::decodePresetBytes(file);
  check(decoded.size() == (size <= 256 ? size : 256 + (size - 256) / 2));

  kv816::PresetHeader header;
  std::vector<int32_t> values;
  if (kv816::parsePresetImage(decoded, header, values) != kv816::PresetResult::Done)
    return 0;
  check(header.valueCount >= 0 && header.valueCount <= kv816::PARAM_COUNT);
  check(values.size() == static_cast<size_t>(header.valueCount));
  for (int32_t v : values)
    check(v >= 0 && v <= 0xFFFF);

  // Written again the file holds the full table (missing values as 0) at the usual offset.
  std::mt19937 random(size);
  const std::vector<uint8_t> image = kv816::buildPresetImage(header, values, random);
  const std::vector<uint8_t> again =
      kv816::decodePresetBytes(kv816::encodePresetImage(image, random));
  kv816::PresetHeader header2;
  std::vector<int32_t> values2;
  check(kv816::parsePresetImage(again, header2, values2) == kv816::PresetResult::Done);
  check(values2.size() == static_cast<size_t>(kv816::PARAM_COUNT));
  for (size_t i = 0; i < values2.size(); ++i)
    check(values2[i] == (i < values.size() ? values[i] : 0));
  check(header2.modelId == header.modelId && header2.passwordFlag == header.passwordFlag &&
        header2.time == header.time);
  return 0;
}
