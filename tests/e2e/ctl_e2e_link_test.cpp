// kv816ctl against kv816-sim devices that answer unlike the usual one: only in the lock
// form, or not at all once the TCP connection is up.

#include <gtest/gtest.h>

#include <filesystem>

#include "ctl_process.h"
#include "model/parameter_table.h"
#include "presets/preset_file.h"
#include "presets/settings_folders.h"

namespace kv816::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class CtlLink : public ::testing::Test {
protected:
  void SetUp() override {
    folder = uniqueTempPath("ctl-link");
    fs::create_directories(folder);
    ::setenv("KV816_CONFIG_DIR", (folder / "FileData").c_str(), 1);
  }
  void TearDown() override {
    sim.stop();
    fs::remove_all(folder);
  }
  CtlRun overPty(std::vector<std::string> args) {
    std::vector<std::string> all{"--link", "serial", "--port", (folder / "pty").string()};
    all.insert(all.end(), args.begin(), args.end());
    return runCtl(all);
  }

  fs::path folder;
  SimProcess sim;
};

TEST_F(CtlLink, ADeviceAnsweringOnlyInTheLockFormIsKnownByItsIndexZero) {
  ASSERT_TRUE(sim.start({"--pty", (folder / "pty").string(), "--info-lock-only"}));
  ASSERT_TRUE(sim.waitReady());
  const CtlRun info = overPty({"info"});
  ASSERT_EQ(info.exitCode, 0) << info.err;
  EXPECT_NE(info.out.find("device id: 20015\n"), std::string::npos) << info.out;
  const CtlRun dump = overPty({"dump", "--json"});
  ASSERT_EQ(dump.exitCode, 0) << dump.err;
  EXPECT_EQ(dump.out.rfind("{\"device_id\":20015,", 0), 0u) << dump.out.substr(0, 40);

  const std::string file = (folder / "locks.jib").string();
  const CtlRun exported = overPty({"export", file});
  ASSERT_EQ(exported.exitCode, 0) << exported.err;
  PresetFile written(SettingsFolders{folder / "FileData", folder / "fallback", "kv816"});
  ASSERT_EQ(written.readPreset(file), PresetResult::Done);
  EXPECT_EQ(written.header().modelId, DEVICE_ID);
  const CtlRun imported = overPty({"import", file});
  EXPECT_EQ(imported.exitCode, 0) << imported.err;
}

// The preset names the start-up read asks for used to leave their number in entry 1166.
TEST_F(CtlLink, DumpShowsEntry1166AsTheDeviceHoldsIt) {
  ASSERT_TRUE(sim.start({"--pty", (folder / "pty").string()}));
  ASSERT_TRUE(sim.waitReady());
  ASSERT_EQ(overPty({"set", "idx1166=5"}).exitCode, 0);
  const CtlRun dump = overPty({"dump"});
  ASSERT_EQ(dump.exitCode, 0) << dump.err;
  EXPECT_NE(dump.out.find("1166  idx1166                5\n"), std::string::npos) << dump.out;
}

// A module that takes the TCP connection while the device behind it is silent from the
// start, or after its first three replies: exit 2 within the time-out and two seconds,
// saying how far the link got.
TEST_F(CtlLink, SilentNetworkDeviceEndsDumpWithinTheTimeout) {
  const struct {
    const char* answered;
    const char* message;
  } cases[] = {
      {"0", "no device answered on the net link within 4 s"},
      {"3", "the device answered but reading its table did not finish within 4 s"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answered);
    ASSERT_TRUE(
        sim.start({"--tcp", "127.0.0.1:0", "--udp", "127.0.0.1:0", "--silent-after", c.answered}));
    ASSERT_TRUE(sim.waitReady());
    const auto before = std::chrono::steady_clock::now();
    const CtlRun run =
        runCtl({"--link", "net", "--net-address", "127.0.0.1", "--tcp-port",
                endpointPort(sim.output(), "tcp"), "--udp-port", endpointPort(sim.output(), "udp"),
                "--local-udp-port", "0", "--timeout", "4", "dump"});
    EXPECT_LT(std::chrono::steady_clock::now() - before, 6s);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    sim.stop();
  }
}

} // namespace
} // namespace kv816::testing
