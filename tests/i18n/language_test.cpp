#include "i18n/language.h"

#include <gtest/gtest.h>

#include <optional>

namespace kv816 {
namespace {

class LanguageTest : public ::testing::Test {
protected:
  void TearDown() override { setCurrentLanguage(LanguageIndex::SimplifiedChinese); }
};

// Runs first in its own process under ctest; the fixture restores the start language
// after every other test when the binary runs them all in one process.
TEST_F(LanguageTest, StartsInSimplifiedChineseAndIgnoresUnknownValues) {
  EXPECT_EQ(currentLanguage(), LanguageIndex::SimplifiedChinese);
  setCurrentLanguage(LanguageIndex::English);
  EXPECT_EQ(currentLanguage(), LanguageIndex::English);
  setCurrentLanguage(static_cast<LanguageIndex>(3));
  setCurrentLanguage(static_cast<LanguageIndex>(-1));
  EXPECT_EQ(currentLanguage(), LanguageIndex::English);
}

TEST(LanguageNumbers, PlatformLanguageOfEachIndex) {
  EXPECT_EQ(platformLanguageId(LanguageIndex::SimplifiedChinese), 2052);
  EXPECT_EQ(platformLanguageId(LanguageIndex::TraditionalChinese), 1028);
  EXPECT_EQ(platformLanguageId(LanguageIndex::English), 1033);
}

TEST(LanguageNumbers, LanguageFileAcceptsOnlyTheThreeIndices) {
  const struct {
    int number;
    std::optional<LanguageIndex> language;
  } cases[] = {
      {-1, std::nullopt},
      {0, LanguageIndex::SimplifiedChinese},
      {1, LanguageIndex::TraditionalChinese},
      {2, LanguageIndex::English},
      {3, std::nullopt},
      {2052, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(languageFromNumber(c.number), c.language) << c.number;
  }
}

TEST(LanguageNumbers, SystemLocaleChoosesTheLanguage) {
  const struct {
    int locale;
    LanguageIndex language;
  } cases[] = {
      {0x0804, LanguageIndex::SimplifiedChinese},
      {0x0404, LanguageIndex::TraditionalChinese},
      {0x0C04, LanguageIndex::TraditionalChinese},
      {0x1004, LanguageIndex::English},
      {0x0409, LanguageIndex::English},
      {0, LanguageIndex::English},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(languageFromLocale(c.locale), c.language) << std::hex << c.locale;
  }
}

} // namespace
} // namespace kv816
