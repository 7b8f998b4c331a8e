// The remote API under load: kv816ctl serve on the real kv816-sim over a pseudo-terminal,
// 8 WebSocket clients each sending 100 set requests a second (one PEQ gain of its own
// output each) for KV816_API_LOAD_SECONDS (60 unless set). Counters: sets, ok, errors,
// lost (no reply), p50_ms, p99_ms and max_ms of the request latency (send to confirmed
// reply), kept_wrong (a name whose last confirmed value the device does not hold) and
// table_differs (entries where serve's table and the device's final state differ; meters
// and the keep-alive word aside).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>
#include <random>
#include <thread>

#include "api/ws_test_client.h"
#include "edit/param_names.h"
#include "edit/param_values.h"
#include "model/parameter_table.h"
#include "sim/sim_process.h"
#include "sim/state_json.h"
#include "support/child_process.h"

namespace {

using namespace kv816;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using nlohmann::json;

constexpr int CLIENTS = 8;
constexpr int RATE_HZ = 100;

int loadSeconds() {
  const char* text = std::getenv("KV816_API_LOAD_SECONDS");
  return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : 60;
}

struct ClientResult {
  int sent = 0;
  int ok = 0;
  int errors = 0;
  std::vector<double> latenciesMs;
  std::map<std::string, std::string> lastConfirmed; // name -> text
};

// One client: sends on a fixed schedule, collects replies on the side.
ClientResult runClient(test::WsTestClient& client, int channel, int seconds, unsigned seed) {
  const int total = seconds * RATE_HZ;
  std::vector<Clock::time_point> sentAt(static_cast<size_t>(total));
  std::vector<std::string> names(static_cast<size_t>(total));
  std::vector<std::string> texts(static_cast<size_t>(total));
  std::mutex mutex;
  ClientResult result;
  std::thread receiver([&] {
    int answered = 0;
    const auto giveUp = Clock::now() + std::chrono::seconds(seconds) + 15s;
    while (answered < total && Clock::now() < giveUp) {
      const std::optional<json> reply =
          client.next([](const json& m) { return m.contains("id"); }, 200ms);
      if (!reply)
        continue;
      const int id = (*reply)["id"].get<int>();
      std::lock_guard lock(mutex);
      ++answered;
      if (reply->contains("result")) {
        ++result.ok;
        result.latenciesMs.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - sentAt[id]).count());
        result.lastConfirmed[names[id]] = texts[id];
      } else {
        ++result.errors;
      }
    }
  });
  std::mt19937 random(seed);
  const auto start = Clock::now();
  for (int i = 0; i < total; ++i) {
    std::this_thread::sleep_until(start + i * std::chrono::microseconds(1000000 / RATE_HZ));
    const std::string name =
        "out" + std::to_string(channel + 1) + ".peq" + std::to_string(i % 10 + 1) + ".gain";
    char text[16];
    std::snprintf(text, sizeof text, "%.1fdB", (static_cast<int>(random() % 49) - 24) / 2.0);
    {
      std::lock_guard lock(mutex);
      sentAt[i] = Clock::now();
      names[i] = name;
      texts[i] = text;
    }
    client.send(json{
        {"jsonrpc", "2.0"}, {"id", i}, {"method", "set"}, {"params", {{"values", {{name, text}}}}}}
                    .dump());
    ++result.sent;
  }
  receiver.join();
  return result;
}

uint16_t servePort(const std::string& outPath) {
  const auto end = Clock::now() + 10s;
  while (Clock::now() < end) {
    const std::string out = testing::readFile(outPath);
    const size_t at = out.find("listening on ws://127.0.0.1:");
    if (at != std::string::npos && out.find('/', at + 28) != std::string::npos)
      return static_cast<uint16_t>(std::atoi(out.c_str() + at + 28));
    std::this_thread::sleep_for(20ms);
  }
  return 0;
}

