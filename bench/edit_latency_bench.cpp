// From a user's edit at the edit layer to the device's echo applied in the table (the send
// mark cleared), 1000 edits of a gain whose linked output follows, each at a random moment
// of the worker's cycle:
//  - EditToEcho/0: the simulated device in-process (loopback transport);
//  - EditToEcho/1: the real kv816-sim over a pseudo-terminal (serial transport).
// Counters: p50_ms, p99_ms and max_ms of the whole path; wait_* from the edit to the write
// frame leaving (the worker's cycle), echo_* from that frame to the mark cleared.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "edit/edit_session.h"
#include "link/connection_worker.h"
#include "link/packet.h"
#include "link/transport.h"
#include "link/transports/serial_transport.h"
#include "model/parameter_table.h"
#include "sim/sim_loopback.h"
#include "sim/sim_process.h"
#include "sim/simulated_device.h"
#include "support/null_progress.h"

namespace {

using namespace kv816;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int EDITS = 1000;
constexpr int OUT1 = 4;
constexpr int OUT3 = 6;

// Notes when the first write frame after a mark leaves for the device.
class TimedTransport : public Transport {
public:
  explicit TimedTransport(std::unique_ptr<Transport> inner) : inner_(std::move(inner)) {}

  bool open() override { return inner_->open(); }
  void close() override { inner_->close(); }
  bool isOpen() const override { return inner_->isOpen(); }
  void reconnectProbe() override { inner_->reconnectProbe(); }
  void write(std::span<const uint8_t> frame) override {
    if (frame.size() > 2 && frame[2] == cmd::WRITE && !written_.load()) {
      writtenAt_ = Clock::now();
      written_.store(true);
    }
    inner_->write(frame);
  }

  void arm() { written_.store(false); }
  bool written() const { return written_.load(); }
  Clock::time_point writtenAt() const { return writtenAt_; }

private:
  std::unique_ptr<Transport> inner_;
  std::atomic<bool> written_{true};
  Clock::time_point writtenAt_{};
};

struct Rig {
  ParameterTable table;
  test::SilentEvents events;
  SimulatedDevice device;
  std::unique_ptr<testing::SimProcess> sim;
  std::string ptyPath = testing::uniqueTempPath("edit-latency-pty");
  std::atomic<TimedTransport*> timed{nullptr};
  std::unique_ptr<ConnectionWorker> worker;

  explicit Rig(bool overPty) {
    WorkerOptions options;
    options.skipFullRead = true;
    options.config.linkType = overPty ? LINK_SERIAL : LINK_USB;
    if (overPty) {
      sim = std::make_unique<testing::SimProcess>();
      if (!sim->start({"--pty", ptyPath}) || !sim->waitReady())
        return;
    }
    table.loadDefaults();
    worker = std::make_unique<ConnectionWorker>(
        table, events,
        [this, overPty](const TransportContext& ctx) {
          auto made = std::make_unique<TimedTransport>(innerTransport(ctx, overPty));
          timed.store(made.get());
          return made;
        },
        options);
  }

  std::unique_ptr<Transport> innerTransport(const TransportContext& ctx, bool overPty) {
    if (!overPty)
      return std::make_unique<LoopbackTransport>(ctx.link, deviceResponder(device));
    SerialSettings settings;
    settings.preferredPorts = {ptyPath};
    settings.listSystemPorts = [] { return std::vector<std::string>{}; };
    return std::make_unique<SerialTransport>(ctx.link, &ctx.events, settings);
  }
};

bool settled(const ParameterTable& table, std::initializer_list<int> indexes) {
  return std::none_of(indexes.begin(), indexes.end(), [&](int i) { return table.mustSend(i); });
}

bool waitSettled(const ParameterTable& table, std::initializer_list<int> indexes) {
  const auto deadline = Clock::now() + 2s;
  while (!settled(table, indexes)) {
    if (Clock::now() > deadline)
      return false;
    std::this_thread::sleep_for(100us);
  }
  return true;
}

double percentile(std::vector<double> ms, double p) {
  std::sort(ms.begin(), ms.end());
  const auto at = static_cast<std::size_t>(p * static_cast<double>(ms.size() - 1) + 0.5);
  return ms[at];
}

double ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

void EditToEcho(benchmark::State& state) {
  for (auto _ : state) {
    Rig rig(state.range(0) != 0);
    if (!rig.worker || !rig.worker->start() || !rig.worker->waitUntilRunning(20s)) {
      state.SkipWithError("the worker did not reach the main loop");
      return;
    }
    EditSession session(rig.table);
    // As the hosts do: an edit wakes the worker instead of waiting out its meter phase.
    session.addListener([&rig](const std::vector<int>&, EditOrigin) { rig.worker->wake(); });
    const int gain = indexOf(ChannelFunction::Gain, OUT1);
    const int linked = indexOf(ChannelFunction::Gain, OUT3);
    const int mask = indexOf(ChannelFunction::LinkMask, OUT3);
    session.apply({OUT3, ChannelFunction::LinkMask, -1, EditSource::LinkGroup},
                  {{mask, maskOfGroup(0)}});
    if (!waitSettled(rig.table, {mask})) {
      state.SkipWithError("the link group was not echoed");
      return;
    }
    std::mt19937 random(816);
    std::uniform_int_distribution<int> pause(0, 100);
    std::vector<double> total, wait, echo;
    const auto start = Clock::now();
    for (int i = 0; i < EDITS; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
      rig.timed.load()->arm();
      const auto editedAt = Clock::now();
      session.apply({OUT1, ChannelFunction::Gain, -1, EditSource::Page}, {{gain, 240 + i % 200}});
      if (!waitSettled(rig.table, {gain, linked}) || !rig.timed.load()->written()) {
        state.SkipWithError("an edit was not echoed within 2 s");
        return;
      }
      const auto echoedAt = Clock::now();
      const auto sentAt = rig.timed.load()->writtenAt();
      total.push_back(ms(echoedAt - editedAt));
      wait.push_back(ms(sentAt - editedAt));
      echo.push_back(ms(echoedAt - sentAt));
    }
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    state.counters["p50_ms"] = percentile(total, 0.50);
    state.counters["p99_ms"] = percentile(total, 0.99);
    state.counters["max_ms"] = percentile(total, 1.0);
    state.counters["wait_p50_ms"] = percentile(wait, 0.50);
    state.counters["wait_p99_ms"] = percentile(wait, 0.99);
    state.counters["echo_p50_ms"] = percentile(echo, 0.50);
    state.counters["echo_p99_ms"] = percentile(echo, 0.99);
    rig.worker->stop();
  }
}
BENCHMARK(EditToEcho)->Arg(0)->Arg(1)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
