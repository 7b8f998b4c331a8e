// kv816ctl wifi: the device's WiFi module (address, mode, hotspot and router settings).

#include <CLI/CLI.hpp>

#include <thread>

#include "ctl/ctl_context.h"
#include "ctl/exit_codes.h"
#include "i18n/text.h"
#include "link/module_commands.h"

namespace kv816 {

namespace {
using namespace std::chrono_literals;
namespace slot = module_slot;

constexpr size_t COMMAND_MAX = 99; // the module takes commands of at most 99 bytes
constexpr size_t PASSWORD_MIN = 8; // a hotspot password is empty or at least this long
constexpr auto WIFI_WAIT = 10s;

// The module takes printable ASCII only, in commands of at most 99 bytes. A value it
// could not store as typed is refused before anything is sent, with the reason.
bool checkModuleText(const char* what, std::string_view prefix, const std::string& value) {
  for (char c : value) {
    if (c < 0x20 || static_cast<unsigned char>(c) >= 0x7F) {
      std::fprintf(stderr,
                   "kv816ctl: the %s has characters the WiFi module cannot store; use "
                   "printable ASCII only (letters, digits, space and punctuation)\n",
                   what);
      return false;
    }
  }
  if (prefix.size() + value.size() > COMMAND_MAX) {
    std::fprintf(stderr, "kv816ctl: the %s is longer than the WiFi module takes (%zu characters)\n",
                 what, COMMAND_MAX - prefix.size());
    return false;
  }
  return true;
}

std::string address(uint32_t a) {
  return std::to_string(a >> 24) + "." + std::to_string((a >> 16) & 0xFF) + "." +
         std::to_string((a >> 8) & 0xFF) + "." + std::to_string(a & 0xFF);
}

// The text after the Get prefix of a string reply ("Get_HotSSID:Stage" gives "Stage").
std::string replyValue(const ModuleCommands& m, int s, std::string_view prefix) {
  const std::string text = m.text(s);
  return text.starts_with(prefix) ? text.substr(prefix.size()) : std::string();
}

int show(DeviceConnection& device) {
  ModuleCommands& m = device.worker().modules();
  const int slots[] = {slot::GET_IP,       slot::GET_WIFI_MODE, slot::GET_ROUTE_SSID,
                       slot::GET_ROUTE_PW, slot::GET_HOT_SSID,  slot::GET_HOT_PW};
  for (int s : slots)
    m.clearReceived(s);
  m.queueModuleReads();
  const auto deadline = std::chrono::steady_clock::now() + WIFI_WAIT;
  auto all = [&] {
    for (int s : slots)
      if (!m.received(s))
        return false;
    return true;
  };
  while (!all() && std::chrono::steady_clock::now() < deadline && device.linkUp())
    std::this_thread::sleep_for(20ms);
  if (!all()) {
    std::fprintf(stderr, "kv816ctl: the WiFi module did not answer in time\n");
    return EXIT_LINK;
  }
  std::printf("address: %s\n", address(m.value(slot::GET_IP)).c_str());
  std::printf("mode: %s\n",
              m.value(slot::GET_WIFI_MODE) == MODULE_MODE_ROUTER ? "router" : "hotspot");
  std::printf("hotspot ssid: %s\n", replyValue(m, slot::GET_HOT_SSID, "Get_HotSSID:").c_str());
  std::printf("hotspot password: %s\n", replyValue(m, slot::GET_HOT_PW, "Get_HotPW:").c_str());
  std::printf("router ssid: %s\n", replyValue(m, slot::GET_ROUTE_SSID, "Get_RouteSSID:").c_str());
  std::printf("router password: %s\n", replyValue(m, slot::GET_ROUTE_PW, "Get_RoutePW:").c_str());
  return EXIT_OK;
}

// Queues the commands and waits for the module's confirmation message.
int change(DeviceConnection& device, TerminalEvents& events,
           const std::vector<std::pair<int, std::string>>& commands,
           const std::string& confirmation) {
  ModuleCommands& m = device.worker().modules();
  for (const auto& [s, text] : commands)
    m.queueModuleCommand(s, text);
  if (!events.waitMessage(confirmation, WIFI_WAIT)) {
    std::fprintf(stderr, "kv816ctl: the WiFi module did not confirm the change in time\n");
    return EXIT_LINK;
  }
  return EXIT_OK;
}

bool checkSsid(std::string_view prefix, const std::string& ssid) {
  if (ssid.empty()) {
    std::fprintf(stderr, "kv816ctl: %s\n", std::string(langText(Text::SsidEmpty)).c_str());
    return false;
  }
  return checkModuleText("name", prefix, ssid);
}
} // namespace

void addWifiCommands(CLI::App& app, CtlContext& ctx) {
  struct Args {
    std::string ssid;
    std::string password;
    std::string mode;
  };
  auto a = std::make_shared<Args>();
  CLI::App* wifi = app.add_subcommand("wifi", "The device's WiFi module");
  wifi->require_subcommand(1);

  auto run = [&ctx](CLI::App* sub, std::function<int(DeviceConnection&, TerminalEvents&)> cmd,
                    std::function<bool()> valid = {}) {
    sub->callback([&ctx, cmd, valid] {
      ctx.run = [&ctx, cmd, valid] {
        if (valid && !valid())
          return static_cast<int>(EXIT_USAGE);
        return withDevice(ctx, true, cmd);
      };
    });
  };

  run(wifi->add_subcommand("show", "Show the module's address, mode, names and passwords"),
      [](DeviceConnection& d, TerminalEvents&) { return show(d); });

  CLI::App* hot = wifi->add_subcommand("hotspot", "Set the hotspot name and password");
  hot->add_option("SSID", a->ssid)->required();
  hot->add_option("PW", a->password)->required();
  run(
      hot,
      [a](DeviceConnection& d, TerminalEvents& e) {
        return change(d, e,
                      {{module_slot::SET_HOT_SSID, "Set_HotSSID:" + a->ssid},
                       {module_slot::SET_HOT_PW, "Set_HotPW:" + a->password}},
                      "Set Hot:OK");
      },
      [a] {
        const size_t length = a->password.size();
        if (length > 0 && length < PASSWORD_MIN) {
          std::fprintf(stderr, "kv816ctl: %s\n",
                       std::string(langText(Text::PasswordTooShort)).c_str());
          return false;
        }
        return checkSsid("Set_HotSSID:", a->ssid) &&
               checkModuleText("password", "Set_HotPW:", a->password);
      });

  CLI::App* router = wifi->add_subcommand("router", "Set the router name and password");
  router->add_option("SSID", a->ssid)->required();
  router->add_option("PW", a->password)->required();
  run(
      router,
      [a](DeviceConnection& d, TerminalEvents& e) {
        return change(d, e,
                      {{module_slot::SET_ROUTE_SSID, "Set_RouteSSID:" + a->ssid},
                       {module_slot::SET_ROUTE_PW, "Set_RoutePW:" + a->password}},
                      "Set RouteS:OK");
      },
      [a] {
        return checkSsid("Set_RouteSSID:", a->ssid) &&
               checkModuleText("password", "Set_RoutePW:", a->password);
      });

  CLI::App* mode = wifi->add_subcommand("mode", "Switch the module to hotspot or router mode");
  mode->add_option("MODE", a->mode)->required()->check(CLI::IsMember({"hotspot", "router"}));
  run(mode, [a](DeviceConnection& d, TerminalEvents& e) {
    const bool router = a->mode == "router";
    if (router)
      std::fprintf(stderr, "%s\n", std::string(langText(Text::RouterResetHint)).c_str());
    return change(d, e,
                  {{module_slot::SET_WIFI_MODE, router ? "Set_WiFiMode:2" : "Set_WiFiMode:1"}},
                  "WiFiMode:OK");
  });
}

} // namespace kv816
