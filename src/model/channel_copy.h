#pragma once
// Whole-block copies between channels of one kind: link propagation and channel copy.
//
// Both copy only the channel block (offsets 0..169 of an input, 0..52 of an output), entry
// by entry at equal offsets, through ParameterTable::copyIfChanged: equal entries stay
// unmarked, changed ones are marked to send. NoiseGate, LinkMask and Routing lie outside
// the blocks and are never copied. Neither posts anything; each returns the indexes it
// changed, in ascending order, so the caller can tell whatever shows them.
// Call on the thread that edits the table (the GUI thread).

#include <array>
#include <vector>

#include "model/channel_layout.h"
#include "model/link_groups.h"
#include "model/parameter_table.h"

namespace kv816 {

// The link group of every channel (0..11), as the home page's link lists hold them.
using LinkGroups = std::array<int, CHANNEL_COUNT>;

// Groups decoded from the LinkMask entries with groupOfMask and the active counts.
LinkGroups linkGroupsFromTable(const ParameterTable& table, ActiveChannels active);

// Copies the source channel's block to every other active channel of its kind whose group
// equals the source's. A source that is not active, or not a channel, copies nothing.
std::vector<int> propagateLink(ParameterTable& table, int source, ActiveChannels active,
                               const LinkGroups& groups);
// Same, with the groups decoded from the table's LinkMask entries.
std::vector<int> propagateLink(ParameterTable& table, int source, ActiveChannels active);

// Copies the whole block of `from` onto `to`. Nothing happens (empty result) when the two
// are the same channel, of different kinds, or not channels.
std::vector<int> copyChannel(ParameterTable& table, int from, int to);

} // namespace kv816
