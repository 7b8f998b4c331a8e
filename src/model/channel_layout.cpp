#include "model/channel_layout.h"

#include <array>

namespace kv816 {

namespace {

// Offset of each function relative to the block start; the band-0 offset for band
// functions. Header entries sit in front of the block, hence the negative offsets.
constexpr int NO_OFFSET = -1000;
using OffsetTable = std::array<int, CHANNEL_FUNCTION_COUNT>;

constexpr OffsetTable INPUT_OFFSETS = {
    0,         1,         2,         3,         // Mute, Phase, Gain, Delay
    4,         5,                               // GeqBypass, PeqBypass
    6,         7,         8,         9,         // Geq type, freq, gain, Q of band 0
    130,       131,       132,       133,       // Peq type, freq, gain, Q of band 0
    NO_OFFSET, NO_OFFSET, NO_OFFSET, NO_OFFSET, // compressor
    NO_OFFSET, NO_OFFSET, NO_OFFSET, NO_OFFSET, // crossover
    -2,        -1,        NO_OFFSET,            // NoiseGate, LinkMask, Routing
};

constexpr OffsetTable OUTPUT_OFFSETS = {
    0,         1,         2,         3,         // Mute, Phase, Gain, Delay
    NO_OFFSET, 8,                               // GeqBypass, PeqBypass
    NO_OFFSET, NO_OFFSET, NO_OFFSET, NO_OFFSET, // graphic EQ
    13,        14,        15,        16,        // Peq type, freq, gain, Q of band 0
    4,         5,         6,         7,         // Ratio, Attack, Release, Threshold
    9,         10,        11,        12,        // HpfType, HpfFreq, LpfType, LpfFreq
    NO_OFFSET, -1,        NO_OFFSET,            // NoiseGate, LinkMask, Routing (not in a block)
};

constexpr int INPUT_GEQ_FIRST = 6;
constexpr int INPUT_PEQ_FIRST = 130;
constexpr int OUTPUT_PEQ_FIRST = 13;

constexpr ChannelFunction GEQ_FIELDS[BAND_STRIDE] = {
    ChannelFunction::GeqType, ChannelFunction::GeqFreq, ChannelFunction::GeqGain,
    ChannelFunction::GeqQ};
constexpr ChannelFunction PEQ_FIELDS[BAND_STRIDE] = {
    ChannelFunction::PeqType, ChannelFunction::PeqFreq, ChannelFunction::PeqGain,
    ChannelFunction::PeqQ};

const OffsetTable& offsetsOf(int channel) {
  return isInput(channel) ? INPUT_OFFSETS : OUTPUT_OFFSETS;
}

// The scalar (non-band) function at a block offset, from the kind's offset table.
IndexLocation scalarAt(int channel, int offset) {
  const OffsetTable& offsets = offsetsOf(channel);
  for (int f = 0; f < CHANNEL_FUNCTION_COUNT; ++f) {
    const auto function = static_cast<ChannelFunction>(f);
    if (offsets[f] == offset && bandCountOf(function) == 1)
      return {channel, function, 0};
  }
  return {};
}

// A block offset of a channel: a band field when it falls in a band range, else a scalar.
IndexLocation locateOffset(int channel, int offset) {
  const bool input = isInput(channel);
  const int peqFirst = input ? INPUT_PEQ_FIRST : OUTPUT_PEQ_FIRST;
  if (offset >= peqFirst) {
    const int r = offset - peqFirst;
    return {channel, PEQ_FIELDS[r % BAND_STRIDE], r / BAND_STRIDE};
  }
  if (input && offset >= INPUT_GEQ_FIRST) {
    const int r = offset - INPUT_GEQ_FIRST;
    return {channel, GEQ_FIELDS[r % BAND_STRIDE], r / BAND_STRIDE};
  }
  return scalarAt(channel, offset);
}

} // namespace

bool isGraphicBandFunction(ChannelFunction function) {
  return function >= ChannelFunction::GeqType && function <= ChannelFunction::GeqQ;
}

bool isParametricBandFunction(ChannelFunction function) {
  return function >= ChannelFunction::PeqType && function <= ChannelFunction::PeqQ;
}

int bandCountOf(ChannelFunction function) {
  if (isGraphicBandFunction(function))
    return GEQ_BAND_COUNT;
  if (isParametricBandFunction(function))
    return PEQ_BAND_COUNT;
  return 1;
}

int blockStart(int channel) {
  if (isInput(channel))
    return IDX_INPUT_FIRST + 2 + INPUT_STRIDE * channel;
  if (isOutput(channel))
    return IDX_OUTPUT_FIRST + 1 + OUTPUT_STRIDE * (channel - INPUT_COUNT);
  return -1;
}

int blockSize(int channel) {
  if (isInput(channel))
    return INPUT_BLOCK_SIZE;
  return isOutput(channel) ? OUTPUT_BLOCK_SIZE : 0;
}

int blockEnd(int channel) {
  return isValidChannel(channel) ? blockStart(channel) + blockSize(channel) - 1 : -1;
}

int indexOf(ChannelFunction function, int channel, int band) {
  const int f = static_cast<int>(function);
  if (!isValidChannel(channel) || f < 0 || f >= CHANNEL_FUNCTION_COUNT)
    return IDX_NONE;
  if (function == ChannelFunction::Routing)
    return isOutput(channel) ? IDX_ROUTING_FIRST + channel - INPUT_COUNT : IDX_NONE;
  const int offset = offsetsOf(channel)[f];
  if (offset == NO_OFFSET)
    return IDX_NONE;
  const int bands = bandCountOf(function);
  if (bands == 1)
    return blockStart(channel) + offset;
  if (band < 0 || band >= bands)
    return IDX_NONE;
  return blockStart(channel) + offset + BAND_STRIDE * band;
}

IndexLocation locateIndex(int index) {
  if (index >= IDX_INPUT_FIRST && index < IDX_ROUTING_FIRST) {
    const int channel = (index - IDX_INPUT_FIRST) / INPUT_STRIDE;
    const int r = (index - IDX_INPUT_FIRST) % INPUT_STRIDE;
    if (r == 0)
      return {channel, ChannelFunction::NoiseGate, 0};
    if (r == 1)
      return {channel, ChannelFunction::LinkMask, 0};
    return locateOffset(channel, r - 2);
  }
  if (index >= IDX_ROUTING_FIRST && index < IDX_OUTPUT_FIRST)
    return {INPUT_COUNT + index - IDX_ROUTING_FIRST, ChannelFunction::Routing, 0};
  if (index >= IDX_OUTPUT_FIRST && index <= IDX_CHANNELS_LAST) {
    const int channel = INPUT_COUNT + (index - IDX_OUTPUT_FIRST) / OUTPUT_STRIDE;
    const int r = (index - IDX_OUTPUT_FIRST) % OUTPUT_STRIDE;
    if (r == 0)
      return {channel, ChannelFunction::LinkMask, 0};
    return locateOffset(channel, r - 1);
  }
  return {};
}

} // namespace kv816
