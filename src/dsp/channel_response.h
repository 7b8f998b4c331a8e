#pragma once
// The magnitude response of one channel in engineering units, read from the parameter
// table: an output's crossover and parametric bands, an input's parametric bands, or an
// input's graphic equaliser. Channel gain, polarity, mute and delay are not part of it.
//
// The settings are read as the channel page and the graphic EQ page hand them to their
// graphs (frequencies clamped to each point's range, Q snapped to QTable, a shelf's Q
// capped at 2, the graphic bands at Q 11.3), but band gains are taken exactly from their
// words rather than through a pixel row. Callable from any thread; it reads the table
// with relaxed loads, so a concurrent edit may or may not be seen.

#include <span>
#include <vector>

#include "model/parameter_table.h"

namespace kv816 {

// Frequency ranges of the channel page's points; the maxima also decide the off rule.
inline constexpr double HIGH_PASS_MIN = 19.0;
inline constexpr double HIGH_PASS_MAX = 20000.0;
inline constexpr double LOW_PASS_MIN = 20.0;
inline constexpr double LOW_PASS_MAX = 20001.0;
inline constexpr double BAND_FREQ_MIN = 20.0;
inline constexpr double BAND_FREQ_MAX = 20000.0;

enum class ResponseView {
  Channel,   // crossover (outputs) and parametric bands, as on the channel page
  GraphicEq, // the 31 graphic bands of an input, as on the graphic EQ page
};

enum class ResponseStatus {
  Ok,
  NoSuchChannel, // channel outside 0..11
  NoGraphicEq,   // GraphicEq asked of an output
};

struct ResponseFilter {
  enum class Kind { HighPass, LowPass, Band };
  Kind kind = Kind::Band;
  int band = 0;               // 0-based band number (Band)
  int code = 0;               // FilterCode (HighPass, LowPass) or BandType (Band)
  double frequency = 0.0;     // Hz, after clamping to the point's range
  double gainDb = 0.0;        // Band
  double q = 0.0;             // Band, as evaluated (before the shelf cap)
  bool slope12 = false;       // Band: the "12dB" shelf slope bit of its Q word
  std::vector<double> levels; // dB at each requested frequency
};

struct ChannelResponse {
  std::vector<double> total; // dB at each requested frequency, the sum of the filters
  // Only the filters that shape the response: crossover filters that are not off and have
  // sections, and bands that are not of type 0 with a gain other than 0 dB, none while
  // the equaliser is bypassed. In table order: high-pass, low-pass, bands.
  std::vector<ResponseFilter> filters;
};

// Fills `out` for `channel` (0..3 inputs A-D, 4..11 outputs 1-8) at each of `frequencies`
// (Hz). `out` is left empty on failure.
ResponseStatus computeChannelResponse(const ParameterTable& table, int channel, ResponseView view,
                                      std::span<const double> frequencies, ChannelResponse& out);

// The level in dB of one filter at one frequency (Hz).
double filterLevel(const ResponseFilter& filter, double frequency);

} // namespace kv816
