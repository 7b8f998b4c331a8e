#include "ui/shell/parameter_routes.h"

#include <gtest/gtest.h>

#include <vector>

namespace kv816 {
namespace {

using S = PageSlot;
using K = RouteKind;
using V = ValuePart;

std::vector<Route> routes(int index) {
  const RouteList list = routesOf(index);
  return {list.begin(), list.end()};
}

Route code(S slot, int c, int page = -1) {
  return {slot, K::Code, c, page};
}
Route shownOnly(S slot, int c, int page) {
  return {slot, K::Code, c, page, V::Whole, true};
}

TEST(ParameterRoutes, ChannelIndexesReachTheirPageAndCode) {
  struct Case {
    int index;
    std::vector<Route> expected;
  };
  const std::vector<Case> cases = {
      {20, {code(S::Home, 8)}},
      {20 + 172 * 3, {code(S::Home, 11)}},
      {21 + 172, {code(S::Gain, 1)}},
      {22 + 172 * 2, {code(S::Gain, 14)}},
      {23, {code(S::Gain, 24)}},
      {24 + 172, {code(S::Delay, 1), code(S::Input, 124, 8)}},
      {25 + 172 * 2, {shownOnly(S::Geq, 124, 5)}},
      {26, {{S::Input, K::Graph, 0, 7, V::LowByte, true}}},
      {27 + 4 * 30, {shownOnly(S::Geq, 30, 3)}},
      {28 + 172 + 4 * 2, {shownOnly(S::Geq, 33, 4)}},
      {29 + 4 * 5, {shownOnly(S::Geq, 98, 3)}},
      {30 + 4 * 5, {}}, // the band's fourth entry is not shown
      {151 + 172 * 3 + 4 * 9, {code(S::Input, 9, 10)}},
      {152, {code(S::Input, 31, 7)}},
      {153 + 4, {code(S::Input, 94, 7)}},
      {154 + 172 + 4 * 9, {code(S::Input, 71, 8)}},
      {19, {}}, // noise gate
      {707, {code(S::Home, 0)}},
      {714, {code(S::Home, 7)}},
      {715 + 54 * 7, {code(S::Home, 19)}},
      {716 + 54, {code(S::Gain, 5)}},
      {717, {code(S::Gain, 16)}},
      {718 + 54 * 7, {code(S::Gain, 35)}},
      {719 + 54 * 2, {code(S::Delay, 6), code(S::Output, 124, 13)}},
      {720, {code(S::Output, 138, 11)}},
      {721, {code(S::Output, 136, 11)}},
      {722, {code(S::Output, 137, 11)}},
      {723, {code(S::Output, 135, 11)}},
      {724 + 54, {{S::Output, K::Graph, 0, 12, V::LowByte, true}}},
      {725, {code(S::Output, 130, 11)}},
      {726, {code(S::Output, 129, 11)}},
      {727, {code(S::Output, 133, 11)}},
      {728 + 54 * 7, {code(S::Output, 132, 18)}},
      {729 + 54 * 7 + 4 * 9, {code(S::Output, 9, 18)}},
      {730, {code(S::Output, 31, 11)}},
      {731 + 54 + 4 * 3, {code(S::Output, 96, 12)}},
      {732, {code(S::Output, 62, 11)}},
      {0, {}},
      {1147, {}},
      {1166, {}},
      {-1, {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(routes(c.index), c.expected) << "index " << c.index;
}

TEST(ParameterRoutes, MeterWordsFeedTheGainPageAndTheChannelPages) {
  const std::vector<Route> first = {
      {S::Gain, K::Code, 36, -1, V::LowByte},
      {S::Gain, K::Code, 37, -1, V::HighByte},
      {S::Input, K::InputMeter, 0, 7, V::LowByte, true},
      {S::Input, K::InputMeter, 0, 8, V::HighByte, true},
  };
  EXPECT_EQ(routes(3), first);
  const std::vector<Route> second = {
      {S::Gain, K::Code, 38, -1, V::LowByte},
      {S::Gain, K::Code, 39, -1, V::HighByte},
      {S::Input, K::Code, 141, 9, V::LowByte},
      {S::Input, K::Code, 142, 10, V::HighByte},
  };
  EXPECT_EQ(routes(4), second);
  const std::vector<Route> last = {
      {S::Gain, K::Code, 46, -1, V::LowByte},
      {S::Gain, K::Code, 47, -1, V::HighByte},
      {S::Output, K::Code, 149, 17, V::LowByte},
      {S::Output, K::Code, 150, 18, V::HighByte},
  };
  EXPECT_EQ(routes(8), last);
  EXPECT_EQ(routeValue(V::LowByte, 0x3F21), 0x21);
  EXPECT_EQ(routeValue(V::HighByte, 0x3F21), 0x3F);
}

} // namespace
} // namespace kv816
