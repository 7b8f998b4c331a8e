// The access token: made once, kept for the next start, readable by its owner only.

#include <gtest/gtest.h>

#include <fstream>

#include "api/api_token.h"

namespace kv816 {
namespace {

namespace fs = std::filesystem;

TEST(ApiTokenFileTest, MadeOnceOwnerOnlyAndADamagedFileIsReplaced) {
  const fs::path folder = fs::temp_directory_path() / "kv816_token_test" / "FileData";
  fs::remove_all(folder.parent_path());
  std::string error;
  const std::string token = loadOrCreateApiToken(folder, error);
  ASSERT_EQ(token.size(), 32u) << error;
  EXPECT_EQ(loadOrCreateApiToken(folder, error), token);
  const fs::perms mode = fs::status(folder / API_TOKEN_FILE).permissions();
  EXPECT_EQ(mode & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

  fs::permissions(folder / API_TOKEN_FILE, fs::perms::all);
  EXPECT_EQ(loadOrCreateApiToken(folder, error), token);
  EXPECT_EQ(fs::status(folder / API_TOKEN_FILE).permissions() & fs::perms::others_read,
            fs::perms::none)
      << "a token left readable by others is restricted again";

  std::ofstream(folder / API_TOKEN_FILE) << "short\n";
  const std::string replaced = loadOrCreateApiToken(folder, error);
  EXPECT_EQ(replaced.size(), 32u);
  EXPECT_NE(replaced, token);
  fs::remove_all(folder.parent_path());
}

} // namespace
} // namespace kv816
