#include "sim/simulated_device.h"

#include <gtest/gtest.h>

#include <set>

#include "model/factory_defaults.h"
#include "sim_test_util.h"

namespace kv816 {
namespace {

using testing::ask;
using testing::decode;
using testing::hex;
using testing::text;
using testing::valueItems;

std::vector<uint8_t> allBytes(const std::vector<OutgoingFrame>& out) {
  std::vector<uint8_t> bytes;
  for (const auto& f : out)
    bytes.insert(bytes.end(), f.bytes.begin(), f.bytes.end());
  return bytes;
}

TEST(SimulatedDevice, AnswersInformationAndReadOfIndex0WithItsIdentity) {
  SimulatedDevice device;
  EXPECT_EQ(allBytes(device.receive(hex("80 04 00 00 25 68"))), hex("80 07 00 4E 2F 01 00 0E BC"));
  EXPECT_EQ(allBytes(device.receive(hex("80 05 06 00 00 13 C5"))),
            hex("80 07 06 00 00 4E 2F 03 67"));
}

TEST(SimulatedDevice, ReportsAnotherIdentityWhenConfigured) {
  SimConfig config;
  config.identity = 20012;
  SimulatedDevice device(config);
  const auto info = ask(device, cmd::INFO, {0x00});
  ASSERT_EQ(info.size(), 1u);
  EXPECT_EQ(info[0].payload, hex("4E 2C 01 00"));
  EXPECT_EQ(valueItems(ask(device, cmd::READ, {0x00, 0x00})).at(0), 20012);
}

TEST(SimulatedDevice, LockedPresetAddsTheLockFormAfterTheIdentity) {
  SimConfig config;
  config.lockCurrentPreset = true;
  SimulatedDevice device(config);
  EXPECT_EQ(allBytes(device.receive(hex("80 04 00 00 25 68"))),
            hex("80 07 00 4E 2F 01 00 0E BC  80 09 00 01 0C 02 00 00 00 34 BB"));
  EXPECT_EQ(valueItems(ask(device, cmd::READ, {0x04, 0x8D})).at(IDX_CURRENT_PRESET), 1);
}

// Such a device is known by index 0 alone; its lock form comes even with nothing locked.
TEST(SimulatedDevice, InfoLockOnlyAnswersInTheLockFormWithoutTheIdentity) {
  SimConfig config;
  config.infoLockOnly = true;
  SimulatedDevice device(config);
  const auto info = ask(device, cmd::INFO, {0x00});
  ASSERT_EQ(info.size(), 1u);
  EXPECT_EQ(info[0].payload, hex("01 0C 00 00 00 00"));
  EXPECT_EQ(valueItems(ask(device, cmd::READ, {0x00, 0x00})).at(0), DEVICE_ID);
}

TEST(SimulatedDevice, WriteIsStoredAndEchoedItemForItem) {
  SimulatedDevice device;
  // Index 100 = 0x1234, index 0 (identity, read-only), index 2000 (outside the table).
  const auto payload = hex("00 64 12 34  00 00 00 07  07 D0 00 01");
  const auto echo = ask(device, cmd::WRITE, payload);
  ASSERT_EQ(echo.size(), 1u);
  EXPECT_EQ(echo[0].command, cmd::WRITE);
  EXPECT_EQ(echo[0].payload, payload);
  const auto read = valueItems(ask(device, cmd::READ, hex("00 64 00 00 07 D0")));
  EXPECT_EQ(read.at(100), 0x1234);
  EXPECT_EQ(read.at(0), DEVICE_ID);
  EXPECT_EQ(read.count(2000), 0u);
}

TEST(SimulatedDevice, EmptyReadAndUnknownCommandsGetNoReply) {
  SimulatedDevice device;
  EXPECT_TRUE(ask(device, cmd::READ, {}).empty());
  EXPECT_TRUE(ask(device, 0x02, {0x01}).empty());
  EXPECT_TRUE(ask(device, cmd::NAME, {0}).empty());
  EXPECT_TRUE(ask(device, cmd::RECALL, {13}).empty());
}

TEST(SimulatedDevice, BulkDumpCoversTheWholeTableInValueReports) {
  SimulatedDevice device;
  const auto frames = ask(device, cmd::BULK_DUMP, {0x00});
  EXPECT_EQ(frames.size(), (PARAM_COUNT + 24) / 25);
  const auto items = valueItems(frames);
  ASSERT_EQ(items.size(), static_cast<size_t>(PARAM_COUNT));
  const DeviceState state = device.state();
  for (int i = 0; i < PARAM_COUNT; ++i)
    ASSERT_EQ(items.at(i), state.table[i]) << "index " << i;
  EXPECT_EQ(items.at(0), DEVICE_ID);
  EXPECT_EQ(items.at(IDX_CURRENT_PRESET), 1);
  // Away from the identity, meters and preset words the table starts at the factory state.
  EXPECT_EQ(items.at(21 + 2), static_cast<uint16_t>(factoryDefaults()[21 + 2]));
}

TEST(SimulatedDevice, TwelvePresetsHaveDistinctNamesAndContents) {
  SimulatedDevice device;
  std::set<std::vector<uint8_t>> names;
  for (uint8_t p = 1; p <= 12; ++p) {
    const auto reply = ask(device, cmd::NAME, {p});
    ASSERT_EQ(reply.size(), 1u);
    EXPECT_EQ(reply[0].payload.at(0), p);
    EXPECT_LE(reply[0].payload.size(), 21u);
    names.insert(reply[0].payload);
  }
  EXPECT_EQ(names.size(), 12u);
  const DeviceState state = device.state();
  std::set<DeviceValues> contents;
  for (const auto& preset : state.presets)
    contents.insert(preset.values);
  EXPECT_EQ(contents.size(), 12u);
}

TEST(SimulatedDevice, RecallLoadsTheStoredPresetAndConfirms) {
  SimulatedDevice device;
  const DeviceValues preset5 = device.state().presets[4].values;
  const auto reply = ask(device, cmd::RECALL, {5});
  ASSERT_EQ(reply.size(), 1u);
  EXPECT_EQ(reply[0].command, cmd::RECALL);
  const auto dump = valueItems(ask(device, cmd::BULK_DUMP, {0x00}));
  for (int i = PRESET_FIRST_INDEX; i <= PRESET_LAST_INDEX; ++i)
    ASSERT_EQ(dump.at(i), preset5[i]) << "index " << i;
  EXPECT_EQ(dump.at(IDX_CURRENT_PRESET), 5);
}

TEST(SimulatedDevice, PresetControlWordWithOperation6Recalls) {
  SimulatedDevice device;
  // Index 1166 = 0x0603: recall preset 3; the write is echoed first.
  const auto echo = ask(device, cmd::WRITE, hex("04 8E 06 03"));
  ASSERT_EQ(echo.size(), 1u);
  EXPECT_EQ(device.value(IDX_CURRENT_PRESET), 3);
  const int gainOut1 = 716 + 2;
  EXPECT_EQ(device.value(gainOut1), device.state().presets[2].values[gainOut1]);
}

TEST(SimulatedDevice, EditsStayWithTheRunningPresetAcrossRecalls) {
  SimulatedDevice device;
  const int gainIn1 = 21 + 2;
  ask(device, cmd::WRITE, {0x00, gainIn1, 0x01, 0x00});
  ask(device, cmd::RECALL, {2});
  EXPECT_NE(device.value(gainIn1), 0x100);
  ask(device, cmd::RECALL, {1});
  EXPECT_EQ(device.value(gainIn1), 0x100);
}

TEST(SimulatedDevice, NameStoreKeepsTwentyBytesAndConfirms) {
  SimulatedDevice device;
  std::string name = "My Room 1";
  name.resize(20, ' ');
  auto payload = text(name + "ABCDE"); // 20 name bytes and 5 more
  payload.insert(payload.begin(), 4);
  const auto stored = ask(device, cmd::STORE_NAME, payload);
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].command, cmd::STORE_NAME);
  EXPECT_EQ(stored[0].payload, hex("04"));
  const auto reply = ask(device, cmd::NAME, {4});
  ASSERT_EQ(reply.size(), 1u);
  auto expected = text(name);
  expected.insert(expected.begin(), 4);
  EXPECT_EQ(reply[0].payload, expected);
}

