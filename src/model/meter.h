#pragma once
// Level meter words: indexes 3..8 carry two channels each, the even channel in the low
// byte and the odd one in the high byte. In a channel's byte bits 0..4 are five level
// steps and bit 5 is the top (clip) flag; bits 6 and 7 are ignored. Pure; any thread.

#include <cstdint>

namespace kv816 {

inline constexpr int METER_LEVEL_STEPS = 5;
inline constexpr int METER_TOP_FLAG = 0x20;
inline constexpr int CHANNEL_PAGE_METER_SEGMENTS = 9;
inline constexpr int GAIN_PAGE_METER_SEGMENTS = 15;

// The meter word index of a channel (0..11), or -1 for a bad channel.
int meterWordIndex(int channel);
// The channel's byte out of its meter word's value.
int meterByteOf(int32_t word, int channel);

// Segment mask for a meter of `segments` segments (2..32): the lowest
// L x (segments - 1) / 5 segments are lit, L being the number of level steps set, and the
// top segment (bit segments - 1) only when the top flag is set. 0 for a bad segment count.
uint32_t meterSegments(int channelByte, int segments);

} // namespace kv816
