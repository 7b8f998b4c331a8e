#include "model/link_groups.h"

#include "model/channel_layout.h"

namespace kv816 {

ActiveChannels activeChannelsOf(int ioMode) {
  switch (ioMode) {
  case 0:
    return {2, 4};
  case 1:
    return {2, 6};
  case 2:
    return {4, 6};
  default:
    return {4, 8};
  }
}

bool isActiveChannel(int channel, ActiveChannels active) {
  if (isInput(channel))
    return channel < active.inputs;
  if (isOutput(channel))
    return channel - INPUT_COUNT < active.outputs;
  return false;
}

int groupOfMask(int32_t mask, int activeCount) {
  if (activeCount <= 0)
    return 0;
  int group = 0;
  for (int g = 1; g <= 7; ++g) {
    if (mask == maskOfGroup(g))
      group = g;
  }
  return group % activeCount;
}

} // namespace kv816
