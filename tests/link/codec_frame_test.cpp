// Frame building and the send path: what goes on the wire.
#include <gtest/gtest.h>

#include "codec_fixture.h"

namespace kv816::test {
namespace {

TEST(Crc16, MatchesTheModbusCheckValue) {
  const std::string digits = "123456789";
  EXPECT_EQ(crc16({reinterpret_cast<const uint8_t*>(digits.data()), digits.size()}), 0x4B37);
}

struct FrameCase {
  const char* name;
  uint8_t command;
  const char* payload;
  const char* wire;
};

class FrameTest : public ::testing::TestWithParam<FrameCase> {};

TEST_P(FrameTest, SendPacketWritesTheFrame) {
  LinkFixture f;
  f.link.state().lastRxTick = f.link.now(); // a live device: no silence accounting
  f.link.sendPacket(GetParam().command, hex(GetParam().payload));
  ASSERT_EQ(f.transport.frames.size(), 1u);
  EXPECT_EQ(toHex(f.transport.frames[0]), GetParam().wire);
}

INSTANTIATE_TEST_SUITE_P(
    Codec, FrameTest,
    ::testing::Values(FrameCase{"ReadIndex0", cmd::READ, "00 00", "80 05 06 00 00 13 C5"},
                      FrameCase{"KeepAlive", cmd::WRITE, "04 8F 00 01",
                                "80 07 03 04 8F 00 01 64 2E"},
                      FrameCase{"InfoRequest", cmd::INFO, "00", "80 04 00 00 25 68"},
                      FrameCase{"IdlePoll", cmd::READ, "", "80 03 06 DA F0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Frame, LongPayloadUsesLength255AndCoversAllButTheCrc) {
  LinkFixture f;
  f.link.state().lastRxTick = f.link.now();
  const std::vector<uint8_t> payload(250, 0x5A);
  f.link.sendPacket(cmd::MODULE_TEXT, payload);
  ASSERT_EQ(f.transport.frames.size(), 1u);
  const auto& out = f.transport.frames[0];
  ASSERT_EQ(out.size(), 255u);
  EXPECT_EQ(out[1], 0xFF);
  const uint16_t crc = crc16(std::span(out).first(253));
  EXPECT_EQ(out[253], crc >> 8);
  EXPECT_EQ(out[254], crc & 0xFF);
}

TEST(Frame, NoTransportDropsTheFrameQuietly) {
  ParameterTable table;
  ManualClock clock{std::chrono::milliseconds(0)};
  Link link(table, clock);
  link.sendPacket(cmd::READ, hex("00 00")); // must not crash
  EXPECT_EQ(link.transport(), nullptr);
}

} // namespace
} // namespace kv816::test
