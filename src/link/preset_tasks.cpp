#include "link/preset_tasks.h"

#include <string>
#include <vector>

#include "i18n/text.h"
#include "link/full_read.h"
#include "link/link.h"
#include "link/link_events.h"
#include "link/packet.h"
#include "link/worker_session.h"
#include "model/parameter_table.h"

namespace kv816 {

namespace {
using std::chrono::milliseconds;
constexpr auto relaxed = std::memory_order_relaxed;

constexpr int PRESET_FIRST = 1;
constexpr int PRESET_LAST = 12;
constexpr int RECALL_PROGRESS_RANGE = 100;

bool validPreset(int preset) {
  return preset >= PRESET_FIRST && preset <= PRESET_LAST;
}

void show(WorkerSession& s, Text text) {
  s.events().showMessage(MessageKind::Ok, std::string(langText(text)), {});
}

// The recall request paces itself: 100 ms after the send, then up to 2 s for the reply.
// A reply that comes during the pause still releases the wait (waitingForReply is set).
void sendRecallRequest(WorkerSession& s, uint8_t preset) {
  Link& link = s.link();
  LinkState& st = s.state();
  link.replySemaphore().tryAcquire();
  st.waitingForReply.store(1, relaxed);
  const uint8_t payload[] = {preset};
  s.send(cmd::RECALL, payload);
  s.sleepFor(milliseconds(100));
  if (s.running())
    link.replySemaphore().waitFor(milliseconds(TASK_REPLY_WAIT_MS));
  st.waitingForReply.store(0, relaxed);
}
} // namespace

bool requestRecall(Link& link, int preset) {
  if (!validPreset(preset))
    return false;
  link.table().setParameter(IDX_PRESET_CONTROL, preset + RECALL_OPERATION);
  link.taskFlags().set(TASK_RECALL, 1);
  return true;
}

bool requestNameStore(Link& link, int preset, std::u16string_view name) {
  if (!validPreset(preset))
    return false;
  std::u16string padded(name.substr(0, NAME_LENGTH));
  padded.resize(NAME_LENGTH, u' ');
  link.presetNames().setBuffer(padded);
  link.table().record(IDX_PRESET_CONTROL).value.store(preset, relaxed);
  link.taskFlags().set(TASK_STORE_NAME, 1);
  return true;
}

TaskResult recallTask(WorkerSession& s, TaskOutcome* outcome) {
  ParameterTable& table = s.table();
  TaskFlags& flags = s.link().taskFlags();
  ParameterRecord& control = table.record(IDX_PRESET_CONTROL);
  control.value.store(control.value.load(relaxed) | RECALL_OPERATION, relaxed);
  control.mustSend.store(1, relaxed);
  flags.clear(FLAG_RECALL_CONFIRMED);
  for (int i = 0; i < TASK_REQUESTS && flags.get(FLAG_RECALL_CONFIRMED) == 0 && s.running(); ++i)
    sendRecallRequest(s, static_cast<uint8_t>(control.value.load(relaxed) & 0xFF));
  if (flags.get(FLAG_RECALL_CONFIRMED) == 0) {
    // Entry 1166 stays marked: the write pass goes on sending the recall operation.
    show(s, Text::RecallFailed);
    return report(outcome, TaskResult::NotConfirmed);
  }
  control.value.store(0, relaxed);
  control.mustSend.store(0, relaxed);
  s.progress().show(Text::Recall, RECALL_PROGRESS_RANGE);
  s.progress().showText(Text::Recall, "...");
  s.sleepFor(milliseconds(200));
  if (!fullReadWithNotification(s))
    return report(outcome, TaskResult::ReadFailed);
  readPresetNames(s, 0);
  s.events().post(Notify::ReadDone, 0);
  return report(outcome, TaskResult::Done);
}

TaskResult storeNameTask(WorkerSession& s, TaskOutcome* outcome) {
  ParameterTable& table = s.table();
  TaskFlags& flags = s.link().taskFlags();
  PresetNames& names = s.link().presetNames();
  // Only the low byte of each character reaches the device.
  std::vector<uint8_t> payload;
  payload.push_back(static_cast<uint8_t>(table.value(IDX_PRESET_CONTROL) & 0xFF));
  for (int i = 0; i < NAME_WIRE_LENGTH; ++i)
    payload.push_back(static_cast<uint8_t>(names.bufferChar(i) & 0xFF));
  flags.clear(FLAG_NAME_STORED);
  for (int i = 0; i < TASK_REQUESTS && flags.get(FLAG_NAME_STORED) == 0 && s.running(); ++i)
    s.request(cmd::STORE_NAME, payload, TASK_REPLY_WAIT_MS);
  const bool stored = flags.get(FLAG_NAME_STORED) != 0;
  if (stored) {
    readPresetNames(s, 0);
    show(s, Text::SaveSuccessful);
  } else {
    show(s, Text::SaveFailed);
  }
  table.record(IDX_PRESET_CONTROL).mustSend.store(0, relaxed);
  return report(outcome, stored ? TaskResult::Done : TaskResult::NotConfirmed);
}

} // namespace kv816
