#pragma once
// Text that follows the window's scale as the controls do (the graph's axis labels use the
// same limits): held between 0.75 and 1.3 of its design size, so it stays readable in a
// 960 x 660 window and does not crowd its box at 1600 x 1200. GUI thread only.

#include <QFont>

#include <algorithm>

namespace kv816 {

inline constexpr int TITLE_DESIGN_PIXELS = 12;

inline int scaledTextPixels(int designPixels, double scale) {
  return std::max(1, static_cast<int>(designPixels * std::clamp(scale, 0.75, 1.3)));
}

// `font` at the scaled size of `designPixels`.
inline QFont scaledFont(QFont font, int designPixels, double scale) {
  font.setPixelSize(scaledTextPixels(designPixels, scale));
  return font;
}

} // namespace kv816