struct ModuleCase {
  std::string command;
  std::string reply; // empty: no reply
};

TEST(SimulatedDevice, ModuleTextIsAnsweredByTheWifiModule) {
  SimulatedDevice device;
  const ModuleCase cases[] = {
      {"Get_IP:", "Get_IP:7F000001"},
      {"Get_LinkIP:", "Get_LinkIP:00000000"},
      {"Get_WiFiMode:", "Get_WiFiMode:1"},
      {"Get_HotSSID:", "Get_HotSSID:KV816-AP"},
      {"Set_HotSSID:Stage Left", "Set_HotSSID:OK"},
      {"Set_HotPW:secret99", "Set_HotPW:OK"},
      {"Get_HotSSID:", "Get_HotSSID:Stage Left"},
      {"Get_HotPW:", "Get_HotPW:secret99"},
      {"Set_RouteSSID:Venue", "Set_RouteSSID:OK"},
      {"Set_RoutePW:pw", "Set_RoutePW:OK"},
      {"Get_RouteSSID:", "Get_RouteSSID:Venue"},
      {"Set_WiFiMode:2", "Set_WiFiMode:OK"},
      {"Get_WiFiMode:", "Get_WiFiMode:2"},
      {"Get_TCPPort:", "Get_TCPPort:1010"},
      {"Set_WiFiMode:7", ""},
      {"Hello", ""},
  };
  for (const ModuleCase& c : cases) {
    const auto reply = ask(device, cmd::MODULE_TEXT, text(c.command));
    if (c.reply.empty()) {
      EXPECT_TRUE(reply.empty()) << c.command;
      continue;
    }
    ASSERT_EQ(reply.size(), 1u) << c.command;
    EXPECT_EQ(reply[0].command, cmd::MODULE_TEXT);
    auto expected = text(c.reply);
    expected.insert(expected.end(), {0x0D, 0x0A});
    EXPECT_EQ(reply[0].payload, expected) << c.command;
  }
  const DeviceState state = device.state();
  EXPECT_EQ(state.module.mode, 2);
  EXPECT_EQ(state.module.hotSsid, "Stage Left");
  EXPECT_EQ(state.module.routePassword, "pw");
  // The same module answers datagrams, with or without a terminating zero byte.
  EXPECT_EQ(device.moduleDatagram(std::string("Get_RoutePW:\0", 13)), "Get_RoutePW:pw");
  device.setLinkAddress(0x7F000001);
  EXPECT_EQ(device.moduleDatagram("Get_LinkIP:"), "Get_LinkIP:7F000001");
}

