// Connecting: handshake, full read, refused reads, discarded offline edits, prompt stop.

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "worker_fixture.h"

namespace kv816::test {
namespace {

using namespace std::chrono_literals;

bool isMeter(int index) {
  return index >= IDX_METER_FIRST && index < IDX_METER_FIRST + 6;
}

class WorkerConnect : public WorkerFixture {
protected:
  void SetUp() override {
    WorkerFixture::SetUp();
    manualClock = true;
  }
};

TEST_F(WorkerConnect, ReadsTheWholeTableAndAnnouncesEveryIndexOnce) {
  startWorker();
  ASSERT_TRUE(waitRunning());
  std::printf("start to Running: %lld ms on the link's clock\n",
              static_cast<long long>(elapsed().count()));

  for (int i = 0; i < PARAM_COUNT; ++i) {
    if (!isMeter(i)) {
      ASSERT_EQ(table.wireValue(i), device->value(i)) << "index " << i;
    }
  }
  // Up to ReadDone, the notification pass of the read announced each index exactly once.
  std::vector<int> announced(PARAM_COUNT, 0);
  bool readDone = false;
  for (const RecordedNotify& n : events.notifications()) {
    if (n.what == Notify::ReadDone) {
      readDone = true;
      break;
    }
    if (n.what == Notify::ParameterChanged)
      ++announced.at(n.arg);
  }
  EXPECT_TRUE(readDone);
  EXPECT_EQ(std::count(announced.begin(), announced.end(), 1), PARAM_COUNT);
  EXPECT_EQ(events.count(false, Notify::TaskDone, 0), 1);
  EXPECT_GE(events.count(true, Notify::LinkStatus, LINK_STARTING), 2);
  EXPECT_EQ(countSent(cmd::BULK_DUMP), 1);
  EXPECT_NE(events.progressTexts().front().find("Read Device Data:"), std::string::npos);
}

TEST_F(WorkerConnect, WrongIdentityGetsTwelveRequestsThenTheMessage) {
  int infoAtMessage = -1;
  events.onMessage = [&](const RecordedMessage&) {
    if (infoAtMessage < 0)
      infoAtMessage = countSent(cmd::INFO);
  };
  SimConfig config;
  config.identity = 20012;
  startWorker(config);
  ASSERT_TRUE(runUntil([&] { return events.messages().size() >= 1; }, 5s));
  EXPECT_EQ(events.messages().front().text, "Equipment model is wrong!");
  EXPECT_EQ(infoAtMessage, 12);
  EXPECT_EQ(worker->phase(), WorkerPhase::Handshaking);

  // The worker now pauses 2 s before it reopens; stop cuts the pause short, with the
  // clock standing still.
  const auto before = clock.now();
  EXPECT_TRUE(stopWorker());
  EXPECT_EQ(clock.now(), before);
}

TEST_F(WorkerConnect, LockedCurrentPresetRefusesTheFullRead) {
  SimConfig config;
  config.lockCurrentPreset = true;
  startWorker(config);
  ASSERT_TRUE(waitRunning());
  // The lock is learnt from the current-preset report, so it bars the reads that follow.
  EXPECT_EQ(worker->link().deviceInfo().presetLocked.load(), 1);
  EXPECT_EQ(events.messages().size(), 0u);
  silent = true;
  ASSERT_TRUE(runUntil([&] { return worker->phase() == WorkerPhase::Opening; }, 3s));
  silent = false;
  ASSERT_TRUE(runUntil([&] { return worker->phase() == WorkerPhase::Reading; }, 3s));
  ASSERT_TRUE(waitRunning());
  EXPECT_EQ(events.messageCount("Unable to read encrypted mode!"), 1);
  EXPECT_EQ(countSent(cmd::BULK_DUMP), 1);
  EXPECT_EQ(events.messageCount("Read Data Failed!"), 0);
}

TEST_F(WorkerConnect, EditsMadeWithoutADeviceAreDiscardedAfterTheHandshake) {
  startWorker();
  // The clock stands still: the worker is in its start-up pause and no device has answered.
  ASSERT_TRUE(clock.settle());
  EXPECT_EQ(worker->phase(), WorkerPhase::Starting);
  const int index = 200;
  table.setParameter(index, 12345);
  ASSERT_TRUE(waitRunning());
  EXPECT_FALSE(table.mustSend(index));
  EXPECT_NE(device->value(index), 12345);
  EXPECT_EQ(table.wireValue(index), device->value(index));
}

// Every sleep and reply wait ends at the stop: it returns with the clock standing still.
TEST_F(WorkerConnect, StopsWithoutWaitingOutAnySleepFromEveryPhase) {
  // A device that answers late keeps the worker in reply waits and sleeps.
  SimConfig slow;
  slow.faults.delay = 300ms;
  const struct {
    std::chrono::milliseconds after;
    WorkerPhase phase;
  } cases[] = {
      {0ms, WorkerPhase::Starting},   {200ms, WorkerPhase::Starting},
      {510ms, WorkerPhase::Opening},  {900ms, WorkerPhase::Handshaking},
      {1500ms, WorkerPhase::Reading}, {2600ms, WorkerPhase::Running},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.after.count());
    startWorker(slow);
    ASSERT_TRUE(clock.advance(c.after));
    EXPECT_EQ(worker->phase(), c.phase);
    const auto before = clock.now();
    EXPECT_TRUE(stopWorker());
    EXPECT_EQ(clock.now(), before);
    EXPECT_EQ(worker->phase(), WorkerPhase::Stopped);
    worker.reset();
  }
}

} // namespace
} // namespace kv816::test
