// kv816-sim: a simulated processor with its WiFi module on a pseudo-terminal, TCP and UDP.

#include <CLI/CLI.hpp>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

#include "sim/frame_log.h"
#include "sim/net_endpoints.h"
#include "sim/pty_endpoint.h"
#include "sim/sim_options.h"
#include "sim/simulated_device.h"
#include "sim/state_json.h"
#include "sim/wait_for_signal.h"

using namespace kv816;

namespace {

void addOptions(CLI::App& app, SimOptions& o, std::string& tcp, std::string& udp) {
  app.add_option("--pty", o.ptyPath, "Serve a pseudo-terminal and link PATH to it")
      ->type_name("PATH");
  app.add_option("--tcp", tcp, "Serve the WiFi module's TCP frame channel on HOST:PORT")
      ->type_name("HOST:PORT");
  app.add_option("--udp", udp, "Answer the WiFi module's UDP text commands on HOST:PORT")
      ->type_name("HOST:PORT");
  app.add_flag("--allow-non-loopback", o.allowNonLoopback,
               "Allow --tcp/--udp addresses outside 127.0.0.0/8");
  FaultConfig& f = o.device.faults;
  app.add_option("--drop", f.dropProbability, "Drop each reply frame with probability P")
      ->check(CLI::Range(0.0, 1.0))
      ->type_name("P");
  app.add_option("--corrupt", f.corruptProbability, "Flip one bit of a reply with probability P")
      ->check(CLI::Range(0.0, 1.0))
      ->type_name("P");
  app.add_option_function<int>(
         "--delay-ms", [&f](int ms) { f.delay = std::chrono::milliseconds(ms); },
         "Hold replies back N ms (see --delay-prob)")
      ->check(CLI::Range(0, 60000))
      ->type_name("N");
  app.add_option("--delay-prob", f.delayProbability, "Probability that a reply is delayed (1)")
      ->check(CLI::Range(0.0, 1.0))
      ->type_name("P");
  app.add_option("--silent-after", f.silentAfter, "Stop answering after N reply frames")
      ->check(CLI::NonNegativeNumber)
      ->type_name("N");
  app.add_option("--identity", o.device.identity, "Identity to report (20015)")
      ->check(CLI::Range(0, 65535))
      ->type_name("N");
  app.add_flag("--lock-preset", o.device.lockCurrentPreset, "Lock the preset running at start");
  app.add_flag("--info-lock-only", o.device.infoLockOnly,
               "Answer the information request in the lock form only, never with the identity");
  app.add_option("--seed", o.device.seed, "Seed for faults and meters (1)")->type_name("N");
  app.add_option("--log", o.logPath, "Write one JSON line per frame in and out")->type_name("FILE");
  app.add_option("--state-file", o.stateOutPath, "Write the device state as JSON at exit")
      ->type_name("FILE");
  app.add_option("--state-in", o.stateInPath, "Start from a state written by --state-file")
      ->check(CLI::ExistingFile)
      ->type_name("FILE");
  app.add_option("--replay", o.replayPath, "Answer as the packet trace (--trace) recorded")
      ->check(CLI::ExistingFile)
      ->type_name("TRACE");
}

bool loadState(SimulatedDevice& device, const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  DeviceState state = device.state();
  std::string error;
  if (!stateFromJson(text.str(), state, error)) {
    std::cerr << "kv816-sim: " << path << ": " << error << "\n";
    return false;
  }
  device.loadState(state);
  return true;
}

bool saveState(const SimulatedDevice& device, const std::string& path, int identity) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << stateToJson(device.state(), identity);
  out.close();
  if (!out) {
    std::cerr << "kv816-sim: cannot write " << path << "\n";
    return false;
  }
  return true;
}

struct Endpoints {
  std::unique_ptr<PtyEndpoint> pty;
  std::unique_ptr<TcpEndpoint> tcp;
  std::unique_ptr<UdpEndpoint> udp;

  void stop() {
    if (pty)
      pty->stop();
    if (tcp)
      tcp->stop();
    if (udp)
      udp->stop();
  }
};

