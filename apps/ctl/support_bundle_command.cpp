#include "ctl/support_bundle_command.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "ctl/ctl_context.h"
#include "ctl/doctor_command.h"
#include "ctl/exit_codes.h"
#include "link/event_log.h"
#include "presets/support_bundle.h"
#include "presets/trace_setting.h"

extern char** environ;

namespace kv816 {
namespace {

namespace fs = std::filesystem;

// Runs this program with `args`, its output and errors to files; its exit code, -1 when it
// could not be run.
int runSelf(const std::vector<std::string>& args, const std::string& out, const std::string& err) {
  std::vector<std::string> all{fs::read_symlink("/proc/self/exe").string()};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = -1;
  const bool started = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (!started || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
    return -1;
  return WEXITSTATUS(status);
}

std::string readWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The device part runs this program's own info, presets and export commands with the same
// link options, so the bundle holds exactly what those commands report.
void addDevice(SupportBundle& bundle, const CtlContext& context, const fs::path& scratch) {
  const ConnectionOptions& o = context.connection;
  // The runs trace into the scratch folder, so a trace turned on in the settings keeps
  // what it recorded before the bundle was made.
  std::vector<std::string> link{"--timeout", std::to_string(o.timeoutSeconds), "--trace",
                                (scratch / "trace.txt").string()};
  auto option = [&link](const char* name, const std::string& value) {
    if (!value.empty())
      link.insert(link.end(), {name, value});
  };
  option("--link", o.link);
  option("--port", o.port);
  option("--net-address", o.netAddress);
  if (o.demo)
    link.push_back("--demo");
  const std::string table = (scratch / "table.jib").string();
  const std::vector<std::vector<std::string>> commands = {
      {"info"}, {"presets"}, {"export", "--force", table}};
  std::string report;
  for (const auto& command : commands) {
    std::vector<std::string> args = link;
    args.insert(args.end(), command.begin(), command.end());
    const std::string out = (scratch / "out").string();
    const std::string err = (scratch / "err").string();
    const int code = runSelf(args, out, err);
    report += "$ kv816ctl " + command.front() + "\n" + readWhole(out) + readWhole(err);
    if (code != 0)
      break; // no device: the first failure says why, the rest would say the same
  }
  bundle.add("device.txt", report);
  bundle.addFileIfPresent(table, "table.jib");
}

int writeBundle(const CtlContext& context, const std::string& path, bool withDevice) {
  SupportBundle bundle;
  bundle.addLogs(defaultLogFolder());
  const Settings settings = Settings::forThisProgram("kv816");
  const std::string traces[] = {
      context.connection.traceFile,
      traceFileFor(settings, "kv816", {}, defaultLogFolder()),
      traceFileFor(settings, "kv816ctl", {}, defaultLogFolder()),
  };
  for (const std::string& trace : traces)
    bundle.addFileIfPresent(trace, "trace/" + fs::path(trace).filename().string());
  bundle.addSettings(settings.folders());
  bool failed = false;
  CtlContext copy = context;
  bundle.add("doctor.txt", doctorReport(copy, failed));
  bundle.addVersions("kv816ctl " KV816_VERSION);
  if (withDevice) {
    std::error_code ec;
    const fs::path scratch =
        fs::temp_directory_path() / ("kv816-bundle-" + std::to_string(::getpid()));
    fs::create_directories(scratch, ec);
    addDevice(bundle, context, scratch);
    fs::remove_all(scratch, ec);
  }
  std::string error;
  if (!bundle.write(path, error)) {
    std::fprintf(stderr, "kv816ctl: cannot write %s: %s\n", path.c_str(), error.c_str());
    return EXIT_FILE;
  }
  std::printf("%s written (nothing was sent anywhere)\n", path.c_str());
  return EXIT_OK;
}

} // namespace

void addSupportBundleCommand(CLI::App& app, CtlContext& context) {
  struct Args {
    std::string out;
    bool noDevice = false;
  };
  auto a = std::make_shared<Args>();
  CLI::App* bundle = app.add_subcommand(
      "support-bundle", "Save the log, trace, masked settings, checks, versions and the device's "
                        "identity, presets and table in one zip file for support");
  bundle->add_option("OUT", a->out, "The zip file to write")->required();
  bundle->add_flag("--no-device", a->noDevice, "Leave the device out (no link is opened)");
  bundle->callback([&context, a] {
    context.run = [&context, a] { return writeBundle(context, a->out, !a->noDevice); };
  });
}

} // namespace kv816
