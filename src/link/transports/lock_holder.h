#pragma once
// Who holds an flock() on a file: the kernel lists every lock with its owner's PID, so a
// "busy" port or device can name the program to close.

namespace kv816 {

// The PID holding an flock() on the file open as `fd`, or 0 when none is listed.
int flockHolderPid(int fd);

} // namespace kv816
