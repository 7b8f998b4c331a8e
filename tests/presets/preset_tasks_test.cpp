// Recall and name store against the simulated device.

#include "task_fixture.h"

namespace kv816::test {
namespace {

using namespace std::chrono_literals;

class PresetTasks : public TaskFixture {};

TEST_F(PresetTasks, RecallLoadsThePresetIntoTheTableAndClearsTheControlWord) {
  start();
  ASSERT_TRUE(requestRecall(link(), 3));
  EXPECT_EQ(run(TASK_RECALL), TaskResult::Done);
  const DeviceState state = device->state();
  EXPECT_EQ(state.currentPreset, 3);
  int compared = 0;
  for (int i = 19; i <= IDX_CHANNELS_LAST; ++i, ++compared)
    ASSERT_EQ(table.wireValue(i), state.presets[2].values[i]) << "index " << i;
  EXPECT_GT(compared, 1000);
  EXPECT_FALSE(table.mustSend(IDX_PRESET_CONTROL));
  EXPECT_EQ(countSent(cmd::RECALL), 1);
  EXPECT_EQ(sent(cmd::RECALL)[0].payload, std::vector<uint8_t>{3});
}

TEST_F(PresetTasks, RecallConfirmedAtTheSecondRequestSendsTwo) {
  start();
  int recalls = 0;
  setFrameFilter([&](const SentFrame& f) { return f.command != cmd::RECALL || ++recalls > 1; });
  requestRecall(link(), 2);
  EXPECT_EQ(run(TASK_RECALL), TaskResult::Done);
  EXPECT_EQ(countSent(cmd::RECALL), 2);
}

TEST_F(PresetTasks, UnconfirmedRecallGivesUpAfterThreeAndKeepsTheControlWordMarked) {
  start();
  // Neither the request nor the control word's write (which would also recall) arrives.
  setFrameFilter([](const SentFrame& f) {
    const bool controlWrite = f.command == cmd::WRITE && f.payload.size() >= 2 &&
                              f.payload[0] == (IDX_PRESET_CONTROL >> 8) &&
                              f.payload[1] == (IDX_PRESET_CONTROL & 0xFF);
    return f.command != cmd::RECALL && !controlWrite;
  });
  requestRecall(link(), 5);
  EXPECT_EQ(run(TASK_RECALL), TaskResult::NotConfirmed);
  EXPECT_EQ(countSent(cmd::RECALL), 3);
  EXPECT_EQ(events.messageCount("Invocation pattern of failure!"), 1);
  EXPECT_EQ(table.value(IDX_PRESET_CONTROL), 5 + RECALL_OPERATION);
}

TEST_F(PresetTasks, NameStoreSendsTwentyBytesPaddedWithSpacesAndRereadsTheNames) {
  start();
  const struct {
    std::u16string typed;
    std::string wire;
  } cases[] = {
      {u"Stage Left", "Stage Left          "},
      {u"ABCDEFGHIJKLMNOPQRSTUVWXY", "ABCDEFGHIJKLMNOPQRST"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(requestNameStore(link(), 12, c.typed));
    EXPECT_EQ(run(TASK_STORE_NAME), TaskResult::Done);
    const std::vector<uint8_t> payload = sent(cmd::STORE_NAME).back().payload;
    EXPECT_EQ(std::string(payload.begin() + 1, payload.end()), c.wire);
    EXPECT_EQ(payload[0], 12);
    EXPECT_TRUE(events.waitFor([&] { return link().presetNames().received(11); }, 1s));
  }
  EXPECT_EQ(events.messageCount("Save successfully!"), 2);
  EXPECT_FALSE(table.mustSend(IDX_PRESET_CONTROL));
}

TEST_F(PresetTasks, UnconfirmedNameStoreFailsAfterThreeRequests) {
  start();
  setFrameFilter([](const SentFrame& f) { return f.command != cmd::STORE_NAME; });
  const int nameReads = countSent(cmd::NAME);
  requestNameStore(link(), 4, u"Lost");
  EXPECT_EQ(run(TASK_STORE_NAME), TaskResult::NotConfirmed);
  EXPECT_EQ(countSent(cmd::STORE_NAME), 3);
  EXPECT_EQ(events.messageCount("Save Failed!"), 1);
  EXPECT_EQ(countSent(cmd::NAME), nameReads); // names are not read again
}

TEST(PresetTaskRequests, PresetsOutsideOneToTwelveRaiseNothing) {
  ParameterTable table;
  Link link(table);
  for (int p : {0, 13, -1}) {
    EXPECT_FALSE(requestRecall(link, p));
    EXPECT_FALSE(requestNameStore(link, p, u"x"));
  }
  EXPECT_FALSE(link.taskFlags().pending(TASK_RECALL));
  EXPECT_FALSE(link.taskFlags().pending(TASK_STORE_NAME));
}

} // namespace
} // namespace kv816::test
