#include "model/link_groups.h"

#include <gtest/gtest.h>

#include "model/meter.h"

namespace kv816 {
namespace {

TEST(LinkGroups, GroupOfMask) {
  struct Case {
    int mask;
    int active;
    int group;
  };
  const Case
      cases[] =
          {
              {3, 4, 0},  {16, 4, 0},     {64, 6, 0},  {32, 8, 5}, {1, 8, 0},
              {0, 8, 0},  {2, 4, 1},      {128, 8, 7}, {8, 2, 1},  {256, 8, 0},
              {-1, 8, 0}, {0x8000, 8, 0}, {4, 0, 0}, // no active channel of that kind: no division
                                                     // by zero
          };
  for (const auto& c : cases)
    EXPECT_EQ(groupOfMask(c.mask, c.active), c.group) << c.mask << " / " << c.active;
}

TEST(LinkGroups, ActiveChannelsOfIoMode) {
  EXPECT_EQ(activeChannelsOf(0), (ActiveChannels{2, 4}));
  EXPECT_EQ(activeChannelsOf(1), (ActiveChannels{2, 6}));
  EXPECT_EQ(activeChannelsOf(2), (ActiveChannels{4, 6}));
  EXPECT_EQ(activeChannelsOf(3), (ActiveChannels{4, 8}));
  EXPECT_EQ(activeChannelsOf(-1), (ActiveChannels{4, 8}));
  EXPECT_TRUE(isActiveChannel(1, {2, 6}));
  EXPECT_FALSE(isActiveChannel(2, {2, 6}));
  EXPECT_TRUE(isActiveChannel(9, {2, 6}));
  EXPECT_FALSE(isActiveChannel(10, {2, 6}));
  EXPECT_FALSE(isActiveChannel(12, {4, 8}));
}

TEST(Meter, SegmentsLitForLevelAndTopFlag) {
  struct Case {
    int byte;
    int segments;
    uint32_t mask;
  };
  const Case cases[] = {
      {0x00, 9, 0x000},   {0x1F, 9, 0x0FF},   {0x3F, 9, 0x1FF},   {0x20, 9, 0x100},
      {0x01, 9, 0x001},   {0x03, 9, 0x007},   {0x15, 9, 0x00F},   {0xC0, 9, 0x000},
      {0x1F, 15, 0x3FFF}, {0x01, 15, 0x0003}, {0x24, 15, 0x4003}, {0x3F, 15, 0x7FFF},
      {0x1F, 1, 0},       {0x1F, 33, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(meterSegments(c.byte, c.segments), c.mask) << c.byte << " / " << c.segments;
}

TEST(Meter, ChannelBytesOfTheMeterWords) {
  EXPECT_EQ(meterWordIndex(0), 3);
  EXPECT_EQ(meterWordIndex(3), 4);
  EXPECT_EQ(meterWordIndex(4), 5);
  EXPECT_EQ(meterWordIndex(11), 8);
  EXPECT_EQ(meterWordIndex(12), -1);
  EXPECT_EQ(meterByteOf(0x1F3F, 4), 0x3F); // output 1: low byte
  EXPECT_EQ(meterByteOf(0x1F3F, 5), 0x1F); // output 2: high byte
}

} // namespace
} // namespace kv816
