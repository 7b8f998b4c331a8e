#pragma once
// Link groups and the active channel counts of an I/O mode.
// Pure functions; any thread.

#include <cstdint>

namespace kv816 {

// How many inputs and outputs an I/O mode shows: modes 0..3 are 2In4Out, 2In6Out,
// 4In6Out and 4In8Out; any other value shows all four inputs and eight outputs.
struct ActiveChannels {
  int inputs = 4;
  int outputs = 8;
  bool operator==(const ActiveChannels&) const = default;
};
ActiveChannels activeChannelsOf(int ioMode);

// True when channel (0..11) is shown in the given counts.
bool isActiveChannel(int channel, ActiveChannels active);

// Group number of a LinkMask: a single bit 1 << g (g = 1..7) gives g, anything else
// (1, 0, several bits) gives 0; the result is reduced modulo the active count of the
// channel's kind. An active count of 0 or less gives 0.
int groupOfMask(int32_t mask, int activeCount);

// The LinkMask that puts a channel into group g.
constexpr int32_t maskOfGroup(int group) {
  return int32_t{1} << group;
}

} // namespace kv816
