#include "sim/frame_parser.h"

#include <gtest/gtest.h>

#include "sim_test_util.h"

namespace kv816 {
namespace {

using testing::hex;

TEST(FrameParser, FindsFramesAcrossChunksAndSkipsGarbage) {
  FrameParser parser;
  // Garbage, a frame with a broken CRC, then a read of index 0 split over two chunks.
  EXPECT_TRUE(parser.feed(hex("11 22 80 05 06 00 00 13 C4 80 05 06")).empty());
  const auto frames = parser.feed(hex("00 00 13 C5"));
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].command, 0x06);
  EXPECT_EQ(frames[0].payload, hex("00 00"));
  EXPECT_EQ(parser.buffered(), 0u);
}

TEST(FrameParser, TwoFramesInOneChunkComeOutInOrder) {
  FrameParser parser;
  auto bytes = buildFrame(0x04, hex("01"));
  const auto second = buildFrame(0x01, hex("02"));
  bytes.insert(bytes.end(), second.begin(), second.end());
  const auto frames = parser.feed(bytes);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].command, 0x04);
  EXPECT_EQ(frames[1].command, 0x01);
}

TEST(FrameParser, StrayStartByteDoesNotHideALaterFrame) {
  FrameParser parser;
  // 0x80 with a huge length cannot complete yet; the valid frame behind it still counts.
  auto bytes = hex("80 F0 00");
  const auto valid = buildFrame(0x06, hex("00 00"));
  bytes.insert(bytes.end(), valid.begin(), valid.end());
  EXPECT_EQ(parser.feed(bytes).size(), 1u);
}

TEST(FrameParser, LongFramesWithLengthByte255AreFoundByTheirCrc) {
  for (size_t n : {250u, 251u, 300u}) {
    FrameParser parser;
    const std::vector<uint8_t> payload(n, 0x41);
    const auto bytes = buildFrame(0x57, payload);
    ASSERT_EQ(bytes[1], 255);
    const auto head = std::span(bytes).first(100);
    EXPECT_TRUE(parser.feed(head).empty());
    const auto frames = parser.feed(std::span(bytes).subspan(100));
    ASSERT_EQ(frames.size(), 1u) << n;
    EXPECT_EQ(frames[0].payload.size(), n);
  }
}

TEST(FrameParser, EndlessGarbageStaysBounded) {
  FrameParser parser;
  const std::vector<uint8_t> noise(4096, 0x80);
  for (int i = 0; i < 8; ++i)
    parser.feed(noise);
  EXPECT_LE(parser.buffered(), FrameParser::BUFFER_CAP);
}

} // namespace
} // namespace kv816
