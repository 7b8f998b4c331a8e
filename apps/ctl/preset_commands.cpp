// kv816ctl export, import, presets, recall, name: preset files and the device's own presets.

#include <CLI/CLI.hpp>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "ctl/ctl_context.h"
#include "ctl/exit_codes.h"
#include "edit/param_names.h"
#include "i18n/text.h"
#include "i18n/utf8.h"
#include "link/full_read.h"
#include "link/link.h"
#include "link/preset_tasks.h"
#include "link/worker_session.h"
#include "presets/preset_file.h"

namespace kv816 {

namespace {
using namespace std::chrono_literals;
constexpr auto TASK_TIMEOUT = 180s; // a whole write and read back on a slow link

int exitCodeOf(std::optional<TaskResult> result) {
  if (!result) {
    std::fprintf(stderr, "kv816ctl: the device task did not finish in time\n");
    return EXIT_LINK;
  }
  switch (*result) {
  case TaskResult::Done:
    return EXIT_OK;
  case TaskResult::EmptyName:
    return EXIT_USAGE;
  case TaskResult::NoFile:
  case TaskResult::Password:
  case TaskResult::WrongModel:
  case TaskResult::SaveFailed:
    return EXIT_FILE;
  default:
    return EXIT_LINK;
  }
}

int exportFile(DeviceConnection& device, const std::string& file, bool force) {
  // The command line names files relative to the current folder, not the preset folder.
  const std::string path = std::filesystem::absolute(file).string();
  if (!force && PresetFile(device.fileInputs().folders()).presetExists(path)) {
    std::fprintf(stderr, "kv816ctl: %s exists; use --force to replace it\n",
                 PresetFile::withExtension(path).c_str());
    return EXIT_FILE;
  }
  device.fileInputs().setName(path);
  return exitCodeOf(device.runTask(TASK_EXPORT, TASK_TIMEOUT));
}

int importFile(DeviceConnection& device, const std::string& file) {
  device.fileInputs().setName(file);
  const std::optional<TaskResult> result = device.runTask(TASK_IMPORT, TASK_TIMEOUT);
  if (result == TaskResult::NotKept) {
    constexpr size_t NAMES_SHOWN = 5;
    const std::vector<int> differing = device.fileInputs().differing();
    std::string names;
    for (size_t i = 0; i < differing.size() && i < NAMES_SHOWN; ++i)
      names += (i == 0 ? "" : ", ") + paramName(differing[i]);
    std::fprintf(stderr,
                 "kv816ctl: the device holds other values than the file in %zu entries: %s%s\n",
                 differing.size(), names.c_str(), differing.size() > NAMES_SHOWN ? ", ..." : "");
  }
  return exitCodeOf(result);
}

int listPresets(DeviceConnection& device) {
  PresetNames& names = device.link().presetNames();
  const bool asked =
      device.runOnWorker([](WorkerSession& s) { readPresetNames(s, 0); }, device.timeout());
  const auto deadline = std::chrono::steady_clock::now() + 2s;
  auto allReceived = [&] {
    for (int s = 0; s < PRESET_SLOTS; ++s)
      if (!names.received(s))
        return false;
    return true;
  };
  while (asked && !allReceived() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(10ms);
  if (!asked || !allReceived()) {
    std::fprintf(stderr, "kv816ctl: the device did not report its preset names in time\n");
    return EXIT_LINK;
  }
  if (!device.readEntries({IDX_CURRENT_PRESET}, device.timeout())) {
    std::fprintf(stderr, "kv816ctl: the device did not report its current preset in time\n");
    return EXIT_LINK;
  }
  const int current = device.table().value(IDX_CURRENT_PRESET) & 0xFF;
  for (int s = 0; s < PRESET_SLOTS; ++s)
    std::printf("%c%2d  %s\n", s + 1 == current ? '*' : ' ', s + 1, toUtf8(names.name(s)).c_str());
  return EXIT_OK;
}

// The device confirmed the recall once the task got past its requests: what follows is
// only the read of the new values into this program's mirror, which kv816ctl does not
// need. So a locked preset, whose values cannot be read, or a read cut short, still
// exits 0 with a note of what happened.
int recallPreset(DeviceConnection& device, int preset) {
  requestRecall(device.link(), preset);
  const std::optional<TaskResult> result = device.runTask(TASK_RECALL, TASK_TIMEOUT);
  if (result != TaskResult::Done && result != TaskResult::ReadFailed)
    return exitCodeOf(result);
  if (device.link().deviceInfo().presetLocked.load(std::memory_order_relaxed) != 0)
    std::fprintf(stderr,
                 "kv816ctl: preset %d was recalled; it is locked, so its values cannot be "
                 "read\n",
                 preset);
  else if (result == TaskResult::ReadFailed)
    std::fprintf(stderr, "kv816ctl: preset %d was recalled; reading its values failed\n", preset);
  std::printf("preset %d recalled\n", preset);
  return EXIT_OK;
}

template <typename Command>
void onRun(CLI::App* sub, CtlContext& ctx, bool skipFullRead, Command command) {
  sub->callback([&ctx, skipFullRead, command] {
    ctx.run = [&ctx, skipFullRead, command] {
      return withDevice(ctx, skipFullRead,
                        [&](DeviceConnection& d, TerminalEvents&) { return command(d); });
    };
  });
}
} // namespace

void addPresetCommands(CLI::App& app, CtlContext& ctx) {
  struct Args {
    std::string file;
    bool force = false;
    int preset = 0;
    std::string name;
  };
  auto a = std::make_shared<Args>();

  // The export task reads the whole table itself, so no connection needs the start-up read.
  CLI::App* exp = app.add_subcommand("export", "Read the device into a preset file (.jib)");
  exp->add_option("FILE", a->file, "Preset file")->required();
  exp->add_flag("--force", a->force, "Replace an existing file");
  onRun(exp, ctx, true, [a](DeviceConnection& d) { return exportFile(d, a->file, a->force); });

  CLI::App* imp = app.add_subcommand(
      "import", "Write a preset file (.jib) into the device; exit 0 only when the device's "
                "read-back equals the file, else exit 2 naming the entries that differ");
  imp->add_option("FILE", a->file, "Preset file")->required();
  onRun(imp, ctx, true, [a](DeviceConnection& d) { return importFile(d, a->file); });

  CLI::App* list = app.add_subcommand("presets", "List the device's twelve presets");
  onRun(list, ctx, true, [](DeviceConnection& d) { return listPresets(d); });

  CLI::App* recall = app.add_subcommand(
      "recall", "Run preset N (1-12) in the device; exit 0 once the device confirmed it, also "
                "when the preset is locked and its values cannot be read (said on stderr)");
  recall->add_option("N", a->preset, "Preset number")->required()->check(CLI::Range(1, 12));
  onRun(recall, ctx, true, [a](DeviceConnection& d) { return recallPreset(d, a->preset); });

  CLI::App* name = app.add_subcommand("name", "Store the name of preset N (1-12)");
  name->add_option("N", a->preset, "Preset number")->required()->check(CLI::Range(1, 12));
  name->add_option("TEXT", a->name, "The name (20 characters reach the device)")->required();
  name->callback([&ctx, a] {
    ctx.run = [&ctx, a] {
      const std::u16string text = fromUtf8(a->name);
      // The device keeps one byte per character: anything beyond Latin-1 would be stored
      // as some other character, so it is refused before anything is sent.
      if (std::any_of(text.begin(), text.end(), [](char16_t c) { return c > 0xFF; })) {
        std::fprintf(stderr, "kv816ctl: the device stores preset names in Latin-1 only (letters "
                             "such as A-Z, 0-9, é or ü)\n");
        return static_cast<int>(EXIT_USAGE);
      }
      return withDevice(ctx, true, [&](DeviceConnection& d, TerminalEvents&) {
        requestNameStore(d.link(), a->preset, text);
        return exitCodeOf(d.runTask(TASK_STORE_NAME, TASK_TIMEOUT));
      });
    };
  });
}

} // namespace kv816
