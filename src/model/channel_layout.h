#pragma once
// Where every channel setting lives in the parameter table, and what an index means.
//
// Channels are numbered 0..11: 0..3 are inputs A..D, 4..11 are outputs 1..8. Each channel
// owns one contiguous block; inputs have two header entries in front of it (NoiseGate,
// LinkMask), outputs one (LinkMask), and each output's Routing word sits in a run of eight
// before the first output header. All functions are pure and may be called from any thread.

#include <cstdint>

namespace kv816 {

inline constexpr int INPUT_COUNT = 4;
inline constexpr int OUTPUT_COUNT = 8;
inline constexpr int CHANNEL_COUNT = INPUT_COUNT + OUTPUT_COUNT;

inline constexpr int GEQ_BAND_COUNT = 31;
inline constexpr int PEQ_BAND_COUNT = 10;
// Every band is four entries in the order type, frequency, gain, Q.
inline constexpr int BAND_STRIDE = 4;

inline constexpr int INPUT_BLOCK_SIZE = 170;
inline constexpr int OUTPUT_BLOCK_SIZE = 53;
// Block plus header entries: the distance between two channels of a kind.
inline constexpr int INPUT_STRIDE = 172;
inline constexpr int OUTPUT_STRIDE = 54;

inline constexpr int IDX_INPUT_FIRST = 19;    // NoiseGate of input A
inline constexpr int IDX_ROUTING_FIRST = 707; // Routing of output 1
inline constexpr int IDX_OUTPUT_FIRST = 715;  // LinkMask of output 1
inline constexpr int IDX_CHANNELS_LAST = 1146;
// The index a channel's missing function maps to. It is a real table entry (default 0):
// callers must test for it before they read or write.
inline constexpr int IDX_NONE = 1147;

enum class ChannelFunction : uint8_t {
  Mute,
  Phase,
  Gain,
  Delay,
  GeqBypass,
  PeqBypass,
  GeqType,
  GeqFreq,
  GeqGain,
  GeqQ,
  PeqType,
  PeqFreq,
  PeqGain,
  PeqQ,
  Ratio,
  Attack,
  Release,
  Threshold,
  HpfType,
  HpfFreq,
  LpfType,
  LpfFreq,
  NoiseGate,
  LinkMask,
  Routing,
};
inline constexpr int CHANNEL_FUNCTION_COUNT = static_cast<int>(ChannelFunction::Routing) + 1;

constexpr bool isValidChannel(int channel) {
  return channel >= 0 && channel < CHANNEL_COUNT;
}
constexpr bool isInput(int channel) {
  return channel >= 0 && channel < INPUT_COUNT;
}
constexpr bool isOutput(int channel) {
  return channel >= INPUT_COUNT && channel < CHANNEL_COUNT;
}

// True for the graphic (Geq*) and parametric (Peq* except PeqBypass) band functions.
bool isGraphicBandFunction(ChannelFunction function);
bool isParametricBandFunction(ChannelFunction function);
// Number of bands a function has: 31, 10, or 1 for a per-channel function.
int bandCountOf(ChannelFunction function);

// The parameter index of a function of a channel. `band` is 0..30 for graphic functions,
// 0..9 for parametric ones and ignored otherwise. Returns IDX_NONE when the channel kind
// lacks the function, and also for a channel or band out of range.
int indexOf(ChannelFunction function, int channel, int band = 0);

// First and last index of a channel block (headers and Routing excluded); -1 for a bad
// channel.
int blockStart(int channel);
int blockEnd(int channel);
// Number of entries in the channel's block: 170 for an input, 53 for an output, 0 otherwise.
int blockSize(int channel);

// What an index is. `channel` is -1 for a global index (0..18, 1147..1174) and for indexes
// outside the table; `function` and `band` are then meaningless (Mute, 0).
struct IndexLocation {
  int channel = -1;
  ChannelFunction function = ChannelFunction::Mute;
  int band = 0;

  bool isGlobal() const { return channel < 0; }
  bool operator==(const IndexLocation&) const = default;
};

IndexLocation locateIndex(int index);

} // namespace kv816
