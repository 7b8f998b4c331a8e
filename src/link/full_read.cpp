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
constexpr int BULK_CHECKS = 20;
constexpr int BULK_COMPLETE = 1165;
constexpr int BATCH_PASSES = 5;
constexpr int NOTIFY_PROGRESS_STEP = 23;
constexpr uint8_t INFO_REQUEST[] = {0x00};
constexpr uint8_t BULK_REQUEST[] = {0x00};
constexpr uint8_t KEEP_ALIVE[] = {IDX_HOST_ALIVE >> 8, IDX_HOST_ALIVE & 0xFF, 0x00, 0x01};
constexpr uint8_t READ_CURRENT_PRESET[] = {IDX_CURRENT_PRESET >> 8, IDX_CURRENT_PRESET & 0xFF};

bool connected(WorkerSession& s) {
  return s.state().connected.load(relaxed);
}

// Moves the bar when the count grew.
void showGrowth(WorkerSession& s, int count) {
  if (count > s.progress().position())
    s.progress().setPosition(count);
}

// Asks for the dump and follows it. False when nothing came and the transport closed.
bool bulkPhase(WorkerSession& s) {
  ParameterTable& table = s.table();
  int count = 0;
  for (int i = 0; i < BULK_REQUESTS; ++i) {
    s.send(cmd::BULK_DUMP, BULK_REQUEST);
    s.sleepFor(milliseconds(500));
    count = table.countRefreshed();
    if (count > BULK_STARTED)
      break;
    if (!s.transportOpen())
      return false;
  }
  for (int check = 0; check < BULK_CHECKS && s.running(); ++check) {
    count = table.countRefreshed();
    showGrowth(s, count);
    if (count >= BULK_COMPLETE)
      break;
    s.sleepFor(milliseconds(150));
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

bool failRead(WorkerSession& s) {
  s.progress().hide();
  if (!s.running())
    return false; // stopping: no message box while the host shuts down
  s.events().showMessage(MessageKind::Ok, std::string(langText(Text::ReadDataFailed)), {});
  return false;
}
} // namespace

bool fullRead(WorkerSession& s) {
  ParameterTable& table = s.table();
  table.beginFullRead();
  s.request(cmd::INFO, INFO_REQUEST, INFO_WAIT_MS);
  if (s.link().deviceInfo().presetLocked.load(relaxed) != 0) {
    s.events().showMessage(MessageKind::Ok, std::string(langText(Text::EncryptedModeUnreadable)),
                           {});
    return true;
  }
  s.progress().show(Text::ReadDataProgress, PARAM_COUNT);
  if (s.state().linkType.load(relaxed) != LINK_NETWORK && !bulkPhase(s)) {
    // The window would otherwise stay up while the worker reconnects.
    s.progress().hide();
    return false;
  }
  int readPosition = 0;
  for (int pass = 0; pass < BATCH_PASSES; ++pass) {
    batchPass(s, readPosition);
    s.progress().setPosition(table.countRefreshed());
    if (!connected(s))
      return failRead(s);
    s.sleepFor(milliseconds(30));
  }
  s.sleepFor(milliseconds(10));
  s.progress().hide();
  return true;
}

bool fullReadWithNotification(WorkerSession& s) {
  if (!fullRead(s))
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
  auto ask = [&s](int preset) {
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
  s.send(cmd::READ, READ_CURRENT_PRESET);
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
