// Asking for the lock state until the device has told it: a lost lock-form reply is asked
// for again, an unlocked device is believed only after several replies without one, and a
// device that does not answer leaves the state unknown rather than "none locked".

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>

#include "link/lock_state_request.h"
#include "worker_fixture.h"

namespace kv816::test {
namespace {

using namespace std::chrono_literals;

constexpr int TASK_JOB = 15;
constexpr int ATTEMPTS = 6;

bool isLockForm(const LoopbackReply& reply) {
  const std::vector<uint8_t>& b = reply.bytes;
  return b.size() > 3 && b[2] == cmd::INFO && (b[3] == 1 || b[3] == 2);
}

class LockState : public WorkerFixture {};

TEST_F(LockState, TheLockStateIsKnownOnlyOnceTheDeviceHasToldIt) {
  constexpr int LOSE_ALL = 1000;
  const struct {
    const char* name;
    bool locked;  // the device locks its running preset
    int lockLost; // lock-form replies lost
    bool allLost; // every information reply lost
    bool known;
    int requests;
  } cases[] = {
      {"locked, reported at once", true, 0, false, true, 1},
      {"locked, first report lost", true, 1, false, true, 2},
      {"locked, three reports lost", true, 3, false, true, 4},
      {"unlocked", false, 0, false, true, 4},
      {"no reply at all", true, LOSE_ALL, true, false, ATTEMPTS},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    worker.reset();
    setReplyEditor(nullptr);
    std::atomic<int> result{-1};
    tasks[TASK_JOB] = [&](WorkerSession& s) { result = requestLockState(s, ATTEMPTS) ? 1 : 0; };
    manualClock = true;
    WorkerOptions options;
    options.skipFullRead = true;
    SimConfig config;
    config.lockCurrentPreset = c.locked;
    startWorker(config, options);
    ASSERT_TRUE(waitRunning());
    // What the handshake learnt is not what this request is to find out.
    worker->link().deviceInfo().lockMask = 0;

    auto toLose = std::make_shared<std::atomic<int>>(c.lockLost);
    const bool allLost = c.allLost;
    setReplyEditor([toLose, allLost](const SentFrame& f, std::vector<LoopbackReply>& replies) {
      if (f.command != cmd::INFO)
        return;
      if (allLost)
        replies.clear();
      std::erase_if(replies, [&](const LoopbackReply& r) {
        return isLockForm(r) && toLose->fetch_sub(1) > 0;
      });
    });
    const int requestsBefore = countSent(cmd::INFO);
    worker->link().taskFlags().set(TASK_JOB, 1);
    ASSERT_TRUE(runUntil([&] { return result.load() >= 0; }, 15s));
    EXPECT_EQ(result.load() == 1, c.known);
    EXPECT_EQ(countSent(cmd::INFO) - requestsBefore, c.requests);
    if (c.known) {
      EXPECT_EQ(worker->link().deviceInfo().lockMask.load() != 0, c.locked);
    }
  }
}

} // namespace
} // namespace kv816::test
