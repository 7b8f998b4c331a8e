#include "link/lock_state_request.h"

#include <atomic>
#include <chrono>
#include <cstdint>

#include "link/link.h"
#include "link/packet.h"
#include "link/worker_session.h"

namespace kv816 {

namespace {
using std::chrono::milliseconds;
constexpr auto relaxed = std::memory_order_relaxed;

constexpr uint8_t INFO_REQUEST[] = {0x00};
// Beyond the link's reply wait: the information reply may take a little longer.
constexpr uint32_t REPLY_SLACK_MS = 300;
// The lock form follows the identity form, whose arrival ends the reply wait.
constexpr milliseconds LOCK_FORM_STEP{10};
constexpr int LOCK_FORM_STEPS = 12;
// Identity replies without a lock form that make "none locked" believable on a lossy link.
constexpr int UNLOCKED_REPLIES = 4;
} // namespace

bool requestLockState(WorkerSession& s, int attempts) {
  const DeviceInfo& info = s.link().deviceInfo();
  int unlockedReplies = 0;
  for (int i = 0; i < attempts && s.running() && s.transportOpen(); ++i) {
    const uint32_t locks = info.lockReports.load(relaxed);
    const uint32_t identities = info.identityReports.load(relaxed);
    auto lockArrived = [&] { return info.lockReports.load(relaxed) != locks; };
    s.request(cmd::INFO, INFO_REQUEST, s.state().ackWait.load(relaxed) + REPLY_SLACK_MS);
    for (int step = 0; step < LOCK_FORM_STEPS && !lockArrived(); ++step)
      if (!s.sleepFor(LOCK_FORM_STEP))
        return false;
    if (lockArrived())
      return true;
    if (info.identityReports.load(relaxed) != identities && ++unlockedReplies >= UNLOCKED_REPLIES)
      return true;
  }
  return false;
}

} // namespace kv816
