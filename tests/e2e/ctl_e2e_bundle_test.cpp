// kv816ctl support-bundle: one zip with what support needs, and no password in it.

#include <archive.h>
#include <archive_entry.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "ctl_process.h"

namespace kv816::testing {
namespace {

namespace fs = std::filesystem;

std::map<std::string, std::string> zipContents(const std::string& path) {
  std::map<std::string, std::string> files;
  archive* zip = archive_read_new();
  archive_read_support_format_zip(zip);
  if (archive_read_open_filename(zip, path.c_str(), 16384) == ARCHIVE_OK) {
    archive_entry* entry = nullptr;
    while (archive_read_next_header(zip, &entry) == ARCHIVE_OK) {
      std::string data(static_cast<size_t>(archive_entry_size(entry)), '\0');
      archive_read_data(zip, data.data(), data.size());
      files[archive_entry_pathname(entry)] = data;
    }
  }
  archive_read_free(zip);
  return files;
}

TEST(CtlSupportBundle, HoldsChecksDeviceAndTableWithPasswordsMasked) {
  const fs::path folder = uniqueTempPath("ctl-bundle");
  fs::create_directories(folder / "FileData");
  ::setenv("KV816_CONFIG_DIR", (folder / "FileData").c_str(), 1);
  ::setenv("XDG_STATE_HOME", (folder / "state").c_str(), 1);
  std::ofstream(folder / "FileData/Configuration.ini")
      << "[kv816]\nDemoDevice=1\nHotPassword=secret99\nStaPW=hidden42\n";
  const std::string zip = (folder / "bundle.zip").string();

  const CtlRun run = runCtl({"--demo", "support-bundle", zip});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto files = zipContents(zip);
  for (const char* name : {"doctor.txt", "versions.txt", "device.txt", "table.jib"})
    EXPECT_TRUE(files.count(name)) << name;
  EXPECT_NE(files.at("device.txt").find("20015"), std::string::npos) << files.at("device.txt");
  std::string all;
  for (const auto& [name, data] : files)
    all += data;
  EXPECT_NE(all.find("HotPassword=********"), std::string::npos);
  EXPECT_EQ(all.find("secret99"), std::string::npos);
  EXPECT_EQ(all.find("hidden42"), std::string::npos);
  fs::remove_all(folder);
}

} // namespace
} // namespace kv816::testing
