#include "link/link_failure.h"

#include <cerrno>

namespace kv816 {

LinkError linkErrorFromErrno(int error) {
  switch (error) {
  case ENOENT:
  case ENODEV:
  case ENXIO:
  case ENOTDIR:
    return LinkError::NotFound;
  case EACCES:
  case EPERM:
    return LinkError::PermissionDenied;
  case EBUSY:
  case EWOULDBLOCK:
    return LinkError::Busy;
  case ENOTTY:
    return LinkError::NotSerialDevice;
  case ETIMEDOUT:
    return LinkError::TimedOut;
  case ECONNREFUSED:
    return LinkError::Refused;
  case EIO:
  case ECONNRESET:
  case EPIPE:
    return LinkError::Gone;
  default:
    return LinkError::Unsupported;
  }
}

std::string linkErrorName(LinkError error) {
  switch (error) {
  case LinkError::None:
    return "no error";
  case LinkError::NotFound:
    return "not found";
  case LinkError::PermissionDenied:
    return "permission denied";
  case LinkError::Busy:
    return "busy";
  case LinkError::NotSerialDevice:
    return "not a serial device";
  case LinkError::Unsupported:
    return "unsupported";
  case LinkError::Gone:
    return "gone";
  case LinkError::TimedOut:
    return "timed out";
  case LinkError::Refused:
    return "connection refused";
  case LinkError::AddressNotAllowed:
    return "address not allowed";
  }
  return "unknown";
}

namespace {
std::string fixFor(const LinkFailure& f) {
  switch (f.error) {
  case LinkError::NotFound:
    return "check the cable, the power and the port or address given";
  case LinkError::PermissionDenied:
    if (f.where.rfind("/dev/tty", 0) == 0 || f.where.rfind("/dev/rfcomm", 0) == 0)
      return "add yourself to the dialout group (sudo usermod -aG dialout $USER) and log in "
             "again";
    return "install the udev rule (scripts/setup.sh) and plug the device in again";
  case LinkError::Busy:
    return f.holderPid > 0 ? "another program (PID " + std::to_string(f.holderPid) +
                                 ") holds it; close that program"
                           : "another program holds it; close that program";
  case LinkError::NotSerialDevice:
    return "give a serial port (/dev/ttyUSB0, /dev/ttyACM0, /dev/rfcomm0)";
  case LinkError::Unsupported:
    return "choose another baud rate";
  case LinkError::Gone:
    return "check the cable or the network; the link is looked for again";
  case LinkError::TimedOut:
    return "check that the device is switched on and on this port";
  case LinkError::Refused:
    return "check the module's address and TCP port";
  case LinkError::AddressNotAllowed:
    return "KV816_LOOPBACK_ONLY is set; use a 127.x.x.x address or unset it";
  default:
    return {};
  }
}
} // namespace

std::string describeLinkFailure(const LinkFailure& failure) {
  std::string text = failure.where.empty() ? linkErrorName(failure.error)
                                           : failure.where + ": " + linkErrorName(failure.error);
  if (const std::string fix = fixFor(failure); !fix.empty())
    text += " (" + fix + ")";
  return text;
}

} // namespace kv816
