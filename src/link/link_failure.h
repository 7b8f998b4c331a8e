#pragma once
// Why a transport could not reach the device, kept as a small value so the worker, the
// status line and kv816ctl can say the cause and its fix instead of only "no device".
// No exceptions: transports return or record one of these.

#include <string>

namespace kv816 {

enum class LinkError {
  None,
  NotFound,          // no such port, device or module
  PermissionDenied,  // the port or device exists but this user may not open it
  Busy,              // another program holds it (holderPid when known)
  NotSerialDevice,   // the path opened but is not a terminal
  Unsupported,       // the port refused the settings (baud rate)
  Gone,              // it was open and went away (unplugged, the other end closed)
  TimedOut,          // it opened but nothing answered in time
  Refused,           // the network module refused the connection
  AddressNotAllowed, // the loopback-only safety net refused the destination
};

struct LinkFailure {
  LinkError error = LinkError::None;
  std::string where; // the port, device or address concerned
  int holderPid = 0; // Busy: the process holding it, 0 when unknown

  explicit operator bool() const { return error != LinkError::None; }
};

// The errno of a failed open or connect as a reason.
LinkError linkErrorFromErrno(int error);
// A short name for the reason: "permission denied".
std::string linkErrorName(LinkError error);
// One line: where, why, and the fix where there is one.
std::string describeLinkFailure(const LinkFailure& failure);

} // namespace kv816
