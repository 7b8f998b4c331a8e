#pragma once
// kv816ctl serve: holds the device link and serves the remote API until interrupted.

namespace CLI {
class App;
}

namespace kv816 {

struct CtlContext;

void addServeCommand(CLI::App& app, CtlContext& context);

} // namespace kv816
