#pragma once
// The factory-default value of every index, built once from the channel layout.
// Thread-safe: the table is built on first use and never changes afterwards.

#include <array>
#include <cstdint>

#include "model/parameter_table.h"

namespace kv816 {

const std::array<int32_t, PARAM_COUNT>& factoryDefaults();

// Default (nominal) frequencies in hertz of the 31 graphic bands and the 10 parametric
// bands, band 0 first.
inline constexpr std::array<int, 31> GEQ_DEFAULT_FREQUENCIES = {
    20,  25,   32,   40,   50,   63,   80,   100,  125,  160,  200,  250,   315,   400,   500,  630,
    800, 1000, 1300, 1600, 2000, 2500, 3100, 4000, 5000, 6300, 8000, 10000, 13000, 16000, 18000};
inline constexpr std::array<int, 10> PEQ_DEFAULT_FREQUENCIES = {30,   50,   100,  200,   500,
                                                                1000, 2000, 5000, 10000, 15000};

} // namespace kv816
