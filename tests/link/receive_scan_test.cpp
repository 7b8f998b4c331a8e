// The receive side: how chunks of bytes become dispatched packets.
#include <gtest/gtest.h>

#include "codec_fixture.h"
#include "link/frame_scanner.h"

namespace kv816::test {
namespace {

// Value report of index 0 = 20015 and the keep-alive echo.
const std::string REPORT_ID = "80 07 06 00 00 4E 2F 03 67";
const std::string ECHO_ALIVE = "80 07 03 04 8F 00 01 64 2E";

struct Seen {
  uint8_t command;
  std::string payload;
  bool operator==(const Seen&) const = default;
};

struct ScanCase {
  const char* name;
  std::string bytes;
  std::vector<Seen> packets;
  size_t consumed;
  size_t resume;
};

class ScanTest : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ScanTest, FindsThePacketsAndTheConsumedMark) {
  const auto bytes = hex(GetParam().bytes);
  std::vector<Seen> seen;
  const ScanResult r = scanFrames(bytes, [&](uint8_t c, std::span<const uint8_t> p) {
    seen.push_back({c, toHex({p.begin(), p.end()})});
  });
  EXPECT_EQ(seen, GetParam().packets);
  EXPECT_EQ(r.consumed, GetParam().consumed);
  EXPECT_EQ(r.resume, GetParam().resume);
}

INSTANTIATE_TEST_SUITE_P(
    Codec, ScanTest,
    ::testing::Values(
        ScanCase{"OnePacket", REPORT_ID, {{0x06, "00 00 4E 2F"}}, 7, 9},
        ScanCase{"TwoPacketsInOrder",
                 REPORT_ID + " " + ECHO_ALIVE,
                 {{0x06, "00 00 4E 2F"}, {0x03, "04 8F 00 01"}},
                 9 + 7,
                 18},
        // Garbage (0x80s included) before the packet goes with it.
        ScanCase{
            "LeadingGarbage", "11 80 22 80 05 33 " + REPORT_ID, {{0x06, "00 00 4E 2F"}}, 6 + 7, 15},
        ScanCase{"NoStartByte", "01 02 03 04 05 06 07", {}, 0, 7},
        ScanCase{"BadCrcOnly", "80 07 06 00 00 4E 2F 03 68", {}, 0, 9},
        // The CRC bytes have not arrived: not a packet yet, whatever they will be.
        ScanCase{"CrcMissing", "80 07 06 00 00 4E 2F", {}, 0, 0},
        ScanCase{"CrcHalfThere", "80 07 06 00 00 4E 2F 03", {}, 0, 0},
        // A length below 3 has no command byte; CRC-16 of 80 02 is B1 E1.
        ScanCase{"LengthTwoIsNoPacket", "80 02 B1 E1 00 00", {}, 0, 6},
        ScanCase{"PartialAfterPacket", REPORT_ID + " 80 07 06", {{0x06, "00 00 4E 2F"}}, 7, 9},
        ScanCase{"EmptyPayload", "80 03 02 19 F1", {{0x02, ""}}, 3, 5}),
    [](const auto& info) { return std::string(info.param.name); });

// Chunked arrival through the link: every packet is dispatched exactly once, whatever the
// cut, and what is left over stays in the buffer.
struct ChunkCase {
  const char* name;
  std::vector<std::string> chunks;
  std::vector<int> dispatchedAfter; // index-0 reports seen after each chunk
  size_t leftOver;
};

class ChunkTest : public ::testing::TestWithParam<ChunkCase> {};

TEST_P(ChunkTest, DispatchesWhenThePacketIsWhole) {
  LinkFixture f;
  int reports = 0;
  for (size_t i = 0; i < GetParam().chunks.size(); ++i) {
    f.receive(hex(GetParam().chunks[i]));
    if (f.table.takeRefresh(0))
      ++reports;
    EXPECT_EQ(reports, GetParam().dispatchedAfter[i]) << "after chunk " << i;
  }
  EXPECT_EQ(f.link.receiveBuffer().size(), GetParam().leftOver);
  EXPECT_EQ(f.table.value(0), 20015);
}

INSTANTIATE_TEST_SUITE_P(
    Codec, ChunkTest,
    ::testing::Values(
        ChunkCase{"SplitInTheMiddle", {"80 07 06 00", "00 4E 2F 03 67"}, {0, 1}, 2},
        ChunkCase{"CrcBytesLate", {"80 07 06 00 00 4E 2F", "03 67"}, {0, 1}, 2},
        ChunkCase{"ByteByByte",
                  {"80", "07", "06", "00", "00", "4E", "2F", "03", "67"},
                  {0, 0, 0, 0, 0, 0, 0, 0, 1},
                  2},
        // The CRC bytes of the first packet are left and skipped by the next scan.
        ChunkCase{"SecondPacketLater", {REPORT_ID, "80 07 06 00 00 4E 2F 03 67"}, {1, 2}, 2},
        ChunkCase{"PartialAfterValid", {REPORT_ID + " 80 07 06"}, {1}, 5}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReceiveScan, ValidPacketResetsTheSilenceAccounting) {
  LinkFixture f;
  f.link.state().missCount = 3;
  f.link.state().lastRxTick = 0;
  f.receive(hex(REPORT_ID));
  EXPECT_EQ(f.link.state().missCount.load(), 0);
  EXPECT_EQ(f.link.state().lastRxTick.load(), f.link.now());
}

TEST(ReceiveScan, RejectedPacketChangesNothing) {
  LinkFixture f;
  f.link.state().missCount = 3;
  f.link.state().waitingForReply = 1;
  f.receive(hex("80 07 06 00 00 4E 2F 03 68"));
  EXPECT_EQ(f.link.state().missCount.load(), 3);
  EXPECT_FALSE(f.table.uiRefresh(0));
  EXPECT_FALSE(f.released());
}

} // namespace
} // namespace kv816::test
