// Recovery: kv816-sim is killed and started again twenty times while a user edits over the
// serial link (the simulator's pseudo-terminal). Each time the worker reports the loss,
// opens the port again when it comes back and reads the whole device; the process ends
// with as many threads and descriptors as it had, and the device holds what the program
// shows.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <memory>
#include <random>

#include "e2e/soak_support.h"
#include "i18n/language.h"
#include "link/transports/serial_transport.h"
#include "sim/sim_process.h"

namespace kv816 {
namespace {

using namespace soak;
using testing::SimProcess;
using testing::uniqueTempPath;

constexpr int CYCLES = 20;

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (!done()) {
    if (Clock::now() > deadline)
      return false;
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

class RecoveryTest : public ::testing::Test {
protected:
  void SetUp() override { setCurrentLanguage(LanguageIndex::English); }
  void TearDown() override { ::unlink(statePath.c_str()); }

  std::unique_ptr<SimProcess> startSim() {
    auto sim = std::make_unique<SimProcess>();
    const bool ready =
        sim->start({"--pty", ptyPath, "--state-file", statePath}) && sim->waitReady();
    return ready ? std::move(sim) : nullptr;
  }

  TransportFactory factory() {
    SerialSettings serial;
    serial.preferredPorts = {ptyPath};
    serial.listSystemPorts = [] { return std::vector<std::string>{}; }; // never real ports
    return [serial](const TransportContext& c) -> std::unique_ptr<Transport> {
      return std::make_unique<SerialTransport>(c.link, &c.events, serial);
    };
  }

  // Running again after a full read that followed the given number of reads.
  static bool readAgain(ConnectionWorker& worker, CountingEvents& events, int readsBefore) {
    return waitUntil(
        [&] {
          return events.readsDone.load() > readsBefore && worker.phase() == WorkerPhase::Running;
        },
        15s);
  }

  std::string ptyPath = uniqueTempPath("recovery-pty");
  std::string statePath = uniqueTempPath("recovery-state");
};

TEST_F(RecoveryTest, TwentyKillsAreEachReportedReopenedAndReadWithoutLeaks) {
  const ResourceCount atStart;
  std::unique_ptr<SimProcess> sim = startSim();
  ASSERT_TRUE(sim);
  ParameterTable table;
  CountingEvents events;
  WorkerOptions options;
  options.config.linkType = LINK_SERIAL;
  auto worker = std::make_unique<ConnectionWorker>(table, events, factory(), options);
  ASSERT_TRUE(worker->start());
  ASSERT_TRUE(readAgain(*worker, events, 0));

  std::atomic<bool> stopEditing{false};
  Editor editor(*worker, events, 20);
  std::thread user([&] { editor.run(Clock::now() + 10min, &stopEditing); });
  const ResourceCount connected;

  std::mt19937 random(7);
  int recovered = 0;
  for (int cycle = 0; cycle < CYCLES; ++cycle) {
    std::this_thread::sleep_for(std::chrono::milliseconds(random() % 400 + 100));
    const int losses = events.losses.load();
    const int reads = events.readsDone.load();
    sim->stop(SIGKILL);
    if (!waitUntil([&] { return events.losses.load() > losses; }, 5s))
      break;
    std::this_thread::sleep_for(std::chrono::milliseconds(random() % 200 + 50));
    sim = startSim();
    if (!sim || !readAgain(*worker, events, reads))
      break;
    ++recovered;
  }
  const ResourceCount afterCycles;
  stopEditing = true;
  user.join();
  const bool settled = waitSettled(*worker, 20s);
  worker->stop();
  ASSERT_TRUE(sim);
  ASSERT_EQ(sim->stop(SIGTERM), 0);
  const std::optional<DeviceState> device = readDeviceState(statePath);
  ASSERT_TRUE(device.has_value());
  const int lost = lostEdits(editor, events.losses.load(), *device);
  const int mismatches = tableMismatches(table, *device);
  worker.reset();
  sim.reset();
  const ResourceCount atEnd;

  std::printf("recovery: %d of %d cycles, losses reported %d, found %d, full reads %d, edits %d, "
              "threads %d/%d/%d/%d, descriptors %d/%d/%d/%d, lost edits %d, mismatches %d\n",
              recovered, CYCLES, events.losses.load(), events.found.load(), events.readsDone.load(),
              editor.edits(), atStart.threads, connected.threads, afterCycles.threads,
              atEnd.threads, atStart.descriptors, connected.descriptors, afterCycles.descriptors,
              atEnd.descriptors, lost, mismatches);
  EXPECT_EQ(recovered, CYCLES);
  EXPECT_GE(events.losses.load(), CYCLES);
  EXPECT_GE(events.readsDone.load(), CYCLES + 1);
  EXPECT_EQ(afterCycles.threads, connected.threads);
  EXPECT_EQ(afterCycles.descriptors, connected.descriptors);
  EXPECT_EQ(atEnd.threads, atStart.threads);
  EXPECT_EQ(atEnd.descriptors, atStart.descriptors);
  EXPECT_TRUE(settled);
  EXPECT_EQ(lost, 0);
  EXPECT_EQ(mismatches, 0);
  EXPECT_TRUE(events.messages().empty()) << events.messages().front();
}

} // namespace
} // namespace kv816
