#include "model/channel_copy.h"

#include <cstddef>

namespace kv816 {

namespace {

bool sameKind(int a, int b) {
  return isInput(a) == isInput(b);
}

void copyBlock(ParameterTable& table, int from, int to, std::vector<int>& changed) {
  const int source = blockStart(from);
  const int target = blockStart(to);
  for (int offset = 0; offset < blockSize(to); ++offset) {
    if (table.copyIfChanged(target + offset, table.value(source + offset)))
      changed.push_back(target + offset);
  }
}

} // namespace

LinkGroups linkGroupsFromTable(const ParameterTable& table, ActiveChannels active) {
  LinkGroups groups{};
  for (int channel = 0; channel < CHANNEL_COUNT; ++channel) {
    const int count = isInput(channel) ? active.inputs : active.outputs;
    groups[static_cast<std::size_t>(channel)] =
        groupOfMask(table.value(indexOf(ChannelFunction::LinkMask, channel)), count);
  }
  return groups;
}

std::vector<int> propagateLink(ParameterTable& table, int source, ActiveChannels active,
                               const LinkGroups& groups) {
  std::vector<int> changed;
  if (!isActiveChannel(source, active))
    return changed;
  const int group = groups[static_cast<std::size_t>(source)];
  for (int channel = 0; channel < CHANNEL_COUNT; ++channel) {
    if (channel == source || !sameKind(channel, source) || !isActiveChannel(channel, active))
      continue;
    if (groups[static_cast<std::size_t>(channel)] == group)
      copyBlock(table, source, channel, changed);
  }
  return changed;
}

std::vector<int> propagateLink(ParameterTable& table, int source, ActiveChannels active) {
  return propagateLink(table, source, active, linkGroupsFromTable(table, active));
}

std::vector<int> copyChannel(ParameterTable& table, int from, int to) {
  std::vector<int> changed;
  if (!isValidChannel(from) || !isValidChannel(to) || from == to || !sameKind(from, to))
    return changed;
  copyBlock(table, from, to, changed);
  return changed;
}

} // namespace kv816
