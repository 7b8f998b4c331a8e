// Export and import of preset files against the simulated device.

#include <atomic>
#include <filesystem>

#include "presets/preset_codec.h"
#include "presets/preset_file.h"
#include "task_fixture.h"

namespace kv816::test {
namespace {

using namespace std::chrono_literals;

class FileTasks : public TaskFixture {
protected:
  std::string path(const std::string& name) const { return (folder / name).string(); }

  // A file of distinct values that differ from the device's (except where noted).
  std::string writeFile(const std::string& name, int32_t modelId, int32_t password = 0) {
    std::vector<int32_t> values(PARAM_COUNT);
    for (int i = 0; i < PARAM_COUNT; ++i)
      values[static_cast<size_t>(i)] = (i * 7 + 3) & 0x7FFF;
    fileValues = values;
    PresetHeader header;
    header.modelId = modelId;
    header.passwordFlag = password;
    std::mt19937 random(5);
    const auto plain = buildPresetImage(header, values, random);
    const auto bytes = encodePresetImage(plain, random);
    writeBytes(path(name), std::string(bytes.begin(), bytes.end()));
    return path(name);
  }
  std::vector<int32_t> fileValues;
};

TEST_F(FileTasks, ExportWritesTheDevicesTable) {
  start();
  inputs.setName(path("a.jib"));
  EXPECT_EQ(run(TASK_EXPORT), TaskResult::Done);
  PresetFile file(inputs.folders());
  ASSERT_EQ(file.readPreset(path("a.jib")), PresetResult::Done);
  EXPECT_EQ(file.header().modelId, DEVICE_ID);
  const DeviceState state = device->state();
  for (int i = 0; i < PARAM_COUNT; ++i) {
    if (deviceHeld(i))
      continue;
    ASSERT_EQ(file.values()[static_cast<size_t>(i)], state.table[i]) << "index " << i;
  }
  const auto messages = events.messages();
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back().caption, "Save successfully!");
  EXPECT_EQ(messages.back().text, path("a.jib"));
}

TEST_F(FileTasks, ExportOfALockedPresetWritesNoFile) {
  SimConfig config;
  config.lockCurrentPreset = true;
  start(config);
  inputs.setName(path("locked.jib"));
  EXPECT_EQ(run(TASK_EXPORT), TaskResult::Locked);
  EXPECT_FALSE(std::filesystem::exists(path("locked.jib")));
  EXPECT_EQ(messageTexts(),
            (std::vector<std::string>{"Unable to read encrypted mode!", "Save Failed!"}));
}

TEST_F(FileTasks, ImportMakesTheDeviceEqualToTheFileExceptTheDeviceHeldEntries) {
  start();
  const DeviceState before = device->state();
  inputs.setName(writeFile("b.jib", DEVICE_ID));
  EXPECT_EQ(run(TASK_IMPORT), TaskResult::Done);
  const DeviceState after = device->state();
  for (int i = 19; i <= IDX_CHANNELS_LAST; ++i)
    ASSERT_EQ(after.table[i], fileValues[static_cast<size_t>(i)]) << "index " << i;
  for (int i : {1162, 1163, 1165, 1166, 1174})
    EXPECT_NE(table.value(i), fileValues[static_cast<size_t>(i)]) << "index " << i;
  EXPECT_EQ(after.table[1174], before.table[1174]);
  const auto texts = events.progressTexts();
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Update Scene Data:  100 %"), texts.end());
  EXPECT_TRUE(messageTexts().empty());
  EXPECT_TRUE(inputs.differing().empty());
}

// A device that echoed a write but holds another value when read back (it let the value
// go, or took it only for a moment): the read-back, not the echo, decides the result.
TEST_F(FileTasks, ImportFailsWhenTheReadBackDiffersFromTheFile) {
  constexpr int LOST = 100;
  start();
  const uint16_t before = device->state().table[LOST];
  std::atomic<bool> reverted{false};
  setFrameFilter([&](const SentFrame& f) {
    if (f.command == cmd::BULK_DUMP && !reverted.exchange(true)) {
      DeviceState state = device->state();
      state.table[LOST] = before;
      device->loadState(state);
    }
    return true;
  });
  inputs.setName(writeFile("c.jib", DEVICE_ID));
  EXPECT_EQ(run(TASK_IMPORT), TaskResult::NotKept);
  EXPECT_EQ(inputs.differing(), std::vector<int>{LOST});
  EXPECT_EQ(messageTexts(), std::vector<std::string>{"Write Data Failed!"});
}

TEST_F(FileTasks, RefusedFilesApplyNothing) {
  start();
  const struct {
    std::string name;
    int32_t modelId;
    int32_t password;
    bool corrupt;
    TaskResult result;
    std::string message;
  } cases[] = {
      {"password.jib", DEVICE_ID, 1, false, TaskResult::Password, "The data has a password ."},
      {"model.jib", 20012, 0, false, TaskResult::WrongModel, "Wrong file version。"},
      {"corrupt.jib", DEVICE_ID, 0, true, TaskResult::NoFile, "No files。"},
      {"missing.jib", DEVICE_ID, 0, false, TaskResult::NoFile, "No files。"},
  };
  const DeviceState before = device->state();
  const int dumps = countSent(cmd::BULK_DUMP);
  for (const auto& c : cases) {
    if (c.name != "missing.jib")
      writeFile(c.name, c.modelId, c.password);
    if (c.corrupt) {
      std::string bytes = readBytes(path(c.name));
      bytes[5] = static_cast<char>(bytes[5] ^ 0x40); // a filler byte the checksum covers
      writeBytes(path(c.name), bytes);
    }
    inputs.setName(path(c.name));
    EXPECT_EQ(run(TASK_IMPORT), c.result) << c.name;
    EXPECT_EQ(messageTexts().back(), c.message) << c.name;
  }
  EXPECT_EQ(countSent(cmd::BULK_DUMP), dumps); // no read back
  const DeviceState after = device->state();
  for (int i = 19; i <= IDX_CHANNELS_LAST; ++i)
    ASSERT_EQ(after.table[i], before.table[i]) << "index " << i;
}

} // namespace
} // namespace kv816::test
