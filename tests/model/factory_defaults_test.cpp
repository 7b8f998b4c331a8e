#include "model/factory_defaults.h"

#include <gtest/gtest.h>

#include "model/channel_layout.h"

namespace kv816 {
namespace {

using F = ChannelFunction;

int at(int index) {
  return factoryDefaults()[static_cast<std::size_t>(index)];
}

TEST(FactoryDefaults, GlobalWords) {
  struct Case {
    int index;
    int value;
  };
  const Case cases[] = {
      {0, 20012},  {1, 0},    {2, 0},      {3, 31},       {4, 0},      {5, 7967},
      {8, 7967},   {9, 0},    {18, 0},     {IDX_NONE, 0}, {1148, 360}, {1149, 480},
      {1155, 480}, {1156, 0}, {1157, 1},   {1159, 1},     {1160, 0},   {1162, 0},
      {1163, 0},   {1164, 0}, {1165, 1},   {1166, 1},     {1167, 1},   {1168, 1000},
      {1169, 6},   {1170, 1}, {1171, 128}, {1172, 3},     {1173, 40},  {1174, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(at(c.index), c.value) << c.index;
  EXPECT_NE(at(IDX_DEVICE_ID), DEVICE_ID); // an unread table never passes the handshake
}

TEST(FactoryDefaults, ChannelSpotChecks) {
  struct Case {
    F function;
    int channel;
    int band;
    int value;
  };
  const Case cases[] = {
      {F::Gain, 0, 0, 360},      {F::GeqType, 1, 4, 7},      {F::GeqFreq, 0, 0, 32968},
      {F::GeqFreq, 0, 6, 33568}, {F::GeqFreq, 0, 7, 100},    {F::GeqFreq, 2, 30, 18000},
      {F::GeqGain, 3, 12, 500},  {F::GeqQ, 0, 0, 340},       {F::PeqFreq, 0, 0, 33068},
      {F::PeqFreq, 0, 1, 33268}, {F::PeqFreq, 11, 9, 15000}, {F::PeqQ, 5, 2, 100},
      {F::PeqType, 7, 0, 7},     {F::Ratio, 4, 0, 10},       {F::Attack, 4, 0, 10},
      {F::Release, 9, 0, 2},     {F::Threshold, 9, 0, 100},  {F::HpfType, 6, 0, 20},
      {F::HpfFreq, 6, 0, 32868}, {F::LpfType, 6, 0, 21},     {F::LpfFreq, 6, 0, 20600},
      {F::NoiseGate, 3, 0, 80},  {F::LinkMask, 0, 0, 1},     {F::LinkMask, 3, 0, 8},
      {F::LinkMask, 4, 0, 1},    {F::LinkMask, 11, 0, 128},  {F::Routing, 8, 0, 15},
      {F::Mute, 4, 0, 0},        {F::PeqBypass, 1, 0, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(at(indexOf(c.function, c.channel, c.band)), c.value)
        << static_cast<int>(c.function) << " ch " << c.channel << " band " << c.band;
}

// Every channel of a kind starts with the same block; only the headers differ.
TEST(FactoryDefaults, BlocksOfOneKindAreIdentical) {
  for (int c = 1; c < CHANNEL_COUNT; ++c) {
    const int model = c < INPUT_COUNT ? 0 : INPUT_COUNT;
    for (int offset = 0; offset < blockSize(c); ++offset)
      ASSERT_EQ(at(blockStart(c) + offset), at(blockStart(model) + offset))
          << "channel " << c << " offset " << offset;
  }
}

} // namespace
} // namespace kv816
