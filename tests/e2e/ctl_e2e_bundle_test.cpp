// kv816ctl support-bundle: one zip with what support needs, and no password in it.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ctl_process.h"
#include "support/zip_contents.h"

namespace kv816::testing {
namespace {

namespace fs = std::filesystem;

TEST(CtlSupportBundle, HoldsChecksDeviceAndTableWithPasswordsMasked) {
  const fs::path folder = uniqueTempPath("ctl-bundle");
  fs::create_directories(folder / "FileData");
  ::setenv("KV816_CONFIG_DIR", (folder / "FileData").c_str(), 1);
  ::setenv("XDG_STATE_HOME", (folder / "state").c_str(), 1);
  std::ofstream(folder / "FileData/Configuration.ini")
      << "[kv816]\nDemoDevice=1\nHotPassword=secret99\nStaPW=hidden42\nTraceEnabled=1\n";
  const std::string zip = (folder / "bundle.zip").string();
  // The setting alone turns the trace on; the bundle's own device runs leave it as it was.
  ASSERT_EQ(runCtl({"--demo", "info"}).exitCode, 0);
  const std::string tracePath = (folder / "state/kv816/trace-kv816ctl.txt").string();
  const std::string trace = readFile(tracePath);
  EXPECT_NE(trace.find(" OUT 80 "), std::string::npos) << trace.substr(0, 200);

  const CtlRun run = runCtl({"--demo", "support-bundle", zip});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto files = zipContents(zip);
  for (const char* name : {"doctor.txt", "versions.txt", "device.txt", "table.jib"})
    EXPECT_TRUE(files.count(name)) << name;
  EXPECT_NE(files.at("device.txt").find("20015"), std::string::npos) << files.at("device.txt");
  EXPECT_EQ(files.at("trace/trace-kv816ctl.txt"), trace);
  EXPECT_EQ(readFile(tracePath), trace);
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
