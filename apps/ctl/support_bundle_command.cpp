#include "ctl/support_bundle_command.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/utsname.h>
#include <sys/wait.h>

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
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
#include "presets/settings_folders.h"

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

// Settings lines whose key names a password keep the key and lose the value.
std::string maskPasswords(const std::string& ini) {
  std::istringstream in(ini);
  std::string line, out;
  while (std::getline(in, line)) {
    const size_t equals = line.find('=');
    std::string key = line.substr(0, equals);
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (equals != std::string::npos &&
        (key.find("pass") != std::string::npos || key.find("pw") != std::string::npos))
      line = line.substr(0, equals + 1) + "********";
    out += line + "\n";
  }
  return out;
}

class ZipWriter {
public:
  explicit ZipWriter(const std::string& path) : archive_(archive_write_new()) {
    archive_write_set_format_zip(archive_);
    ok_ = archive_write_open_filename(archive_, path.c_str()) == ARCHIVE_OK;
  }
  ~ZipWriter() {
    if (archive_)
      archive_write_free(archive_);
  }
  ZipWriter(const ZipWriter&) = delete;
  ZipWriter& operator=(const ZipWriter&) = delete;

  void add(const std::string& name, const std::string& content) {
    if (!ok_)
      return;
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, name.c_str());
    archive_entry_set_size(entry, static_cast<la_int64_t>(content.size()));
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_perm(entry, 0644);
    ok_ = archive_write_header(archive_, entry) == ARCHIVE_OK &&
          archive_write_data(archive_, content.data(), content.size()) ==
              static_cast<la_ssize_t>(content.size());
    archive_entry_free(entry);
  }
  // False when any part of the archive failed to be written.
  bool finish() {
    const bool closed = archive_write_close(archive_) == ARCHIVE_OK;
    return ok_ && closed;
  }

private:
  archive* archive_;
  bool ok_ = false;
};

std::string versions() {
  std::string text = "kv816ctl " KV816_VERSION "\n";
  text += std::string(archive_version_string()) + "\n";
  utsname system{};
  if (::uname(&system) == 0)
    text += std::string(system.sysname) + " " + system.release + " " + system.machine + "\n";
  return text;
}

// The device part runs this program's own info, presets and export commands with the same
// link options, so the bundle holds exactly what those commands report.
void addDevice(ZipWriter& zip, const CtlContext& context, const fs::path& scratch) {
  const ConnectionOptions& o = context.connection;
  std::vector<std::string> link{"--timeout", std::to_string(o.timeoutSeconds)};
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
  zip.add("device.txt", report);
  if (fs::exists(table))
    zip.add("table.jib", readWhole(table));
}

int writeBundle(const CtlContext& context, const std::string& path, bool withDevice) {
  ZipWriter zip(path);
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(defaultLogFolder(), ec))
    if (entry.path().extension() == ".log")
      zip.add("log/" + entry.path().filename().string(), readWhole(entry.path()));
  if (!context.connection.traceFile.empty() && fs::exists(context.connection.traceFile))
    zip.add("trace.txt", readWhole(context.connection.traceFile));
  const SettingsFolders folders = SettingsFolders::forThisProgram("kv816");
  for (const fs::path& folder : {folders.presetFolder, folders.fallbackFolder})
    for (const char* name : {"Configuration.ini", "Language.ini"})
      if (fs::exists(folder / name))
        zip.add("settings/" + folder.filename().string() + "/" + name,
                maskPasswords(readWhole(folder / name)));
  bool failed = false;
  CtlContext copy = context;
  zip.add("doctor.txt", doctorReport(copy, failed));
  zip.add("versions.txt", versions());
  if (withDevice) {
    const fs::path scratch =
        fs::temp_directory_path() / ("kv816-bundle-" + std::to_string(::getpid()));
    fs::create_directories(scratch, ec);
    addDevice(zip, context, scratch);
    fs::remove_all(scratch, ec);
  }
  if (!zip.finish()) {
    std::fprintf(stderr, "kv816ctl: cannot write %s\n", path.c_str());
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
