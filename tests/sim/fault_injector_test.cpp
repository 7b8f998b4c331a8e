#include "sim/fault_injector.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>

#include "sim/simulated_device.h"
#include "sim_test_util.h"

namespace kv816 {
namespace {

using testing::frame;

SimConfig withFaults(FaultConfig faults, uint32_t seed = 1) {
  SimConfig config;
  config.faults = faults;
  config.seed = seed;
  return config;
}

// The bytes the device sends for 200 reads of index 0, as one log of frames and delays.
std::vector<OutgoingFrame> session(SimConfig config) {
  SimulatedDevice device(config);
  std::vector<OutgoingFrame> all;
  for (int i = 0; i < 200; ++i)
    for (OutgoingFrame& f : device.receive(frame(cmd::READ, {0x00, 0x00})))
      all.push_back(std::move(f));
  return all;
}

bool same(const std::vector<OutgoingFrame>& a, const std::vector<OutgoingFrame>& b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].bytes != b[i].bytes || a[i].delay != b[i].delay)
      return false;
  return true;
}

TEST(FaultInjection, SameSeedSameMisbehaviour) {
  FaultConfig faults;
  faults.dropProbability = 0.3;
  faults.corruptProbability = 0.3;
  faults.delayProbability = 0.5;
  faults.delay = std::chrono::milliseconds(20);
  const auto a = session(withFaults(faults, 7));
  const auto b = session(withFaults(faults, 7));
  const auto c = session(withFaults(faults, 8));
  EXPECT_TRUE(same(a, b));
  EXPECT_FALSE(same(a, c));
  // Roughly 70 % arrive; about 30 % of those are corrupted; about half are delayed.
  EXPECT_GT(a.size(), 110u);
  EXPECT_LT(a.size(), 170u);
  const auto good = frame(cmd::READ, {0x00, 0x00, 0x4E, 0x2F});
  const auto corrupted =
      std::count_if(a.begin(), a.end(), [&](auto& f) { return f.bytes != good; });
  const auto delayed =
      std::count_if(a.begin(), a.end(), [](auto& f) { return f.delay.count() == 20; });
  EXPECT_GT(corrupted, 20);
  EXPECT_LT(corrupted, 75);
  EXPECT_GT(delayed, 40);
  EXPECT_LT(delayed, static_cast<long>(a.size()) - 40);
}

TEST(FaultInjection, CorruptionFlipsExactlyOneBit) {
  FaultConfig config;
  config.corruptProbability = 1.0;
  FaultInjector faults(config, 3);
  const std::vector<uint8_t> original(16, 0x55);
  for (int i = 0; i < 50; ++i) {
    const auto out = faults.apply(original);
    ASSERT_TRUE(out);
    int flipped = 0;
    for (size_t j = 0; j < original.size(); ++j)
      flipped += std::popcount(static_cast<unsigned>(out->bytes[j] ^ original[j]));
    EXPECT_EQ(flipped, 1);
  }
}

TEST(FaultInjection, GoesSilentAfterNFrames) {
  FaultConfig faults;
  faults.silentAfter = 3;
  EXPECT_EQ(session(withFaults(faults)).size(), 3u);
  faults.silentAfter = 0;
  SimulatedDevice device(withFaults(faults));
  EXPECT_TRUE(device.receive(frame(cmd::INFO, {0x00})).empty());
}

} // namespace
} // namespace kv816
