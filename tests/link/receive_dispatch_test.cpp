// What each valid packet does to the table, the device information, the names, the task
// flags and the reply hand-off.
#include <gtest/gtest.h>

#include "codec_fixture.h"

namespace kv816::test {
namespace {

struct ReleaseCase {
  const char* name;
  uint8_t command;
  const char* payload;
  bool releases;
};

class ReleaseTest : public ::testing::TestWithParam<ReleaseCase> {};

TEST_P(ReleaseTest, RepliesReleaseOnlyAWaitingSender) {
  const auto& c = GetParam();
  LinkFixture f;
  f.link.state().missCount = 2;
  f.link.state().lastRxTick = 0;
  f.receive(frame(c.command, c.payload));
  // Every valid packet, reply or not, resets the silence accounting.
  EXPECT_EQ(f.link.state().missCount.load(), 0);
  EXPECT_EQ(f.link.state().lastRxTick.load(), f.link.now());
  EXPECT_FALSE(f.released()) << "nobody was waiting";

  f.link.state().waitingForReply = 1;
  f.receive(frame(c.command, c.payload));
  EXPECT_EQ(f.released(), c.releases);
}

INSTANTIATE_TEST_SUITE_P(Codec, ReleaseTest,
                         ::testing::Values(ReleaseCase{"Info", 0x00, "4E 2F 01 00", true},
                                           ReleaseCase{"Recall", 0x01, "01", true},
                                           ReleaseCase{"Echo", 0x03, "04 8F 00 01", true},
                                           ReleaseCase{"Name", 0x04, "01 41", true},
                                           ReleaseCase{"Values", 0x06, "00 03 00 00", true},
                                           ReleaseCase{"NameStored", 0x10, "", true},
                                           ReleaseCase{"ModuleText", 0x57, "4F 4B 0D 0A", true},
                                           ReleaseCase{"Cmd02", 0x02, "00", false},
                                           ReleaseCase{"Cmd05", 0x05, "00", false},
                                           ReleaseCase{"BulkDump", 0xF0, "00", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Dispatch, EchoClearsTheMarkOnlyForTheValueInTheTable) {
  LinkFixture f;
  f.table.setParameter(10, 300);
  f.table.setParameter(11, 5);
  f.table.countTransmission(10);
  // index 10 = 300 (matches), index 1175 (skipped), index 11 = 4 (an older value)
  f.receive(frame(0x03, "00 0A 01 2C 04 97 00 01 00 0B 00 04"));
  EXPECT_FALSE(f.table.mustSend(10));
  EXPECT_EQ(f.table.retryCount(10), 0);
  EXPECT_TRUE(f.table.mustSend(11));
}

TEST(Dispatch, ValueReportStoresAndMarksForThePages) {
  LinkFixture f;
  f.receive(frame(0x06, "00 00 4E 2F 04 97 00 09 04 8E 00 07"));
  EXPECT_EQ(f.table.value(0), 20015);
  EXPECT_EQ(f.table.value(1166), 7);
  EXPECT_EQ(f.table.countRefreshed(), 2); // index 1175 skipped, the rest applied
}

// A final partial item is ignored: nothing is read past the packet, even when the buffer
// holds more bytes behind it.
TEST(Dispatch, PartialLastItemIsIgnored) {
  LinkFixture f;
  f.receive(concat({frame(0x06, "00 05 00 07 00 06"), frame(0x06, "00 09 00 02")}));
  EXPECT_EQ(f.table.value(5), 7);
  EXPECT_EQ(f.table.value(9), 2);
  EXPECT_EQ(f.table.countRefreshed(), 2);
}

struct LockCase {
  const char* name;
  uint16_t preset;
  const char* lockReply; // lock form of the information reply
  int before;
  int after;
};

class PresetLockTest : public ::testing::TestWithParam<LockCase> {};

TEST_P(PresetLockTest, CurrentPresetReportFollowsTheLockMask) {
  const auto& c = GetParam();
  LinkFixture f;
  f.receive(frame(0x00, c.lockReply));
  f.link.deviceInfo().presetLocked = c.before;
  const uint8_t v[] = {0x04, 0x8D, static_cast<uint8_t>(c.preset >> 8),
                       static_cast<uint8_t>(c.preset & 0xFF)};
  f.receive(buildFrame(0x06, v));
  EXPECT_EQ(f.link.deviceInfo().presetLocked.load(), c.after);
  EXPECT_EQ(f.table.value(IDX_CURRENT_PRESET), c.preset);
}

INSTANTIATE_TEST_SUITE_P(
    Codec, PresetLockTest,
    ::testing::Values(LockCase{"LockedPreset", 3, "01 0C 08 00 00 00", 0, 1},
                      LockCase{"BeyondCountKeeps", 13, "01 0C 08 00 00 00", 1, 1},
                      LockCase{"BeyondCountKeepsClear", 13, "01 0C 08 00 00 00", 0, 0},
                      LockCase{"UnlockedPreset", 2, "02 0C 08 00 00 00", 1, 0},
                      // The mask is little-endian; the preset number is taken mod 32.
                      LockCase{"HighMaskByte", 35, "01 28 00 00 00 00", 1, 0},
                      LockCase{"Mod32", 35, "01 28 08 00 00 00", 0, 1},
                      LockCase{"TopBit", 31, "01 20 00 00 00 80", 0, 1}),
    [](const auto& info) { return std::string(info.param.name); });

struct InfoCase {
  const char* name;
  const char* payload;
  int deviceId;
  int presetCount;
  uint32_t lockMask;
};

class InfoTest : public ::testing::TestWithParam<InfoCase> {};

TEST_P(InfoTest, InformationReplyForms) {
  const auto& c = GetParam();
  LinkFixture f;
  f.receive(frame(0x00, c.payload));
  EXPECT_EQ(f.link.deviceInfo().deviceId.load(), c.deviceId);
  EXPECT_EQ(f.link.deviceInfo().presetCount.load(), c.presetCount);
  EXPECT_EQ(f.link.deviceInfo().lockMask.load(), c.lockMask);
}

INSTANTIATE_TEST_SUITE_P(Codec, InfoTest,
                         ::testing::Values(InfoCase{"Identity", "4E 2F 01 00", 20015, 12, 0},
                                           InfoCase{"OtherIdentity", "4E 2C", 20012, 12, 0},
                                           InfoCase{"LockForm1", "01 0A 01 02 03 04", 0, 10,
                                                    0x04030201},
                                           InfoCase{"LockForm2", "02 08 FF 00 00 00", 0, 8, 0xFF},
                                           InfoCase{"ShortLockFormIgnored", "01 0A 01", 0, 12, 0},
                                           InfoCase{"EmptyIgnored", "", 0, 12, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

struct NameCase {
  const char* name;
  const char* payload;
  int slot;
  std::u16string expected;
};

class NameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(NameTest, NameReplyFillsTheSlotTrimmed) {
  const auto& c = GetParam();
  LinkFixture f;
  f.table.setParameter(IDX_PRESET_CONTROL, 99);
  f.receive(frame(0x04, c.payload));
  const auto& names = f.link.presetNames();
  EXPECT_EQ(names.name(c.slot), c.expected);
  EXPECT_EQ(names.buffer(), c.expected);
  EXPECT_TRUE(names.received(c.slot));
  EXPECT_EQ(f.link.taskFlags().get(FLAG_NAME_REPLY), 4);
  EXPECT_EQ(f.table.value(IDX_PRESET_CONTROL), hex(c.payload)[0]);
  EXPECT_TRUE(f.table.uiRefresh(IDX_PRESET_CONTROL));
  EXPECT_FALSE(f.table.mustSend(IDX_PRESET_CONTROL));
}

INSTANTIATE_TEST_SUITE_P(
    Codec, NameTest,
    ::testing::Values(NameCase{"TrailingPadding", "01 41 42 43 20 20 00 00", 0, u"ABC"},
                      NameCase{"LeadingSpacesKept", "02 20 20 58 20", 1, u"  X"},
                      NameCase{"AllSpacesKeepFirstTwo", "03 20 20 20 20", 2, u"  "},
                      // Bytes above 'z' count as padding at the end but stay inside the name.
                      NameCase{"InnerBytesKept", "04 41 7B 42 7F FF", 3, u"A{B"},
                      NameCase{"AtMost25",
                               "0C 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 "
                               "41 41 41 41 42 43 44",
                               11, u"AAAAAAAAAAAAAAAAAAAAAAAAB"},
                      NameCase{"NumberWraps", "0D 5A", 0, u"Z"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Dispatch, NameReplyForPresetZeroStoresNothing) {
  LinkFixture f;
  f.receive(frame(0x04, "00 41 42"));
  for (int s = 0; s < PRESET_SLOTS; ++s)
    EXPECT_FALSE(f.link.presetNames().received(s));
  EXPECT_FALSE(f.table.uiRefresh(IDX_PRESET_CONTROL));
  EXPECT_EQ(f.link.taskFlags().get(FLAG_NAME_REPLY), 4);
}

TEST(Dispatch, TaskFlagsAndModuleText) {
  LinkFixture f;
  std::vector<std::string> texts;
  f.link.setModuleReplyHandler([&](std::string_view t) { texts.emplace_back(t); });
  f.receive(concat({frame(0x01, "03"), frame(0x10, ""), frame(0x57, "4F 4B 0D 0A"),
                    frame(0x57, "0D 0A"), frame(0x57, "00")}));
  EXPECT_EQ(f.link.taskFlags().get(FLAG_RECALL_CONFIRMED), 1);
  EXPECT_EQ(f.link.taskFlags().get(FLAG_NAME_STORED), 16);
  EXPECT_EQ(texts, (std::vector<std::string>{"OK", ""}));
}

} // namespace
} // namespace kv816::test
