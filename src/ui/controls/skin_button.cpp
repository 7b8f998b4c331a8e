#include "ui/controls/skin_button.h"

#include "ui/controls/skin_palette.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace kv816 {

SkinButton::SkinButton(int controlId, QWidget* parent) : QWidget(parent), controlId_(controlId) {
  setMouseTracking(true);
  setAttribute(Qt::WA_Hover, false);
  setFocusPolicy(Qt::StrongFocus);
}

// Space and Enter press a focused button as a click does.
void SkinButton::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if ((key != Qt::Key_Space && key != Qt::Key_Return && key != Qt::Key_Enter) ||
      event->isAutoRepeat() || !acceptsMouse()) {
    QWidget::keyPressEvent(event);
    return;
  }
  click();
}

void SkinButton::click() {
  if (checkState_ != PLAIN)
    checkState_ = checkState_ == ON ? OFF : ON;
  update();
  emit notified(controlId_, userValue_);
}

void SkinButton::focusInEvent(QFocusEvent* event) {
  update();
  QWidget::focusInEvent(event);
}

void SkinButton::focusOutEvent(QFocusEvent* event) {
  update();
  QWidget::focusOutEvent(event);
}

void SkinButton::setCheckState(int state) {
  if (state < PLAIN || state > ON || state == checkState_)
    return;
  checkState_ = state;
  update();
}

void SkinButton::setText(const QString& text) {
  text_ = text;
  update();
}

void SkinButton::setTextColors(const QColor& normal, const QColor& on) {
  textColor_ = normal;
  textColorOn_ = on;
  update();
}

void SkinButton::setTextFlags(int flags) {
  textFlags_ = flags;
  update();
}

void SkinButton::setTextFont(const QFont& font) {
  setFont(font);
  update();
}

void SkinButton::setFaceOnColor(const QColor& color) {
  faceOnColor_ = color;
  update();
}

void SkinButton::setImage(const QPixmap& image) {
  image_ = image;
  const int width = std::max(1, this->width());
  frameCount_ = image.isNull() ? 4 : std::max(1, image.width() / width);
  update();
}

int SkinButton::frameCount() const {
  return frameCount_;
}

QRect SkinButton::hotRect() const {
  if (image_.isNull() || hotArea_.isEmpty())
    return rect();
  const double frameWidth = double(image_.width()) / frameCount_;
  const double sx = width() / frameWidth;
  const double sy = double(height()) / image_.height();
  QRect scaled(int(hotArea_.x() * sx), int(hotArea_.y() * sy), int(hotArea_.width() * sx),
               int(hotArea_.height() * sy));
  return scaled.intersected(rect());
}

void SkinButton::setHovering(bool hovering) {
  if (hovering == hovering_)
    return;
  hovering_ = hovering;
  setCursor(hovering ? Qt::PointingHandCursor : Qt::ArrowCursor);
  update();
}

void SkinButton::mouseMoveEvent(QMouseEvent* event) {
  if (!pressed_ && acceptsMouse())
    setHovering(hotRect().contains(event->position().toPoint()));
}

void SkinButton::leaveEvent(QEvent*) {
  setHovering(false);
}

void SkinButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !acceptsMouse())
    return;
  if (!hotRect().contains(event->position().toPoint()))
    return;
  pressed_ = true;
  setCursor(Qt::PointingHandCursor);
}

// A double click arrives instead of the second press; it counts as one.
void SkinButton::mouseDoubleClickEvent(QMouseEvent* event) {
  mousePressEvent(event);
}

void SkinButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !pressed_)
    return;
  pressed_ = false;
  if (!acceptsMouse() || !hotRect().contains(event->position().toPoint()))
    return;
  click();
}

void SkinButton::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange) {
    pressed_ = false;
    setHovering(false);
    update();
  }
  QWidget::changeEvent(event);
}

void SkinButton::paintFrame(QPainter& painter, int frame) {
  const int frameWidth = image_.width() / frameCount_;
  const QRect source(frame * frameWidth, 0, frameWidth, image_.height());
  painter.drawPixmap(rect(), image_, source);
}

void SkinButton::paintFace(QPainter& painter) {
  const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  const QColor on = faceOnColor_.isValid() ? faceOnColor_ : SkinPalette::faceOn();
  QColor fill = checkState_ == ON ? on : SkinPalette::face();
  if (!isEnabled())
    fill = SkinPalette::faceDisabled();
  painter.setPen(QPen(SkinPalette::border(), 1.0));
  painter.setBrush(fill);
  painter.drawRoundedRect(box, SkinPalette::CORNER_RADIUS, SkinPalette::CORNER_RADIUS);
  if ((hovering_ || hasFocus()) && isEnabled()) {
    painter.setPen(QPen(SkinPalette::hover(), 2.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(box.adjusted(1, 1, -1, -1), SkinPalette::CORNER_RADIUS,
                            SkinPalette::CORNER_RADIUS);
  }
}

void SkinButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                         QPainter::SmoothPixmapTransform);
  if (image_.isNull()) {
    paintFace(painter);
  } else {
    paintFrame(painter, checkState_ == ON ? std::min(1, frameCount_ - 1) : 0);
    if (hovering_ && isEnabled() && hoverFrame_ < frameCount_)
      paintFrame(painter, hoverFrame_);
  }
  if (text_.isEmpty())
    return;
  QColor color = checkState_ == ON ? textColorOn_ : textColor_;
  if (!color.isValid())
    color = SkinPalette::text();
  if (!isEnabled())
    color = SkinPalette::textDisabled();
  painter.setPen(color);
  painter.drawText(hotRect().adjusted(0, 0, -1, -1), skinTextAlignment(textFlags_), text_);
}

} // namespace kv816
