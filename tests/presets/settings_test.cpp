#include "presets/settings.h"

#include "presets/temp_folder.h"

#include <gtest/gtest.h>

namespace kv816 {
namespace {

namespace fs = std::filesystem;

class SettingsTest : public ::testing::Test {
protected:
  SettingsFolders folders() const { return {dir_ / "FileData", dir_ / "fallback", "kv816"}; }
  // A preset folder that can never be created, even by root: its parent is a plain file.
  SettingsFolders blockedFolders() const {
    test::writeBytes(dir_ / "blocker", "x");
    return {dir_ / "blocker" / "FileData", dir_ / "fallback", "kv816"};
  }
  test::TempFolder dir_;
};

TEST_F(SettingsTest, FirstWriteCreatesTheFileDataFolderAndSection) {
  const Settings settings(folders());
  EXPECT_EQ(settings.language(), -1);
  ASSERT_TRUE(settings.writeLanguage(2));
  EXPECT_EQ(settings.language(), 2);
  EXPECT_EQ(test::readBytes(dir_ / "FileData" / "Language.ini"), "[kv816]\nLanguage=2\n");
  EXPECT_FALSE(fs::exists(dir_ / "fallback"));

  // Another program name reads and writes its own section.
  const Settings renamed({dir_ / "FileData", dir_ / "fallback", "kv816-renamed"});
  EXPECT_EQ(renamed.language(), -1);
}

TEST_F(SettingsTest, FallsBackWhenTheProgramFolderCannotBeWritten) {
  const Settings settings(blockedFolders());
  ASSERT_TRUE(settings.writeLinkChoice(LINK_NETWORK, 57600));
  EXPECT_EQ(test::readBytes(dir_ / "fallback" / "Configuration.ini"),
            "[kv816]\nm_COM_MdoeIO=2\nm_COM_m_BoTeLV=57600\n");
  const LinkConfig config = settings.readLinkConfig();
  EXPECT_EQ(config.linkType, LINK_NETWORK);
  EXPECT_EQ(config.baudRate, 57600);
}

TEST_F(SettingsTest, ReadPrefersTheProgramFolderAndSkipsNegativeValues) {
  fs::create_directories(dir_ / "FileData");
  fs::create_directories(dir_ / "fallback");
  test::writeBytes(dir_ / "FileData" / "Configuration.ini", "[kv816]\nm_COM_MdoeIO=-5\nA=1\n");
  test::writeBytes(dir_ / "fallback" / "Configuration.ini", "[kv816]\nm_COM_MdoeIO=3\nA=2\nB=7\n");
  const Settings settings(folders());
  EXPECT_EQ(settings.readSetting(CONFIGURATION_FILE, "A"), 1);
  EXPECT_EQ(settings.readSetting(CONFIGURATION_FILE, "B"), 7);
  EXPECT_EQ(settings.readSetting(CONFIGURATION_FILE, key::LINK_TYPE), 3);
  EXPECT_EQ(settings.readSetting(CONFIGURATION_FILE, "C"), -1);
}

TEST_F(SettingsTest, LinkConfigDefaults) {
  const LinkConfig config = Settings(folders()).readLinkConfig();
  EXPECT_EQ(config.linkType, LINK_USB);
  EXPECT_EQ(config.baudRate, 115200);
  EXPECT_TRUE(config.serialPorts.empty());
  EXPECT_EQ(config.netBroadcastAddress, "255.255.255.255");
  EXPECT_TRUE(config.netSweep);
  EXPECT_EQ(config.netSweepBase, "");
  EXPECT_EQ(config.netUdpPort, 1010);
  EXPECT_EQ(config.netLocalUdpPort, 1010);
  EXPECT_EQ(config.netTcpPort, 1010);
  EXPECT_FALSE(config.demoDevice);
}

TEST_F(SettingsTest, LinkConfigFromTheFile) {
  fs::create_directories(dir_ / "FileData");
  test::writeBytes(dir_ / "FileData" / "Configuration.ini",
                   "[kv816]\n"
                   "m_COM_MdoeIO=0\n"
                   "m_COM_m_BoTeLV=0\n"
                   "SerialPorts= /dev/pts/7 ,,/dev/ttyUSB0 \n"
                   "NetBroadcastAddress=127.0.0.1\n"
                   "NetSweep=0\n"
                   "NetSweepBase=127.0.0.0\n"
                   "NetUdpPort=40001\n"
                   "NetLocalUdpPort=0\n"
                   "NetTcpPort=70000\n"
                   "DemoDevice=1\n");
  const LinkConfig config = Settings(folders()).readLinkConfig();
  EXPECT_EQ(config.linkType, 0); // 0 selects a plain serial port
  EXPECT_EQ(config.baudRate, 115200);
  EXPECT_EQ(config.serialPorts, (std::vector<std::string>{"/dev/pts/7", "/dev/ttyUSB0"}));
  EXPECT_EQ(config.netBroadcastAddress, "127.0.0.1");
  EXPECT_FALSE(config.netSweep);
  EXPECT_EQ(config.netSweepBase, "127.0.0.0");
  EXPECT_EQ(config.netUdpPort, 40001);
  EXPECT_EQ(config.netLocalUdpPort, 0);
  EXPECT_EQ(config.netTcpPort, 1010); // out of range
  EXPECT_TRUE(config.demoDevice);
}

TEST(SettingsFolders, FallbackFolderFromTheEnvironment) {
  struct Case {
    const char* xdg;
    const char* home;
    const char* expected;
  };
  const Case cases[] = {
      {"/x/config", "/home/u", "/x/config/kv816"},
      {"relative", "/home/u", "/home/u/.config/kv816"},
      {"", "/home/u", "/home/u/.config/kv816"},
      {nullptr, "/home/u", "/home/u/.config/kv816"},
      {nullptr, nullptr, "kv816"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fallbackFolderFrom(c.xdg, c.home), fs::path(c.expected))
        << (c.xdg ? c.xdg : "(null)");
  }
}

TEST(SettingsFolders, ThisProgramIsTheTestExecutable) {
  const SettingsFolders folders = SettingsFolders::forThisProgram();
  EXPECT_EQ(folders.section, "kv816_presets_tests");
  if (std::getenv(CONFIG_DIR_ENV) == nullptr) {
    EXPECT_EQ(folders.presetFolder, programFolder() / "FileData");
  }
  EXPECT_EQ(SettingsFolders::forThisProgram("kv816").section, "kv816");
}

} // namespace
} // namespace kv816
