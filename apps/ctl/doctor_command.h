#pragma once
// kv816ctl doctor: why there may be no device, checked without talking to it (no packet
// is sent): serial ports, USB devices and the udev rule, network interfaces and where
// discovery would ask, the settings and log folders, the single-instance lock.

#include <string>

namespace CLI {
class App;
}

namespace kv816 {

struct CtlContext;

void addDoctorCommand(CLI::App& app, CtlContext& context);
// The checks' lines; `failed` when one of them failed.
std::string doctorReport(CtlContext& context, bool& failed);

} // namespace kv816
