// Recovery: kv816-sim is killed and started again while a user edits: twenty times over
// the serial link (the simulator's pseudo-terminal; four of them during the full read), and
// KV816_RECOVERY_TCP_CYCLES times (default 2) over loopback TCP, where each loss waits out the
// silence accounting (about 17 s: three silent seconds, then fifteen sends that each wait a second
// for an echo). Each time the worker reports the loss, opens the link again when the device is back
// and reads the whole device; the process ends with as many threads and descriptors as it had, and
// the device holds what the program shows.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <memory>
#include <ostream>
#include <random>

#include "e2e/soak_support.h"
#include "i18n/language.h"
#include "i18n/text.h"
#include "sim/sim_process.h"

namespace kv816 {
namespace {

using namespace soak;
using testing::SimProcess;
using testing::uniqueTempPath;

struct RecoveryLink {
  const char* name;
  int linkType;
};

std::ostream& operator<<(std::ostream& out, const RecoveryLink& link) {
  return out << link.name;
}

class RecoveryTest : public ::testing::TestWithParam<RecoveryLink> {
protected:
  void SetUp() override { setCurrentLanguage(LanguageIndex::English); }
  void TearDown() override { ::unlink(statePath.c_str()); }

  std::unique_ptr<SimProcess> startSim() {
    auto sim = std::make_unique<SimProcess>();
    std::vector<std::string> args{"--state-file", statePath};
    if (network()) {
      const std::string tcp = "127.0.0.1:" + std::to_string(tcpPort);
      const std::string udp = "127.0.0.1:" + std::to_string(udpPort);
      args.insert(args.end(), {"--tcp", tcp, "--udp", udp});
    } else {
      args.insert(args.end(), {"--pty", ptyPath});
    }
    const bool ready = sim->start(args) && sim->waitReady();
    return ready ? std::move(sim) : nullptr;
  }

  bool network() const { return GetParam().linkType == LINK_NETWORK; }

  TransportFactory factory() {
    return testLinkFactory(GetParam().linkType, ptyPath, udpPort, tcpPort);
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
  uint16_t tcpPort = freeLoopbackPort(SOCK_STREAM);
  uint16_t udpPort = freeLoopbackPort(SOCK_DGRAM);
};

TEST_P(RecoveryTest, EachKillIsReportedReopenedAndReadWithoutLeaks) {
  // Serial: sixteen cycles, four of them with a second kill during the read, 20 kills.
  const int cycles = network() ? positiveFromEnv("KV816_RECOVERY_TCP_CYCLES", 2) : 16;
  const ResourceCount atStart = startingCount();
  std::unique_ptr<SimProcess> sim = startSim();
  ASSERT_TRUE(sim);
  ParameterTable table;
  CountingEvents events;
  WorkerOptions options;
  options.config.linkType = GetParam().linkType;
  auto worker = std::make_unique<ConnectionWorker>(table, events, factory(), options);
  ASSERT_TRUE(worker->start());
  ASSERT_TRUE(readAgain(*worker, events, 0));

  std::atomic<bool> stopEditing{false};
  Editor editor(*worker, events, 20);
  std::thread user([&] { editor.run(Clock::now() + 10min, &stopEditing); });
  const ResourceCount connected;

  std::mt19937 random(7);
  int recovered = 0;
  int killsInRead = 0;
  for (int cycle = 0; cycle < cycles; ++cycle) {
    std::this_thread::sleep_for(std::chrono::milliseconds(random() % 400 + 100));
    const int losses = events.losses.load();
    const int reads = events.readsDone.load();
    sim->stop(SIGKILL);
    if (!waitUntil([&] { return events.losses.load() > losses; }, 30s)) {
      ADD_FAILURE() << "cycle " << cycle << ": no loss reported";
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(random() % 200 + 50));
    sim = startSim();
    // Every fourth serial cycle the device goes again in the middle of the full read.
    if (sim && !network() && cycle % 4 == 3 &&
        waitUntil([&] { return worker->phase() == WorkerPhase::Reading; }, 5s)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(random() % 300));
      const int lossesInRead = events.losses.load();
      sim->stop(SIGKILL);
      ++killsInRead;
      if (!waitUntil([&] { return events.losses.load() > lossesInRead; }, 5s))
        ADD_FAILURE() << "cycle " << cycle << ": no loss reported during the read";
      sim = startSim();
    }
    if (!sim || !readAgain(*worker, events, reads)) {
      ADD_FAILURE() << "cycle " << cycle << ": not read again, phase "
                    << static_cast<int>(worker->phase());
      break;
    }
    ++recovered;
  }
  const ResourceCount afterCycles = settledCount(connected);
  stopEditing = true;
  user.join();
  const bool settled = waitSettled(*worker, 20s);
  worker->stop();
  ASSERT_TRUE(sim && sim->stop(SIGTERM) == 0) << "the last simulator did not end well";
  const std::optional<DeviceState> device = readDeviceState(statePath);
  ASSERT_TRUE(device.has_value());
  const int lost = lostEdits(editor, events.losses.load(), *device);
  const int mismatches = tableMismatches(table, *device);
  worker.reset();
  sim.reset();
  const ResourceCount atEnd = settledCount(atStart);

