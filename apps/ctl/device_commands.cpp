// kv816ctl info, dump, get, set: the device's identity and table, one entry at a time or
// all of them.

#include <CLI/CLI.hpp>

#include <array>
#include <unistd.h>

#include "ctl/assignments.h"
#include "ctl/confirmed_write.h"
#include "ctl/ctl_context.h"
#include "ctl/exit_codes.h"
#include "ctl/table_print.h"
#include "edit/param_names.h"
#include "edit/param_values.h"
#include "link/link.h"

namespace kv816 {

namespace {
constexpr auto relaxed = std::memory_order_relaxed;

std::string lockedPresets(uint32_t mask) {
  std::string list;
  for (int p = 1; p <= 12; ++p)
    if (mask & (1u << p))
      list += (list.empty() ? "" : ", ") + std::to_string(p);
  return list.empty() ? "none" : list;
}

// Prints only what the device reported in this run: a device that did not answer the
// read, or never gave its identity, is a link failure, not a table of defaults.
int info(DeviceConnection& device, TerminalEvents&) {
  const DeviceInfo& info = device.link().deviceInfo();
  if (!device.readEntries({IDX_CURRENT_PRESET}, device.timeout())) {
    std::fprintf(stderr, "kv816ctl: the device did not report its current preset in time\n");
    return EXIT_LINK;
  }
  if (info.deviceId.load(relaxed) == 0) {
    std::fprintf(stderr, "kv816ctl: the device did not report its identity\n");
    return EXIT_LINK;
  }
  if (!device.readLockState()) {
    std::fprintf(stderr, "kv816ctl: the device did not report its locked presets\n");
    return EXIT_LINK;
  }
  std::printf("device id: %d\n", info.deviceId.load(relaxed));
  std::printf("current preset: %d\n", device.table().value(IDX_CURRENT_PRESET) & 0xFF);
  std::printf("presets: %d\n", info.presetCount.load(relaxed));
  std::printf("locked presets: %s\n", lockedPresets(info.lockMask.load(relaxed)).c_str());
  return EXIT_OK;
}

int dump(DeviceConnection& device, bool json) {
  std::array<int32_t, PARAM_COUNT> values{};
  for (int i = 0; i < PARAM_COUNT; ++i)
    values[static_cast<size_t>(i)] = device.table().value(i);
  if (json) {
    std::printf("{\"device_id\":%d,\"current_preset\":%d,%s}\n",
                device.link().deviceInfo().deviceId.load(relaxed),
                values[IDX_CURRENT_PRESET] & 0xFF, tableJsonMembers(values).c_str());
  } else {
    printTable(stdout, values);
  }
  return EXIT_OK;
}

bool parseNames(const std::vector<std::string>& names, std::vector<ParamRef>& refs) {
  for (const std::string& name : names) {
    const std::optional<ParamRef> ref = parseParamName(name);
    if (!ref) {
      std::fprintf(stderr, "kv816ctl: unknown parameter %s (see kv816ctl --help)\n", name.c_str());
      return false;
    }
    refs.push_back(*ref);
  }
  return true;
}

// Only values the device now holds count as set.
int set(DeviceConnection& device, const std::vector<Assignment>& assignments) {
  std::vector<ParameterEdit> edits;
  for (const Assignment& a : assignments)
    edits.push_back({a.ref.index, a.raw});
  return writeConfirmed(device, edits, true);
}
} // namespace

void addDeviceCommands(CLI::App& app, CtlContext& ctx) {
  CLI::App* infoCmd = app.add_subcommand("info", "Show the device's identity and presets state");
  infoCmd->callback([&ctx] { ctx.run = [&ctx] { return withDevice(ctx, true, info); }; });

  auto json = std::make_shared<bool>(false);
  CLI::App* dumpCmd = app.add_subcommand("dump", "Read and print the device's whole table");
  dumpCmd->add_flag("--json", *json, "Print JSON");
  dumpCmd->callback([&ctx, json] {
    ctx.run = [&ctx, json] {
      return withDevice(ctx, false,
                        [json](DeviceConnection& d, TerminalEvents&) { return dump(d, *json); });
    };
  });

  auto names = std::make_shared<std::vector<std::string>>();
  CLI::App* getCmd = app.add_subcommand("get", "Read parameters, e.g. get out2.peq3.gain");
  getCmd->add_option("PARAM", *names, "Parameter names")->required();
  getCmd->callback([&ctx, names] {
    ctx.run = [&ctx, names] {
      std::vector<ParamRef> refs;
      if (!parseNames(*names, refs))
        return static_cast<int>(EXIT_USAGE);
      return withDevice(ctx, true, [&refs](DeviceConnection& d, TerminalEvents&) {
        std::vector<int> indexes;
        for (const ParamRef& r : refs)
          indexes.push_back(r.index);
        if (!d.readEntries(indexes, d.timeout())) {
          std::fprintf(stderr, "kv816ctl: the device did not report the values in time\n");
          return static_cast<int>(EXIT_LINK);
        }
        for (const ParamRef& r : refs)
          std::printf("%s = %s\n", paramName(r.index).c_str(),
                      formatParamValue(r.kind, d.table().wireValue(r.index)).c_str());
        return static_cast<int>(EXIT_OK);
      });
    };
  });

  auto texts = std::make_shared<std::vector<std::string>>();
  CLI::App* setCmd =
      app.add_subcommand("set", "Write parameters, e.g. set out2.peq3.gain=-3.5dB in1.mute=on");
  setCmd->add_option("PARAM=VALUE", *texts, "Assignments")->required();
  setCmd->callback([&ctx, texts] {
    ctx.run = [&ctx, texts] {
      std::vector<Assignment> assignments;
      if (!parseAssignments(*texts, assignments))
        return static_cast<int>(EXIT_USAGE);
      return withDevice(ctx, true, [&assignments](DeviceConnection& d, TerminalEvents&) {
        return set(d, assignments);
      });
    };
  });
}

int withDevice(CtlContext& ctx, bool skipFullRead,
               const std::function<int(DeviceConnection&, TerminalEvents&)>& command) {
  TerminalEvents events(::isatty(STDERR_FILENO) == 1);
  DeviceConnection device(ctx.connection, events);
  const int opened = device.open(skipFullRead);
  if (opened != EXIT_OK)
    return opened;
  return command(device, events);
}

} // namespace kv816
