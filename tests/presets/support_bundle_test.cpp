#include "presets/support_bundle.h"

#include "model/parameter_table.h"
#include "presets/preset_codec.h"
#include "presets/temp_folder.h"
#include "support/zip_contents.h"

#include <gtest/gtest.h>

namespace kv816 {
namespace {

namespace fs = std::filesystem;

TEST(SupportBundleTest, MasksEveryPasswordValueAndKeepsOtherLines) {
  EXPECT_EQ(maskPasswords("[kv816]\nHotPassword=secret\nStaPW=x=y\nNetTcpPort=1010\nnovalue\n"),
            "[kv816]\nHotPassword=********\nStaPW=********\nNetTcpPort=1010\nnovalue\n");
}

TEST(SupportBundleTest, ZipHoldsLogsSettingsDeviceAndADecodableTable) {
  test::TempFolder dir;
  fs::create_directories(dir / "log");
  fs::create_directories(dir / "FileData");
  test::writeBytes(dir / "log" / "kv816.log", "link up\n");
  test::writeBytes(dir / "log" / "notes.txt", "not a log\n");
  test::writeBytes(dir / "FileData" / "Configuration.ini", "[kv816]\nHotPassword=secret99\n");
  std::vector<int32_t> values(PARAM_COUNT, 7);
  PresetNames names;
  names.setName(1, u"Stage Left");
  names.setReceived(1, true);
  DeviceInfo info;
  info.deviceId = 20015;
  info.lockMask = 1u << 3;

  SupportBundle bundle;
  bundle.addLogs(dir / "log");
  bundle.addFileIfPresent(dir / "missing-trace.txt", "trace.txt");
  bundle.addSettings({dir / "FileData", dir / "fallback", "kv816"});
  bundle.addDevice(DeviceSnapshot::of(info, names, true, 2));
  bundle.addTable(values, 20015);
  std::string error;
  ASSERT_TRUE(bundle.write(dir / "b.zip", error)) << error;

  const auto files = testing::zipContents((dir / "b.zip").string());
  EXPECT_EQ(files.at("log/kv816.log"), "link up\n");
  EXPECT_FALSE(files.count("log/notes.txt"));
  EXPECT_FALSE(files.count("trace.txt"));
  EXPECT_EQ(files.at("settings/FileData/Configuration.ini"), "[kv816]\nHotPassword=********\n");
  EXPECT_NE(files.at("device.txt").find("device id: 20015\n"), std::string::npos);
  EXPECT_NE(files.at("device.txt").find("locked presets: 3\n"), std::string::npos);
  EXPECT_NE(files.at("device.txt").find("* 2  Stage Left\n"), std::string::npos);
  const std::string& jib = files.at("table.jib");
  PresetHeader header;
  std::vector<int32_t> read;
  ASSERT_EQ(parsePresetImage(decodePresetBytes(std::span(
                                 reinterpret_cast<const uint8_t*>(jib.data()), jib.size())),
                             header, read),
            PresetResult::Done);
  EXPECT_EQ(header.modelId, 20015);
  EXPECT_EQ(read, values);
}

TEST(SupportBundleTest, WithoutADeviceSaysSoAndAFailedWriteGivesTheReason) {
  test::TempFolder dir;
  SupportBundle bundle;
  bundle.addDevice(DeviceSnapshot{});
  EXPECT_EQ(bundle.entries().at(0).data, "no device connected\n");
  std::string error;
  EXPECT_FALSE(bundle.write(dir / "no-such-folder" / "b.zip", error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(fs::exists(dir / "no-such-folder"));
}

} // namespace
} // namespace kv816
