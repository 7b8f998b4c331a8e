// The connection worker against the in-process simulated device, in real time:
//  - StartToRunning/0: from start() to the main loop, full read included (ms per start);
//    /1: the same with the command-line tool's skipFullRead;
//  - IdleConnected: CPU time of the whole process over 10 s with a connected, idle worker,
//    as a percentage of one core (target: under 1 %).

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "link/connection_worker.h"
#include "link/link_events.h"
#include "model/parameter_table.h"
#include "sim/sim_loopback.h"
#include "sim/simulated_device.h"
#include "support/null_progress.h"

namespace {

using namespace kv816;
using Clock = std::chrono::steady_clock;

struct Rig {
  ParameterTable table;
  test::SilentEvents events;
  SimulatedDevice device;
  std::unique_ptr<ConnectionWorker> worker;

  explicit Rig(bool skipFullRead = false) {
    WorkerOptions options;
    options.config.linkType = LINK_USB;
    options.skipFullRead = skipFullRead;
    worker = std::make_unique<ConnectionWorker>(
        table, events,
        [this](const TransportContext& ctx) {
          return std::make_unique<LoopbackTransport>(ctx.link, deviceResponder(device));
        },
        options);
  }
};

double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void StartToRunning(benchmark::State& state) {
  for (auto _ : state) {
    Rig rig(state.range(0) != 0);
    const auto start = Clock::now();
    rig.worker->start();
    if (!rig.worker->waitUntilRunning(std::chrono::seconds(20)))
      state.SkipWithError("the worker did not reach the main loop");
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    rig.worker->stop();
  }
}
BENCHMARK(StartToRunning)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

void IdleConnected(benchmark::State& state) {
  for (auto _ : state) {
    Rig rig;
    rig.worker->start();
    if (!rig.worker->waitUntilRunning(std::chrono::seconds(20)))
      state.SkipWithError("the worker did not reach the main loop");
    const double cpuBefore = cpuSeconds();
    const auto start = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(10));
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    state.counters["cpu_percent_of_core"] = 100.0 * (cpuSeconds() - cpuBefore) / wall;
    state.SetIterationTime(wall);
    rig.worker->stop();
  }
}
BENCHMARK(IdleConnected)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