TEST(SimulatedDevice, MetersMoveAndStayWellFormed) {
  SimulatedDevice device;
  std::set<std::vector<uint16_t>> seen;
  for (int n = 0; n < 20; ++n) {
    const auto items =
        valueItems(ask(device, cmd::READ, hex("00 03 00 04 00 05 00 06 00 07 00 08")));
    std::vector<uint16_t> words;
    for (int i = IDX_METER_FIRST; i < IDX_METER_FIRST + METER_WORD_COUNT; ++i) {
      const uint16_t w = items.at(i);
      for (uint8_t b : {static_cast<uint8_t>(w & 0xFF), static_cast<uint8_t>(w >> 8)}) {
        const int level = b & 0x1F;
        EXPECT_EQ(level & (level + 1), 0) << "level bits must fill from bit 0: " << int(b);
        EXPECT_EQ(b & 0xC0, 0);
      }
      words.push_back(w);
    }
    seen.insert(words);
  }
  EXPECT_GT(seen.size(), 10u);
}

TEST(SimulatedDevice, StateRoundTripsThroughLoadState) {
  SimulatedDevice first;
  ask(first, cmd::WRITE, hex("00 64 12 34"));
  ask(first, cmd::RECALL, {7});
  ask(first, cmd::MODULE_TEXT, text("Set_HotSSID:Foyer"));
  SimulatedDevice second;
  second.loadState(first.state());
  EXPECT_EQ(second.state().table, first.state().table);
  EXPECT_EQ(second.value(IDX_CURRENT_PRESET), 7);
  EXPECT_EQ(second.state().module.hotSsid, "Foyer");
}

} // namespace
} // namespace kv816
