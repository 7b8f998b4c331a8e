#pragma once
// Task 2: applies the current preset file to the device.
//
// Threads: the worker thread, from the task pass (see ConnectionWorker::setTask).

#include "link/task_outcome.h"

namespace kv816 {

class PresetTaskInputs;
class WorkerSession;

// Entries the import never overwrites: device-held words and the preset control.
inline constexpr int IMPORT_SKIPPED[] = {1162, 1163, 1165, 1166};
// Entries 0..IMPORT_LAST are written and counted; the table's last entry is neither.
inline constexpr int IMPORT_LAST = 1173;

// Loads the file; refuses it with "No files。" (NoFile, a missing file or a bad checksum),
// "The data has a password ." (Password) or "Wrong file version。" (WrongModel, the
// file's model differs from the connected device's identity). Otherwise marks every file
// entry but the last (and the skipped ones) to send, writes them in batches under the
// "Update Scene Data" progress until the device has echoed them all, and reads the table
// back. Done only when the device reported every entry and holds the file's value in each
// written one (its own identity, meters and keep-alive word aside); otherwise the entries
// that differ are left in `inputs` with "Write Data Failed!" (NotKept), or the read shows
// "Read Data Failed!" (ReadFailed) or finds the preset locked (Locked). Ends with "Write
// Data Failed!" (LinkDown) when the link is down at the end.
TaskResult importTask(WorkerSession& session, PresetTaskInputs& inputs,
                      TaskOutcome* outcome = nullptr);

} // namespace kv816
