#pragma once
// The arithmetic of the response graph: plot axes, pixel conversions and the magnitude of
// one second-order digital filter section at the 48 kHz sample rate. Pure functions;
// callable from any thread.

namespace kv816 {

inline constexpr double SAMPLE_RATE = 48000.0;
inline constexpr double TWO_PI = 6.28318530717958; // this exact value, as the device's curves use
inline constexpr double GRAPH_FREQ_MIN = 19.0;     // left edge of the plot, Hz
inline constexpr double GRAPH_FREQ_MAX = 20600.0;  // right edge of the plot, Hz
inline constexpr int LEVEL_MAX = 150;              // top of the plot, tenths of a dB
inline constexpr int LEVEL_MIN = -150;             // bottom of the plot, tenths of a dB
inline constexpr double FILTER_OFF_BELOW = 19.7;   // a crossover filter below this is off

// H(z) = (b0 + b1 z^-1 + b2 z^-2) / (1 + a1 z^-1 + a2 z^-2), already divided by a0.
// First-order sections have b2 = a2 = 0.
struct Section {
  double b0 = 1.0;
  double b1 = 0.0;
  double b2 = 0.0;
  double a1 = 0.0;
  double a2 = 0.0;
};

// The frequency a plot column stands for: fmin x 10^(column / width x log10(fmax / fmin)).
// width must be positive.
double columnToFrequency(double column, int width);

// The column of a frequency: trunc(log10(f / fmin) / log10(fmax / fmin) x width).
// A frequency that is not positive gives column 0.
int frequencyToColumn(double frequency, int width);

// Angular frequency of a section evaluation: f x two-pi / sample rate.
double angularFrequency(double frequency);

// Pixel offset of a level in dB from the 0 dB line, positive downward: -dB x height / 30.
double dbToPixels(double db, int plotHeight);

// Pixels from the plot top down to the 0 dB line: trunc(height / 2).
int zeroLineOffset(int plotHeight);

// The gain a band's pixel row stands for, in tenths of a dB, positive meaning cut:
// trunc(row x 300 / (height - 1)). 0 for a plot less than two pixels high.
int gainFromRow(int row, int plotHeight);

// The level of a section in dB at angular frequency w, with the squared magnitude, its
// square root and its logarithm each rounded to single precision, as the graph draws it.
// cosW and sinW are cos(w) and sin(w), so that callers may cache them per column.
// A magnitude of zero reads as the lowest level a float can hold (about -380 dB).
double sectionLevel(const Section& section, double cosW, double sinW);
double sectionLevelAt(const Section& section, double w);

} // namespace kv816