void BM_ApiLoad(benchmark::State& state) {
  ::setenv("KV816_LOOPBACK_ONLY", "1", 1);
  const std::string configDir = testing::uniqueTempPath("api-load-config");
  std::filesystem::create_directories(configDir);
  ::setenv("KV816_CONFIG_DIR", configDir.c_str(), 1);
  const std::string pty = testing::uniqueTempPath("api-load-pty");
  const std::string statePath = testing::uniqueTempPath("api-load-state");
  testing::SimProcess sim;
  if (!sim.start({"--pty", pty, "--state-file", statePath}) || !sim.waitReady()) {
    state.SkipWithError("kv816-sim did not start");
    return;
  }
  const std::string serveOut = testing::uniqueTempPath("api-load-serve");
  const pid_t serve = testing::spawnProgram(
      KV816CTL_PATH, {"--link", "serial", "--port", pty, "serve", "--listen", "127.0.0.1:0"},
      serveOut, serveOut + ".err");
  const uint16_t port = servePort(serveOut);
  std::vector<std::unique_ptr<test::WsTestClient>> clients;
  for (int c = 0; c < CLIENTS && port != 0; ++c) {
    clients.push_back(std::make_unique<test::WsTestClient>());
    clients.back()->connect(port);
  }
  const auto online = [&] {
    const std::optional<json> s = clients.empty() ? std::nullopt : clients[0]->call(-1, "state");
    return s && (*s)["result"]["state"] == "online";
  };
  for (auto end = Clock::now() + 60s; !online() && Clock::now() < end;)
    std::this_thread::sleep_for(200ms);
  if (!online()) {
    state.SkipWithError("kv816ctl serve did not come online");
    ::kill(serve, SIGKILL);
    return;
  }
  std::vector<ClientResult> results(CLIENTS);
  for (auto _ : state) {
    std::vector<std::thread> threads;
    for (int c = 0; c < CLIENTS; ++c)
      threads.emplace_back([&, c] {
        results[c] = runClient(*clients[c], c, loadSeconds(), 7u + static_cast<unsigned>(c));
      });
    for (std::thread& t : threads)
      t.join();
  }
  const std::optional<json> dump = clients[0]->call(-2, "dump");
  clients.clear();
  ::kill(serve, SIGTERM);
  ::waitpid(serve, nullptr, 0);
  sim.stop();

  std::vector<double> all;
  double sent = 0, ok = 0, errors = 0;
  for (const ClientResult& r : results) {
    sent += r.sent;
    ok += r.ok;
    errors += r.errors;
    all.insert(all.end(), r.latenciesMs.begin(), r.latenciesMs.end());
  }
  std::sort(all.begin(), all.end());
  auto at = [&](double q) {
    return all.empty() ? 0.0 : all[static_cast<size_t>(q * (all.size() - 1))];
  };
  DeviceState device;
  std::string error;
  const bool haveDevice = stateFromJson(testing::readFile(statePath), device, error);
  double keptWrong = 0, tableDiffers = 0;
  if (haveDevice && dump) {
    for (int c = 0; c < CLIENTS; ++c)
      for (const auto& [name, text] : results[c].lastConfirmed) {
        const std::optional<ParamRef> ref = parseParamName(name);
        if (formatParamValue(ref->kind, device.table[ref->index]) != text)
          ++keptWrong;
      }
    for (int i = 0; i < PARAM_COUNT; ++i) {
      if ((i >= IDX_METER_FIRST && i < IDX_METER_FIRST + METER_WORD_COUNT) || i == IDX_HOST_ALIVE)
        continue;
      if ((*dump)["result"]["values"][paramName(i)]["raw"] != device.table[i])
        ++tableDiffers;
    }
  } else {
    state.SkipWithError(("no final state to compare: " + error).c_str());
  }
  state.counters["sets"] = sent;
  state.counters["ok"] = ok;
  state.counters["errors"] = errors;
  state.counters["lost"] = sent - ok - errors;
  state.counters["p50_ms"] = at(0.50);
  state.counters["p99_ms"] = at(0.99);
  state.counters["max_ms"] = all.empty() ? 0 : all.back();
  state.counters["kept_wrong"] = keptWrong;
  state.counters["table_differs"] = tableDiffers;
  std::filesystem::remove_all(configDir);
}
BENCHMARK(BM_ApiLoad)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
