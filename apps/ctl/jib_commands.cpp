// kv816ctl jib show / jib diff: preset files read offline, in engineering units.

#include <CLI/CLI.hpp>

#include "ctl/ctl_context.h"
#include "ctl/exit_codes.h"
#include "ctl/table_print.h"
#include "edit/param_names.h"
#include "edit/param_values.h"
#include "i18n/text.h"
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

int diff(const std::string& nameA, const std::string& nameB) {
  PresetFile a = makeFile();
  PresetFile b = makeFile();
  if (!load(a, nameA) || !load(b, nameB))
    return EXIT_FILE;
  int differences = 0;
  if (a.header().modelId != b.header().modelId) {
    std::printf("model id: %d -> %d\n", a.header().modelId, b.header().modelId);
    ++differences;
  }
  const size_t count = std::max(a.values().size(), b.values().size());
  for (size_t i = 0; i < count; ++i) {
    const bool inA = i < a.values().size();
    const bool inB = i < b.values().size();
    const int va = inA ? a.values()[i] & 0xFFFF : 0;
    const int vb = inB ? b.values()[i] & 0xFFFF : 0;
    if (inA && inB && va == vb)
      continue;
    const ParamRef ref = paramOfIndex(static_cast<int>(i));
    std::printf("%s: %s -> %s\n", paramName(static_cast<int>(i)).c_str(),
                inA ? formatParamValue(ref.kind, va).c_str() : "(none)",
                inB ? formatParamValue(ref.kind, vb).c_str() : "(none)");
    ++differences;
  }
  std::printf("%d difference%s\n", differences, differences == 1 ? "" : "s");
  return EXIT_OK;
}
} // namespace

void addJibCommands(CLI::App& app, CtlContext& ctx) {
  struct Args {
    std::string a;
    std::string b;
    bool json = false;
  };
  auto args = std::make_shared<Args>();
  CLI::App* jib = app.add_subcommand("jib", "Read preset files without a device");
  jib->require_subcommand(1);

  CLI::App* showCmd = jib->add_subcommand("show", "Print a preset file by channel and function");
  showCmd->add_option("FILE", args->a)->required();
  showCmd->add_flag("--json", args->json, "Print JSON");
  showCmd->callback([&ctx, args] { ctx.run = [args] { return show(args->a, args->json); }; });

  CLI::App* diffCmd = jib->add_subcommand("diff", "List the entries in which two files differ");
  diffCmd->add_option("A", args->a)->required();
  diffCmd->add_option("B", args->b)->required();
  diffCmd->callback([&ctx, args] { ctx.run = [args] { return diff(args->a, args->b); }; });
}

} // namespace kv816
