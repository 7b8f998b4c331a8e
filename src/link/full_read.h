#pragma once
// The worker's reading steps: the full read of the device's table, the notification that
// follows it, the preset-name read and the keep-alive. The device tasks (recall, export,
// import) reuse them.
//
// Threads: the worker thread, through its WorkerSession.

#include <cstdint>

namespace kv816 {

class WorkerSession;

// Reads the whole table: bulk dump (not on the network link) and five batch passes, with
// the progress window. Returns true on success, and also when the device refuses the read
// because its current preset is locked ("Unable to read encrypted mode!"; nothing read).
// Returns false when the link went down: "Read Data Failed!" is shown, except when the
// bulk phase found the transport closed.
bool fullRead(WorkerSession& session);

// fullRead, then on success announces every received entry (index 0 included) with
// ParameterChanged, then ReadDone and TaskDone, under the "Update Display Data" progress.
bool fullReadWithNotification(WorkerSession& session);

// Asks for the twelve preset names (twice more for those that did not arrive), for
// `extraPreset` when it is not 0, then reads the current preset number. Waits for nothing.
void readPresetNames(WorkerSession& session, int extraPreset);

// Writes index 1167 = 1 (the host is alive), counting it like a write of that entry. With
// `echoWaitMs` above 0 it waits that long for the echo; false when the wait timed out.
bool sendKeepAlive(WorkerSession& session, uint32_t echoWaitMs = 0);

} // namespace kv816
