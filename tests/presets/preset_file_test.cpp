#include "presets/preset_file.h"

#include "model/parameter_table.h"
#include "presets/temp_folder.h"

#include <gtest/gtest.h>

namespace kv816 {
namespace {

namespace fs = std::filesystem;

class PresetFileTest : public ::testing::Test {
protected:
  PresetFileTest() : values_(PARAM_COUNT) {
    for (int i = 0; i < PARAM_COUNT; ++i) {
      values_[i] = (i * 101) & 0xFFFF;
    }
  }
  SettingsFolders folders() const { return {dir_ / "FileData", dir_ / "fallback", "kv816"}; }
  PresetFile makeFile(const SettingsFolders& f) const {
    PresetFile file(f);
    file.setRandomSeed(11);
    file.setModelId(DEVICE_ID);
    file.setSaveTime({2023, 12, 31, 23, 59, 58});
    return file;
  }
  PresetFile makeFile() const { return makeFile(folders()); }
  std::string at(const std::string& name) const { return (dir_ / name).string(); }

  test::TempFolder dir_;
  std::vector<int32_t> values_;
};

TEST_F(PresetFileTest, WriteThenReadBack) {
  PresetFile writer = makeFile();
  ASSERT_EQ(writer.writePreset(at("show"), values_), PresetResult::Done);
  EXPECT_EQ(fs::file_size(dir_ / "show.jib"), PRESET_FILE_SIZE);

  PresetFile reader(folders());
  ASSERT_EQ(reader.readPreset(at("show.jib")), PresetResult::Done);
  EXPECT_EQ(reader.values(), values_);
  EXPECT_EQ(reader.header().modelId, DEVICE_ID);
  EXPECT_EQ(reader.header().passwordFlag, 0);
  EXPECT_EQ(reader.header().time, (PresetTime{2023, 12, 31, 23, 59, 58}));
}

TEST_F(PresetFileTest, WriteResults) {
  PresetFile file = makeFile();
  ASSERT_EQ(file.writePreset(at("a"), values_), PresetResult::Done);
  const std::string before = test::readBytes(dir_ / "a.jib");
  file.setRandomSeed(12);
  EXPECT_EQ(file.writePreset(at("a"), values_), PresetResult::Exists);
  EXPECT_EQ(test::readBytes(dir_ / "a.jib"), before);
  EXPECT_EQ(file.writePreset("", values_), PresetResult::EmptyName);
  EXPECT_EQ(file.writePreset(at("missing/b"), values_), PresetResult::CannotCreate);
  // ".jib" anywhere in the name keeps the name as it is.
  EXPECT_EQ(file.writePreset(at("c.jib.old"), values_), PresetResult::Done);
  EXPECT_TRUE(fs::exists(dir_ / "c.jib.old"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), {}), 2); // no temporaries left
}

TEST_F(PresetFileTest, SaveResolvesRelativeNamesIntoThePresetFolder) {
  PresetFile file = makeFile();
  ASSERT_EQ(file.savePreset("stage", values_), PresetResult::Done);
  EXPECT_EQ(file.lastPath(), (dir_ / "FileData" / "stage.jib").string());
  // Saving again replaces the file the user agreed to overwrite.
  values_[5] = 4242;
  ASSERT_EQ(file.savePreset("stage", values_), PresetResult::Done);
  EXPECT_TRUE(file.presetExists("stage"));

  PresetFile reader(folders());
  ASSERT_EQ(reader.loadPreset("stage"), PresetResult::Done);
  EXPECT_EQ(reader.values()[5], 4242);

  ASSERT_EQ(file.savePreset(at("full"), values_), PresetResult::Done);
  EXPECT_EQ(file.lastPath(), at("full.jib"));
  EXPECT_EQ(file.savePreset("", values_), PresetResult::EmptyName);
}

TEST_F(PresetFileTest, SaveFallsBackWhenThePresetFolderCannotBeCreated) {
  test::writeBytes(dir_ / "blocker", "x"); // a file where a folder would have to be
  const SettingsFolders blocked{dir_ / "blocker" / "FileData", dir_ / "fallback", "kv816"};
  PresetFile file = makeFile(blocked);
  ASSERT_EQ(file.savePreset("hall", values_), PresetResult::Done);
  EXPECT_EQ(file.lastPath(), (dir_ / "fallback" / "hall.jib").string());
  EXPECT_TRUE(file.presetExists("hall"));
  PresetFile reader(blocked);
  EXPECT_EQ(reader.loadPreset("hall"), PresetResult::Done);
  EXPECT_EQ(reader.loadPreset("nowhere"), PresetResult::CannotOpen);
  EXPECT_FALSE(reader.presetExists("nowhere"));
  EXPECT_EQ(reader.loadPreset(""), PresetResult::EmptyName);
}

TEST_F(PresetFileTest, HostileFilesAreReadFailures) {
  PresetFile writer = makeFile();
  ASSERT_EQ(writer.writePreset(at("good"), values_), PresetResult::Done);
  const std::string good = test::readBytes(dir_ / "good.jib");
  std::string badFiller = good;
  badFiller[100] = static_cast<char>(badFiller[100] ^ 0x40);
  // Header numbers sit in the encoded part: rewrite the count's high byte pair with the
  // codes of 0x7F, making the count enormous.
  std::string hugeCount = good;
  const size_t countHigh = 256 + 2 * (269 - 256);
  hugeCount[countHigh] = good[20 + 7];
  hugeCount[countHigh + 1] = good[20 + 15];
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"empty", ""},
      {"200 bytes", good.substr(0, 200)},
      {"clear part only", good.substr(0, 256)},
      {"truncated", good.substr(0, 4000)},
      {"changed filler", badFiller},
      {"huge count", hugeCount},
      {"garbage", std::string(6000, '\xA5')},
  };
  PresetFile reader(folders());
  ASSERT_EQ(reader.readPreset(at("good")), PresetResult::Done);
  for (const Case& c : cases) {
    test::writeBytes(dir_ / "hostile.jib", c.bytes);
    EXPECT_EQ(reader.readPreset(at("hostile")), PresetResult::BadData) << c.name;
    EXPECT_EQ(reader.values(), values_) << c.name; // the last good read stays
  }
  EXPECT_EQ(reader.readPreset(at("absent")), PresetResult::CannotOpen);
  EXPECT_EQ(reader.readPreset(dir_.path().string() + "/"), PresetResult::CannotOpen);
}

} // namespace
} // namespace kv816
