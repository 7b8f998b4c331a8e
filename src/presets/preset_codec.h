#pragma once
// The byte format of a preset (.jib) file.
//
// Plain image (2866 bytes, numbers little-endian): random filler with the code table at
// 20-39 (20 distinct bytes, entries 0-15 are the nibble codes), header fields at fixed
// offsets from 256, the 1175 values as 16-bit words from the data offset (512), then the
// CRC-16/MODBUS of everything before it as a 32-bit word.
// File: plain bytes 0-255 as they are, then two code bytes (high nibble, low nibble) per
// plain byte from 256 on, then two filler bytes: 5478 bytes in all.
//
// Pure functions; any thread.

#include <cstddef>
#include <cstdint>
#include <random>
#include <span>
#include <vector>

namespace kv816 {

// Result codes of the preset file operations (the numbers are shown to and kept by callers).
enum class PresetResult : int {
  Done = 0,
  Exists = 1, // a file is already there and was left untouched
  EmptyName = 2,
  CannotOpen = 4,
  CannotCreate = 5,
  BadData = 6, // checksum mismatch, or a header that does not fit the file
};

inline constexpr size_t PRESET_CLEAR_SIZE = 256;
inline constexpr size_t PRESET_PLAIN_SIZE = 2866;
inline constexpr size_t PRESET_FILE_SIZE = 5478;
inline constexpr size_t PRESET_CODE_TABLE_OFFSET = 20;
inline constexpr size_t PRESET_CODE_TABLE_SIZE = 20;
inline constexpr int32_t PRESET_DATA_OFFSET = 512;

struct PresetTime {
  int year = 0;
  int month = 0; // 1-12
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  friend bool operator==(const PresetTime&, const PresetTime&) = default;
};

struct PresetHeader {
  int32_t dataOffset = PRESET_DATA_OFFSET;
  int32_t valueCount = 0;
  int32_t modelId = 0;
  int32_t reservedA = 0;
  int32_t passwordFlag = 0; // 1: the data has a password
  int32_t reservedB = 0;
  PresetTime time;
};

// Builds the plain image. Uses the header's model id, reserved words, password flag and
// time; the data offset and count are always written as 512 and 1175. Values past the end
// of `values` are written as 0; each value's low 16 bits are stored.
std::vector<uint8_t> buildPresetImage(const PresetHeader& header, std::span<const int32_t> values,
                                      std::mt19937& random);

// Encodes a plain image (at least 256 bytes) with its own code table into file bytes.
std::vector<uint8_t> encodePresetImage(std::span<const uint8_t> plain, std::mt19937& random);

// Decodes file bytes of any length: bytes 0-255 as they are, then one byte per complete
// pair. A code byte that is not among entries 0-15 gives the nibble 0xF.
std::vector<uint8_t> decodePresetBytes(std::span<const uint8_t> file);

// Reads header and values from decoded bytes. Returns Done, or BadData when the bytes are
// too short for the header, the data offset or count is negative, the count exceeds 1175,
// the values and checksum reach past the end, or the checksum differs. `header` and
// `values` are written only on Done.
PresetResult parsePresetImage(std::span<const uint8_t> decoded, PresetHeader& header,
                              std::vector<int32_t>& values);

// The local date and time now (platform file).
PresetTime localTimeNow();

} // namespace kv816
