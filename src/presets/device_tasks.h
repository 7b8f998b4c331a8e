#pragma once
// The device tasks every host installs into its connection worker: export, import,
// recall and name store, with the preset file inputs they read and the outcome they
// report to.
//
// Threads: install on the host thread before the worker starts; the tasks and `ended` run
// on the worker thread.

#include <functional>

#include "link/task_outcome.h"

namespace kv816 {

class ConnectionWorker;
class PresetTaskInputs;
class WorkerSession;

// Told on the worker thread how a task ended (its flag and result), after the task has
// reported to the outcome; a host shows what the tasks do not say themselves.
using DeviceTaskEnded = std::function<void(WorkerSession& session, int task, TaskResult result)>;

// `inputs` and `outcome` (nullptr: nobody waits for a result) must outlive the worker.
void installDeviceTasks(ConnectionWorker& worker, PresetTaskInputs& inputs, TaskOutcome* outcome,
                        DeviceTaskEnded ended = {});

} // namespace kv816
