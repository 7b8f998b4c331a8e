#pragma once
// A frequency response measured in a room or on a loudspeaker: REW's text export ('*'
// comment lines, then frequency, SPL and optionally phase) or an .frd file. Parsing is
// strict: a file that cannot be read completely is refused with the line at fault, so
// that nothing is drawn from half a file. Pure functions; any thread.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kv816 {

inline constexpr size_t MEASUREMENT_MAX_BYTES = 10u << 20;
inline constexpr size_t MEASUREMENT_MIN_POINTS = 10;

struct Measurement {
  std::vector<double> frequencies; // Hz, above 0, strictly rising
  std::vector<double> levels;      // dB
  std::vector<double> phases;      // degrees; empty when the file has no phase column
};

struct MeasurementRead {
  Measurement measurement; // the file's points when error is empty
  std::string error;       // "line 12: ..." or a message about the whole file
};

// Data lines hold two or three numbers separated by blanks, tabs, commas or semicolons,
// every line the same count. Blank lines and lines starting with '*', '#', ';' or '"' are
// comments. Refused: more than MEASUREMENT_MAX_BYTES, a line that is not numbers, NaN or
// infinity, a frequency not above 0, frequencies not strictly rising, fewer than
// MEASUREMENT_MIN_POINTS points.
MeasurementRead parseMeasurement(std::string_view text);

// parseMeasurement of a file's contents; the size is checked before the file is read.
MeasurementRead readMeasurementFile(const std::string& path);

// The level at `frequency`, interpolated linearly over log frequency between the two
// nearest points; NaN outside the measured range or for an empty measurement.
double measuredLevelAt(const Measurement& measurement, double frequency);

} // namespace kv816
