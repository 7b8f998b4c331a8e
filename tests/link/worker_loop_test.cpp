// The main loop against the simulated device: writes and echoes, meters, keep-alive,
// silence and reconnection, tasks.

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
    WorkerOptions options;
    options.skipFullRead = true; // these tests need the main loop, not the read
    startWorker({}, options);
    ASSERT_TRUE(waitRunning());
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
  const auto before = Clock::now();
  ASSERT_TRUE(events.waitFor([&] { return !table.mustSend(index); }, 1s));
  EXPECT_LT(Clock::now() - before, 250ms);
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
  ASSERT_TRUE(events.waitFor([&] { return device->value(index) == 2000; }, 1s));
  ASSERT_TRUE(events.waitFor([&] { return !table.mustSend(index); }, 1s));
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
    std::this_thread::sleep_for(120ms);
    EXPECT_EQ(toHex(sent(cmd::READ).back().payload), c.payload);
  }
  // About one request every 30 ms.
  const int before = countSent(cmd::READ);
  std::this_thread::sleep_for(1000ms);
  const int perSecond = countSent(cmd::READ) - before;
  EXPECT_GE(perSecond, 24);
  EXPECT_LE(perSecond, 34);
}

// On the home page the device answers nothing but the keep-alive; the link must hold.
TEST_F(WorkerLoop, KeepAliveGoesOutAbout1500MsApartAndHoldsAnIdleLink) {
  std::this_thread::sleep_for(3400ms);
  std::vector<Clock::time_point> times;
  for (const SentFrame& f : sent(cmd::WRITE))
    if (toHex(f.payload) == "04 8F 00 01")
      times.push_back(f.at);
  ASSERT_GE(times.size(), 3u);
  EXPECT_EQ(events.count(true, Notify::LinkStatus, LINK_FOUND), 1); // never reconnected
  for (size_t i = 1; i < times.size(); ++i) {
    const auto gap = times[i] - times[i - 1];
    EXPECT_GE(gap, 1500ms);
    EXPECT_LE(gap, 1700ms);
  }
}

TEST_F(WorkerLoop, ASilentDeviceIsDetectedAndTheLinkReopened) {
  const int lostBefore = events.count(true, Notify::LinkStatus, LINK_LOST);
  const int foundBefore = events.count(true, Notify::LinkStatus, LINK_FOUND);
  silent = true;
  const auto before = Clock::now();
  // The worker reports the loss; the transport's new search reports itself too.
  ASSERT_TRUE(events.waitFor(
      [&] { return events.count(true, Notify::LinkStatus, LINK_LOST) == lostBefore + 2; }, 3s));
  // Five sends after 1.5 s of silence drop a USB link.
  EXPECT_LT(Clock::now() - before, 2200ms);
  silent = false;
  EXPECT_TRUE(waitRunning(3s));
  EXPECT_EQ(events.count(true, Notify::LinkStatus, LINK_FOUND), foundBefore + 1);
}

class WorkerTasks : public WorkerFixture {};

TEST_F(WorkerTasks, ARaisedTaskRunsOnceAndEndsWithTheProgressHidden) {
  std::atomic<int> runs{0};
  tasks[TASK_RECALL] = [&](WorkerSession&) { ++runs; };
  WorkerOptions options;
  options.skipFullRead = true;
  startWorker({}, options);
  ASSERT_TRUE(waitRunning());
  const int hiddenBefore = events.count(false, Notify::ProgressHidden, 0);
  worker->link().taskFlags().set(TASK_RECALL, 1);
  worker->link().taskFlags().set(TASK_STORE_NAME, 1); // no task installed: only the ending
  ASSERT_TRUE(events.waitFor(
      [&] { return events.count(false, Notify::ProgressHidden, 0) >= hiddenBefore + 2; }, 2s));
  EXPECT_EQ(runs.load(), 1);
  EXPECT_FALSE(worker->link().taskFlags().pending(TASK_RECALL));
  EXPECT_FALSE(worker->link().taskFlags().pending(TASK_STORE_NAME));
}

} // namespace
} // namespace kv816::test
