#include "presets/preset_codec.h"

#include "link/packet.h"
#include "model/parameter_table.h"

#include <array>

namespace kv816 {
namespace {

// Header field offsets: ten bytes apart from 256, the save time five apart from 306.
constexpr size_t AT_DATA_OFFSET = 256;
constexpr size_t AT_VALUE_COUNT = 266;
constexpr size_t AT_MODEL_ID = 276;
constexpr size_t AT_RESERVED_A = 286;
constexpr size_t AT_PASSWORD = 296;
constexpr size_t AT_RESERVED_B = 301;
constexpr size_t AT_TIME = 306;
constexpr size_t TIME_STEP = 5;
constexpr size_t HEADER_END = AT_TIME + 5 * TIME_STEP + 4;
constexpr size_t NIBBLE_CODES = 16;

void put32(std::span<uint8_t> bytes, size_t at, int32_t value) {
  const auto u = static_cast<uint32_t>(value);
  for (size_t i = 0; i < 4; ++i) {
    bytes[at + i] = static_cast<uint8_t>(u >> (8 * i));
  }
}

uint32_t get32(std::span<const uint8_t> bytes, size_t at) {
  uint32_t u = 0;
  for (size_t i = 0; i < 4; ++i) {
    u |= static_cast<uint32_t>(bytes[at + i]) << (8 * i);
  }
  return u;
}

uint8_t randomByte(std::mt19937& random) {
  return static_cast<uint8_t>(random() & 0xFF);
}

// Draws bytes until 20 distinct ones are kept.
void fillCodeTable(std::span<uint8_t> table, std::mt19937& random) {
  std::array<bool, 256> used{};
  size_t kept = 0;
  while (kept < table.size()) {
    const uint8_t b = randomByte(random);
    if (!used[b]) {
      used[b] = true;
      table[kept++] = b;
    }
  }
}

PresetTime readTime(std::span<const uint8_t> d) {
  // The reader keeps each time number in 16 bits.
  auto at = [d](size_t i) { return static_cast<int16_t>(get32(d, AT_TIME + i * TIME_STEP)); };
  return {at(0), at(1), at(2), at(3), at(4), at(5)};
}

} // namespace

std::vector<uint8_t> buildPresetImage(const PresetHeader& header, std::span<const int32_t> values,
                                      std::mt19937& random) {
  std::vector<uint8_t> plain(PRESET_PLAIN_SIZE);
  for (size_t i = 0; i < static_cast<size_t>(PRESET_DATA_OFFSET); ++i) {
    plain[i] = randomByte(random);
  }
  put32(plain, AT_DATA_OFFSET, PRESET_DATA_OFFSET);
  put32(plain, AT_VALUE_COUNT, PARAM_COUNT);
  put32(plain, AT_MODEL_ID, header.modelId);
  put32(plain, AT_RESERVED_A, header.reservedA);
  plain[AT_PASSWORD] = static_cast<uint8_t>(header.passwordFlag);
  put32(plain, AT_RESERVED_B, header.reservedB);
  const PresetTime& t = header.time;
  const int time[] = {t.year, t.month, t.day, t.hour, t.minute, t.second};
  for (size_t i = 0; i < 6; ++i) {
    put32(plain, AT_TIME + i * TIME_STEP, time[i]);
  }
  fillCodeTable(std::span(plain).subspan(PRESET_CODE_TABLE_OFFSET, PRESET_CODE_TABLE_SIZE), random);
  for (size_t i = 0; i < static_cast<size_t>(PARAM_COUNT); ++i) {
    const uint16_t v = i < values.size() ? static_cast<uint16_t>(values[i]) : 0;
    plain[PRESET_DATA_OFFSET + 2 * i] = static_cast<uint8_t>(v & 0xFF);
    plain[PRESET_DATA_OFFSET + 2 * i + 1] = static_cast<uint8_t>(v >> 8);
  }
  const size_t checksumAt = PRESET_PLAIN_SIZE - 4;
  put32(plain, checksumAt, crc16(std::span(plain).first(checksumAt)));
  return plain;
}

std::vector<uint8_t> encodePresetImage(std::span<const uint8_t> plain, std::mt19937& random) {
  const auto code = plain.subspan(PRESET_CODE_TABLE_OFFSET, NIBBLE_CODES);
  std::vector<uint8_t> file(plain.begin(), plain.begin() + PRESET_CLEAR_SIZE);
  file.reserve(PRESET_CLEAR_SIZE + 2 * (plain.size() - PRESET_CLEAR_SIZE) + 2);
  for (size_t i = PRESET_CLEAR_SIZE; i < plain.size(); ++i) {
    file.push_back(code[plain[i] >> 4]);
    file.push_back(code[plain[i] & 0x0F]);
  }
  file.push_back(randomByte(random));
  file.push_back(randomByte(random));
  return file;
}

std::vector<uint8_t> decodePresetBytes(std::span<const uint8_t> file) {
  if (file.size() <= PRESET_CLEAR_SIZE) {
    return {file.begin(), file.end()};
  }
  // First match wins, as a search from entry 0 would find it; unknown bytes give 0xF.
  std::array<uint8_t, 256> nibble;
  nibble.fill(0x0F);
  for (size_t i = NIBBLE_CODES; i-- > 0;) {
    nibble[file[PRESET_CODE_TABLE_OFFSET + i]] = static_cast<uint8_t>(i);
  }
  std::vector<uint8_t> decoded(file.begin(), file.begin() + PRESET_CLEAR_SIZE);
  decoded.reserve(PRESET_CLEAR_SIZE + (file.size() - PRESET_CLEAR_SIZE) / 2);
  for (size_t i = PRESET_CLEAR_SIZE; i + 1 < file.size(); i += 2) {
    decoded.push_back(static_cast<uint8_t>(nibble[file[i]] << 4 | nibble[file[i + 1]]));
  }
  return decoded;
}

PresetResult parsePresetImage(std::span<const uint8_t> decoded, PresetHeader& header,
                              std::vector<int32_t>& values) {
  if (decoded.size() < HEADER_END) {
    return PresetResult::BadData;
  }
  const auto offset = static_cast<int32_t>(get32(decoded, AT_DATA_OFFSET));
  const auto count = static_cast<int32_t>(get32(decoded, AT_VALUE_COUNT));
  if (offset < 0 || count < 0 || count > PARAM_COUNT) {
    return PresetResult::BadData;
  }
  const int64_t checksumAt = int64_t{offset} + 2 * int64_t{count};
  if (checksumAt + 4 > static_cast<int64_t>(decoded.size())) {
    return PresetResult::BadData;
  }
  const auto at = static_cast<size_t>(checksumAt);
  if (get32(decoded, at) != crc16(decoded.first(at))) {
    return PresetResult::BadData;
  }
  header = {offset,
            count,
            static_cast<int32_t>(get32(decoded, AT_MODEL_ID)),
            static_cast<int32_t>(get32(decoded, AT_RESERVED_A)),
            decoded[AT_PASSWORD],
            static_cast<int32_t>(get32(decoded, AT_RESERVED_B)),
            readTime(decoded)};
  values.resize(static_cast<size_t>(count));
  for (size_t i = 0; i < values.size(); ++i) {
    const size_t p = static_cast<size_t>(offset) + 2 * i;
    values[i] = decoded[p] | decoded[p + 1] << 8;
  }
  return PresetResult::Done;
}

} // namespace kv816
