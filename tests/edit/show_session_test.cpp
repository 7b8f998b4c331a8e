// The show session: when a connection must compare first, and the recent files.

#include <gtest/gtest.h>

#include "edit/show_session.h"

namespace kv816 {
namespace {

TEST(ShowSession, OnlyAnOpenFileOrOfflineEditsMakeAConnectionCompareFirst) {
  ShowSession show;
  EXPECT_FALSE(show.needsCompare());
  show.noteEdited(true); // edits that reached a device: it already holds them
  EXPECT_FALSE(show.needsCompare());
  EXPECT_FALSE(show.modified());
  show.noteEdited(false); // the link was down: the edit lives only in the show
  EXPECT_TRUE(show.needsCompare());
  EXPECT_TRUE(show.modified());
  show.synced(false);
  EXPECT_FALSE(show.needsCompare());
  show.opened("/shows/hall.jib");
  EXPECT_TRUE(show.needsCompare());
  EXPECT_EQ(show.fileName(), "hall.jib");
  show.noteEdited(true); // an open file is modified by any edit
  EXPECT_TRUE(show.modified());
  show.saved("/shows/hall2.jib");
  EXPECT_FALSE(show.modified());
  EXPECT_EQ(show.path(), "/shows/hall2.jib");
  show.startUntitled();
  EXPECT_FALSE(show.needsCompare());
  EXPECT_EQ(show.fileName(), "");
}

TEST(ShowSession, RecentFilesKeepTheNewestEightEachOnce) {
  ShowSession show;
  show.setRecent({"b", "a", "b"});
  EXPECT_EQ(show.recent(), (std::vector<std::string>{"b", "a"}));
  for (int i = 0; i < 9; ++i)
    show.opened(std::to_string(i));
  show.saved("3");
  EXPECT_EQ(show.recent(), (std::vector<std::string>{"3", "8", "7", "6", "5", "4", "2", "1"}));
}

} // namespace
} // namespace kv816
