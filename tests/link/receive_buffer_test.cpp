// The bound of the receive buffer and the reply hand-off.
#include <gtest/gtest.h>

#include <thread>

#include "codec_fixture.h"
#include "link/receive_buffer.h"
#include "link/reply_semaphore.h"

namespace kv816::test {
namespace {

struct CapCase {
  const char* name;
  std::string before;
  std::string chunk;
  std::string after;
};

class CapTest : public ::testing::TestWithParam<CapCase> {};

// With a cap of 8: the oldest bytes go, then everything up to the next start byte.
TEST_P(CapTest, OverflowKeepsTheNewestFromAStartByte) {
  ReceiveBuffer buffer(8);
  buffer.append(hex(GetParam().before));
  buffer.append(hex(GetParam().chunk));
  EXPECT_EQ(toHex(buffer.copyFrom(0)), GetParam().after);
  EXPECT_LE(buffer.size(), 8u);
}

INSTANTIATE_TEST_SUITE_P(
    Codec, CapTest,
    ::testing::Values(
        CapCase{"Fits", "01 02 03", "04 05 06 07 08", "01 02 03 04 05 06 07 08"},
        CapCase{"DropsToStartInBuffer", "01 02 80 03 04 05", "06 07 08", "80 03 04 05 06 07 08"},
        CapCase{"DropsToStartInChunk", "01 02 03 04 05 06", "07 80 08", "80 08"},
        CapCase{"NoStartLeavesNothing", "01 02 03 04 05 06", "07 08 09", ""},
        CapCase{"HugeChunkKeepsItsTail", "80 01", "80 01 02 03 04 05 06 07 80 09 0A", "80 09 0A"},
        // The 0x80 at the front is among the oldest bytes and goes too.
        CapCase{"OldStartDropped", "80 01 02 03 04 05 06", "07 08", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReceiveBuffer, TenMiBOfGarbageStaysWithinTheCap) {
  LinkFixture f;
  std::vector<uint8_t> chunk(4096);
  for (size_t i = 0; i < chunk.size(); ++i)
    chunk[i] = static_cast<uint8_t>(i % 0x7F); // never 0x80
  size_t largest = 0;
  for (size_t sent = 0; sent < 10 * 1024 * 1024; sent += chunk.size()) {
    f.receive(chunk);
    largest = std::max(largest, f.link.receiveBuffer().size());
  }
  EXPECT_LE(largest, RECEIVE_BUFFER_CAP);
  EXPECT_GT(largest, RECEIVE_BUFFER_CAP / 2); // garbage does pile up, just bounded

  f.receive(hex("80 07 06 00 00 4E 2F 03 67"));
  EXPECT_EQ(f.table.value(0), 20015);
}

// Rejected candidates keep piling up too; a packet after them still gets through.
TEST(ReceiveBuffer, PacketAfterOverflowOfRejectedCandidates) {
  LinkFixture f;
  const auto bad = hex("80 07 06 00 00 4E 2F 03 68");
  for (int i = 0; i < 10000; ++i)
    f.receive(bad);
  EXPECT_LE(f.link.receiveBuffer().size(), RECEIVE_BUFFER_CAP);
  f.receive(hex("80 07 06 00 00 4E 2F 03 67"));
  EXPECT_EQ(f.table.value(0), 20015);
}

TEST(ReplySemaphore, CountIsCappedAtOne) {
  ReplySemaphore s;
  s.release();
  s.release();
  EXPECT_EQ(s.count(), 1);
  EXPECT_TRUE(s.waitFor(std::chrono::milliseconds(0)));
  EXPECT_FALSE(s.waitFor(std::chrono::milliseconds(5)));
}

TEST(ReplySemaphore, ReleaseWakesAWaiterOnAnotherThread) {
  ReplySemaphore s;
  std::thread releaser([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    s.release();
  });
  EXPECT_TRUE(s.waitFor(std::chrono::seconds(5)));
  releaser.join();
  EXPECT_EQ(s.count(), 0);
}

} // namespace
} // namespace kv816::test
