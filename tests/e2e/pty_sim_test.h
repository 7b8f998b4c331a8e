#pragma once
// A test that runs the real kv816ctl against kv816-sim over a pseudo-terminal, in a folder
// of its own (its own settings: no Configuration.ini from the build tree is read).

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ctl_process.h"
#include "sim/state_json.h"

namespace kv816::testing {

class PtySimTest : public ::testing::Test {
protected:
  explicit PtySimTest(std::string folderName) : folderName_(std::move(folderName)) {}

  void SetUp() override {
    folder = uniqueTempPath(folderName_);
    std::filesystem::create_directories(folder);
    ::setenv("KV816_CONFIG_DIR", (folder / "FileData").c_str(), 1);
    ptyPath = (folder / "pty").string();
    statePath = (folder / "state.json").string();
  }
  void TearDown() override {
    sim.stop();
    std::filesystem::remove_all(folder);
  }

  void startSim(std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"--pty", ptyPath, "--state-file", statePath};
    args.insert(args.end(), extra.begin(), extra.end());
    ASSERT_TRUE(sim.start(args));
    ASSERT_TRUE(sim.waitReady());
  }
  CtlRun ctl(std::vector<std::string> args) {
    std::vector<std::string> all{"--link", "serial", "--port", ptyPath};
    all.insert(all.end(), args.begin(), args.end());
    return runCtl(all);
  }
  // Stops the simulator and reads the state it wrote.
  DeviceState finalState() {
    EXPECT_EQ(sim.stop(), 0);
    DeviceState state;
    std::string error;
    EXPECT_TRUE(stateFromJson(readFile(statePath), state, error)) << error;
    return state;
  }
  std::string path(const std::string& name) const { return (folder / name).string(); }
  void writeText(const std::string& name, const std::string& text) const {
    std::ofstream(path(name), std::ios::binary) << text;
  }

  std::filesystem::path folder;
  std::string ptyPath;
  std::string statePath;
  SimProcess sim;

private:
  std::string folderName_;
};

} // namespace kv816::testing
