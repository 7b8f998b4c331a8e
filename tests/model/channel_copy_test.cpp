#include "model/channel_copy.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace kv816 {
namespace {

using F = ChannelFunction;

class ChannelCopyTest : public ::testing::Test {
protected:
  void SetUp() override { table->loadDefaults(); }

  // Edits made directly in the table, without marks, so only the copy marks entries.
  void store(F function, int channel, int value, int band = 0) {
    table->record(indexOf(function, channel, band)).value.store(value);
  }
  int get(F function, int channel, int band = 0) const {
    return table->value(indexOf(function, channel, band));
  }
  std::vector<int> marked() const {
    std::vector<int> indexes;
    for (int i = 0; i < PARAM_COUNT; ++i) {
      if (table->mustSend(i))
        indexes.push_back(i);
    }
    return indexes;
  }
  // Sets every header entry of every channel to a value no block holds.
  void makeHeadersDistinct() {
    for (int c = 0; c < CHANNEL_COUNT; ++c) {
      for (F header : {F::NoiseGate, F::Routing}) {
        if (indexOf(header, c) != IDX_NONE)
          store(header, c, 40 + c);
      }
    }
  }

  std::unique_ptr<ParameterTable> table = std::make_unique<ParameterTable>();
};

TEST_F(ChannelCopyTest, PropagationCopiesTheBlockToLinkedChannelsOnly) {
  store(F::LinkMask, 2, maskOfGroup(0)); // input C joins input A's group
  makeHeadersDistinct();
  store(F::Mute, 0, 1);
  store(F::GeqGain, 0, 520, 30);
  store(F::PeqQ, 0, 0x8064, 9);

  const std::vector<int> changed = propagateLink(*table, 0, activeChannelsOf(3));

  const std::vector<int> expected = {indexOf(F::Mute, 2), indexOf(F::GeqGain, 2, 30),
                                     indexOf(F::PeqQ, 2, 9)};
  EXPECT_EQ(changed, expected);
  EXPECT_EQ(marked(), expected);
  EXPECT_EQ(get(F::PeqQ, 2, 9), 0x8064);
  EXPECT_EQ(get(F::NoiseGate, 2), 42);
  EXPECT_EQ(get(F::LinkMask, 2), 1);
  EXPECT_EQ(get(F::Mute, 1), 0); // input B is in its own group
}

TEST_F(ChannelCopyTest, PropagationNeverCopiesRoutingOrLinkMasks) {
  // Outputs 1, 3 and 8 share group 2 by masks; routing words all differ.
  for (int c : {4, 6, 11})
    store(F::LinkMask, c, maskOfGroup(2));
  makeHeadersDistinct();
  store(F::LpfFreq, 6, 5000);

  const std::vector<int> changed = propagateLink(*table, 6, activeChannelsOf(3));

  EXPECT_EQ(changed, (std::vector<int>{indexOf(F::LpfFreq, 4), indexOf(F::LpfFreq, 11)}));
  for (int c = INPUT_COUNT; c < CHANNEL_COUNT; ++c)
    EXPECT_EQ(get(F::Routing, c), 40 + c) << c;
  EXPECT_EQ(get(F::LinkMask, 11), maskOfGroup(2));
}

TEST_F(ChannelCopyTest, PropagationUsesTheGivenGroupsAndActiveChannels) {
  // In 2In4Out the home page shows outputs 1..4; output 6 may still hold an old selection.
  LinkGroups groups = {0, 1, 2, 3, 0, 1, 0, 3, 4, 0, 6, 7};
  store(F::Gain, 4, 400);

  const std::vector<int> changed = propagateLink(*table, 4, activeChannelsOf(0), groups);

  EXPECT_EQ(changed, std::vector<int>{indexOf(F::Gain, 6)}); // output 3; output 6 is hidden
  EXPECT_EQ(get(F::Gain, 9), 360);
}

TEST_F(ChannelCopyTest, InactiveSourceAndEqualBlocksChangeNothing) {
  LinkGroups allInOne{};
  store(F::Delay, 3, 480);
  EXPECT_TRUE(propagateLink(*table, 3, activeChannelsOf(0), allInOne).empty()); // input D hidden
  EXPECT_TRUE(propagateLink(*table, 12, activeChannelsOf(3), allInOne).empty());
  EXPECT_TRUE(propagateLink(*table, 5, activeChannelsOf(3), allInOne).empty()); // all equal
  EXPECT_TRUE(marked().empty());
}

TEST_F(ChannelCopyTest, CopyOutputOneToOutputTwoMarksExactlyTheDifferences) {
  makeHeadersDistinct();
  store(F::Threshold, 4, 90);
  store(F::PeqGain, 4, 530, 3);
  store(F::PeqGain, 5, 470, 0); // the target's own edit is overwritten by the default

  const std::vector<int> changed = copyChannel(*table, 4, 5);

  const std::vector<int> expected = {777, 785, 797}; // threshold, band-0 gain, band-3 gain
  EXPECT_EQ(changed, expected);
  EXPECT_EQ(marked(), expected);
  for (int offset = 0; offset < OUTPUT_BLOCK_SIZE; ++offset)
    EXPECT_EQ(table->value(770 + offset), table->value(716 + offset)) << offset;
  EXPECT_EQ(get(F::Routing, 5), 45);
  EXPECT_EQ(get(F::LinkMask, 5), 2);
}

TEST_F(ChannelCopyTest, CopyRefusesSelfOtherKindAndBadChannels) {
  store(F::Mute, 0, 1);
  for (auto [from, to] : {std::pair{0, 0}, {0, 4}, {4, 0}, {-1, 1}, {1, 12}})
    EXPECT_TRUE(copyChannel(*table, from, to).empty()) << from << " -> " << to;
  EXPECT_TRUE(marked().empty());
  EXPECT_EQ(copyChannel(*table, 0, 3), std::vector<int>{indexOf(F::Mute, 3)});
}

} // namespace
} // namespace kv816
