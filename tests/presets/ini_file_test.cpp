#include "presets/ini_file.h"

#include "presets/temp_folder.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace kv816 {
namespace {

constexpr const char* SAMPLE = "; written by hand\n"
                               "[Other]\n"
                               "Keep=1\n"
                               "\n"
                               "[kv816]\n"
                               "Language=2\n"
                               "Odd line without equals\n"
                               "\n"
                               "[Last]\n"
                               "Tail = text value \n";

TEST(IniFile, SetValueChangesOnlyItsLine) {
  IniFile ini;
  ini.parse(SAMPLE);
  ini.setValue("kv816", "Language", "0");
  ini.setValue("KV816", "m_COM_MdoeIO", "2");
  ini.setValue("New", "DemoDevice", "1");
  EXPECT_EQ(ini.text(), "; written by hand\n"
                        "[Other]\n"
                        "Keep=1\n"
                        "\n"
                        "[kv816]\n"
                        "Language=0\n"
                        "Odd line without equals\n"
                        "m_COM_MdoeIO=2\n"
                        "\n"
                        "[Last]\n"
                        "Tail = text value \n"
                        "\n"
                        "[New]\n"
                        "DemoDevice=1\n");
}

TEST(IniFile, LookupTrimsIgnoresCaseAndKeepsSectionsApart) {
  IniFile ini;
  ini.parse(SAMPLE);
  EXPECT_EQ(ini.value("last", "TAIL"), "text value");
  EXPECT_EQ(ini.intValue("Other", "Keep"), 1);
  EXPECT_EQ(ini.intValue("kv816", "Keep"), std::nullopt);
  EXPECT_EQ(ini.intValue("Missing", "Keep"), std::nullopt);
}

TEST(IniFile, IntegerValues) {
  struct Case {
    const char* text;
    std::optional<int> expected;
  };
  const Case cases[] = {
      {"115200", 115200},    {"-1", -1},         {"+7", 7},           {"12abc", 12},
      {"abc", std::nullopt}, {"", std::nullopt}, {"-", std::nullopt}, {"99999999999", std::nullopt},
  };
  for (const Case& c : cases) {
    IniFile ini;
    ini.parse(std::string("[s]\nk=") + c.text + "\n");
    EXPECT_EQ(ini.intValue("s", "k"), c.expected) << c.text;
  }
}

TEST(IniFile, MalformedInputIsIgnoredNotFatal) {
  const std::string cases[] = {
      std::string("\0\xff\xfe[\x01=\n]]]==\n[\n=\n", 17),
      "key before any section=1\n[s]\nk=5",
      "[s\nk=1\n[s]\r\nk=3\r\n",
      std::string(5000, '['),
      "\xEF\xBB\xBF[s]\nk=4\n",
  };
  const std::optional<int> expected[] = {std::nullopt, 5, 3, std::nullopt, 4};
  for (size_t i = 0; i < std::size(cases); ++i) {
    IniFile ini;
    ini.parse(cases[i]);
    EXPECT_EQ(ini.intValue("s", "k"), expected[i]) << i;
    ini.setValue("s", "k", "9");
    IniFile again;
    again.parse(ini.text());
    EXPECT_EQ(again.intValue("s", "k"), 9) << i;
  }
}

TEST(IniFile, KeepsLineEndingsAndByteOrderMark) {
  IniFile ini;
  ini.parse("\xEF\xBB\xBF[s]\r\nk=1\r\n");
  ini.setValue("s", "k", "2\nInjected=1");
  EXPECT_EQ(ini.text(), "\xEF\xBB\xBF[s]\r\nk=2 Injected=1\r\n");
}

TEST(IniFile, SaveAndLoadThroughTheFileSystem) {
  test::TempFolder dir;
  const auto path = dir / "Configuration.ini";
  test::writeBytes(path, SAMPLE);
  IniFile ini;
  ASSERT_TRUE(ini.load(path));
  ini.setValue("kv816", "Language", "1");
  ASSERT_TRUE(ini.save(path));
  IniFile again;
  ASSERT_TRUE(again.load(path));
  EXPECT_EQ(again.text(), ini.text());
  EXPECT_EQ(again.intValue("kv816", "Language"), 1);
  // Nothing but the file itself is left behind by the temporary-file write.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

  EXPECT_FALSE(ini.load(dir / "missing.ini"));
  EXPECT_EQ(ini.text(), "");
  EXPECT_FALSE(ini.load(dir.path())); // a folder is not a file
  EXPECT_FALSE(ini.save(dir / "no-such-folder" / "x.ini"));
}

} // namespace
} // namespace kv816
