#include "presets/device_tasks.h"

#include <utility>

#include "link/connection_worker.h"
#include "link/preset_tasks.h"
#include "link/task_flags.h"
#include "presets/export_task.h"
#include "presets/import_task.h"

namespace kv816 {

void installDeviceTasks(ConnectionWorker& worker, PresetTaskInputs& inputs, TaskOutcome* outcome,
                        DeviceTaskEnded ended) {
  auto install = [&worker, ended = std::move(ended)](int task, auto run) {
    worker.setTask(task, [task, ended, run](WorkerSession& s) {
      const TaskResult result = run(s);
      if (ended)
        ended(s, task, result);
    });
  };
  install(TASK_EXPORT,
          [&inputs, outcome](WorkerSession& s) { return exportTask(s, inputs, outcome); });
  install(TASK_IMPORT,
          [&inputs, outcome](WorkerSession& s) { return importTask(s, inputs, outcome); });
  install(TASK_RECALL, [outcome](WorkerSession& s) { return recallTask(s, outcome); });
  install(TASK_STORE_NAME, [outcome](WorkerSession& s) { return storeNameTask(s, outcome); });
}

} // namespace kv816
