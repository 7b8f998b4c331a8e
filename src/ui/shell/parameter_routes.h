#pragma once
// Where the main window sends a changed parameter: the page, the page's update code and
// the part of the value it takes. Pure; any thread.
//
// The codes are the pages' own update codes. Channel pages (input, output) receive the
// page number of the channel the value belongs to and apply it only while they show that
// channel; graphic-EQ codes, graph redraws and the input page's computed meter are sent
// only while the page shows `pageNumber` (onlyWhileShown).

#include <array>

namespace kv816 {

enum class PageSlot : int { Home = 0, Gain, Delay, Geq, Input, Output };
inline constexpr int PAGE_SLOT_COUNT = 6;

enum class RouteKind : int {
  Code,       // applyCode(code, value, pageNumber)
  Graph,      // redraw the response graph with the value's low byte
  InputMeter, // the input page's meter of input A or B, decoded by the main window
};

enum class ValuePart : int { Whole, LowByte, HighByte };

struct Route {
  PageSlot slot = PageSlot::Home;
  RouteKind kind = RouteKind::Code;
  int code = 0;
  int pageNumber = -1; // -1: not tied to a channel view
  ValuePart part = ValuePart::Whole;
  bool onlyWhileShown = false;

  bool operator==(const Route&) const = default;
};

struct RouteList {
  std::array<Route, 4> items{};
  int count = 0;

  void add(const Route& route) { items[count++] = route; }
  const Route* begin() const { return items.data(); }
  const Route* end() const { return items.data() + count; }
};

// Every page and code that shows index `index`; empty for an index no page shows.
RouteList routesOf(int index);

// The part of a 16-bit parameter value a route takes.
int routeValue(ValuePart part, int value);

} // namespace kv816
