#include "link/full_read.h"

#include <algorithm>
#include <string>

#include "link/link.h"
#include "link/link_events.h"
#include "link/packet.h"
#include "link/worker_batches.h"
#include "link/worker_session.h"
#include "model/parameter_table.h"

namespace kv816 {

namespace {
using std::chrono::milliseconds;
constexpr auto relaxed = std::memory_order_relaxed;

constexpr uint32_t INFO_WAIT_MS = 500;
constexpr int BULK_REQUESTS = 4;
constexpr int BULK_STARTED = 10; // more entries than this: the dump is flowing
constexpr int BULK_COMPLETE = 1165;
constexpr milliseconds BULK_START_WAIT{500};
constexpr milliseconds BULK_FOLLOW{3000}; // twenty checks 150 ms apart
// A dump that has sent nothing for three check intervals has ended; the batch passes
// fetch the rest.
constexpr milliseconds BULK_QUIET{450};
constexpr int BATCH_PASSES = 5;
constexpr int NOTIFY_PROGRESS_STEP = 23;
constexpr uint8_t INFO_REQUEST[] = {0x00};
constexpr uint8_t BULK_REQUEST[] = {0x00};
constexpr uint8_t KEEP_ALIVE[] = {IDX_HOST_ALIVE >> 8, IDX_HOST_ALIVE & 0xFF, 0x00, 0x01};
constexpr uint8_t READ_CURRENT_PRESET[] = {IDX_CURRENT_PRESET >> 8, IDX_CURRENT_PRESET & 0xFF};

using TimePoint = LinkClock::TimePoint;

bool connected(WorkerSession& s) {
  return s.state().connected.load(relaxed);
}

TimePoint after(WorkerSession& s, milliseconds duration) {
  return s.link().clock().now() + duration;
}

milliseconds leftUntil(WorkerSession& s, TimePoint end) {
  const auto left = end - s.link().clock().now();
  return std::max(milliseconds(0), std::chrono::duration_cast<milliseconds>(left));
}

// Keeps waitingForReply set so that every packet the device sends wakes the worker: the
// unasked-for reports of a dump and the name replies are waited on as they arrive.
class ReportWatch {
public:
  explicit ReportWatch(WorkerSession& s) : s_(s) {
    s_.link().replySemaphore().tryAcquire();
    s_.state().waitingForReply.store(1, relaxed);
  }
  ~ReportWatch() { s_.state().waitingForReply.store(0, relaxed); }
  ReportWatch(const ReportWatch&) = delete;
  ReportWatch& operator=(const ReportWatch&) = delete;

