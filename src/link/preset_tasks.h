#pragma once
// The device's own presets: recall (task 4) and name store (task 13). The host raises a
// task with requestRecall / requestNameStore; the worker runs it in its task pass.
//
// Threads: the request functions on the host thread (the GUI's or the command-line tool's
// main thread) while no such task runs; the tasks on the worker thread only.

#include <string_view>

#include "link/task_outcome.h"

namespace kv816 {

class Link;
class WorkerSession;

inline constexpr int RECALL_OPERATION = 0x600; // high byte 6 of entry 1166: recall requested
inline constexpr int NAME_WIRE_LENGTH = 20;    // bytes of a name that reach the device
inline constexpr int TASK_REQUESTS = 3;        // requests before a task gives up
inline constexpr int TASK_REPLY_WAIT_MS = 2000;

// Marks entry 1166 with preset `preset` (1-12) and the recall operation, then raises task 4.
// Returns false (nothing raised) for a preset outside 1-12.
bool requestRecall(Link& link, int preset);
// Puts the name, padded with spaces (or cut) to 25 characters, into the name buffer,
// stores `preset` in entry 1166 without marking it, then raises task 13. False for a
// preset outside 1-12.
bool requestNameStore(Link& link, int preset, std::u16string_view name);

// Task 4: up to three recall requests (0x01) until the device confirms; then the full
// read with notification and the preset-name read. Done, NotConfirmed ("Invocation
// pattern of failure!" shown; entry 1166 stays marked to send) or ReadFailed (the link
// went down during the full read).
TaskResult recallTask(WorkerSession& session, TaskOutcome* outcome = nullptr);

// Task 13: up to three name-store requests (0x10, the preset and the first 20 bytes of
// the name buffer) until the device confirms; then the preset names are read again.
// Shows "Save successfully!" (Done) or "Save Failed!" (NotConfirmed). Entry 1166 is left
// unmarked either way.
TaskResult storeNameTask(WorkerSession& session, TaskOutcome* outcome = nullptr);

} // namespace kv816
