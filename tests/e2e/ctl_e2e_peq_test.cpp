// kv816ctl peq export / import end to end: the real program against kv816-sim over a
// pseudo-terminal, and against preset files.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "model/channel_layout.h"
#include "model/encodings.h"
#include "model/parameter_table.h"
#include "presets/filter_text_export.h"
#include "presets/preset_file.h"
#include "pty_sim_test.h"
#include "sim/state_json.h"

namespace kv816::testing {
namespace {

namespace fs = std::filesystem;

constexpr int OUT2 = 5;

// Numbered lines 1..6: rounded, kept, dropped (no such type), clamped.
constexpr const char* FILTERS = "Preamp: -3.04 dB\n"
                                "Filter 1: ON HP Fc 80 Hz\n"
                                "Filter 2: ON PK Fc 1000 Hz Gain 6.0 dB Q 2.00\n"
                                "Filter 3: ON LSC Fc 100 Hz Gain 3 dB Q 0.7\n"
                                "Filter 4: ON NO Fc 300 Hz\n"
                                "Filter 5: OFF PK Fc 3000 Hz Gain 20 dB Q 1\n";

class PeqEndToEnd : public PtySimTest {
protected:
  PeqEndToEnd() : PtySimTest("peq-e2e") {}
  void SetUp() override {
    PtySimTest::SetUp();
    writeText("filters.txt", FILTERS);
  }

  // What the import must make of FILTERS on output 2, from the factory defaults.
  static std::vector<int32_t> expectedBlock() {
    auto table = std::make_unique<ParameterTable>();
    table->loadDefaults();
    auto set = [&](ChannelFunction f, int32_t v, int band = 0) {
      table->setParameter(indexOf(f, OUT2, band), v);
    };
    set(ChannelFunction::Gain, encodeChannelGain(-3.0));
    set(ChannelFunction::HpfType, 8); // Butterworth 12 dB/oct, the HP line's slope
    set(ChannelFunction::HpfFreq, encodeFrequency(80));
    set(ChannelFunction::PeqGain, encodeEqGain(6.0), 0);
    set(ChannelFunction::PeqFreq, 1000, 0);
    set(ChannelFunction::PeqQ, 200, 0);
    set(ChannelFunction::PeqType, BAND_TYPE_LOW_SHELF, 1);
    set(ChannelFunction::PeqFreq, 100, 1);
    set(ChannelFunction::PeqGain, encodeEqGain(3.0), 1);
    set(ChannelFunction::PeqQ, 70 | Q_SLOPE_BIT, 1);
    set(ChannelFunction::PeqFreq, 3000, 2);
    set(ChannelFunction::PeqGain, encodeEqGain(15.0), 2);
    for (int band = 2; band < PEQ_BAND_COUNT; ++band) {
      set(ChannelFunction::PeqType, BAND_TYPE_OFF, band);
    }
    std::vector<int32_t> block;
    for (int i = blockStart(OUT2); i <= blockEnd(OUT2); ++i) {
      block.push_back(table->value(i));
    }
    return block;
  }
};

TEST_F(PeqEndToEnd, ImportReachesTheDeviceAndExportReadsItBack) {
  startSim();
  const CtlRun import = ctl({"peq", "import", "out2", path("filters.txt")});
  ASSERT_EQ(import.exitCode, 0) << import.err;
  for (const char* note : {"filters.txt:1: rounded", "filters.txt:5: unsupported",
                           "filters.txt:6: clamped", "filters.txt: assumed: bands 4 to 10"}) {
    EXPECT_NE(import.err.find(note), std::string::npos) << note << "\n" << import.err;
  }
  const CtlRun exported = ctl({"peq", "export", "out2"});
  ASSERT_EQ(exported.exitCode, 0) << exported.err;
  EXPECT_NE(exported.out.find("Filter 4: ON LSC Fc 100 Hz Gain 3.0 dB Q 0.70\n"), std::string::npos)
      << exported.out;

  const DeviceState state = finalState();
  const std::vector<int32_t> device(state.table.begin() + blockStart(OUT2),
                                    state.table.begin() + blockEnd(OUT2) + 1);
  EXPECT_EQ(device, expectedBlock());
}

TEST_F(PeqEndToEnd, RefusedTextChangesNeitherDeviceNorFile) {
  std::string many;
  for (int i = 1; i <= 11; ++i) {
    many += "Filter " + std::to_string(i) + ": ON PK Fc " + std::to_string(200 * i) +
            " Hz Gain -2 dB Q 4\n";
  }
  writeText("many.txt", many);
  startSim();
  const CtlRun toDevice = ctl({"peq", "import", "out2", path("many.txt")});
  EXPECT_EQ(toDevice.exitCode, 3);
  EXPECT_NE(toDevice.err.find("11 equaliser filters"), std::string::npos) << toDevice.err;
  ASSERT_EQ(ctl({"export", path("show.jib")}).exitCode, 0);
  const std::string file = readFile(path("show.jib"));
  EXPECT_EQ(ctl({"peq", "import", "out2", path("many.txt"), "--into", path("show.jib")}).exitCode,
            3);
  EXPECT_EQ(readFile(path("show.jib")), file);
  const DeviceState after = finalState();
  auto defaults = std::make_unique<ParameterTable>();
  defaults->loadDefaults();
  for (int i = blockStart(OUT2); i <= blockEnd(OUT2); ++i) {
    EXPECT_EQ(after.table[i], defaults->value(i)) << i;
  }
}

TEST_F(PeqEndToEnd, ImportIntoAFileChangesOnlyThatChannel) {
  startSim();
  ASSERT_EQ(ctl({"export", path("show.jib")}).exitCode, 0);
  sim.stop();
  PresetFile before(SettingsFolders::forThisProgram("kv816"));
  ASSERT_EQ(before.readPreset(path("show.jib")), PresetResult::Done);

  const CtlRun run =
      runCtl({"peq", "import", "out2", path("filters.txt"), "--into", path("show.jib")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  PresetFile after(SettingsFolders::forThisProgram("kv816"));
  ASSERT_EQ(after.readPreset(path("show.jib")), PresetResult::Done);
  const std::vector<int32_t> block = expectedBlock();
  for (int i = 0; i < PARAM_COUNT; ++i) {
    const bool inBlock = i >= blockStart(OUT2) && i <= blockEnd(OUT2);
    EXPECT_EQ(after.values()[i], inBlock ? block[i - blockStart(OUT2)] : before.values()[i]) << i;
  }
  EXPECT_EQ(after.header().modelId, before.header().modelId);

  const CtlRun text = runCtl({"peq", "export", "out2", "--from", path("show.jib")});
  ASSERT_EQ(text.exitCode, 0) << text.err;
  EXPECT_EQ(text.out, exportFilterText(after.values(), OUT2, FilterTextFormat::EqualizerApo));
}

} // namespace
} // namespace kv816::testing
