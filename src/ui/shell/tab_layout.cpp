#include "ui/shell/tab_layout.h"

#include "model/link_groups.h"

namespace kv816 {

int tabCount(int ioMode) {
  const ActiveChannels shown = activeChannelsOf(ioMode);
  return 3 + 2 * shown.inputs + shown.outputs;
}

int pageOfTab(int tab, int ioMode) {
  const ActiveChannels shown = activeChannelsOf(ioMode);
  const int inputs = shown.inputs;
  if (tab < 0 || tab >= tabCount(ioMode))
    return -1;
  if (tab < 3 + inputs)
    return tab; // home, gain, delay and the graphic EQ tabs
  if (tab < 3 + 2 * inputs)
    return PAGE_INPUT_FIRST + (tab - 3 - inputs);
  return PAGE_OUTPUT_FIRST + (tab - 3 - 2 * inputs);
}

int tabOfPage(int page, int ioMode) {
  const ActiveChannels shown = activeChannelsOf(ioMode);
  const int inputs = shown.inputs;
  if (page >= 0 && page < PAGE_GEQ_FIRST)
    return page;
  if (page >= PAGE_GEQ_FIRST && page < PAGE_GEQ_FIRST + inputs)
    return page;
  if (page >= PAGE_INPUT_FIRST && page < PAGE_INPUT_FIRST + inputs)
    return 3 + inputs + (page - PAGE_INPUT_FIRST);
  if (page >= PAGE_OUTPUT_FIRST && page < PAGE_OUTPUT_FIRST + shown.outputs)
    return 3 + 2 * inputs + (page - PAGE_OUTPUT_FIRST);
  return -1;
}

} // namespace kv816
