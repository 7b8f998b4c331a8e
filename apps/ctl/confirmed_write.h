#pragma once
// The one way kv816ctl changes values on the device: write, wait for the device's echoes,
// then read the entries back. Only values the device now holds count as set.

#include <vector>

#include "ctl/connection.h"
#include "edit/edit_group.h"

namespace kv816 {

// Prints "name = value" for every entry as the device now holds it when `printEach`, and
// on stderr each entry the device holds with another value. Returns EXIT_OK when the
// device holds every value, EXIT_LINK otherwise (no confirmation in time, or a different
// value kept).
int writeConfirmed(DeviceConnection& device, const std::vector<ParameterEdit>& edits,
                   bool printEach);

} // namespace kv816
