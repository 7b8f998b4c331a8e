#include "presets/import_task.h"

#include <algorithm>
#include <string>
#include <vector>

#include "i18n/text.h"
#include "link/full_read.h"
#include "link/link.h"
#include "link/link_events.h"
#include "link/packet.h"
#include "link/worker_batches.h"
#include "link/worker_session.h"
#include "model/parameter_table.h"
#include "presets/preset_file.h"
#include "presets/preset_task_inputs.h"

namespace kv816 {

namespace {
using std::chrono::milliseconds;
constexpr auto relaxed = std::memory_order_relaxed;

void show(WorkerSession& s, Text text) {
  s.events().showMessage(MessageKind::Ok, std::string(langText(text)), {});
}

bool linkUp(WorkerSession& s) {
  const LinkState& st = s.state();
  return st.connected.load(relaxed) && st.missCount.load(relaxed) < st.missLimit.load(relaxed) &&
         s.running();
}

bool skipped(int index) {
  return std::find(std::begin(IMPORT_SKIPPED), std::end(IMPORT_SKIPPED), index) !=
         std::end(IMPORT_SKIPPED);
}

// Every file entry but the last; even an unchanged value is marked, so the device gets
// the whole file.
void applyFile(ParameterTable& table, const std::vector<int32_t>& values) {
  const int last = std::min(static_cast<int>(values.size()) - 1, PARAM_COUNT);
  for (int i = 0; i < last; ++i) {
    if (!skipped(i))
      table.setParameter(i, values[static_cast<size_t>(i)]);
  }
}

int countTaken(const ParameterTable& table) {
  int taken = 0;
  for (int i = 0; i <= IMPORT_LAST; ++i)
    taken += table.mustSend(i) ? 0 : 1;
  return taken;
}

// Passes over the table until the device has echoed every marked entry (or each has gone
// out as often as the retry limit allows) or the link is down.
void writeUntilTaken(WorkerSession& s) {
  ParameterTable& table = s.table();
  const uint32_t wait = s.state().batchWait.load(relaxed);
  while (linkUp(s)) {
    for (int i = 0; i <= IMPORT_LAST && linkUp(s); ++i) {
      if (table.takeRefresh(i))
        s.events().post(Notify::ParameterChanged, i);
      if (!table.mustSend(i))
        continue;
      const std::vector<uint8_t> batch = collectWriteBatch(table, s.writeBatchPosition);
      if (!batch.empty())
        s.request(cmd::WRITE, batch, wait);
      s.progress().setPosition(countTaken(table));
    }
    s.sleepFor(milliseconds(1));
    if (countTaken(table) >= IMPORT_LAST + 1)
      break;
  }
}

// Words the device keeps for itself (identity, meters) or that this program rewrites on
// its own (the keep-alive): their read-back says nothing about the import.
bool deviceOwned(int index) {
  return index == IDX_DEVICE_ID || index == IDX_HOST_ALIVE ||
         (index >= IDX_METER_FIRST && index < IDX_METER_FIRST + METER_WORD_COUNT);
}

// The written entries whose read-back differs from the file. An entry still marked to send
// keeps the table's value through the read, so it counts as unconfirmed.
std::vector<int> differingEntries(const ParameterTable& table, const std::vector<int32_t>& values) {
  std::vector<int> differing;
  const int last = std::min(static_cast<int>(values.size()) - 1, PARAM_COUNT);
  for (int i = 0; i < last; ++i) {
    if (!skipped(i) && !deviceOwned(i) &&
        (table.mustSend(i) ||
         table.wireValue(i) != static_cast<uint16_t>(values[static_cast<size_t>(i)])))
      differing.push_back(i);
  }
  return differing;
}

// Reads the table back and compares it with the file: an entry the device dropped after
// its retries, or holds with another value, fails the import.
TaskResult verify(WorkerSession& s, const std::vector<int32_t>& values, PresetTaskInputs& inputs) {
  if (!fullReadWithNotification(s))
    return TaskResult::LinkDown;
  if (s.link().deviceInfo().presetLocked.load(relaxed) != 0)
    return TaskResult::Locked; // "Unable to read encrypted mode!" has been shown
  if (s.state().readMissing.load(relaxed) > 0) {
    show(s, Text::ReadDataFailed);
    return TaskResult::ReadFailed;
  }
  inputs.setDiffering(differingEntries(s.table(), values));
  if (inputs.differing().empty())
    return TaskResult::Done;
  show(s, Text::WriteDataFailed);
  return TaskResult::NotKept;
}

// Loads and checks the file; on refusal the message has been shown.
TaskResult loadFile(WorkerSession& s, const PresetTaskInputs& inputs, PresetFile& file) {
  if (file.loadPreset(inputs.name()) != PresetResult::Done) {
    s.progress().hide();
    show(s, Text::NoFiles);
    return TaskResult::NoFile;
  }
  if (file.header().passwordFlag == 1) {
    s.progress().hide();
    show(s, Text::DataHasPassword);
    return TaskResult::Password;
  }
  if (file.header().modelId != s.link().deviceInfo().deviceId.load(relaxed)) {
    s.progress().hide();
    show(s, Text::WrongFileVersion);
    return TaskResult::WrongModel;
  }
  return TaskResult::Done;
}
} // namespace

TaskResult importTask(WorkerSession& s, PresetTaskInputs& inputs, TaskOutcome* outcome) {
  s.sleepFor(milliseconds(10));
  s.link().taskFlags().clear(TASK_IMPORT);
  TaskResult result = TaskResult::Done;
  inputs.setDiffering({});
  PresetFile file(inputs.folders());
  if (inputs.name().empty()) {
    show(s, Text::EnterFileName);
    result = TaskResult::EmptyName;
  } else {
    result = loadFile(s, inputs, file);
    if (result == TaskResult::Password)
      return report(outcome, result); // ends at once: no link check, no further message
  }
  if (result == TaskResult::Done) {
    ParameterTable& table = s.table();
    applyFile(table, file.values());
    s.progress().show(Text::UpdateSceneProgress, PARAM_COUNT);
    table.clearRetryCounts();
    s.writeBatchPosition = 0;
    writeUntilTaken(s);
    s.sleepFor(milliseconds(100));
    if (linkUp(s))
      result = verify(s, file.values(), inputs);
  }
  s.progress().hide();
  if (!linkUp(s) && result != TaskResult::NotKept) {
    if (s.running()) // no message box while the host shuts down
      show(s, Text::WriteDataFailed);
    result = result == TaskResult::Done ? TaskResult::LinkDown : result;
  }
  return report(outcome, result);
}

} // namespace kv816
