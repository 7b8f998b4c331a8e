#include "ui/shell/tab_layout.h"

#include <gtest/gtest.h>

namespace kv816 {
namespace {

TEST(TabLayout, CountsThreePlusTwoInputsPlusOutputs) {
  EXPECT_EQ(tabCount(0), 11);
  EXPECT_EQ(tabCount(1), 13);
  EXPECT_EQ(tabCount(2), 17);
  EXPECT_EQ(tabCount(3), 19);
  EXPECT_EQ(tabCount(7), 19); // above 3 counts as 3
}

TEST(TabLayout, MapsTabsToPagesAndBack) {
  struct Case {
    int mode, tab, page;
  };
  const Case cases[] = {
      {1, 0, 0},   {1, 2, 2},   {1, 3, 3},   {1, 4, 4},   {1, 5, 7}, {1, 6, 8},
      {1, 7, 11},  {1, 12, 16}, {0, 10, 14}, {3, 5, 5},   {3, 6, 6}, {3, 7, 7},
      {3, 10, 10}, {3, 11, 11}, {3, 18, 18}, {2, 16, 16},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(pageOfTab(c.tab, c.mode), c.page) << "mode " << c.mode << " tab " << c.tab;
    EXPECT_EQ(tabOfPage(c.page, c.mode), c.tab) << "mode " << c.mode << " page " << c.page;
  }
}

TEST(TabLayout, PagesTheModeDoesNotShowHaveNoTab) {
  EXPECT_EQ(tabOfPage(5, 1), -1);  // graphic EQ of input C with two inputs
  EXPECT_EQ(tabOfPage(9, 1), -1);  // input C
  EXPECT_EQ(tabOfPage(17, 1), -1); // output 7 with six outputs
  EXPECT_EQ(tabOfPage(19, 3), -1);
  EXPECT_EQ(tabOfPage(-1, 3), -1);
  EXPECT_EQ(pageOfTab(13, 1), -1);
  EXPECT_EQ(pageOfTab(-1, 1), -1);
}

} // namespace
} // namespace kv816