  // Waits for the next packet; false after `timeout` or once the worker is stopping.
  bool next(milliseconds timeout) {
    return s_.running() && s_.link().replySemaphore().waitFor(timeout) && s_.running();
  }
  // Waits until `done` holds; false when it still does not at `end` or on a stop.
  template <typename Done> bool until(TimePoint end, Done&& done) {
    while (!done()) {
      const milliseconds left = leftUntil(s_, end);
      if (left.count() == 0 || !next(left))
        return done();
    }
    return true;
  }

private:
  WorkerSession& s_;
};

// Moves the bar when the count grew.
void showGrowth(WorkerSession& s, int count) {
  if (count > s.progress().position())
    s.progress().setPosition(count);
}

// Asks for the dump and follows it as it arrives. False when nothing came and the
// transport closed.
bool bulkPhase(WorkerSession& s) {
  ParameterTable& table = s.table();
  ReportWatch watch(s);
  auto flowing = [&table] { return table.countRefreshed() > BULK_STARTED; };
  for (int i = 0; i < BULK_REQUESTS && s.running(); ++i) {
    s.send(cmd::BULK_DUMP, BULK_REQUEST);
    if (watch.until(after(s, BULK_START_WAIT), flowing))
      break;
    if (!s.transportOpen())
      return false;
  }
  const TimePoint followEnd = after(s, BULK_FOLLOW);
  for (;;) {
    const int count = table.countRefreshed();
    showGrowth(s, count);
    const milliseconds left = std::min(BULK_QUIET, leftUntil(s, followEnd));
    if (count >= BULK_COMPLETE || left.count() == 0 || !watch.next(left))
      break;
  }
  return true;
}

// One walk over the table: every entry still missing triggers a read batch.
void batchPass(WorkerSession& s, int& readPosition) {
  ParameterTable& table = s.table();
  const uint32_t wait = s.state().readWait.load(relaxed);
  int count = 0;
  for (int index = 0; index < PARAM_COUNT; ++index) {
    if (!connected(s))
      return;
    if (table.uiRefresh(index)) {
      ++count;
      continue;
    }
    const std::vector<uint8_t> batch = collectReadBatch(table, readPosition);
    showGrowth(s, count);
    s.request(cmd::READ, batch, wait);
  }
}

FullReadResult finish(WorkerSession& s, FullReadResult result) {
  const int missing = PARAM_COUNT - s.table().countRefreshed();
  s.state().readMissing.store(missing, relaxed);
  if (result == FullReadResult::Complete && missing > 0)
    return FullReadResult::Incomplete;
  return result;
}

FullReadResult failRead(WorkerSession& s) {
  s.progress().hide();
  // Stopping: no message box while the host shuts down.
  if (s.running())
    s.events().showMessage(MessageKind::Ok, std::string(langText(Text::ReadDataFailed)), {});
  return finish(s, FullReadResult::Failed);
}
} // namespace

FullReadResult fullRead(WorkerSession& s) {
  ParameterTable& table = s.table();
  table.beginFullRead();
  s.request(cmd::INFO, INFO_REQUEST, INFO_WAIT_MS);
  if (s.link().deviceInfo().presetLocked.load(relaxed) != 0) {
    s.events().showMessage(MessageKind::Ok, std::string(langText(Text::EncryptedModeUnreadable)),
                           {});
    return finish(s, FullReadResult::Locked);
  }
  s.progress().show(Text::ReadDataProgress, PARAM_COUNT);
  if (s.state().linkType.load(relaxed) != LINK_NETWORK && !bulkPhase(s)) {
    // The window would otherwise stay up while the worker reconnects.
    s.progress().hide();
    return finish(s, FullReadResult::Failed);
  }
  int readPosition = 0;
  for (int pass = 0; pass < BATCH_PASSES && table.countRefreshed() < PARAM_COUNT; ++pass) {
    batchPass(s, readPosition);
    s.progress().setPosition(table.countRefreshed());
    if (!connected(s) || !s.running())
      return failRead(s);
    s.sleepFor(milliseconds(30));
  }
  s.sleepFor(milliseconds(10));
  s.progress().hide();
  return finish(s, FullReadResult::Complete);
}

bool fullReadWithNotification(WorkerSession& s) {
  if (fullRead(s) == FullReadResult::Failed)
    return false;
  ParameterTable& table = s.table();
  LinkEvents& events = s.events();
  s.progress().hide();
  s.progress().show(Text::UpdateDisplayProgress, PARAM_COUNT);
  s.sleepFor(milliseconds(1));
  for (int index = 0; index < PARAM_COUNT; ++index) {
    if (table.takeRefresh(index))
      events.post(Notify::ParameterChanged, index);
    if (index % NOTIFY_PROGRESS_STEP == 1)
      s.progress().setPosition(index);
  }
  events.post(Notify::ReadDone, 0);
  events.post(Notify::TaskDone, 0);
  s.sleepFor(milliseconds(100));
  s.progress().hide();
  return true;
}

void readPresetNames(WorkerSession& s, int extraPreset) {
  PresetNames& names = s.link().presetNames();
  // After a stop or a loss every send would only wait in the silence accounting's probe.
  auto ask = [&s](int preset) {
    if (!s.running() || !connected(s))
      return;
    const uint8_t payload[] = {static_cast<uint8_t>(preset)};
    s.send(cmd::NAME, payload);
    s.sleepFor(milliseconds(20));
  };
  for (int p = 1; p <= PRESET_SLOTS; ++p) {
    names.setReceived(p - 1, false);
    ask(p);
  }
  for (int round = 0; round < 2; ++round) {
    for (int p = 1; p <= PRESET_SLOTS; ++p) {
      if (!names.received(p - 1))
        ask(p);
    }
  }
  if (extraPreset != 0)
    ask(extraPreset);
  if (s.running() && connected(s))
    s.send(cmd::READ, READ_CURRENT_PRESET);
}

bool waitForPresetNames(WorkerSession& s, milliseconds timeout) {
  PresetNames& names = s.link().presetNames();
  ReportWatch watch(s);
  return watch.until(after(s, timeout), [&names] {
    for (int slot = 0; slot < PRESET_SLOTS; ++slot)
      if (!names.received(slot))
        return false;
    return true;
  });
}

bool sendKeepAlive(WorkerSession& s, uint32_t echoWaitMs) {
  s.table().countTransmission(IDX_HOST_ALIVE);
  if (echoWaitMs == 0) {
    s.send(cmd::WRITE, KEEP_ALIVE);
    return true;
  }
  return s.request(cmd::WRITE, KEEP_ALIVE, echoWaitMs);
}

} // namespace kv816
