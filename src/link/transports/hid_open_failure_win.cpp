#include "link/transports/hid_open_failure.h"

namespace kv816 {

// Every user may open a HID device on Windows; a listed device that will not open is held
// by another program.
LinkError hidOpenFailure(const std::string&) {
  return LinkError::Busy;
}

} // namespace kv816
