#pragma once
// Text that follows the window's scale as the controls do (the graph's axis labels use the
// same limits): held between 0.75 and 1.3 of its design size, so it stays readable in a
// 960 x 660 window and does not crowd its box at 1600 x 1200. GUI thread only.

#include <QFont>
#include <QFontMetrics>

#include <algorithm>

namespace kv816 {

inline constexpr int TITLE_DESIGN_PIXELS = 12;
// A caption steps down no further than this to fit its button.
inline constexpr int SMALLEST_CAPTION_PIXELS = 6;
// Room a button's frame and focus ring take from its caption's width.
inline constexpr int CAPTION_MARGIN = 4;

inline int scaledTextPixels(int designPixels, double scale) {
  return std::max(1, static_cast<int>(designPixels * std::clamp(scale, 0.75, 1.3)));
}

// `font` at the scaled size of `designPixels`.
inline QFont scaledFont(QFont font, int designPixels, double scale) {
  font.setPixelSize(scaledTextPixels(designPixels, scale));
  return font;
}

// `font` at the title size for `scale`, smaller where a language's caption would not fit its
// button, so a row of buttons keeps one size.
template <typename Buttons>
QFont fittedCaptionFont(QFont font, double scale, const Buttons& buttons) {
  font.setPixelSize(scaledTextPixels(TITLE_DESIGN_PIXELS, scale));
  for (const auto* button : buttons)
    while (font.pixelSize() > SMALLEST_CAPTION_PIXELS &&
           QFontMetrics(font).horizontalAdvance(button->text()) > button->width() - CAPTION_MARGIN)
      font.setPixelSize(font.pixelSize() - 1);
  return font;
}

} // namespace kv816
