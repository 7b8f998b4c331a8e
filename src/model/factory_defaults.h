#pragma once
// The factory-default value of every index, built once from the channel layout.

#include <array>
#include <cstdint>

#include "model/parameter_table.h"

namespace kv816 {

const std::array<int32_t, PARAM_COUNT>& factoryDefaults();

} // namespace kv816
