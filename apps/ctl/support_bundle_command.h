#pragma once
// kv816ctl support-bundle OUT.zip: what support needs in one file, kept on this computer:
// the log files, the packet trace if one was given, the settings with passwords masked,
// the doctor's checks, versions, and when a device answers its identity, presets list and
// current table as a preset file.

namespace CLI {
class App;
}

namespace kv816 {

struct CtlContext;

void addSupportBundleCommand(CLI::App& app, CtlContext& context);

} // namespace kv816
