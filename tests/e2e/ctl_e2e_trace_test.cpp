// kv816ctl --trace records what went over the wire, and kv816-sim --replay answers as that
// trace did: a user's session replayed here gives the user's answer.

#include <gtest/gtest.h>

#include <filesystem>

#include "ctl_process.h"

namespace kv816::testing {
namespace {

namespace fs = std::filesystem;

TEST(CtlTrace, ATracedGetReplayedByTheSimulatorGivesTheSameAnswer) {
  const fs::path folder = uniqueTempPath("ctl-trace");
  fs::create_directories(folder);
  ::setenv("KV816_CONFIG_DIR", (folder / "FileData").c_str(), 1);
  ::setenv("XDG_STATE_HOME", (folder / "state").c_str(), 1);
  const std::string trace = (folder / "get.trace").string();
  const std::string pty = (folder / "pty").string();
  auto ctl = [&](std::vector<std::string> extra, std::vector<std::string> command) {
    std::vector<std::string> args{"--link", "serial", "--port", pty, "--timeout", "5"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.insert(args.end(), command.begin(), command.end());
    return runCtl(args);
  };
  const std::vector<std::string> get{"get", "in1.gain", "out3.delay"};

  CtlRun recorded;
  {
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--pty", pty}));
    ASSERT_TRUE(sim.waitReady());
    // Values the simulator does not start with: only the trace can give them back.
    ASSERT_EQ(ctl({}, {"set", "in1.gain=-3.5dB", "out3.delay=2.4ms"}).exitCode, 0);
    recorded = ctl({"--trace", trace}, get);
    ASSERT_EQ(recorded.exitCode, 0) << recorded.err;
    ASSERT_NE(recorded.out.find("-3.5"), std::string::npos) << recorded.out;
  }
  const std::string text = readFile(trace);
  EXPECT_NE(text.find(" OUT 80 "), std::string::npos) << text.substr(0, 200);
  EXPECT_NE(text.find(" IN "), std::string::npos);
  // The log names the link's phases.
  EXPECT_NE(readFile((folder / "state/kv816/kv816.log").string()).find("link: running"),
            std::string::npos);

  SimProcess replay;
  ASSERT_TRUE(replay.start({"--pty", pty, "--replay", trace}));
  ASSERT_TRUE(replay.waitReady());
  const CtlRun replayed = ctl({}, get);
  EXPECT_EQ(replayed.exitCode, 0) << replayed.err;
  EXPECT_EQ(replayed.out, recorded.out);
  replay.stop();
  fs::remove_all(folder);
}

} // namespace
} // namespace kv816::testing
