#include "link/transports/hid_open_failure.h"

#include <unistd.h>

namespace kv816 {

// The node's permissions (the udev rule) decide who may open a hidraw device.
LinkError hidOpenFailure(const std::string& path) {
  return ::access(path.c_str(), R_OK | W_OK) == 0 ? LinkError::Busy : LinkError::PermissionDenied;
}

} // namespace kv816
