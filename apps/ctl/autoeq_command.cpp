#include "ctl/autoeq_command.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <thread>

#include "ctl/confirmed_write.h"
#include "ctl/ctl_context.h"
#include "ctl/exit_codes.h"
#include "ctl/response_command.h"
#include "dsp/eq_fit.h"
#include "edit/eq_fit_edits.h"
#include "edit/param_names.h"
#include "model/encodings.h"
#include "presets/preset_file.h"

namespace kv816 {

namespace {

struct AutoEqArgs {
  std::string channel;
  std::string measurement;
  std::string target;
  std::string range = "40-16000";
  std::optional<int> bands;
  double maxBoost = 0.0;
  int smooth = 0;
  std::string q = "0.4-10";
  std::optional<double> offset;
  std::vector<int> lock;
  std::string into;
  bool dryRun = false;
  bool json = false;
};

// "LOW-HIGH" as two numbers; false when the text is not that.
bool parsePair(const std::string& text, double& low, double& high) {
  char rest = 0;
  return std::sscanf(text.c_str(), "%lf-%lf%c", &low, &high, &rest) == 2;
}

std::optional<Measurement> readCurve(const std::string& path) {
  MeasurementRead read = readMeasurementFile(path);
  if (!read.error.empty()) {
    std::fprintf(stderr, "kv816ctl: %s: %s\n", path.c_str(), read.error.c_str());
    return std::nullopt;
  }
  return std::move(read.measurement);
}

std::optional<EqFitOptions> fitOptions(const AutoEqArgs& a) {
  EqFitOptions o;
  if (!parsePair(a.range, o.fromHz, o.toHz)) {
    std::fprintf(stderr, "kv816ctl: --range wants FROM-TO in Hz, e.g. 40-16000\n");
    return std::nullopt;
  }
  if (!parsePair(a.q, o.qMin, o.qMax)) {
    std::fprintf(stderr, "kv816ctl: --q wants LOW-HIGH, e.g. 0.4-10\n");
    return std::nullopt;
  }
  for (const int band : a.lock) {
    if (band < 1 || band > PEQ_BAND_COUNT) {
      std::fprintf(stderr, "kv816ctl: --lock takes bands 1 to 10\n");
      return std::nullopt;
    }
    o.locked[static_cast<size_t>(band - 1)] = true;
  }
  o.bandCount = a.bands;
  o.maxBoostDb = a.maxBoost;
  o.smoothing = a.smooth;
  o.levelOffsetDb = a.offset;
  return o;
}

const char* typeName(int32_t type) {
  return type == BAND_TYPE_HIGH_SHELF  ? "HS"
         : type == BAND_TYPE_LOW_SHELF ? "LS"
         : type == BAND_TYPE_OFF       ? "ByPass"
                                       : "PEQ";
}

void printText(const EqFitResult& fit) {
  std::printf("%-6s %-5s %11s %9s %7s\n", "band", "type", "frequency", "gain", "Q");
  for (const EqFitBand& b : fit.bands) {
    std::printf("peq%-3d %-5s %8.1f Hz %6.1f dB %7.2f\n", b.band + 1, typeName(b.typeWord),
                b.frequency, b.gainDb, b.q);
  }
  std::printf("RMS error: %.2f dB before, %.2f dB after (level offset %.1f dB)\n", fit.rmsBeforeDb,
              fit.rmsAfterDb, fit.levelOffsetDb);
}

void printJson(const EqFitResult& fit, const std::string& writtenTo) {
  nlohmann::json bands = nlohmann::json::array();
  for (const EqFitBand& b : fit.bands) {
    bands.push_back(
        {{"band", b.band + 1},
         {"type", typeName(b.typeWord)},
         {"frequency_hz", b.frequency},
         {"gain_db", b.gainDb},
         {"q", b.q},
         {"words",
          {{"type", b.typeWord}, {"freq", b.freqWord}, {"gain", b.gainWord}, {"q", b.qWord}}}});
  }
  const nlohmann::json out{{"channel", channelName(fit.channel)},  {"bands", bands},
                           {"rms_before_db", fit.rmsBeforeDb},     {"rms_after_db", fit.rmsAfterDb},
                           {"level_offset_db", fit.levelOffsetDb}, {"written_to", writtenTo}};
  std::printf("%s\n", out.dump(2).c_str());
}

struct Inputs {
  int channel = -1;
  Measurement measurement;
  TargetCurve target;
  EqFitOptions options;
};

// The fit on `table`, printed; nothing when it is refused (the reason on stderr).
std::optional<EqFitResult> fitAndPrint(const ParameterTable& table, const Inputs& in,
                                       const AutoEqArgs& a, const std::string& writtenTo) {
  EqFitResult fit = fitEq(table, in.channel, in.measurement, in.target, in.options);
  if (!fit.error.empty()) {
    std::fprintf(stderr, "kv816ctl: autoeq: %s\n", fit.error.c_str());
    return std::nullopt;
  }
  if (a.json) {
    printJson(fit, writtenTo);
  } else {
    printText(fit);
  }
  return fit;
}

int fitIntoFile(const Inputs& in, const AutoEqArgs& a) {
  const std::string path = std::filesystem::absolute(PresetFile::withExtension(a.into)).string();
  PresetFile file(SettingsFolders::forThisProgram("kv816"));
  if (file.readPreset(path) != PresetResult::Done ||
      file.values().size() < static_cast<size_t>(PARAM_COUNT)) {
    std::fprintf(stderr, "kv816ctl: cannot read the preset file %s\n", path.c_str());
    return EXIT_FILE;
  }
  if (file.header().passwordFlag == 1) {
    std::fprintf(stderr, "kv816ctl: %s is password-protected\n", path.c_str());
    return EXIT_FILE;
  }
  auto table = std::make_unique<ParameterTable>();
  for (int i = 0; i < PARAM_COUNT; ++i) {
    table->setParameter(i, file.values()[static_cast<size_t>(i)]);
  }
  const std::optional<EqFitResult> fit = fitAndPrint(*table, in, a, a.dryRun ? "" : path);
  if (!fit) {
    return EXIT_USAGE;
  }
  if (a.dryRun) {
    return EXIT_OK;
  }
  std::vector<int32_t> values = file.values();
  for (const ParameterEdit& e : eqFitEdits(*fit)) {
    values[static_cast<size_t>(e.index)] = e.value;
  }
  file.setModelId(file.header().modelId);
  if (file.savePreset(path, values) != PresetResult::Done) {
    std::fprintf(stderr, "kv816ctl: cannot write %s; it was left as it was\n", path.c_str());
    return EXIT_FILE;
  }
  std::fprintf(a.json ? stderr : stdout, "%zu values written to %s\n", fit->words.size(),
               path.c_str());
  return EXIT_OK;
}

// Waits until the read requests of `indexes` are all sent and no report of them arrived for
// a quiet spell: a duplicate request's late report would otherwise overwrite the fitted
// values in the table before they are sent, and the old ones would be written back.
void settleReads(DeviceConnection& d, const std::vector<int>& indexes) {
  constexpr auto QUIET = std::chrono::milliseconds(300);
  const auto deadline = std::chrono::steady_clock::now() + d.timeout();
  ParameterTable& table = d.table();
  while (std::chrono::steady_clock::now() < deadline) {
    bool busy = false;
    for (const int i : indexes) {
      busy = table.record(i).mustRead.load(std::memory_order_relaxed) > 0 || busy;
      busy = table.takeRefresh(i) || busy;
    }
    if (!busy) {
      std::this_thread::sleep_for(QUIET);
      bool reported = false;
      for (const int i : indexes) {
        reported = table.takeRefresh(i) || reported;
      }
      if (!reported) {
        return;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

int fitIntoDevice(CtlContext& ctx, const Inputs& in, const AutoEqArgs& a) {
  return withDevice(ctx, true, [&](DeviceConnection& d, TerminalEvents&) {
    std::vector<int> indexes;
    for (int i = blockStart(in.channel); i <= blockEnd(in.channel); ++i) {
      indexes.push_back(i);
    }
    if (!d.readEntries(indexes, d.timeout())) {
      std::fprintf(stderr, "kv816ctl: the device did not report the channel in time\n");
      return static_cast<int>(EXIT_LINK);
    }
    settleReads(d, indexes);
    const std::optional<EqFitResult> fit = fitAndPrint(d.table(), in, a, a.dryRun ? "" : "device");
    if (!fit) {
      return static_cast<int>(EXIT_USAGE);
    }
    if (a.dryRun) {
      return static_cast<int>(EXIT_OK);
    }
    const int result = writeConfirmed(d, eqFitEdits(*fit), false);
    if (result == EXIT_OK) {
      std::fprintf(a.json ? stderr : stdout,
                   "%zu values of %s written and confirmed by the device\n", fit->words.size(),
                   channelName(in.channel).c_str());
    }
    return result;
  });
}

int runAutoEq(CtlContext& ctx, const AutoEqArgs& a) {
  Inputs in;
  in.channel = parseChannelName(a.channel);
  const std::optional<EqFitOptions> options = fitOptions(a);
  if (!options) {
    return EXIT_USAGE;
  }
  in.options = *options;
  std::optional<Measurement> measurement = readCurve(a.measurement);
  if (!measurement) {
    return EXIT_FILE;
  }
  in.measurement = std::move(*measurement);
  if (!a.target.empty()) {
    std::optional<Measurement> target = readCurve(a.target);
    if (!target) {
      return EXIT_FILE;
    }
    in.target = TargetCurve::fromFile(std::move(*target));
  }
  return a.into.empty() ? fitIntoDevice(ctx, in, a) : fitIntoFile(in, a);
}

} // namespace

void addAutoEqCommand(CLI::App& app, CtlContext& ctx) {
  auto args = std::make_shared<AutoEqArgs>();
  CLI::App* cmd = app.add_subcommand(
      "autoeq", "Fit the channel's free PEQ bands to a measurement, with values the device stores");
  cmd->add_option("CH", args->channel, "in1..in4 (or inA..inD) or out1..out8")
      ->required()
      ->check([](const std::string& value) {
        return parseChannelName(value) < 0 ? "not a channel: " + value : std::string{};
      });
  cmd->add_option("--measurement", args->measurement, "REW text export or .frd file")->required();
  cmd->add_option("--target", args->target, "Target curve in the same format (default flat)");
  cmd->add_option("--range", args->range, "Frequency range FROM-TO in Hz (default 40-16000)");
  cmd->add_option("--bands", args->bands,
                  "Bands to use, 1..10 (default: every band switched off or flat)");
  cmd->add_option("--max-boost", args->maxBoost, "Largest boost in dB, 0..6 (default 0: cuts)");
  cmd->add_option("--smooth", args->smooth,
                  "Smooth the measurement over 1/N octave: 12, 6 or 3 (default 0: none)");
  cmd->add_option("--q", args->q, "Q range LOW-HIGH (default 0.4-10)");
  cmd->add_option("--offset", args->offset,
                  "dB added to the measurement (default: its mean difference to the target "
                  "is removed)");
  cmd->add_option("--lock", args->lock, "Bands to keep as they are, e.g. 3,7")->delimiter(',');
  cmd->add_option("--into", args->into, "Change this preset file (.jib) instead of the device");
  cmd->add_flag("--dry-run", args->dryRun, "Print the fit; write nothing");
  cmd->add_flag("--json", args->json, "Print JSON");
  cmd->callback([&ctx, args] { ctx.run = [&ctx, args] { return runAutoEq(ctx, *args); }; });
}

} // namespace kv816