bool startEndpoints(const SimOptions& o, SimulatedDevice& device, FrameLog* log, Endpoints& e) {
  std::string error;
  if (!o.ptyPath.empty()) {
    e.pty = std::make_unique<PtyEndpoint>(device);
    if (!e.pty->start(o.ptyPath, error))
      return std::cerr << "kv816-sim: --pty: " << error << "\n", false;
    std::cout << "kv816-sim: pty " << o.ptyPath << " -> " << e.pty->slaveName() << "\n";
  }
  if (o.tcp) {
    e.tcp = std::make_unique<TcpEndpoint>(device);
    if (!e.tcp->start(o.tcp->host, o.tcp->port, error))
      return std::cerr << "kv816-sim: --tcp: " << error << "\n", false;
    std::cout << "kv816-sim: tcp " << o.tcp->host << ":" << e.tcp->port() << "\n";
  }
  if (o.udp) {
    UdpEndpoint::DatagramObserver observer;
    if (log)
      observer = [log](bool in, std::string_view text) { log->datagram(in, text); };
    e.udp = std::make_unique<UdpEndpoint>(device, observer);
    if (!e.udp->start(o.udp->host, o.udp->port, error))
      return std::cerr << "kv816-sim: --udp: " << error << "\n", false;
    std::cout << "kv816-sim: udp " << o.udp->host << ":" << e.udp->port() << "\n";
  }
  return true;
}

} // namespace

int main(int argc, char** argv) {
  CLI::App app{"kv816-sim - a simulated KV816 processor with its WiFi module"};
  SimOptions options;
  std::string tcp, udp;
  addOptions(app, options, tcp, udp);
  CLI11_PARSE(app, argc, argv);
  HostPort where;
  if (!tcp.empty() && !parseHostPort(tcp, where))
    return std::cerr << "kv816-sim: --tcp needs HOST:PORT\n", 2;
  if (!tcp.empty())
    options.tcp = where;
  if (!udp.empty() && !parseHostPort(udp, where))
    return std::cerr << "kv816-sim: --udp needs HOST:PORT\n", 2;
  if (!udp.empty())
    options.udp = where;
  if (const std::string problem = validate(options); !problem.empty())
    return std::cerr << "kv816-sim: " << problem << "\n", 2;

  // The program reads an information reply whose first byte is 1 or 2 as the lock form.
  if (const int high = options.device.identity >> 8; high == 1 || high == 2)
    std::cerr << "kv816-sim: warning: identity " << options.device.identity << " starts with byte "
              << high << "; the program will take it for a lock report\n";
  if (!options.replayPath.empty()) {
    options.device.replay = std::make_shared<TraceReplay>();
    if (std::string error; !options.device.replay->load(options.replayPath, error))
      return std::cerr << "kv816-sim: " << error << "\n", 2;
  }
  blockTerminationSignals();
  SimulatedDevice device(options.device);
  if (!options.stateInPath.empty() && !loadState(device, options.stateInPath))
    return 1;
  std::unique_ptr<FrameLog> log;
  if (!options.logPath.empty()) {
    log = std::make_unique<FrameLog>();
    if (!log->open(options.logPath))
      return std::cerr << "kv816-sim: cannot create " << options.logPath << "\n", 1;
    device.setFrameObserver(
        [l = log.get()](FrameDirection d, std::span<const uint8_t> b) { l->frame(d, b); });
  }
  if (options.udp && !options.tcp) {
    uint32_t address = 0;
    parseIpv4(options.udp->host, address);
    device.setModuleAddress(address);
  }
  Endpoints endpoints;
  const bool started = startEndpoints(options, device, log.get(), endpoints);
  if (started) {
    std::cout << "kv816-sim: ready" << std::endl;
    waitForTerminationSignal();
  }
  endpoints.stop();
  device.setFrameObserver({});
  const bool saved = options.stateOutPath.empty() ||
                     saveState(device, options.stateOutPath, options.device.identity);
  return started && saved ? 0 : 1;
}
