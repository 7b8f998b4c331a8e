// The main loop against the simulated device, on a clock the tests move by hand: writes
// and echoes, meters, keep-alive, silence and reconnection, tasks.

#include <gtest/gtest.h>

#include "codec_fixture.h"
#include "worker_fixture.h"

namespace kv816::test {
namespace {

using namespace std::chrono_literals;

class WorkerLoop : public WorkerFixture {
protected:
  void SetUp() override {
    WorkerFixture::SetUp();
    manualClock = true;
    WorkerOptions options;
    options.skipFullRead = true; // these tests need the main loop, not the read
    startWorker({}, options);
    ASSERT_TRUE(waitRunning());
  }
  static uint32_t tickOf(const SentFrame& f) {
    return static_cast<uint32_t>((f.at.time_since_epoch()) / 1ms);
  }
  // The times, in ms after `from`, of the frames sent with `command` and `payload`.
  std::vector<long> timesOf(uint8_t command, const std::string& payload,
                            Clock::time_point from) const {
    std::vector<long> times;
    for (const SentFrame& f : sent(command))
      if (toHex(f.payload) == payload && f.at >= from)
        times.push_back(static_cast<long>((f.at - from) / 1ms));
    return times;
  }
  // The write frames that carried `index`, with the value each carried.
  std::vector<uint16_t> writesOf(int index) const {
    std::vector<uint16_t> values;
    for (const SentFrame& f : sent(cmd::WRITE))
      for (size_t i = 0; i + 3 < f.payload.size(); i += 4)
        if (f.payload[i] == (index >> 8) && f.payload[i + 1] == (index & 0xFF))
          values.push_back(static_cast<uint16_t>(f.payload[i + 2] << 8 | f.payload[i + 3]));
    return values;
  }
};

TEST_F(WorkerLoop, AnEditIsWrittenAndClearedByTheEchoWithinACycle) {
  const int index = 300;
  table.setParameter(index, 777);
  const auto before = clock.now();
  ASSERT_TRUE(runUntil([&] { return !table.mustSend(index); }, 1s));
  // One cycle: its 10 ms pause and at most the 81 ms of a meter phase.
  EXPECT_LE(clock.now() - before, 91ms);
  EXPECT_EQ(device->value(index), 777);
  EXPECT_EQ(writesOf(index), std::vector<uint16_t>{777});
}

TEST_F(WorkerLoop, AnEditChangedBeforeItsEchoGoesOutAgainWithTheNewestValue) {
  const int index = 301;
  // The page changes the value again while the first write is on its way.
  setFrameFilter([&](const SentFrame& f) {
    const bool headsBatch =
        f.payload.size() >= 4 && f.payload[0] == (index >> 8) && f.payload[1] == (index & 0xFF);
    if (f.command == cmd::WRITE && headsBatch && table.value(index) == 1000)
      table.setParameter(index, 2000);
    return true;
  });
  table.setParameter(index, 1000);
  ASSERT_TRUE(runUntil([&] { return device->value(index) == 2000; }, 1s));
  ASSERT_TRUE(runUntil([&] { return !table.mustSend(index); }, 1s));
  EXPECT_EQ(writesOf(index), (std::vector<uint16_t>{1000, 2000}));
}

TEST_F(WorkerLoop, MeterRequestFollowsThePageOnShow) {
  const struct {
    int view;
    const char* payload;
  } cases[] = {
      {1, "00 03 00 04 00 05 00 06 00 07 00 08"},
      {7, "00 03"},
      {10, "00 04"},
      {12, "00 05"},
      {14, "00 06"},
      {15, "00 07"},
      {18, "00 08"},
      {0, ""},
      {4, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.view);
    worker->meterView().store(c.view);
    ASSERT_TRUE(clock.advance(120ms));
    EXPECT_EQ(toHex(sent(cmd::READ).back().payload), c.payload);
  }
  // Two 81 ms cycles (a 10 ms pause, then 71 ms of meter phase) carry five requests 31 ms
  // apart; the one that falls due in the pause goes out as the pause ends, 38 ms after the last.
  const auto from = clock.now();
  ASSERT_TRUE(clock.advance(1000ms));
  const std::vector<long> times = timesOf(cmd::READ, "", from);
  ASSERT_GE(times.size(), 7u);
  for (size_t i = 1; i < times.size(); ++i) {
    const long gap = times[i] - times[i - 1];
    EXPECT_TRUE(gap == 31 || gap == 38) << "gap " << gap << " at " << times[i] << " ms";
    if (i >= 5) {
      EXPECT_EQ(times[i] - times[i - 5], 162) << "at " << times[i] << " ms";
    }
  }
}

// On the home page the device answers nothing but the keep-alive; the link must hold.
// The keep-alive goes out in the first cycle more than 1500 ms after the last one: every
// 19th cycle of 81 ms.
TEST_F(WorkerLoop, KeepAliveGoesOutEveryNineteenCyclesAndHoldsAnIdleLink) {
  const auto from = clock.now();
  ASSERT_TRUE(clock.advance(5000ms));
  const std::vector<long> times = timesOf(cmd::WRITE, "04 8F 00 01", from);
  ASSERT_GE(times.size(), 3u);
  for (size_t i = 1; i < times.size(); ++i)
    EXPECT_EQ(times[i] - times[i - 1], 19 * 81);
  EXPECT_EQ(events.count(true, Notify::LinkStatus, LINK_FOUND), 1); // never reconnected
}

// A USB link counts every send made 1500 ms or more after the last reply as a miss; the
// fifth drops the link.
TEST_F(WorkerLoop, ASilentDeviceIsDroppedOnTheFifthMissAndTheLinkReopened) {
  const int lostBefore = events.count(true, Notify::LinkStatus, LINK_LOST);
  const int foundBefore = events.count(true, Notify::LinkStatus, LINK_FOUND);
  silent = true;
  const auto from = clock.now();
  const uint32_t lastReply = worker->link().state().lastRxTick.load();
  // The worker reports the loss; the transport's new search reports itself too.
  ASSERT_TRUE(runUntil(
      [&] { return events.count(true, Notify::LinkStatus, LINK_LOST) == lostBefore + 2; }, 3s));
  const uint32_t lostAt = worker->link().now() - lastReply;

  std::vector<uint32_t> misses; // ms after the last reply
  for (const SentFrame& f : sent()) {
    const uint32_t silence = tickOf(f) - lastReply;
    if (f.at < from || silence < 1500)
      continue;
    misses.push_back(silence);
    if (!f.connected)
      break;
  }
  // Two meter requests; the keep-alive, whose 200 ms echo wait runs out; two more meter
  // requests, the second of which drops the link; the cycle ends 40 ms later.
  EXPECT_EQ(misses, (std::vector<uint32_t>{1519, 1550, 1559, 1779, 1810}));
  EXPECT_EQ(lostAt, 1850u);

  silent = false;
  EXPECT_TRUE(waitRunning(3s));
  EXPECT_EQ(events.count(true, Notify::LinkStatus, LINK_FOUND), foundBefore + 1);
}

class WorkerTasks : public WorkerFixture {};

TEST_F(WorkerTasks, ARaisedTaskRunsOnceAndEndsWithTheProgressHidden) {
  std::atomic<int> runs{0};
  tasks[TASK_RECALL] = [&](WorkerSession&) { ++runs; };
  manualClock = true;
  WorkerOptions options;
  options.skipFullRead = true;
  startWorker({}, options);
  ASSERT_TRUE(waitRunning());
  const int hiddenBefore = events.count(false, Notify::ProgressHidden, 0);
  worker->link().taskFlags().set(TASK_RECALL, 1);
  worker->link().taskFlags().set(TASK_STORE_NAME, 1); // no task installed: only the ending
  ASSERT_TRUE(runUntil(
      [&] { return events.count(false, Notify::ProgressHidden, 0) >= hiddenBefore + 2; }, 2s));
  EXPECT_EQ(runs.load(), 1);
  EXPECT_FALSE(worker->link().taskFlags().pending(TASK_RECALL));
  EXPECT_FALSE(worker->link().taskFlags().pending(TASK_STORE_NAME));
}

} // namespace
} // namespace kv816::test