  std::printf("recovery %s: %d of %d cycles (%d more kills during a read), losses reported %d, "
              "found %d, full reads %d, edits %d, "
              "threads %d/%d/%d/%d, descriptors %d/%d/%d/%d, lost edits %d, mismatches %d\n",
              GetParam().name, recovered, cycles, killsInRead, events.losses.load(),
              events.found.load(), events.readsDone.load(), editor.edits(), atStart.threads,
              connected.threads, afterCycles.threads, atEnd.threads, atStart.descriptors,
              connected.descriptors, afterCycles.descriptors, atEnd.descriptors, lost, mismatches);
  EXPECT_EQ(recovered, cycles);
  EXPECT_GE(events.losses.load(), cycles + killsInRead);
  EXPECT_GE(events.readsDone.load(), cycles + 1);
  EXPECT_EQ(afterCycles.threads, connected.threads);
  EXPECT_EQ(afterCycles.descriptors, connected.descriptors);
  EXPECT_EQ(atEnd.threads, atStart.threads);
  EXPECT_EQ(atEnd.descriptors, atStart.descriptors);
  EXPECT_TRUE(settled);
  EXPECT_EQ(lost, 0);
  EXPECT_EQ(mismatches, 0);
  // A read cut short says so; nothing else is shown.
  for (const std::string& text : events.messages())
    EXPECT_EQ(text, langText(Text::ReadDataFailed));
}

// Closing the program while the device is gone: during the silent spell before the loss
// is noticed (the network link probes and reconnects in it), and while the link is being
// opened again. The stop returns within its 2 s and leaves no thread or descriptor behind.
TEST_P(RecoveryTest, StopsPromptlyWhileTheDeviceIsGone) {
  for (const auto gone : {3500ms, 300ms}) {
    const ResourceCount atStart = startingCount();
    std::unique_ptr<SimProcess> sim = startSim();
    ASSERT_TRUE(sim);
    ParameterTable table;
    CountingEvents events;
    WorkerOptions options;
    options.config.linkType = GetParam().linkType;
    options.skipFullRead = true;
    auto worker = std::make_unique<ConnectionWorker>(table, events, factory(), options);
    ASSERT_TRUE(worker->start());
    ASSERT_TRUE(worker->waitUntilRunning(15s));
    sim->stop(SIGKILL);
    table.setParameter(FIRST_EDITABLE, 1); // a write waiting for its echo
    std::this_thread::sleep_for(gone);
    const auto stopping = Clock::now();
    EXPECT_TRUE(worker->stop()) << "after " << gone.count() << " ms without the device";
    const auto took = Clock::now() - stopping;
    EXPECT_LT(took, 2100ms) << "after " << gone.count() << " ms without the device";
    worker.reset();
    const ResourceCount atEnd = settledCount(atStart);
    EXPECT_EQ(atEnd.threads, atStart.threads);
    EXPECT_EQ(atEnd.descriptors, atStart.descriptors);
  }
}

INSTANTIATE_TEST_SUITE_P(Links, RecoveryTest,
                         ::testing::Values(RecoveryLink{"serial", LINK_SERIAL},
                                           RecoveryLink{"tcp", LINK_NETWORK}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace kv816
