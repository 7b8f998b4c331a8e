// Fuzzes the preset-file reader: arbitrary file bytes are decoded and parsed as a .jib
// file. A file that parses must describe values inside the table and survive a rewrite:
// writing its header and values again and reading that back gives the same values.
// When bit 0 of the first (filler) byte is set, the decoded image gets a correct checksum
// where its header says, so that mutated headers reach the reading of the values.

#include <cstdint>
#include <cstdlib>
#include <random>
#include <span>
#include <vector>

#include "fuzz_check.h"
#include "link/packet.h"
#include "model/parameter_table.h"
#include "presets/preset_codec.h"

namespace {

using kv816::fuzz::check;

int32_t get32(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 |
                              static_cast<uint32_t>(b[at + 3]) << 24);
}

void fixChecksum(std::vector<uint8_t>& decoded) {
  constexpr size_t AT_DATA_OFFSET = 256;
  constexpr size_t AT_VALUE_COUNT = 266;
  if (decoded.size() < AT_VALUE_COUNT + 4)
    return;
  const int64_t at =
      int64_t{get32(decoded, AT_DATA_OFFSET)} + 2 * int64_t{get32(decoded, AT_VALUE_COUNT)};
  if (at < 0 || at + 4 > static_cast<int64_t>(decoded.size()))
    return;
  const auto where = static_cast<size_t>(at);
  const uint16_t crc = kv816::crc16(std::span(decoded).first(where));
  decoded[where] = static_cast<uint8_t>(crc & 0xFF);
  decoded[where + 1] = static_cast<uint8_t>(crc >> 8);
  decoded[where + 2] = 0;
  decoded[where + 3] = 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> file(data, size);
  std::vector<uint8_t> decoded = kv816::decodePresetBytes(file);
  check(decoded.size() == (size <= 256 ? size : 256 + (size - 256) / 2));
  if (size > 0 && (data[0] & 1))
    fixChecksum(decoded);

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
