// kv816ctl serve: the remote API (JSON-RPC over WebSocket, OSC over UDP) on a link held as
// the desktop program holds it: full read at start, reconnection after a loss.

#include "ctl/serve_command.h"

#include <CLI/CLI.hpp>

#include <atomic>
#include <csignal>
#include <optional>

#include "api/api_service.h"
#include "api/api_settings.h"
#include "api/api_token.h"
#include "api/listen_address.h"
#include "api/osc_server.h"
#include "api/worker_api_host.h"
#include "ctl/ctl_context.h"
#include "ctl/exit_codes.h"
#include "ctl/transports.h"

namespace kv816 {

namespace {
using namespace std::chrono_literals;

// kv816ctl shares the desktop program's settings section.
constexpr const char* SETTINGS_SECTION = "kv816";
constexpr auto POLL_INTERVAL = 10ms;
// OSC has no token: it stays on loopback whatever address the WebSocket side uses.
constexpr const char* OSC_HOST = "127.0.0.1";

std::atomic<bool> interrupted{false};

extern "C" void onSignal(int) {
  interrupted = true;
}

struct ServeOptions {
  std::string listen;
  bool showToken = false;
  int oscPort = -1; // -1: the settings decide; 0: off
};

// The token when one is needed or asked for; false (message printed) when it cannot be had.
bool tokenFor(const ListenAddress& where, const ServeOptions& o, const SettingsFolders& folders,
              std::string& token) {
  if (isLoopbackAddress(where.host) && !o.showToken)
    return true;
  std::string error;
  token = loadOrCreateApiToken(folders, error);
  if (token.empty()) {
    std::fprintf(stderr, "kv816ctl: no access token: %s\n", error.c_str());
    return false;
  }
  if (o.showToken)
    std::printf("token: %s\n", token.c_str());
  return true;
}

int serve(CtlContext& ctx, const ServeOptions& o) {
  const SettingsFolders folders = SettingsFolders::forThisProgram(SETTINGS_SECTION);
  const ApiSettings settings = ApiSettings::read(Settings(folders));
  const std::string listen =
      o.listen.empty() ? settings.address + ":" + std::to_string(settings.port) : o.listen;
  const std::optional<ListenAddress> where = parseListenAddress(listen);
  if (!where) {
    std::fprintf(stderr, "kv816ctl: --listen takes ADDRESS:PORT with a numeric address, got %s\n",
                 listen.c_str());
    return EXIT_USAGE;
  }
  std::string error;
  const LinkConfig config = resolveLinkConfig(ctx.connection, error);
  if (!error.empty()) {
    std::fprintf(stderr, "kv816ctl: %s\n", error.c_str());
    return EXIT_USAGE;
  }
  WebSocketOptions wsOptions;
  wsOptions.address = where->host;
  wsOptions.port = where->port;
  if (!tokenFor(*where, o, folders, wsOptions.token))
    return EXIT_FILE;

  JobQueue queue;
  WorkerApiHost host(queue, config, makeCtlTransportFactory(ctx.connection.port), folders);
  ApiService service(host, wsOptions,
                     [&queue](std::function<void()> job) { queue.post(std::move(job)); });
  host.setDeviceChangeSink([&service](int index) { service.onDeviceChanged(index); });
  if (!service.start(error)) {
    std::fprintf(stderr, "kv816ctl: %s\n", error.c_str());
    return EXIT_USAGE;
  }
  const int oscPort = o.oscPort >= 0 ? o.oscPort : settings.oscEnabled ? settings.oscPort : 0;
  std::optional<OscServer> osc;
  if (oscPort > 0) {
    osc.emplace(service.handler(),
                [&queue](std::function<void()> job) { queue.post(std::move(job)); });
    if (!osc->start(OSC_HOST, static_cast<uint16_t>(oscPort), error)) {
      std::fprintf(stderr, "kv816ctl: OSC: %s\n", error.c_str());
      return EXIT_USAGE;
    }
    std::printf("osc on udp://%s:%d\n", OSC_HOST, oscPort);
  }
  if (!host.start()) {
    std::fprintf(stderr, "kv816ctl: the link could not be started\n");
    return EXIT_LINK;
  }
  std::printf("listening on ws://%s:%u/\n", listen.substr(0, listen.rfind(':')).c_str(),
              static_cast<unsigned>(service.port()));
  std::fflush(stdout);
  std::signal(SIGINT, onSignal);
  std::signal(SIGTERM, onSignal);
  while (!interrupted) {
    queue.runFor(POLL_INTERVAL);
    service.poll();
  }
  if (osc)
    osc->stop();
  service.stop();
  queue.clear();
  return EXIT_OK;
}
} // namespace

void addServeCommand(CLI::App& app, CtlContext& ctx) {
  auto o = std::make_shared<ServeOptions>();
  CLI::App* cmd = app.add_subcommand(
      "serve", "Hold the link and serve the remote API (JSON-RPC over WebSocket) until stopped");
  cmd->add_option("--listen", o->listen,
                  "ADDRESS:PORT to listen on (default 127.0.0.1:18160 or the ApiAddress and "
                  "ApiPort settings); an address beyond loopback needs the token");
  cmd->add_flag("--show-token", o->showToken,
                "Print the access token (created once, kept in the settings folder)");
  cmd->add_option("--osc", o->oscPort,
                  "UDP port for OSC on 127.0.0.1 (0: off; default: the OscEnabled and OscPort "
                  "settings)")
      ->check(CLI::Range(0, 65535));
  cmd->callback([&ctx, o] { ctx.run = [&ctx, o] { return serve(ctx, *o); }; });
}

} // namespace kv816
