#pragma once
// Why a HID device the system lists could not be opened: this user's rights to it, or
// another program holding it. Any thread.

#include <string>

#include "link/link_failure.h"

namespace kv816 {

// PermissionDenied when this user may not open the device at `path`, else Busy.
LinkError hidOpenFailure(const std::string& path);

} // namespace kv816
