#pragma once
// kv816ctl autoeq CH --measurement M.txt [--target T.txt] [--range 40-16000] [--bands N]
//                 [--max-boost DB] [--smooth N] [--q 0.4-10] [--offset DB] [--lock LIST]
//                 [--into FILE.jib] [--dry-run] [--json]
//
// Fits the channel's free parametric bands to a measurement and prints them as stored,
// with the RMS error before and after. Without --into and --dry-run the bands go into the
// device and count as set only once the device holds them; with --into they go into the
// preset file instead.

namespace CLI {
class App;
}

namespace kv816 {

struct CtlContext;

void addAutoEqCommand(CLI::App& app, CtlContext& context);

} // namespace kv816
