// The commands the Windows build leaves out, still listed so that asking for one says why
// instead of "unknown command".

#include <CLI/CLI.hpp>

#include <iostream>
#include <string>

#include "ctl/ctl_context.h"
#include "ctl/doctor_command.h"
#include "ctl/exit_codes.h"
#include "ctl/serve_command.h"
#include "ctl/support_bundle_command.h"

namespace kv816 {
namespace {

void addAbsent(CLI::App& app, CtlContext& context, const std::string& name,
               const std::string& why) {
  CLI::App* command = app.add_subcommand(name, "Not in the Windows build: " + why);
  command->allow_extras();
  command->callback([&context, name, why] {
    context.run = [name, why] {
      std::cerr << "kv816ctl " << name << " is not in the Windows build: " << why << "\n";
      return static_cast<int>(EXIT_USAGE);
    };
  });
}

} // namespace

void addServeCommand(CLI::App& app, CtlContext& context) {
  addAbsent(app, context, "serve", "the remote control API needs liblo");
}

void addDoctorCommand(CLI::App& app, CtlContext& context) {
  addAbsent(app, context, "doctor", "its checks are those of a Linux system");
}

void addSupportBundleCommand(CLI::App& app, CtlContext& context) {
  addAbsent(app, context, "support-bundle", "the zip writer needs libarchive");
}

} // namespace kv816
