#include "presets/export_task.h"

#include <string>

#include "i18n/text.h"
#include "link/full_read.h"
#include "link/link.h"
#include "link/link_events.h"
#include "link/worker_session.h"
#include "model/parameter_table.h"
#include "presets/preset_file.h"
#include "presets/preset_task_inputs.h"

namespace kv816 {

namespace {
using std::chrono::milliseconds;
constexpr auto relaxed = std::memory_order_relaxed;

void show(WorkerSession& s, Text text, const std::string& caption = {}) {
  s.events().showMessage(MessageKind::Ok, std::string(langText(text)), caption);
}
} // namespace

TaskResult exportTask(WorkerSession& s, const PresetTaskInputs& inputs, TaskOutcome* outcome) {
  s.sleepFor(milliseconds(10));
  const std::string name = inputs.name();
  if (name.empty()) {
    show(s, Text::EnterFileName);
    return report(outcome, TaskResult::EmptyName);
  }
  TaskResult result = TaskResult::Done;
  const DeviceInfo& info = s.link().deviceInfo();
  const FullReadResult read = fullRead(s);
  if (read == FullReadResult::Incomplete) {
    // A file with entries the device never reported would not be the device's state.
    show(s, Text::ReadDataFailed);
    result = TaskResult::ReadFailed;
  } else if (read == FullReadResult::Failed) {
    result = TaskResult::ReadFailed;
  } else if (info.presetLocked.load(relaxed) != 0) {
    result = TaskResult::Locked;
  } else {
    PresetFile file(inputs.folders());
    const auto snapshot = s.table().snapshotForExport();
    file.setModelId(info.deviceId.load(relaxed));
    if (file.savePreset(name, snapshot) == PresetResult::Done)
      s.events().showMessage(MessageKind::Ok, file.lastPath(),
                             std::string(langText(Text::SaveSuccessful)));
    else
      result = TaskResult::SaveFailed;
  }
  if (result != TaskResult::Done)
    show(s, Text::SaveFailed);
  s.sleepFor(milliseconds(5));
  return report(outcome, result);
}

} // namespace kv816
