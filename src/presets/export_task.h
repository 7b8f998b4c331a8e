#pragma once
// Task 1: re-reads the device's whole table and writes it to the current preset file.
//
// Threads: the worker thread, from the task pass (see ConnectionWorker::setTask).

#include "link/task_outcome.h"

namespace kv816 {

class PresetTaskInputs;
class WorkerSession;

// Runs the full read, then saves a snapshot of the table (clearing its refresh marks: the
// pages are not redrawn from this read) with the device's model identifier. Messages:
// "Please enter the file name!" (EmptyName); the full read's own message followed by
// "Save Failed!" (ReadFailed, Locked); "Save Failed!" (SaveFailed); on success a box
// whose text is the file's path and whose caption is "Save successfully!" (Done).
// A locked current preset writes no file.
TaskResult exportTask(WorkerSession& session, const PresetTaskInputs& inputs,
                      TaskOutcome* outcome = nullptr);

} // namespace kv816
