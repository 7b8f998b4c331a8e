// kv816ctl autoeq end to end: the real program against kv816-sim over a pseudo-terminal,
// and against a preset file.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "model/channel_layout.h"
#include "model/parameter_table.h"
#include "presets/preset_file.h"
#include "pty_sim_test.h"
#include "sim/state_json.h"

namespace kv816::testing {
namespace {

namespace fs = std::filesystem;

constexpr int OUT3 = 6;

// REW's text export of a response with two room modes and a broad bump.
std::string measurementText(double modeDb, double fromHz = 10.0, double toHz = 24000.0) {
  std::string text = "* Freq(Hz), SPL(dB), Phase(degrees)\n";
  for (double f = fromHz; f <= toHz; f *= std::exp2(1.0 / 24.0)) {
    auto bump = [f](double centre, double db, double octaves) {
      const double x = std::log2(f / centre) / (octaves / 2.0);
      return db / (1.0 + x * x);
    };
    const double level =
        80.0 + bump(55, modeDb, 0.3) + bump(130, modeDb, 0.3) + bump(2000, modeDb / 3.0, 1.0);
    text += std::to_string(f) + " " + std::to_string(level) + " 0\n";
  }
  return text;
}

class AutoEqEndToEnd : public PtySimTest {
protected:
  AutoEqEndToEnd() : PtySimTest("autoeq-e2e") {}
  void SetUp() override {
    PtySimTest::SetUp();
    writeText("modes.txt", measurementText(8.0));
    writeText("flat.txt", measurementText(0.0));
    writeText("narrow.txt", measurementText(8.0, 100.0, 8000.0));
  }

  // index -> word of every band the printed fit sets.
  static std::map<int, int32_t> printedWords(const std::string& json) {
    std::map<int, int32_t> words;
    const nlohmann::json parsed = nlohmann::json::parse(json);
    for (const auto& band : parsed.at("bands")) {
      const int b = band.at("band").get<int>() - 1;
      const auto& w = band.at("words");
      words[indexOf(ChannelFunction::PeqType, OUT3, b)] = w.at("type");
      words[indexOf(ChannelFunction::PeqFreq, OUT3, b)] = w.at("freq");
      words[indexOf(ChannelFunction::PeqGain, OUT3, b)] = w.at("gain");
      words[indexOf(ChannelFunction::PeqQ, OUT3, b)] = w.at("q");
    }
    return words;
  }
};

// A dry run writes nothing; the real run leaves the device holding exactly the printed
// bands and nothing else changed.
TEST_F(AutoEqEndToEnd, DeviceHoldsThePrintedBands) {
  startSim();
  const CtlRun dry =
      ctl({"autoeq", "out3", "--measurement", path("modes.txt"), "--dry-run", "--json"});
  ASSERT_EQ(dry.exitCode, 0) << dry.err;
  const CtlRun run = ctl({"autoeq", "out3", "--measurement", path("modes.txt"), "--json"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::map<int, int32_t> words = printedWords(run.out);
  ASSERT_FALSE(words.empty()) << run.out << run.err;
  EXPECT_EQ(printedWords(dry.out), words);
  const auto json = nlohmann::json::parse(run.out);
  EXPECT_LT(json.at("rms_after_db").get<double>(), json.at("rms_before_db").get<double>());

  const DeviceState state = finalState();
  auto defaults = std::make_unique<ParameterTable>();
  defaults->loadDefaults();
  for (const auto& [index, word] : words) {
    EXPECT_EQ(locateIndex(index).channel, OUT3) << index;
  }
  for (int i = blockStart(OUT3); i <= blockEnd(OUT3); ++i) {
    const auto w = words.find(i);
    EXPECT_EQ(state.table[i], w != words.end() ? w->second : defaults->value(i)) << i;
  }
}

// Refused fits say why and change neither the device nor the file; an accepted fit into a
// file changes only the channel's bands there.
TEST_F(AutoEqEndToEnd, RefusalsChangeNothingAndAFileTakesTheFit) {
  startSim();
  ASSERT_EQ(ctl({"export", path("show.jib")}).exitCode, 0);
  const std::string file = readFile(path("show.jib"));
  struct Refusal {
    std::vector<std::string> args;
    int exitCode;
    const char* message;
  };
  const std::vector<Refusal> refusals = {
      {{"--measurement", path("flat.txt")}, 1, "within 0.5 dB"},
      {{"--measurement", path("modes.txt"), "--bands", "11"}, 1, "1 to 10"},
      {{"--measurement", path("narrow.txt")}, 1, "outside the measurement"},
      {{"--measurement", path("missing.txt")}, 3, "missing.txt"},
  };
  for (const Refusal& r : refusals) {
    for (const bool intoFile : {false, true}) {
      std::vector<std::string> args{"autoeq", "out3"};
      args.insert(args.end(), r.args.begin(), r.args.end());
      if (intoFile) {
        args.insert(args.end(), {"--into", path("show.jib")});
      }
      const CtlRun run = ctl(args);
      EXPECT_EQ(run.exitCode, r.exitCode) << r.message;
      EXPECT_NE(run.err.find(r.message), std::string::npos) << run.err;
    }
  }
  EXPECT_EQ(readFile(path("show.jib")), file);

  const CtlRun run = runCtl(
      {"autoeq", "out3", "--measurement", path("modes.txt"), "--json", "--into", path("show.jib")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::map<int, int32_t> words = printedWords(run.out);
  PresetFile before(SettingsFolders::forThisProgram("kv816"));
  PresetFile after(SettingsFolders::forThisProgram("kv816"));
  std::ofstream(path("before.jib"), std::ios::binary) << file;
  ASSERT_EQ(before.readPreset(path("before.jib")), PresetResult::Done);
  ASSERT_EQ(after.readPreset(path("show.jib")), PresetResult::Done);
  for (int i = 0; i < PARAM_COUNT; ++i) {
    const auto w = words.find(i);
    EXPECT_EQ(after.values()[i], w != words.end() ? w->second : before.values()[i]) << i;
  }

  const DeviceState state = finalState();
  auto defaults = std::make_unique<ParameterTable>();
  defaults->loadDefaults();
  for (int i = blockStart(OUT3); i <= blockEnd(OUT3); ++i) {
    EXPECT_EQ(state.table[i], defaults->value(i)) << i;
  }
}

} // namespace
} // namespace kv816::testing
