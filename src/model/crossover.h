#pragma once
// Crossover type codes (HpfType, LpfType) and their positions in the type list.
// A high-pass code is even; the matching low-pass code is that code plus one.

#include <array>
#include <cstdint>

namespace kv816 {

inline constexpr int CROSSOVER_TYPE_COUNT = 10;

// High-pass code at each list position: Bessel 12/18/24, Butterworth 12/18/24,
// Linkwitz-Riley 12/24/36/48 dB per octave.
inline constexpr std::array<int, CROSSOVER_TYPE_COUNT> CROSSOVER_HIGH_PASS_CODES = {
    10, 16, 22, 8, 14, 20, 12, 24, 56, 30};

// The code of a list position for the high-pass (true) or low-pass side; 0 when the
// position is outside the list (no entry selected).
int crossoverCode(int position, bool highPass);

// The list position of a code of either side; a code not in the list shows at position 0.
int crossoverPosition(int32_t code);

} // namespace kv816
