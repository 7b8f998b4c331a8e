// kv816ctl peq export / peq import: a channel's filters as Equalizer APO or REW text, from
// and to the device or a preset file.

#include <CLI/CLI.hpp>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "ctl/confirmed_write.h"
#include "ctl/ctl_context.h"
#include "ctl/exit_codes.h"
#include "ctl/response_command.h"
#include "edit/param_names.h"
#include "presets/filter_text_export.h"
#include "presets/filter_text_import.h"
#include "presets/preset_file.h"

namespace kv816 {

namespace {

struct PeqArgs {
  std::string channel;
  std::string from;
  std::string format = "eqapo";
  std::string textFile;
  std::string into;
};

PresetFile makeFile() {
  return PresetFile(SettingsFolders::forThisProgram("kv816"));
}

// A preset file's name as an absolute path, so that reading and replacing it name the
// same file whatever the preset folders hold.
std::string absolutePreset(const std::string& name) {
  return std::filesystem::absolute(PresetFile::withExtension(name)).string();
}

bool readPreset(PresetFile& file, const std::string& path) {
  if (file.readPreset(path) != PresetResult::Done) {
    std::fprintf(stderr, "kv816ctl: cannot read the preset file %s\n", path.c_str());
    return false;
  }
  if (file.header().passwordFlag == 1) {
    std::fprintf(stderr, "kv816ctl: %s is password-protected\n", path.c_str());
    return false;
  }
  return true;
}

std::vector<int> channelIndexes(int channel) {
  std::vector<int> indexes;
  for (int i = blockStart(channel); i <= blockEnd(channel); ++i)
    indexes.push_back(i);
  return indexes;
}

int printExport(std::span<const int32_t> values, int channel, const std::string& format) {
  const FilterTextFormat f =
      format == "rew" ? FilterTextFormat::Rew : FilterTextFormat::EqualizerApo;
  std::fputs(exportFilterText(values, channel, f).c_str(), stdout);
  return EXIT_OK;
}

int exportFilters(CtlContext& ctx, const PeqArgs& a) {
  const int channel = parseChannelName(a.channel);
  if (!a.from.empty()) {
    PresetFile file = makeFile();
    if (!readPreset(file, absolutePreset(a.from)))
      return EXIT_FILE;
    if (file.values().size() < static_cast<size_t>(PARAM_COUNT)) {
      std::fprintf(stderr, "kv816ctl: %s holds too few values\n", a.from.c_str());
      return EXIT_FILE;
    }
    return printExport(file.values(), channel, a.format);
  }
  return withDevice(ctx, true, [&](DeviceConnection& d, TerminalEvents&) {
    if (!d.readEntries(channelIndexes(channel), d.timeout())) {
      std::fprintf(stderr, "kv816ctl: the device did not report the channel in time\n");
      return static_cast<int>(EXIT_LINK);
    }
    std::vector<int32_t> values(PARAM_COUNT);
    for (int i = 0; i < PARAM_COUNT; ++i)
      values[static_cast<size_t>(i)] = d.table().value(i);
    return printExport(values, channel, a.format);
  });
}

// Reads and parses the text; prints every note. Nothing when the text is refused.
std::optional<FilterTextImport> readText(const std::string& path, int channel) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (ec || size > FILTER_TEXT_MAX_BYTES) {
    std::fprintf(stderr, "kv816ctl: %s: %s\n", path.c_str(),
                 ec ? "cannot read the file" : "the file is larger than 10 MB");
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  FilterTextImport result = importFilterText(text, channel);
  if (!result.error.empty()) {
    std::fprintf(stderr, "kv816ctl: %s: %s\n", path.c_str(), result.error.c_str());
    return std::nullopt;
  }
  for (const FilterTextNote& n : result.notes) {
    const std::string where = n.line > 0 ? ":" + std::to_string(n.line) : "";
    std::fprintf(stderr, "kv816ctl: %s%s: %s: %s\n", path.c_str(), where.c_str(),
                 std::string(noteKindName(n.kind)).c_str(), n.text.c_str());
  }
  return result;
}

int importIntoFile(const FilterTextImport& in, const std::string& name) {
  const std::string path = absolutePreset(name);
  PresetFile file = makeFile();
  if (!readPreset(file, path))
    return EXIT_FILE;
  std::vector<int32_t> values = file.values();
  for (const ParameterEdit& e : in.edits) {
    if (static_cast<size_t>(e.index) >= values.size()) {
      std::fprintf(stderr, "kv816ctl: %s holds too few values\n", path.c_str());
      return EXIT_FILE;
    }
    values[static_cast<size_t>(e.index)] = e.value;
  }
  file.setModelId(file.header().modelId);
  if (file.savePreset(path, values) != PresetResult::Done) {
    std::fprintf(stderr, "kv816ctl: cannot write %s; it was left as it was\n", path.c_str());
    return EXIT_FILE;
  }
  std::printf("%zu values written to %s\n", in.edits.size(), path.c_str());
  return EXIT_OK;
}

int importFilters(CtlContext& ctx, const PeqArgs& a) {
  const int channel = parseChannelName(a.channel);
  const std::optional<FilterTextImport> in = readText(a.textFile, channel);
  if (!in)
    return EXIT_FILE;
  if (!a.into.empty())
    return importIntoFile(*in, a.into);
  return withDevice(ctx, true, [&](DeviceConnection& d, TerminalEvents&) {
    const int result = writeConfirmed(d, in->edits, false);
    if (result == EXIT_OK)
      std::printf("%zu values of %s written and confirmed by the device\n", in->edits.size(),
                  channelName(channel).c_str());
    return result;
  });
}

} // namespace

void addPeqCommands(CLI::App& app, CtlContext& ctx) {
  auto args = std::make_shared<PeqArgs>();
  CLI::App* peq = app.add_subcommand("peq", "A channel's filters as Equalizer APO or REW text");
  peq->require_subcommand(1);
  auto channelOption = [args](CLI::App* cmd) {
    cmd->add_option("CH", args->channel, "in1..in4 (or inA..inD) or out1..out8")
        ->required()
        ->check([](const std::string& value) {
          return parseChannelName(value) < 0 ? "not a channel: " + value : std::string{};
        });
  };

  CLI::App* exportCmd =
      peq->add_subcommand("export", "Print the channel's crossover, EQ and gain as filter text");
  channelOption(exportCmd);
  exportCmd->add_option("--from", args->from, "Read a preset file (.jib) instead of the device");
  exportCmd->add_option("--format", args->format, "eqapo (default) or rew")
      ->check(CLI::IsMember({"eqapo", "rew"}));
  exportCmd->callback(
      [&ctx, args] { ctx.run = [&ctx, args] { return exportFilters(ctx, *args); }; });

  CLI::App* importCmd = peq->add_subcommand(
      "import", "Set the channel's filters from Equalizer APO or REW text (device or file)");
  channelOption(importCmd);
  importCmd->add_option("TEXTFILE", args->textFile, "The filter text")->required();
  importCmd->add_option("--into", args->into,
                        "Change this preset file (.jib) instead of the device");
  importCmd->callback(
      [&ctx, args] { ctx.run = [&ctx, args] { return importFilters(ctx, *args); }; });
}

} // namespace kv816
