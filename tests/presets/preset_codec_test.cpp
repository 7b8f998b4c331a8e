#include "presets/preset_codec.h"

#include "link/packet.h"
#include "model/parameter_table.h"

#include <gtest/gtest.h>

#include <set>

namespace kv816 {
namespace {

constexpr PresetTime SAVE_TIME{2024, 5, 17, 9, 30, 59};

std::vector<int32_t> sampleValues() {
  std::vector<int32_t> values(PARAM_COUNT);
  for (int i = 0; i < PARAM_COUNT; ++i) {
    values[i] = i * 37 - 500;
  }
  values[0] = DEVICE_ID;
  values[1] = 0x12345; // only the low 16 bits are stored
  return values;
}

std::vector<uint8_t> sampleImage(uint32_t seed = 7) {
  std::mt19937 random(seed);
  PresetHeader header;
  header.modelId = DEVICE_ID;
  header.time = SAVE_TIME;
  return buildPresetImage(header, sampleValues(), random);
}

void put32(std::vector<uint8_t>& bytes, size_t at, uint32_t v) {
  for (size_t i = 0; i < 4; ++i) {
    bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
  }
}

// The image with another data offset and value count, resized and checksummed to match.
std::vector<uint8_t> sealed(std::vector<uint8_t> plain, int32_t offset, int32_t count) {
  put32(plain, 256, static_cast<uint32_t>(offset));
  put32(plain, 266, static_cast<uint32_t>(count));
  const auto at = static_cast<size_t>(int64_t{offset} + 2 * int64_t{count});
  plain.resize(at + 4);
  put32(plain, at, crc16(std::span(plain).first(at)));
  return plain;
}

PresetResult parse(const std::vector<uint8_t>& decoded) {
  PresetHeader header;
  std::vector<int32_t> values;
  return parsePresetImage(decoded, header, values);
}

TEST(PresetCodec, EncodedFileLayout) {
  const std::vector<uint8_t> plain = sampleImage();
  ASSERT_EQ(plain.size(), PRESET_PLAIN_SIZE);
  std::mt19937 random(1);
  const std::vector<uint8_t> file = encodePresetImage(plain, random);
  ASSERT_EQ(file.size(), PRESET_FILE_SIZE);
  EXPECT_TRUE(std::equal(plain.begin(), plain.begin() + 256, file.begin()));
  const std::set<uint8_t> codes(file.begin() + 20, file.begin() + 40);
  EXPECT_EQ(codes.size(), 20u);

  const std::vector<uint8_t> decoded = decodePresetBytes(file);
  ASSERT_EQ(decoded.size(), 2867u);
  EXPECT_TRUE(std::equal(plain.begin(), plain.end(), decoded.begin()));
  // Fixed header fields, little-endian: data offset 512, count 1175, model 20015.
  EXPECT_EQ(std::vector<uint8_t>(plain.begin() + 256, plain.begin() + 260),
            (std::vector<uint8_t>{0x00, 0x02, 0x00, 0x00}));
  EXPECT_EQ(std::vector<uint8_t>(plain.begin() + 266, plain.begin() + 270),
            (std::vector<uint8_t>{0x97, 0x04, 0x00, 0x00}));
  EXPECT_EQ(std::vector<uint8_t>(plain.begin() + 276, plain.begin() + 280),
            (std::vector<uint8_t>{0x2F, 0x4E, 0x00, 0x00}));
  EXPECT_EQ(plain[2864], 0x00);
  EXPECT_EQ(plain[2865], 0x00);
}

TEST(PresetCodec, RoundTripOfTheTable) {
  std::mt19937 random(3);
  PresetHeader read;
  std::vector<int32_t> values;
  ASSERT_EQ(
      parsePresetImage(decodePresetBytes(encodePresetImage(sampleImage(), random)), read, values),
      PresetResult::Done);
  ASSERT_EQ(values.size(), static_cast<size_t>(PARAM_COUNT));
  const std::vector<int32_t> written = sampleValues();
  for (int i = 0; i < PARAM_COUNT; ++i) {
    ASSERT_EQ(values[i], written[i] & 0xFFFF) << i;
  }
  EXPECT_EQ(read.dataOffset, 512);
  EXPECT_EQ(read.valueCount, PARAM_COUNT);
  EXPECT_EQ(read.modelId, DEVICE_ID);
  EXPECT_EQ(read.passwordFlag, 0);
  EXPECT_EQ(read.time, SAVE_TIME);
}

TEST(PresetCodec, ChecksumCoversTheClearFillerBytes) {
  std::mt19937 random(5);
  std::vector<uint8_t> file = encodePresetImage(sampleImage(), random);
  file[5] ^= 0x01;
  EXPECT_EQ(parse(decodePresetBytes(file)), PresetResult::BadData);
}

TEST(PresetCodec, UnknownCodeBytesDecodeToF) {
  std::vector<uint8_t> file(262);
  for (uint8_t i = 0; i < 20; ++i) {
    file[20 + i] = static_cast<uint8_t>(0xA0 + i); // entry n is 0xA0 + n
  }
  const uint8_t pairs[] = {0xA3, 0xB0, // entry 3, entry 16: unused entries are not codes
                           0x00, 0xAC, // not in the table, entry 12
                           0xA1, 0xA2};
  std::copy(std::begin(pairs), std::end(pairs), file.begin() + 256);
  file.push_back(0xA5); // an incomplete pair is not decoded
  const std::vector<uint8_t> decoded = decodePresetBytes(file);
  ASSERT_EQ(decoded.size(), 259u);
  EXPECT_EQ(decoded[256], 0x3F);
  EXPECT_EQ(decoded[257], 0xFC);
  EXPECT_EQ(decoded[258], 0x12);
}

TEST(PresetCodec, HeaderNumbersAreCheckedAgainstTheData) {
  const std::vector<uint8_t> plain = sampleImage();
  std::vector<uint8_t> hugeOffset = plain;
  put32(hugeOffset, 256, 0x7FFFFFFF);
  std::vector<uint8_t> hugeCount = plain;
  put32(hugeCount, 266, 0x7FFFFFFF);
  std::vector<uint8_t> negativeCount = plain;
  put32(negativeCount, 266, 0xFFFFFFFF);
  std::vector<uint8_t> negativeOffset = plain;
  put32(negativeOffset, 256, 0xFFFFFFFE);
  struct Case {
    const char* name;
    std::vector<uint8_t> decoded;
    PresetResult expected;
  };
  const Case cases[] = {
      {"as written", plain, PresetResult::Done},
      {"offset 600, one value", sealed(plain, 600, 1), PresetResult::Done},
      {"no values", sealed(plain, 512, 0), PresetResult::Done},
      {"truncated", {plain.begin(), plain.begin() + 2000}, PresetResult::BadData},
      {"header cut short", {plain.begin(), plain.begin() + 300}, PresetResult::BadData},
      {"huge offset", hugeOffset, PresetResult::BadData},
      {"huge count", hugeCount, PresetResult::BadData},
      {"negative count", negativeCount, PresetResult::BadData},
      {"negative offset", negativeOffset, PresetResult::BadData},
      {"count above the table", sealed(plain, 512, PARAM_COUNT + 1), PresetResult::BadData},
      {"negative offset, valid checksum", sealed(plain, -2, 400), PresetResult::BadData},
      {"checksum cut short", {plain.begin(), plain.end() - 2}, PresetResult::BadData},
      {"empty", {}, PresetResult::BadData},
      {"200 bytes", {plain.begin(), plain.begin() + 200}, PresetResult::BadData},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(parse(c.decoded), c.expected) << c.name;
  }
}

TEST(PresetCodec, FailedParseLeavesTheOutputsAlone) {
  PresetHeader header;
  header.modelId = 99;
  std::vector<int32_t> values{1, 2, 3};
  std::vector<uint8_t> bad = sampleImage();
  bad[600] ^= 0xFF;
  EXPECT_EQ(parsePresetImage(bad, header, values), PresetResult::BadData);
  EXPECT_EQ(header.modelId, 99);
  EXPECT_EQ(values, (std::vector<int32_t>{1, 2, 3}));

  ASSERT_EQ(parsePresetImage(sealed(sampleImage(), 600, 1), header, values), PresetResult::Done);
  EXPECT_EQ(header.dataOffset, 600);
  EXPECT_EQ(values.size(), 1u);
}

} // namespace
} // namespace kv816
