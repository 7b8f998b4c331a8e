// kv816ctl end to end: the real program against kv816-sim over a pseudo-terminal.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "model/channel_layout.h"
#include "model/parameter_table.h"
#include "presets/preset_codec.h"
#include "presets/preset_file.h"
#include "pty_sim_test.h"
#include "sim/state_json.h"

namespace kv816::testing {
namespace {

namespace fs = std::filesystem;

class CtlEndToEnd : public PtySimTest {
protected:
  CtlEndToEnd() : PtySimTest("ctl-e2e") {}

  // A preset file whose values differ from the simulator's.
  std::vector<int32_t> writeFile(const std::string& name, int32_t modelId = DEVICE_ID,
                                 int32_t password = 0) {
    std::vector<int32_t> values(PARAM_COUNT);
    for (int i = 0; i < PARAM_COUNT; ++i)
      values[static_cast<size_t>(i)] = (i * 7 + 3) & 0x7FFF;
    values[IDX_DEVICE_ID] = DEVICE_ID;
    values[IDX_HOST_ALIVE] = 1; // the keep-alive writes it anyway
    PresetHeader header;
    header.modelId = modelId;
    header.passwordFlag = password;
    std::mt19937 random(9);
    const auto bytes = encodePresetImage(buildPresetImage(header, values, random), random);
    std::ofstream(path(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return values;
  }

  static bool deviceHeld(int index) {
    return index == IDX_DEVICE_ID || index == IDX_CURRENT_PRESET ||
           (index >= IDX_METER_FIRST && index < IDX_METER_FIRST + METER_WORD_COUNT);
  }
};

TEST_F(CtlEndToEnd, ExportWritesTheSimulatorsTable) {
  startSim();
  const CtlRun run = ctl({"export", path("a.jib")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.err.find("Save successfully! " + path("a.jib")), std::string::npos) << run.err;
  // A second export does not replace the file unless told to.
  const CtlRun again = ctl({"export", path("a.jib")});
  EXPECT_EQ(again.exitCode, 3) << again.err;
  const DeviceState state = finalState();
  PresetFile file(SettingsFolders{folder / "FileData", folder / "fallback", "kv816"});
  ASSERT_EQ(file.readPreset(path("a.jib")), PresetResult::Done);
  for (int i = 0; i < PARAM_COUNT; ++i) {
    if (deviceHeld(i) && i != IDX_DEVICE_ID && i != IDX_CURRENT_PRESET)
      continue;
    ASSERT_EQ(file.values()[static_cast<size_t>(i)], state.table[i]) << "index " << i;
  }
}

TEST_F(CtlEndToEnd, ImportMakesTheSimulatorsTableTheFilesExceptTheDeviceHeldEntries) {
  startSim();
  const std::vector<int32_t> values = writeFile("b.jib");
  const CtlRun run = ctl({"import", path("b.jib")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const DeviceState state = finalState();
  for (int i = 0; i <= 1173; ++i) {
    if (deviceHeld(i) || i == 1162 || i == 1163 || i == 1165 || i == 1166 || i == 1174)
      continue;
    ASSERT_EQ(state.table[i], values[static_cast<size_t>(i)]) << "index " << i;
  }
  EXPECT_NE(state.table[1174], values[1174]);
  EXPECT_NE(state.table[1166], values[1166]);
}

TEST_F(CtlEndToEnd, RefusedImportsNameTheReasonAndChangeNothing) {
  startSim();
  writeFile("password.jib", DEVICE_ID, 1);
  writeFile("model.jib", 20012);
  writeFile("corrupt.jib");
  std::string bytes = readFile(path("corrupt.jib"));
  bytes[7] = static_cast<char>(bytes[7] ^ 0x10);
  std::ofstream(path("corrupt.jib"), std::ios::binary) << bytes;
  const struct {
    const char* file;
    const char* message;
  } cases[] = {
      {"password.jib", "The data has a password ."},
      {"model.jib", "Wrong file version。"},
      {"corrupt.jib", "No files。"},
  };
  for (const auto& c : cases) {
    const CtlRun run = ctl({"import", path(c.file)});
    EXPECT_EQ(run.exitCode, 3) << c.file;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.file << ": " << run.err;
  }
  const DeviceState state = finalState();
  EXPECT_NE(state.table[100], (100 * 7 + 3) & 0x7FFF);
}

TEST_F(CtlEndToEnd, ExportOfALockedPresetWritesNoFile) {
  startSim({"--lock-preset"});
  const CtlRun run = ctl({"export", path("locked.jib")});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("Unable to read encrypted mode!"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("Save Failed!"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(path("locked.jib")));
}

TEST_F(CtlEndToEnd, RecallBringsThePresetIntoDump) {
  startSim();
  const CtlRun recall = ctl({"recall", "3"});
  ASSERT_EQ(recall.exitCode, 0) << recall.err;
  const CtlRun dump = ctl({"dump", "--json"});
  ASSERT_EQ(dump.exitCode, 0) << dump.err;
  const DeviceState state = finalState();
  const size_t start = dump.out.find("\"values\":[");
  ASSERT_NE(start, std::string::npos);
  std::istringstream list(dump.out.substr(start + 10));
  for (int i = 0; i <= IDX_CHANNELS_LAST; ++i) {
    int value = 0;
    char comma = 0;
    list >> value >> comma;
    if (i < 19)
      continue;
    ASSERT_EQ(value, state.presets[2].values[i]) << "index " << i;
  }
  EXPECT_EQ(state.currentPreset, 3);
}

TEST_F(CtlEndToEnd, RecallOfALockedPresetSaysItHappenedAndWhyNothingWasRead) {
  startSim({"--lock-preset"});
  const CtlRun recall = ctl({"recall", "1"});
  EXPECT_EQ(recall.exitCode, 0) << recall.err;
  EXPECT_EQ(recall.out, "preset 1 recalled\n");
  EXPECT_NE(recall.err.find("preset 1 was recalled; it is locked"), std::string::npos)
      << recall.err;
  EXPECT_EQ(finalState().currentPreset, 1);
}

// A device that stops answering after a few replies, before info has read anything.
TEST_F(CtlEndToEnd, InfoFromADeviceThatFallsSilentIsALinkFailure) {
  for (const char* replies : {"1", "4"}) {
    startSim({"--silent-after", replies});
    const CtlRun info = ctl({"--timeout", "2", "info"});
    EXPECT_EQ(info.exitCode, 2) << replies << ": " << info.out;
    EXPECT_EQ(info.out, "") << replies;
    EXPECT_NE(info.err.find("kv816ctl: "), std::string::npos) << replies;
    sim.stop();
  }
}

TEST_F(CtlEndToEnd, TextsTheDeviceCannotStoreAreRefusedAndNothingIsSent) {
  startSim();
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"wifi", "hotspot", "Caf\xC3\xA9", "12345678"}, "the name has characters"},
      {{"wifi", "hotspot", "Stage", "p\xC3\xA4ssword1"}, "the password has characters"},
      {{"wifi", "router", "Net\tA", ""}, "the name has characters"},
      {{"wifi", "router", std::string(90, 'n'), ""}, "the name is longer"},
      {{"name", "3", "\xE8\x88\x9E\xE5\x8F\xB0"}, "Latin-1 only"},
  };
  for (const auto& c : cases) {
    const CtlRun run = ctl(c.args);
    EXPECT_EQ(run.exitCode, 1) << c.args[2];
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
  const ModuleSettings module = finalState().module;
  EXPECT_EQ(module.hotSsid, ModuleSettings{}.hotSsid);
  EXPECT_EQ(module.hotPassword, ModuleSettings{}.hotPassword);
  EXPECT_EQ(module.routeSsid, "");
}

TEST_F(CtlEndToEnd, NameIsStoredAndListed) {
  startSim();
  const CtlRun name = ctl({"name", "12", "Stage Left"});
  ASSERT_EQ(name.exitCode, 0) << name.err;
  const CtlRun presets = ctl({"presets"});
  ASSERT_EQ(presets.exitCode, 0) << presets.err;
  EXPECT_NE(presets.out.find("12  Stage Left"), std::string::npos) << presets.out;
  EXPECT_EQ(finalState().presets[11].name.substr(0, 10), "Stage Left");
}

TEST_F(CtlEndToEnd, SetReturnsAfterTheDeviceHasTheValuesAndGetReadsThem) {
  startSim();
  const CtlRun set = ctl({"set", "out2.peq3.gain=-3.5dB", "in1.mute=on", "out1.hpf.freq=1.2k"});
  ASSERT_EQ(set.exitCode, 0) << set.err;
  const CtlRun get = ctl({"get", "out2.peq3.gain", "in1.mute", "out1.hpf.freq"});
  ASSERT_EQ(get.exitCode, 0) << get.err;
  EXPECT_EQ(get.out, "out2.peq3.gain = -3.5dB\nin1.mute = on\nout1.hpf.freq = 1200Hz\n");
  EXPECT_EQ(ctl({"set", "out2.peq3.gain=-30dB"}).exitCode, 1);
  EXPECT_EQ(ctl({"get", "out9.gain"}).exitCode, 1);
  const DeviceState state = finalState();
  EXPECT_EQ(state.table[793], 465);
  EXPECT_EQ(state.table[21], 1);
}

TEST_F(CtlEndToEnd, NetworkLinkOnLoopbackChangesTheModuleAndTheTable) {
  ASSERT_TRUE(
      sim.start({"--tcp", "127.0.0.1:0", "--udp", "127.0.0.1:0", "--state-file", statePath}));
  ASSERT_TRUE(sim.waitReady());
  const std::vector<std::string> net{"--link",           "net",
                                     "--net-address",    "127.0.0.1",
                                     "--tcp-port",       endpointPort(sim.output(), "tcp"),
                                     "--udp-port",       endpointPort(sim.output(), "udp"),
                                     "--local-udp-port", "0"};
  auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin(), net.begin(), net.end());
    return runCtl(args);
  };
  const CtlRun hotspot = run({"wifi", "hotspot", "Stage", "12345678"});
  ASSERT_EQ(hotspot.exitCode, 0) << hotspot.err;
  const CtlRun show = run({"wifi", "show"});
  ASSERT_EQ(show.exitCode, 0) << show.err;
  EXPECT_NE(show.out.find("hotspot ssid: Stage\n"), std::string::npos) << show.out;
  EXPECT_EQ(run({"wifi", "hotspot", "Stage", "1234567"}).exitCode, 1);
  const CtlRun set = run({"set", "out1.gain=-6dB"});
  ASSERT_EQ(set.exitCode, 0) << set.err;
  EXPECT_EQ(finalState().table[718], 300);
}

TEST_F(CtlEndToEnd, NoDeviceIsALinkFailure) {
  const CtlRun run = ctl({"--timeout", "2", "get", "in1.gain"});
  EXPECT_EQ(run.exitCode, 2);
}

} // namespace
} // namespace kv816::testing
