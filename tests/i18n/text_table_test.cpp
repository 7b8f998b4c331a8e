#include "i18n/band_labels.h"
#include "i18n/text.h"
#include "i18n/text_table.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <set>
#include <string>
#include <string_view>
#include <thread>

namespace kv816 {
namespace {

class TextTableTest : public ::testing::Test {
protected:
  void TearDown() override { setCurrentLanguage(LanguageIndex::SimplifiedChinese); }
};

TEST(TextTable, EveryKeyHasItsRowAndThreeTexts) {
  const auto rows = TextTable::rows();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto key = static_cast<Text>(i);
    EXPECT_EQ(rows[i].key, key) << i;
    EXPECT_EQ(&TextTable::triple(key), &rows[i]) << i;
    EXPECT_FALSE(rows[i].simplifiedChinese.empty()) << rows[i].english;
    EXPECT_FALSE(rows[i].traditionalChinese.empty()) << rows[i].english;
    EXPECT_FALSE(rows[i].english.empty()) << i;
  }
}

TEST(TextTable, EnglishTextsAreUniqueAndFindTheirKey) {
  std::set<std::string_view> seen;
  for (const TextTriple& row : TextTable::rows()) {
    EXPECT_TRUE(seen.insert(row.english).second) << "two keys share " << row.english;
    EXPECT_EQ(findText(row.english), row.key) << row.english;
  }
  EXPECT_EQ(findText("Remote"), Text::MenuRemote);
  EXPECT_EQ(findText("GEQ"), std::nullopt); // the key is "GEQ " with its space
  EXPECT_EQ(findText(""), std::nullopt);
}

TEST_F(TextTableTest, LookupFollowsTheCurrentLanguage) {
  const struct {
    LanguageIndex language;
    std::string_view system;
    std::string_view status;
  } cases[] = {
      {LanguageIndex::SimplifiedChinese, "系统", "连接状态:连接成功"},
      {LanguageIndex::TraditionalChinese, "系統", "連接狀態:連接成功"},
      {LanguageIndex::English, "System", "Link Status:Successful"},
  };
  for (const auto& c : cases) {
    setCurrentLanguage(c.language);
    EXPECT_EQ(langText(Text::MenuSystem), c.system);
    EXPECT_EQ(langText(Text::LinkStatusSuccessful), c.status);
  }
}

// Texts whose spaces, breaks and mixed characters are easy to lose.
TEST(TextTable, ExactTexts) {
  using L = LanguageIndex;
  const struct {
    Text key;
    LanguageIndex language;
    std::string_view text;
  } cases[] = {
      {Text::Geq, L::English, "GEQ "},
      {Text::Mute, L::English, "Mute "},
      {Text::Threshold, L::SimplifiedChinese, "阀  值"},
      {Text::Threshold, L::TraditionalChinese, "閥  值"},
      {Text::MenuConfigure, L::English, "Comfigure"},
      {Text::NoFiles, L::English, "No files。"},
      {Text::WriteDataFailed, L::TraditionalChinese, "寫數據失败!"},
      {Text::HotspotPassword, L::TraditionalChinese, "热点密码:"},
      {Text::FileExistsOverwrite, L::SimplifiedChinese, "文件已存在!\n 是否覆盖!"},
      {Text::GetData, L::English, "Get\n\tData"},
      {Text::NotCurrentPreset, L::English,
       "Click not the current mode!\r\n please click the left mode number,\r\n set to the "
       "current mode to modify the name!"},
      {Text::LinkwitzSlope, L::TraditionalChinese, "寧克%ddb"},
      {Text::FileDialogFilter, L::TraditionalChinese, "默認文件(*.jib)|*.jib||"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(langText(c.key, c.language), c.text) << static_cast<int>(c.key);
  }
}

TEST(TextTable, ProgressFormatsTakeOnePercentage) {
  char line[80];
  std::snprintf(line, sizeof line, langText(Text::ReadDataProgress, LanguageIndex::English).data(),
                42.0);
  EXPECT_STREQ(line, "Read Device Data:   42 %");
  std::snprintf(line, sizeof line,
                langText(Text::UpdateSceneProgress, LanguageIndex::SimplifiedChinese).data(),
                100.0);
  EXPECT_STREQ(line, "更新场景参数:  100 %");
}

TEST(TextTable, UnknownLanguageOrKeyIsHarmless) {
  EXPECT_EQ(langText(Text::MenuRemote, static_cast<LanguageIndex>(5)), "连接");
  EXPECT_EQ(langText(static_cast<Text>(TEXT_COUNT), LanguageIndex::English), "");
}

// A reader on another thread sees one of the three forms while the language switches.
TEST_F(TextTableTest, ReadersOnOtherThreadsSeeAWholeText) {
  std::atomic<bool> stop{false};
  std::atomic<int> bad{0};
  std::thread reader([&] {
    while (!stop.load(std::memory_order_relaxed)) {
      const std::string_view text = langText(Text::MenuRemote);
      if (text != "连接" && text != "連接" && text != "Remote") {
        bad.fetch_add(1, std::memory_order_relaxed);
      }
    }
  });
  for (int i = 0; i < 3000; ++i) {
    setCurrentLanguage(static_cast<LanguageIndex>(i % 3));
  }
  stop.store(true, std::memory_order_relaxed);
  reader.join();
  EXPECT_EQ(bad.load(), 0);
}

TEST(BandLabels, ThirtyTwoLabelsFrom20To20K) {
  EXPECT_EQ(BAND_LABELS.size(), 32u);
  EXPECT_EQ(bandLabel(0), "20");
  EXPECT_EQ(bandLabel(17), "1K");
  EXPECT_EQ(bandLabel(22), "3K1");
  EXPECT_EQ(bandLabel(31), "20K");
  EXPECT_EQ(bandLabel(-1), "");
  EXPECT_EQ(bandLabel(32), "");
}

} // namespace
} // namespace kv816
