#pragma once
// What kv816ctl's command groups share: the connection options, the command chosen on
// the command line, and the one way a command gets at the device.

#include <functional>

#include "ctl/connection.h"

namespace CLI {
class App;
}

namespace kv816 {

struct CtlContext {
  ConnectionOptions connection;
  // Set by the chosen subcommand's callback; returns the exit code.
  std::function<int()> run;
};

// Connects (see DeviceConnection::open), runs `command` and stops the worker. Returns the
// connection's failure code or the command's own.
int withDevice(CtlContext& context, bool skipFullRead,
               const std::function<int(DeviceConnection&, TerminalEvents&)>& command);

// One registration function per command group.
void addDeviceCommands(CLI::App& app, CtlContext& context); // info dump get set
void addPresetCommands(CLI::App& app, CtlContext& context); // export import presets recall name
void addWifiCommands(CLI::App& app, CtlContext& context);   // wifi ...
void addJibCommands(CLI::App& app, CtlContext& context);    // jib show set diff, diff
void addPeqCommands(CLI::App& app, CtlContext& context);    // peq export, peq import

} // namespace kv816
