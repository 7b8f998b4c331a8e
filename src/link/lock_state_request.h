#pragma once
// Asking the device which of its presets are locked. A device reports its locks in the
// lock form of the information reply, after the identity form, and only while a preset is
// locked; so a lost lock form looks exactly like "none locked" and one reply proves
// nothing either way.
//
// Threads: the worker thread, through its WorkerSession.

namespace kv816 {

class WorkerSession;

// Makes up to `attempts` information requests until the lock state is known: a lock-form
// reply arrived (DeviceInfo holds the device's mask), or four identity-form replies came
// each without a lock form after it (nothing is locked). False when neither happened
// (replies lost, the link down, the worker stopping): the mask is then not the device's.
bool requestLockState(WorkerSession& session, int attempts);

} // namespace kv816
