#pragma once
// The few colours and shapes every skinned control is painted from. Controls draw vectors
// with QPainter, so they stay crisp at any window scale and device pixel ratio.

#include <QColor>
#include <QGuiApplication>
#include <QPalette>
#include <Qt>

namespace kv816 {

// Light colours while the application palette is light, their dark counterparts while it
// is dark (the Appearance setting), so the painted controls match the Fusion widgets.
struct SkinPalette {
  static bool dark() {
    return QGuiApplication::palette().color(QPalette::Window).lightness() < 128;
  }
  static QColor face() { return dark() ? QColor(0x3c, 0x40, 0x46) : QColor(0xe8, 0xea, 0xed); }
  static QColor faceOn() { return QColor(0x3d, 0x8b, 0xd9); }
  static QColor faceDisabled() {
    return dark() ? QColor(0x2c, 0x2f, 0x33) : QColor(0xd4, 0xd6, 0xd9);
  }
  // The unfilled track of a fader.
  static QColor groove() { return dark() ? QColor(0x55, 0x59, 0x60) : QColor(0xd4, 0xd6, 0xd9); }
  static QColor border() { return dark() ? QColor(0x6a, 0x70, 0x79) : QColor(0x8a, 0x90, 0x99); }
  static QColor hover() { return QColor(0xff, 0xa5, 0x1f); }
  static QColor text() { return dark() ? QColor(0xe8, 0xe8, 0xe8) : QColor(0, 0, 0); }
  static QColor comboText() { return dark() ? QColor(0xd0, 0xd0, 0xd0) : QColor(0x52, 0x52, 0x52); }
  static QColor textDisabled() { return QColor(0x90, 0x90, 0x90); }
  // The background and text of value fields and lists.
  static QColor field() { return dark() ? QColor(0x23, 0x26, 0x2a) : QColor(Qt::white); }
  static QColor fieldText() { return text(); }
  // A field flashes in it when its text could not be read; a muted channel lights in it.
  static QColor warning() { return QColor(0xf2, 0x8b, 0x82); }
  static QColor muteOn() { return QColor(0xd9, 0x30, 0x25); }
  static constexpr double CORNER_RADIUS = 4.0;
};

// The layout flags of button and label texts, as the pages set them.
enum SkinTextFlag : int {
  TEXT_CENTER = 0x01,      // centre horizontally
  TEXT_RIGHT = 0x02,       // align right
  TEXT_VCENTER = 0x04,     // centre vertically
  TEXT_BOTTOM = 0x08,      // align bottom
  TEXT_SINGLE_LINE = 0x20, // one line, placed by the vertical flags
};

// Qt alignment (plus Qt::TextSingleLine or Qt::TextWordWrap) for a set of layout flags.
inline int skinTextAlignment(int flags) {
  int align = (flags & TEXT_CENTER)  ? Qt::AlignHCenter
              : (flags & TEXT_RIGHT) ? Qt::AlignRight
                                     : Qt::AlignLeft;
  align |= (flags & TEXT_VCENTER)  ? Qt::AlignVCenter
           : (flags & TEXT_BOTTOM) ? Qt::AlignBottom
                                   : Qt::AlignTop;
  align |= (flags & TEXT_SINGLE_LINE) ? Qt::TextSingleLine : Qt::TextWordWrap;
  return align;
}

} // namespace kv816
