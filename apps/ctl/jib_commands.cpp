// kv816ctl jib show / set / diff: preset files read and edited offline, in engineering
// units; diff: the device against a file.

#include <CLI/CLI.hpp>

#include <filesystem>

#include "ctl/assignments.h"
#include "ctl/ctl_context.h"
#include "ctl/exit_codes.h"
#include "ctl/table_print.h"
#include "edit/param_names.h"
#include "edit/param_values.h"
#include "edit/table_diff.h"
#include "i18n/text.h"
#include "model/parameter_table.h"
#include "presets/preset_file.h"

namespace kv816 {

namespace {

std::string savedTime(const PresetTime& t) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

// Reads a file; prints why not. The values of a password-protected file are not shown.
bool load(PresetFile& file, const std::string& name) {
  if (file.loadPreset(name) != PresetResult::Done) {
    std::fprintf(stderr, "kv816ctl: %s: %s\n", name.c_str(),
                 std::string(langText(Text::NoFiles)).c_str());
    return false;
  }
  if (file.header().passwordFlag == 1) {
    std::fprintf(stderr, "kv816ctl: %s: %s\n", name.c_str(),
                 std::string(langText(Text::DataHasPassword)).c_str());
    return false;
  }
  return true;
}

PresetFile makeFile() {
  return PresetFile(SettingsFolders::forThisProgram("kv816"));
}

int show(const std::string& name, bool json) {
  PresetFile file = makeFile();
  if (!load(file, name))
    return EXIT_FILE;
  const PresetHeader& h = file.header();
  if (json) {
    std::printf("{\"model_id\":%d,\"saved\":%s,\"value_count\":%d,%s}\n", h.modelId,
                jsonString(savedTime(h.time)).c_str(), h.valueCount,
                tableJsonMembers(file.values()).c_str());
    return EXIT_OK;
  }
  std::printf("model id: %d\nsaved: %s\nvalues: %d\n", h.modelId, savedTime(h.time).c_str(),
              h.valueCount);
  printTable(stdout, file.values());
  return EXIT_OK;
}

// A file named on the command line is the file at that path, never one of the same name
// in the preset folder, so that jib set writes back where it read.
std::string filePath(const std::string& name) {
  return std::filesystem::absolute(PresetFile::withExtension(name)).string();
}

void printDifferences(const std::vector<TableDifference>& diff, const char* a, const char* b,
                      bool json) {
  if (!json) {
    for (const TableDifference& d : diff)
      std::printf("%s\n", differenceLine(d, a, b).c_str());
    std::printf("%zu difference%s\n", diff.size(), diff.size() == 1 ? "" : "s");
    return;
  }
  std::string out = "[";
  for (const TableDifference& d : diff) {
    out += out.size() > 1 ? "," : "";
    out += "{\"index\":" + std::to_string(d.index) + ",\"channel\":" + jsonString(d.channelName) +
           ",\"function\":" + jsonString(d.function) + ",\"" + a +
           "_raw\":" + std::to_string(d.aRaw) + ",\"" + b + "_raw\":" + std::to_string(d.bRaw) +
           ",\"" + a + "\":" + jsonString(d.a) + ",\"" + b + "\":" + jsonString(d.b) + "}";
  }
  std::printf("%s]\n", out.c_str());
}

int diffFiles(const std::string& nameA, const std::string& nameB, bool json) {
  PresetFile a = makeFile();
  PresetFile b = makeFile();
  if (!load(a, nameA) || !load(b, nameB))
    return EXIT_FILE;
  if (!json && a.header().modelId != b.header().modelId)
    std::printf("model id: %d -> %d\n", a.header().modelId, b.header().modelId);
  printDifferences(compareTables(a.values(), b.values()), "a", "b", json);
  return EXIT_OK;
}

// All or nothing: a refused assignment leaves the file as it was.
int setInFile(const std::string& name, const std::vector<std::string>& texts) {
  std::vector<Assignment> assignments;
  if (!parseAssignments(texts, assignments))
    return EXIT_USAGE;
  const std::string path = filePath(name);
  PresetFile file = makeFile();
  if (!load(file, path))
    return EXIT_FILE;
  std::vector<int32_t> values = file.values();
  values.resize(PARAM_COUNT);
  for (const Assignment& a : assignments)
    values[static_cast<size_t>(a.ref.index)] = a.raw;
  file.setModelId(file.header().modelId);
  if (file.savePreset(path, values) != PresetResult::Done) {
    std::fprintf(stderr, "kv816ctl: cannot write %s; it was left as it was\n", path.c_str());
    return EXIT_FILE;
  }
  for (const Assignment& a : assignments)
    std::printf("%s = %s\n", paramName(a.ref.index).c_str(),
                formatParamValue(a.ref.kind, a.raw).c_str());
  return EXIT_OK;
}

// The device's whole table, read after connecting, against the file.
int diffDevice(CtlContext& ctx, const std::string& name, bool json) {
  PresetFile file = makeFile();
  if (!load(file, filePath(name)))
    return EXIT_FILE;
  return withDevice(ctx, false, [&](DeviceConnection& d, TerminalEvents&) {
    if (d.link().state().readMissing.load(std::memory_order_relaxed) > 0) {
      std::fprintf(stderr, "kv816ctl: the device did not report its whole table\n");
      return static_cast<int>(EXIT_LINK);
    }
    std::vector<int32_t> device(PARAM_COUNT);
    for (int i = 0; i < PARAM_COUNT; ++i)
      device[static_cast<size_t>(i)] = d.table().value(i);
    printDifferences(compareTables(file.values(), device), "file", "device", json);
    return static_cast<int>(EXIT_OK);
  });
}
} // namespace

void addJibCommands(CLI::App& app, CtlContext& ctx) {
  struct Args {
    std::string a;
    std::string b;
    std::vector<std::string> texts;
    bool json = false;
  };
  auto args = std::make_shared<Args>();
  CLI::App* jib = app.add_subcommand("jib", "Read preset files without a device");
  jib->require_subcommand(1);

  CLI::App* showCmd = jib->add_subcommand("show", "Print a preset file by channel and function");
  showCmd->add_option("FILE", args->a)->required();
  showCmd->add_flag("--json", args->json, "Print JSON");
  showCmd->callback([&ctx, args] { ctx.run = [args] { return show(args->a, args->json); }; });

  CLI::App* setCmd =
      jib->add_subcommand("set", "Edit a preset file, e.g. jib set show.jib out2.peq3.gain=-3dB");
  setCmd->add_option("FILE", args->a)->required();
  setCmd->add_option("PARAM=VALUE", args->texts, "Assignments, as for set")->required();
  setCmd->callback([&ctx, args] { ctx.run = [args] { return setInFile(args->a, args->texts); }; });

  CLI::App* diffCmd = jib->add_subcommand("diff", "List the entries in which two files differ");
  diffCmd->add_option("A", args->a)->required();
  diffCmd->add_option("B", args->b)->required();
  diffCmd->add_flag("--json", args->json, "Print JSON");
  diffCmd->callback(
      [&ctx, args] { ctx.run = [args] { return diffFiles(args->a, args->b, args->json); }; });

  CLI::App* deviceDiff =
      app.add_subcommand("diff", "List the entries in which the device differs from a file");
  deviceDiff->add_option("FILE", args->a)->required();
  deviceDiff->add_flag("--json", args->json, "Print JSON");
  deviceDiff->callback(
      [&ctx, args] { ctx.run = [&ctx, args] { return diffDevice(ctx, args->a, args->json); }; });
}

} // namespace kv816
