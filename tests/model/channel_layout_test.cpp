#include "model/channel_layout.h"

#include <gtest/gtest.h>

#include <set>

namespace kv816 {
namespace {

using F = ChannelFunction;

struct IndexCase {
  F function;
  int channel;
  int band;
  int index;
};

// Rows straight from the device's index map: first and last channel of each kind, the
// band extremes, and functions a channel kind lacks.
TEST(ChannelLayout, IndexOfMatchesTheDeviceMap) {
  const IndexCase cases[] = {
      {F::Mute, 0, 0, 21},
      {F::Mute, 11, 0, 1094},
      {F::Delay, 3, 0, 540},
      {F::GeqBypass, 1, 0, 197},
      {F::PeqBypass, 2, 0, 370},
      {F::PeqBypass, 5, 0, 778},
      {F::GeqType, 0, 0, 27},
      {F::GeqGain, 0, 30, 149},
      {F::GeqQ, 3, 30, 666},
      {F::PeqType, 0, 0, 151},
      {F::PeqQ, 3, 9, 706},
      {F::PeqGain, 5, 3, 797},
      {F::PeqQ, 11, 9, 1146},
      {F::PeqType, 4, 0, 729},
      {F::Ratio, 4, 0, 720},
      {F::Threshold, 11, 0, 1101},
      {F::HpfType, 6, 0, 833},
      {F::LpfFreq, 10, 0, 1052},
      {F::NoiseGate, 2, 0, 363},
      {F::LinkMask, 1, 0, 192},
      {F::LinkMask, 4, 0, 715},
      {F::LinkMask, 11, 0, 1093},
      {F::Routing, 4, 0, 707},
      {F::Routing, 11, 0, 714},
      {F::HpfType, 2, 0, IDX_NONE},
      {F::Ratio, 0, 0, IDX_NONE},
      {F::GeqGain, 4, 0, IDX_NONE},
      {F::GeqBypass, 7, 0, IDX_NONE},
      {F::NoiseGate, 5, 0, IDX_NONE},
      {F::Routing, 3, 0, IDX_NONE},
      // Out of range channel or band never lands inside another channel's block.
      {F::GeqGain, 0, 31, IDX_NONE},
      {F::PeqGain, 4, 10, IDX_NONE},
      {F::PeqQ, 0, -1, IDX_NONE},
      {F::Mute, 12, 0, IDX_NONE},
      {F::Mute, -1, 0, IDX_NONE},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(indexOf(c.function, c.channel, c.band), c.index)
        << "function " << static_cast<int>(c.function) << " channel " << c.channel << " band "
        << c.band;
  }
}

TEST(ChannelLayout, BlockBounds) {
  const int starts[] = {21, 193, 365, 537, 716, 770, 824, 878, 932, 986, 1040, 1094};
  const int ends[] = {190, 362, 534, 706, 768, 822, 876, 930, 984, 1038, 1092, 1146};
  for (int c = 0; c < CHANNEL_COUNT; ++c) {
    EXPECT_EQ(blockStart(c), starts[c]) << c;
    EXPECT_EQ(blockEnd(c), ends[c]) << c;
    EXPECT_EQ(blockEnd(c) - blockStart(c) + 1, blockSize(c)) << c;
  }
  EXPECT_EQ(blockStart(12), -1);
  EXPECT_EQ(blockEnd(-1), -1);
}

// Every index of every function, channel and band maps back to itself, and together they
// cover 19..1146 exactly once.
TEST(ChannelLayout, LocateIndexInvertsIndexOfEverywhere) {
  std::set<int> seen;
  for (int c = 0; c < CHANNEL_COUNT; ++c) {
    for (int f = 0; f < CHANNEL_FUNCTION_COUNT; ++f) {
      const auto function = static_cast<F>(f);
      for (int band = 0; band < bandCountOf(function); ++band) {
        const int index = indexOf(function, c, band);
        if (index == IDX_NONE)
          continue;
        EXPECT_TRUE(seen.insert(index).second) << "index " << index << " used twice";
        const IndexLocation expected{c, function, bandCountOf(function) > 1 ? band : 0};
        EXPECT_EQ(locateIndex(index), expected) << "index " << index;
      }
    }
  }
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(1146 - 19 + 1));
  EXPECT_EQ(*seen.begin(), 19);
  EXPECT_EQ(*seen.rbegin(), 1146);
}

TEST(ChannelLayout, GlobalIndexesLocateAsGlobal) {
  for (int index : {-1, 0, 3, 8, 18, IDX_NONE, 1148, 1174, 1175, 5000})
    EXPECT_TRUE(locateIndex(index).isGlobal()) << index;
}

TEST(ChannelLayout, LocateDecodesBandFields) {
  // 797 is the gain of parametric band 3 of output 2 (channel 5).
  EXPECT_EQ(locateIndex(797), (IndexLocation{5, F::PeqGain, 3}));
  // Input A offset 129 is the Q of graphic band 30; offset 130 starts the parametric bands.
  EXPECT_EQ(locateIndex(21 + 129), (IndexLocation{0, F::GeqQ, 30}));
  EXPECT_EQ(locateIndex(21 + 130), (IndexLocation{0, F::PeqType, 0}));
  EXPECT_EQ(locateIndex(365 + 131), (IndexLocation{2, F::PeqFreq, 0}));
}

} // namespace
} // namespace kv816
