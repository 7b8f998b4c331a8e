// kv816ctl jib set, jib diff and diff end to end: files edited offline with set's syntax,
// and the device against a file, over a pseudo-terminal to kv816-sim.

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "ctl_process.h"

namespace kv816::testing {
namespace {

namespace fs = std::filesystem;

class DiffEndToEnd : public ::testing::Test {
protected:
  void SetUp() override {
    folder = uniqueTempPath("diff-e2e");
    fs::create_directories(folder);
    ::setenv("KV816_CONFIG_DIR", (folder / "FileData").c_str(), 1);
    ptyPath = (folder / "pty").string();
    ASSERT_TRUE(sim.start({"--pty", ptyPath}));
    ASSERT_TRUE(sim.waitReady());
  }
  void TearDown() override {
    sim.stop();
    fs::remove_all(folder);
  }
  CtlRun ctl(std::vector<std::string> args) {
    std::vector<std::string> all{"--link", "serial", "--port", ptyPath};
    all.insert(all.end(), args.begin(), args.end());
    return runCtl(all);
  }
  std::string path(const std::string& name) const { return (folder / name).string(); }

  fs::path folder;
  std::string ptyPath;
  SimProcess sim;
};

// The k entries changed in the file are exactly the differences, whichever way round.
TEST_F(DiffEndToEnd, AFileWithKChangesDiffersFromTheDeviceInExactlyThose) {
  ASSERT_EQ(ctl({"export", path("show.jib")}).exitCode, 0);
  fs::copy_file(path("show.jib"), path("device.jib"));
  const CtlRun set = runCtl(
      {"jib", "set", path("show.jib"), "out2.peq3.gain=-3dB", "in1.mute=on", "out8.hpf.freq=80Hz"});
  ASSERT_EQ(set.exitCode, 0) << set.err;

  const CtlRun diff = ctl({"diff", path("show.jib"), "--json"});
  ASSERT_EQ(diff.exitCode, 0) << diff.err;
  const nlohmann::json list = nlohmann::json::parse(diff.out);
  ASSERT_EQ(list.size(), 3u) << diff.out;
  const std::vector<std::string> expected = {"in1.mute", "out2.peq3.gain", "out8.hpf.freq"};
  for (size_t i = 0; i < list.size(); ++i) {
    const nlohmann::json& d = list[i];
    EXPECT_EQ(d["channel"].get<std::string>() + "." + d["function"].get<std::string>(),
              expected[i]);
    EXPECT_NE(d["file_raw"], d["device_raw"]);
    EXPECT_TRUE(d.contains("index") && d.contains("file") && d.contains("device")) << d;
  }
  EXPECT_EQ(list[1]["file"], "-3.0dB");
  EXPECT_EQ(list[1]["device"], "0.0dB");

  const CtlRun files = runCtl({"jib", "diff", path("device.jib"), path("show.jib"), "--json"});
  ASSERT_EQ(files.exitCode, 0) << files.err;
  const nlohmann::json between = nlohmann::json::parse(files.out);
  ASSERT_EQ(between.size(), 3u);
  EXPECT_EQ(between[1]["a"], "0.0dB");
  EXPECT_EQ(between[1]["b"], "-3.0dB");
  EXPECT_EQ(between[1]["a_raw"], list[1]["device_raw"]);

  const CtlRun same = ctl({"diff", path("device.jib"), "--json"});
  EXPECT_EQ(same.exitCode, 0);
  EXPECT_EQ(nlohmann::json::parse(same.out).size(), 0u) << same.out;
}

TEST_F(DiffEndToEnd, JibSetRefusesBadInputAndLeavesTheFileUntouched) {
  ASSERT_EQ(ctl({"export", path("show.jib")}).exitCode, 0);
  const std::string before = readFile(path("show.jib"));
  const struct {
    const char* assignment;
    const char* message;
  } cases[] = {
      {"out2.peq3.gain=99dB", "out2.peq3.gain"},
      {"out2.peq3.gain", "expected PARAM=VALUE"},
      {"out9.gain=0dB", "expected PARAM=VALUE"},
      {"in1.hpf.freq=80Hz", "expected PARAM=VALUE"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.assignment);
    // A good assignment first: nothing of it may be written either.
    const CtlRun run = runCtl({"jib", "set", path("show.jib"), "in1.mute=on", c.assignment});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(readFile(path("show.jib")), before);
  }
  EXPECT_EQ(runCtl({"jib", "set", path("missing.jib"), "in1.mute=on"}).exitCode, 3);
  EXPECT_FALSE(fs::exists(path("missing.jib")));
}

} // namespace
} // namespace kv816::testing
