#include "sim/state_json.h"

#include <gtest/gtest.h>

#include "sim_test_util.h"

namespace kv816 {
namespace {

using testing::ask;
using testing::hex;
using testing::text;

TEST(StateJson, RoundTripsTableNamesAndModule) {
  SimulatedDevice device;
  ask(device, cmd::RECALL, {6});
  ask(device, cmd::WRITE, hex("00 64 AB CD"));
  auto store = text("\x03Quote\" \\ \xE9t\xE9");
  ask(device, cmd::STORE_NAME, store);
  ask(device, cmd::MODULE_TEXT, text("Set_RouteSSID:Hall \"B\""));
  const DeviceState before = device.state();

  DeviceState after;
  std::string error;
  ASSERT_TRUE(stateFromJson(stateToJson(before, DEVICE_ID), after, error)) << error;
  EXPECT_EQ(after.table, before.table);
  EXPECT_EQ(after.currentPreset, 6);
  for (int p = 0; p < PRESET_COUNT; ++p) {
    EXPECT_EQ(after.presets[p].name, before.presets[p].name);
    EXPECT_EQ(after.presets[p].values, before.presets[p].values);
  }
  EXPECT_EQ(after.presets[2].name, "Quote\" \\ \xE9t\xE9");
  EXPECT_EQ(after.module.routeSsid, "Hall \"B\"");
}

TEST(StateJson, RejectsMalformedDocumentsAndKeepsTheState) {
  const std::string good = stateToJson(SimulatedDevice().state(), DEVICE_ID);
  std::string shortTable = good;
  shortTable.replace(shortTable.find("[20015,"), 7, "[");
  std::string tooBig = good;
  tooBig.replace(tooBig.find("[20015,"), 7, "[70000,");
  const std::string cases[] = {"",         "{",    "[1,2]",    "{\"table\":[1,2,3]}",
                               shortTable, tooBig, good + "x", std::string(100, '[')};
  for (const std::string& doc : cases) {
    DeviceState state;
    state.currentPreset = 9;
    std::string error;
    EXPECT_FALSE(stateFromJson(doc, state, error)) << doc.substr(0, 40);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(state.currentPreset, 9);
  }
}

} // namespace
} // namespace kv816
