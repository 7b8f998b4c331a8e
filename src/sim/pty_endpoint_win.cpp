#include "sim/pty_endpoint.h"

#include "sim/simulated_device.h"

namespace kv816 {

// Windows has no pseudo-terminals; a serial link there needs a virtual COM port pair, which
// this program does not install. The simulator serves over TCP and UDP instead.
PtyEndpoint::PtyEndpoint(SimulatedDevice& device) : device_(device) {}

PtyEndpoint::~PtyEndpoint() = default;

bool PtyEndpoint::start(const std::string& linkPath, std::string& error) {
  linkPath_ = linkPath;
  error = "pseudo-terminals are not available on Windows; serve with --tcp and --udp";
  return false;
}

void PtyEndpoint::stop() {}

} // namespace kv816
