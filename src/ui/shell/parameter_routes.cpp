#include "ui/shell/parameter_routes.h"

#include "model/channel_layout.h"
#include "ui/shell/tab_layout.h"

namespace kv816 {

namespace {

constexpr int METER_FIRST = 3;
constexpr int METER_WORDS = 6;

Route code(PageSlot slot, int code, int page = -1) {
  return {slot, RouteKind::Code, code, page};
}

// The meter words carry two channels each: low byte the even one, high byte the odd one.
RouteList meterRoutes(int j) {
  RouteList list;
  list.add({PageSlot::Gain, RouteKind::Code, 36 + 2 * j, -1, ValuePart::LowByte});
  list.add({PageSlot::Gain, RouteKind::Code, 37 + 2 * j, -1, ValuePart::HighByte});
  return list;
}

void addChannelMeters(RouteList& list, int j) {
  if (j == 0) {
    // Inputs A and B: the main window decodes the input page's meter itself.
    list.add(
        {PageSlot::Input, RouteKind::InputMeter, 0, PAGE_INPUT_FIRST, ValuePart::LowByte, true});
    list.add({PageSlot::Input, RouteKind::InputMeter, 0, PAGE_INPUT_FIRST + 1, ValuePart::HighByte,
              true});
    return;
  }
  if (j == 1) {
    list.add({PageSlot::Input, RouteKind::Code, 141, 9, ValuePart::LowByte});
    list.add({PageSlot::Input, RouteKind::Code, 142, 10, ValuePart::HighByte});
    return;
  }
  const int k = j - 2;
  list.add({PageSlot::Output, RouteKind::Code, 143 + 2 * k, 11 + 2 * k, ValuePart::LowByte});
  list.add({PageSlot::Output, RouteKind::Code, 144 + 2 * k, 12 + 2 * k, ValuePart::HighByte});
}

RouteList meterWordRoutes(int j) {
  RouteList list = meterRoutes(j);
  addChannelMeters(list, j);
  return list;
}

RouteList inputRoutes(int i, int offset) {
  RouteList list;
  const int page = PAGE_INPUT_FIRST + i;
  const int geqPage = PAGE_GEQ_FIRST + i;
  switch (offset) {
  case 20:
    list.add(code(PageSlot::Home, 8 + i));
    return list;
  case 21:
  case 22:
  case 23:
    list.add(code(PageSlot::Gain, (offset - 21) * 12 + i));
    return list;
  case 24:
    list.add(code(PageSlot::Delay, i));
    list.add(code(PageSlot::Input, 124, page));
    return list;
  case 25:
    list.add({PageSlot::Geq, RouteKind::Code, 124, geqPage, ValuePart::Whole, true});
    return list;
  case 26:
    list.add({PageSlot::Input, RouteKind::Graph, 0, page, ValuePart::LowByte, true});
    return list;
  default:
    break;
  }
  if (offset >= 27 && offset < 27 + 4 * GEQ_BAND_COUNT) {
    static constexpr int GEQ_CODES[4] = {0, 31, 93, -1};
    const int n = (offset - 27) / 4;
    const int slot = (offset - 27) % 4;
    if (GEQ_CODES[slot] >= 0)
      list.add(
          {PageSlot::Geq, RouteKind::Code, GEQ_CODES[slot] + n, geqPage, ValuePart::Whole, true});
    return list;
  }
  if (offset >= 151 && offset < 151 + 4 * PEQ_BAND_COUNT) {
    static constexpr int PEQ_CODES[4] = {0, 31, 93, 62};
    const int n = (offset - 151) / 4;
    list.add(code(PageSlot::Input, PEQ_CODES[(offset - 151) % 4] + n, page));
  }
  return list;
}

RouteList outputRoutes(int o, int offset) {
  RouteList list;
  const int page = PAGE_OUTPUT_FIRST + o;
  // Offsets 5..13 of an output: strip and compressor controls of the output page.
  static constexpr int STRIP_CODES[13] = {-1,  -1,  -1, -1,  -1,  138, 136,
                                          137, 135, -1, 130, 129, 133};
  switch (offset) {
  case 0:
    list.add(code(PageSlot::Home, 12 + o));
    return list;
  case 1:
  case 2:
  case 3:
    list.add(code(PageSlot::Gain, 4 + o + (offset - 1) * 12));
    return list;
  case 4:
    list.add(code(PageSlot::Delay, 4 + o));
    list.add(code(PageSlot::Output, 124, page));
    return list;
  case 9:
    list.add({PageSlot::Output, RouteKind::Graph, 0, page, ValuePart::LowByte, true});
    return list;
  case 13:
    list.add(code(PageSlot::Output, 132, page));
    return list;
  default:
    break;
  }
  if (offset < 13) {
    if (STRIP_CODES[offset] >= 0)
      list.add(code(PageSlot::Output, STRIP_CODES[offset], page));
    return list;
  }
  if (offset >= 14 && offset < 14 + 4 * PEQ_BAND_COUNT) {
    static constexpr int PEQ_CODES[4] = {0, 31, 93, 62};
    const int n = (offset - 14) / 4;
    list.add(code(PageSlot::Output, PEQ_CODES[(offset - 14) % 4] + n, page));
  }
  return list;
}

} // namespace

RouteList routesOf(int index) {
  if (index >= METER_FIRST && index < METER_FIRST + METER_WORDS)
    return meterWordRoutes(index - METER_FIRST);
  if (index >= IDX_ROUTING_FIRST && index < IDX_ROUTING_FIRST + OUTPUT_COUNT) {
    RouteList list;
    list.add(code(PageSlot::Home, index - IDX_ROUTING_FIRST));
    return list;
  }
  // Input i spans 19 + 172i (noise gate, not shown here) to 190 + 172i; offsets are
  // counted from 172i so that they read as input A's indexes.
  if (index >= IDX_INPUT_FIRST && index < IDX_ROUTING_FIRST) {
    const int i = (index - IDX_INPUT_FIRST) / INPUT_STRIDE;
    return inputRoutes(i, index - INPUT_STRIDE * i);
  }
  if (index >= IDX_OUTPUT_FIRST && index < IDX_OUTPUT_FIRST + OUTPUT_STRIDE * OUTPUT_COUNT) {
    const int o = (index - IDX_OUTPUT_FIRST) / OUTPUT_STRIDE;
    return outputRoutes(o, (index - IDX_OUTPUT_FIRST) % OUTPUT_STRIDE);
  }
  return {};
}

int routeValue(ValuePart part, int value) {
  switch (part) {
  case ValuePart::LowByte:
    return value & 0xFF;
  case ValuePart::HighByte:
    return (value >> 8) & 0xFF;
  default:
    return value;
  }
}

} // namespace kv816
