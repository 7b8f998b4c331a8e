#include "link/main_loop.h"

#include <algorithm>

#include "link/event_log.h"
#include "link/full_read.h"
#include "link/link.h"
#include "link/link_events.h"
#include "link/module_commands.h"
#include "link/packet.h"
#include "link/worker_batches.h"
#include "link/worker_session.h"
#include "model/parameter_table.h"

namespace kv816 {

namespace {
using std::chrono::milliseconds;
constexpr auto relaxed = std::memory_order_relaxed;

constexpr uint32_t METER_INTERVAL_MS = 30;
constexpr uint32_t METER_PHASE_MS = 80;
constexpr uint32_t KEEP_ALIVE_MS = 1500;
constexpr uint32_t STALL_MS = 10000;
} // namespace

MainLoop::MainLoop(WorkerSession& session, const WorkerTasks& tasks) : s_(session), tasks_(tasks) {}

bool MainLoop::linkUp() const {
  const LinkState& st = s_.state();
  return st.missCount.load(relaxed) < st.missLimit.load(relaxed) && st.connected.load(relaxed);
}

void MainLoop::run() {
  meterPhaseEnd_ = s_.now();
  do {
    cycle();
  } while (linkUp() && s_.running());
}

void MainLoop::cycle() {
  s_.sleepFor(milliseconds(10));
  if (s_.state().linkType.load(relaxed) != LINK_NETWORK)
    modulePass(); // the network transport sends module commands itself
  writePass();
  readPass();
  notificationPass();
  taskPass();
  meterPhase();
  keepAlive();
  stallCheck();
}

void MainLoop::modulePass() {
  ModuleCommands& modules = s_.modules();
  if (std::optional<std::string> text = modules.nextDeviceCommand(modulePosition_)) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text->data());
    if (!s_.request(cmd::MODULE_TEXT, {bytes, text->size()}, s_.state().ackWait.load(relaxed)))
      s_.dropIfClosed();
  }
  modules.showModuleConfirmations(s_.events());
}

// The entry at the position heads every batch until its echo clears it, so an entry the
// pages keep changing goes out with its newest value each time.
void MainLoop::writePass() {
  ParameterTable& table = s_.table();
  if (writePosition_ >= PARAM_COUNT)
    writePosition_ = 0;
  while (writePosition_ < PARAM_COUNT && !table.mustSend(writePosition_))
    ++writePosition_;
  if (writePosition_ >= PARAM_COUNT)
    return;
  s_.writeBatchPosition = writePosition_;
  const std::vector<uint8_t> batch = collectWriteBatch(table, s_.writeBatchPosition);
  if (!s_.request(cmd::WRITE, batch, s_.state().ackWait.load(relaxed)))
    s_.dropIfClosed();
}

void MainLoop::readPass() {
  ParameterTable& table = s_.table();
  for (int index = 0; index < PARAM_COUNT; ++index) {
    if (!table.takeMustRead(index))
      continue;
    const uint8_t payload[] = {static_cast<uint8_t>(index >> 8), static_cast<uint8_t>(index)};
    s_.send(cmd::READ, payload);
    s_.sleepFor(milliseconds(10));
  }
}

// Index 0 is left for the notification after the next full read.
void MainLoop::notificationPass() {
  ParameterTable& table = s_.table();
  for (int index = 1; index < PARAM_COUNT; ++index) {
    if (table.takeRefresh(index))
      s_.events().post(Notify::ParameterChanged, index);
  }
}

void MainLoop::taskPass() {
  TaskFlags& flags = s_.link().taskFlags();
  for (int t = WORKER_TASK_FIRST; t <= WORKER_TASK_LAST; ++t) {
    if (!flags.pending(t) || !s_.running())
      continue;
    s_.sleepFor(milliseconds(100));
    flags.clear(t);
    logInfo("task " + std::to_string(t) + " started");
    if (tasks_[t])
      tasks_[t](s_);
    logInfo("task " + std::to_string(t) + " ended");
    s_.progress().hide();
  }
}

// Sends the meter request every 30 ms until 80 ms have passed since the phase last ended,
// sleeping until the next of those two moments in between. A wake (an edit waiting to go
// out) ends the phase early; the meters keep their 30 ms spacing all the same.
void MainLoop::meterPhase() {
  for (;;) {
    const uint32_t now = s_.now();
    if (now - meterPhaseEnd_ > METER_PHASE_MS || !s_.running())
      break;
    if (now - lastMeter_ > METER_INTERVAL_MS) {
      const std::vector<uint8_t> request = meterRequest(s_.state().meterView.load(relaxed));
      s_.send(cmd::READ, request);
      lastMeter_ = now;
    }
    const uint32_t nextMeter = lastMeter_ + METER_INTERVAL_MS + 1;
    const uint32_t phaseOver = meterPhaseEnd_ + METER_PHASE_MS + 1;
    const uint32_t wait = std::min(nextMeter - now, phaseOver - now);
    if (!s_.sleepUntilWoken(milliseconds(std::max<uint32_t>(wait, 1))))
      break;
  }
  meterPhaseEnd_ = s_.now();
}

void MainLoop::keepAlive() {
  const uint32_t now = s_.now();
  if (now - lastKeepAlive_ <= KEEP_ALIVE_MS)
    return;
  // On a page without meters the keep-alive's echo is the only answer the device gives,
  // and the silent meter requests before it count as misses. Waiting for the echo lets it
  // reset the count before the cycle checks it, so a healthy idle link is not dropped.
  if (!sendKeepAlive(s_, s_.state().ackWait.load(relaxed)))
    s_.dropIfClosed();
  lastKeepAlive_ = now;
}

void MainLoop::stallCheck() {
  const uint32_t now = s_.now();
  if (now - lastPass_ > STALL_MS)
    s_.state().connected.store(false, relaxed);
  lastPass_ = now;
}

} // namespace kv816
