#pragma once
// The stepped value tables of the scales. Each table is followed by repeats of its last
// value: the pages allow the entry count itself as a control's maximum, and that raw value
// must read the last value again. Immutable; any thread may read them.

#include <array>
#include <span>

namespace kv816 {

inline constexpr int Q_TABLE_COUNT = 101;
inline constexpr int FREQ_TABLE_COUNT = 363;
inline constexpr int ATTACK_TABLE_COUNT = 16;
inline constexpr int RELEASE_TABLE_COUNT = 8;
inline constexpr int RATIO_TABLE_COUNT = 41;

// Indexes of note in QTable.
inline constexpr int Q_INDEX_ONE = 16; // Q 1.0, the initial Q of a parametric band
inline constexpr int Q_INDEX_GEQ = 58; // Q 11.3, the Q of every graphic band
inline constexpr double GEQ_Q = 11.3;

// Entry counts plus the trailing repeats.
extern const std::array<double, Q_TABLE_COUNT + 3> QTable;
extern const std::array<double, FREQ_TABLE_COUNT + 2> FreqTable;
extern const std::array<double, ATTACK_TABLE_COUNT + 1> AttackTable;
extern const std::array<double, RELEASE_TABLE_COUNT + 1> ReleaseTable;
extern const std::array<double, RATIO_TABLE_COUNT + 1> RatioTable;

// For v at or above table[n-1]: n-1. Otherwise the first index i in 1..n-1 with
// v <= table[i]; never 0 (callers map values at or below the first entry to 0 themselves).
// n must be at least 1 and no more than table.size().
int ceilingIndex(std::span<const double> table, int n, double v);

// The first entry of the first n entries not below v (the last entry when there is none).
double ceilingEntry(std::span<const double> table, int n, double v);

} // namespace kv816
