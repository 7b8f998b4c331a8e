#include "ui/controls/skin_combo_box.h"

#include "ui/controls/skin_palette.h"

#include <QAbstractItemView>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QSignalBlocker>

#include <algorithm>

namespace kv816 {

SkinComboBox::SkinComboBox(int controlId, QWidget* parent)
    : QComboBox(parent), controlId_(controlId) {
  setScale(1.0);
  // `activated` comes only from the user; programmatic changes stay silent.
  connect(this, &QComboBox::activated, this, &SkinComboBox::onActivated);
}

void SkinComboBox::setShownIndex(int index) {
  const QSignalBlocker blocker(this);
  setCurrentIndex(index);
  update();
}

void SkinComboBox::setScale(double scale) {
  scale_ = scale > 0 ? scale : 1.0;
  QFont shown("Arial");
  shown.setPixelSize(std::max(1, int(14 * scale_)));
  setFont(shown);
  QFont list("Arial");
  list.setPixelSize(std::max(1, int(14 * 1.3 * scale_)));
  view()->setFont(list);
  update();
}

void SkinComboBox::setImage(const QPixmap& image) {
  image_ = image;
  update();
}

void SkinComboBox::onActivated(int index) {
  if (!isEnabled() || !isVisible())
    return;
  setShownIndex(index < 0 ? 0 : index);
  emit notified(controlId_, userValue_);
}

void SkinComboBox::enterEvent(QEnterEvent* event) {
  hovering_ = true;
  update();
  QComboBox::enterEvent(event);
}

void SkinComboBox::leaveEvent(QEvent* event) {
  hovering_ = false;
  update();
  QComboBox::leaveEvent(event);
}

void SkinComboBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                         QPainter::SmoothPixmapTransform);
  const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  if (!image_.isNull()) {
    const int frameWidth = image_.width() / 2;
    painter.drawPixmap(rect(), image_,
                       QRect(hovering_ ? frameWidth : 0, 0, frameWidth, image_.height()));
  } else {
    painter.setPen(
        QPen(hovering_ && isEnabled() ? SkinPalette::hover() : SkinPalette::border(), 1.0));
    painter.setBrush(isEnabled() ? SkinPalette::field() : SkinPalette::faceDisabled());
    painter.drawRoundedRect(box, SkinPalette::CORNER_RADIUS, SkinPalette::CORNER_RADIUS);
    // The drop-down arrow.
    const double h = height();
    const double x = width() - h * 0.6;
    QPainterPath arrow;
    arrow.moveTo(x - h * 0.15, h * 0.42);
    arrow.lineTo(x + h * 0.15, h * 0.42);
    arrow.lineTo(x, h * 0.6);
    arrow.closeSubpath();
    painter.fillPath(arrow, SkinPalette::comboText());
  }
  // The text may run up to the arrow; a word too long for the box is drawn smaller, whole.
  const QRectF textBox = QRectF(rect()).adjusted(3 * scale_, 0, -height() * 0.8, 0);
  QFont font = painter.font();
  const double wide = QFontMetricsF(font).horizontalAdvance(currentText());
  if (wide > textBox.width() && textBox.width() > 0)
    font.setPixelSize(std::max(1, int(font.pixelSize() * textBox.width() / wide)));
  painter.setFont(font);
  painter.setPen(isEnabled() ? SkinPalette::comboText() : SkinPalette::textDisabled());
  painter.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, currentText());
}

} // namespace kv816
