#include "ui/shell/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kv816 {

namespace {

// Drawn on a 64-unit square: a dark rounded tile, eight output bars and a signal wave.
QPixmap paintIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 64.0, size / 64.0);
  QLinearGradient tile(0, 0, 0, 64);
  tile.setColorAt(0, QColor(0x2f, 0x36, 0x40));
  tile.setColorAt(1, QColor(0x14, 0x18, 0x1d));
  painter.setPen(Qt::NoPen);
  painter.setBrush(tile);
  painter.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
  static constexpr int BARS[8] = {18, 30, 24, 38, 28, 34, 20, 26};
  for (int i = 0; i < 8; ++i) {
    painter.setBrush(i < 4 ? QColor(0x3d, 0x8b, 0xd9) : QColor(0x4c, 0xd9, 0x64));
    painter.drawRoundedRect(QRectF(9 + i * 6, 54 - BARS[i], 4, BARS[i]), 1.5, 1.5);
  }
  QPainterPath wave;
  wave.moveTo(8, 22);
  wave.cubicTo(18, 6, 26, 38, 34, 20);
  wave.cubicTo(42, 4, 50, 30, 56, 14);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(0xff, 0xa5, 0x1f), 3.5, Qt::SolidLine, Qt::RoundCap));
  painter.drawPath(wave);
  return pixmap;
}

} // namespace

QIcon applicationIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256})
    icon.addPixmap(paintIcon(size));
  return icon;
}

} // namespace kv816
