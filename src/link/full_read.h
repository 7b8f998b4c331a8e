#pragma once
// The worker's reading steps: the full read of the device's table, the notification that
// follows it, the preset-name read and the keep-alive. The device tasks (recall, export,
// import) reuse them.
//
// Threads: the worker thread, through its WorkerSession.

#include <chrono>
#include <cstdint>

namespace kv816 {

class WorkerSession;

enum class FullReadResult : int {
  Complete,   // every entry was reported
  Locked,     // the current preset is locked: "Unable to read encrypted mode!", nothing read
  Incomplete, // five passes ended with entries the device never reported
  Failed,     // the link went down or the worker was stopped
};

// Reads the whole table: bulk dump (not on the network link) and up to five batch passes,
// with the progress window. The bulk phase waits on the arriving reports, not on fixed
// sleeps, and the passes end as soon as nothing is missing. LinkState::readMissing holds
// the number of entries not reported afterwards. On Failed "Read Data Failed!" is shown,
// except when the bulk phase found the transport closed or the worker is stopping.
FullReadResult fullRead(WorkerSession& session);

// fullRead, then announces every received entry (index 0 included) with ParameterChanged,
// then ReadDone and TaskDone, under the "Update Display Data" progress. False only when
// the read failed; an incomplete read still shows what arrived.
bool fullReadWithNotification(WorkerSession& session);

// Asks for the twelve preset names (twice more for those that did not arrive), for
// `extraPreset` when it is not 0, then reads the current preset number. Waits for no
// reply; stops early when the worker is stopped or the link is down.
void readPresetNames(WorkerSession& session, int extraPreset);

// Waits up to `timeout` until every preset name has arrived (the replies to
// readPresetNames); false when some did not or the worker was stopped.
bool waitForPresetNames(WorkerSession& session, std::chrono::milliseconds timeout);

// Writes index 1167 = 1 (the host is alive), counting it like a write of that entry. With
// `echoWaitMs` above 0 it waits that long for the echo; false when the wait timed out.
bool sendKeepAlive(WorkerSession& session, uint32_t echoWaitMs = 0);

} // namespace kv816
