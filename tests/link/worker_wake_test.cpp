// A host that wakes the worker after an edit gets the edit written in the next cycle
// instead of after the rest of the meter phase.

#include <gtest/gtest.h>

#include <array>
#include <atomic>

#include "worker_fixture.h"

namespace kv816::test {
namespace {

using namespace std::chrono_literals;

constexpr int FIRST_INDEX = 300;
constexpr int EDITS = 6;

bool isMeterRequest(const SentFrame& f) {
  return f.command == cmd::READ && f.payload.empty(); // the home page has no meters
}

bool writes(const SentFrame& f, int index) {
  if (f.command != cmd::WRITE)
    return false;
  for (size_t i = 0; i + 3 < f.payload.size(); i += 4)
    if ((f.payload[i] << 8 | f.payload[i + 1]) == index)
      return true;
  return false;
}

class WorkerWake : public WorkerFixture {};

// Each edit is made as a meter request leaves, early in the phase; without the wake the
// phase would send more meter requests before the write.
TEST_F(WorkerWake, AWokenWorkerWritesTheEditBeforeAnotherMeterRequest) {
  manualClock = true;
  WorkerOptions options;
  options.skipFullRead = true;
  startWorker({}, options);
  ASSERT_TRUE(waitRunning());
  std::atomic<int> edited{0};
  std::array<size_t, EDITS> editedAt{};
  setFrameFilter([&](const SentFrame& f) {
    const int n = edited.load();
    if (n < EDITS && isMeterRequest(f) && (n == 0 || !table.mustSend(FIRST_INDEX + n - 1))) {
      editedAt[static_cast<size_t>(n)] = sent().size();
      table.setParameter(FIRST_INDEX + n, 500 + n);
      worker->wake();
      edited.store(n + 1);
    }
    return true;
  });
  ASSERT_TRUE(runUntil(
      [&] { return edited.load() == EDITS && !table.mustSend(FIRST_INDEX + EDITS - 1); }, 5s));

  const std::vector<SentFrame> frames = sent();
  for (int n = 0; n < EDITS; ++n) {
    SCOPED_TRACE(n);
    int meterRequests = 0;
    size_t at = editedAt[static_cast<size_t>(n)];
    for (; at < frames.size() && !writes(frames[at], FIRST_INDEX + n); ++at)
      meterRequests += isMeterRequest(frames[at]) ? 1 : 0;
    ASSERT_LT(at, frames.size()) << "the edit was never written";
    EXPECT_EQ(meterRequests, 0);
    EXPECT_EQ(device->value(FIRST_INDEX + n), 500 + n);
  }
}

} // namespace
} // namespace kv816::test
