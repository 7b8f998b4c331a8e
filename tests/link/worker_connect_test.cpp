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

class WorkerConnect : public WorkerFixture {};

TEST_F(WorkerConnect, ReadsTheWholeTableAndAnnouncesEveryIndexOnce) {
  startWorker();
  ASSERT_TRUE(waitRunning());
  const auto elapsed =
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - startedAt);
  std::printf("start to Running: %lld ms\n", static_cast<long long>(elapsed.count()));

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
  ASSERT_TRUE(events.waitFor([&] { return events.messages().size() >= 1; }, 5s));
  EXPECT_EQ(events.messages().front().text, "Equipment model is wrong!");
  EXPECT_EQ(infoAtMessage, 12);
  EXPECT_EQ(worker->phase(), WorkerPhase::Handshaking);

  // The worker now pauses 2 s before it reopens; stop cuts the pause short.
  const auto before = Clock::now();
  EXPECT_TRUE(worker->stop());
  EXPECT_LT(Clock::now() - before, 500ms);
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
  ASSERT_TRUE(events.waitFor([&] { return worker->phase() == WorkerPhase::Opening; }, 3s));
  silent = false;
  ASSERT_TRUE(events.waitFor([&] { return worker->phase() == WorkerPhase::Reading; }, 3s));
  ASSERT_TRUE(waitRunning());
  EXPECT_EQ(events.messageCount("Unable to read encrypted mode!"), 1);
  EXPECT_EQ(countSent(cmd::BULK_DUMP), 1);
  EXPECT_EQ(events.messageCount("Read Data Failed!"), 0);
}

TEST_F(WorkerConnect, EditsMadeWithoutADeviceAreDiscardedAfterTheHandshake) {
  startWorker();
  // The worker is still in its start-up pause: no device has answered yet.
  const int index = 200;
  table.setParameter(index, 12345);
  ASSERT_TRUE(waitRunning());
  EXPECT_FALSE(table.mustSend(index));
  EXPECT_NE(device->value(index), 12345);
  EXPECT_EQ(table.wireValue(index), device->value(index));
}

TEST_F(WorkerConnect, StopsPromptlyFromEveryPhase) {
  // A device that answers late keeps the worker in reply waits and sleeps.
  SimConfig slow;
  slow.faults.delay = 300ms;
  for (auto after : {0ms, 200ms, 900ms, 1500ms}) {
    SCOPED_TRACE(after.count());
    startWorker(slow);
    std::this_thread::sleep_for(after);
    const auto before = Clock::now();
    EXPECT_TRUE(worker->stop());
    EXPECT_LT(Clock::now() - before, 600ms);
    EXPECT_EQ(worker->phase(), WorkerPhase::Stopped);
    worker.reset();
  }
}

} // namespace
} // namespace kv816::test
