#include "ui/controls/slider.h"

#include "ui/controls/skin_palette.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace kv816 {

const SliderStyle Slider::STYLES[STYLE_COUNT] = {
    {38, 253, 240, 30, 12, 16, 24}, {16, 215, 203, 8, 12, 16, 24},  {24, 263, 251, 12, 11, 16, 21},
    {43, 166, 155, 36, 10, 14, 21}, {14, 166, 155, 7, 10, 14, 21},  {131, 22, 15, 11, 116, 30, 20},
    {79, 137, 125, 39, 12, 16, 23}, {22, 181, 166, 11, 15, 20, 30},
};

Slider::Slider(int controlId, QWidget* parent) : QWidget(parent), controlId_(controlId) {
  setFocusPolicy(Qt::StrongFocus);
}

void Slider::setVertical(bool vertical) {
  vertical_ = vertical;
  update();
}

void Slider::setRange(int min, int max) {
  min_ = std::min(min, max);
  max_ = std::max(min, max);
  value_ = clamped(value_);
  update();
}

void Slider::setDivisor(int divisor) {
  divisor_ = divisor > 0 ? divisor : 1;
}

void Slider::setStyle(int style) {
  if (style < 0 || style >= STYLE_COUNT)
    return;
  style_ = style;
  update();
}

void Slider::setUnits(double units) {
  setValue(clamped(std::trunc(divisor_ * units)));
}

void Slider::setValue(int value) {
  value_ = clamped(value);
  update();
}

double Slider::scaleAlong() const {
  return vertical_ ? double(height()) / geometry().designHeight
                   : double(width()) / geometry().designWidth;
}

double Slider::scaleAcross() const {
  return vertical_ ? double(width()) / geometry().designWidth
                   : double(height()) / geometry().designHeight;
}

double Slider::trackStart() const {
  return geometry().trackStart * scaleAlong();
}

double Slider::trackEnd() const {
  return geometry().trackEnd * scaleAlong();
}

double Slider::cross() const {
  return geometry().cross * scaleAcross();
}

int Slider::thumbWidth() const {
  return int(geometry().thumbWidth * double(width()) / geometry().designWidth);
}

int Slider::thumbHeight() const {
  return int(geometry().thumbHeight * double(height()) / geometry().designHeight);
}

// The track may run either way; start is always the minimum.
double Slider::positionOf(int value) const {
  if (max_ == min_)
    return trackStart();
  return trackStart() + double(value - min_) * (trackEnd() - trackStart()) / (max_ - min_);
}

// Not clamped: a pointer beyond either end reads beyond the range.
int Slider::valueAt(double position) const {
  const double length = trackEnd() - trackStart();
  if (length == 0.0)
    return value_;
  const double value = (position - trackStart()) * (max_ - min_) / length + min_;
  return clamped(std::trunc(value));
}

int Slider::clamped(double value) const {
  return int(std::clamp(value, double(min_), double(max_)));
}

double Slider::thumbCentre() const {
  return positionOf(value_);
}

QRect Slider::thumbRect() const {
  const int along = int(thumbCentre());
  const int across = int(cross());
  const int w = thumbWidth();
  const int h = thumbHeight();
  return vertical_ ? QRect(across - w / 2, along - h / 2, w, h)
                   : QRect(along - w / 2, across - h / 2, w, h);
}

// At bigStepAbove itself a step up is already big and a step down still small.
int Slider::stepped(bool up) const {
  double next = value_;
  if (up)
    next += value_ < bigStepAbove_ ? step_ : 10 * step_;
  else
    next -= value_ > bigStepAbove_ ? 10 * step_ : step_;
  return clamped(std::trunc(next));
}

void Slider::notify() {
  value_ = clamped(value_);
  emit valueNotified(controlId_, index_, value_);
}

void Slider::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !isEnabled() || !isVisible())
    return;
  setFocus(Qt::MouseFocusReason);
  focused_ = true;
  update();
  if (!thumbRect().contains(event->position().toPoint()))
    return; // the track outside the thumb does not move the value
  dragging_ = true;
  setCursor(Qt::PointingHandCursor);
  notify();
}

void Slider::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_)
    return;
  value_ = valueAt(vertical_ ? event->position().y() : event->position().x());
  update();
  notify();
}

void Slider::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !dragging_)
    return;
  endDrag();
  notify();
  update();
}

void Slider::endDrag() {
  dragging_ = false;
  unsetCursor();
}

// A slider disabled or hidden mid-drag never sees the release; a stale drag would let the
// next press on the track move the value.
void Slider::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange && !isEnabled())
    endDrag();
  QWidget::changeEvent(event);
}

void Slider::hideEvent(QHideEvent* event) {
  endDrag();
  QWidget::hideEvent(event);
}

// Away from the user is a step up; one step per wheel event whatever its size.
void Slider::wheelEvent(QWheelEvent* event) {
  const int delta = event->angleDelta().y();
  if (delta == 0) {
    event->ignore();
    return;
  }
  value_ = stepped(delta > 0);
  notify();
  update();
  event->accept();
}

int Slider::pageStep() const {
  return pageStep_ > 0 ? pageStep_ : std::max(1, int(10 * step_));
}

void Slider::setDefaultValue(int value) {
  defaultValue_ = value;
  update();
}

// The value a key asks for; the current value for keys the slider leaves to the page.
int Slider::keyed(const QKeyEvent& event) const {
  const bool up = event.key() == Qt::Key_Up || event.key() == Qt::Key_PageUp;
  switch (event.key()) {
  case Qt::Key_Up:
  case Qt::Key_Down:
    if (event.modifiers() & Qt::ControlModifier)
      return clamped(double(value_) + (up ? pageStep() : -pageStep()));
    if (event.modifiers() & Qt::ShiftModifier)
      return clamped(double(value_) + (up ? 1 : -1));
    return stepped(up);
  case Qt::Key_PageUp:
  case Qt::Key_PageDown:
    return clamped(double(value_) + (up ? pageStep() : -pageStep()));
  case Qt::Key_Home:
    return min_;
  case Qt::Key_End:
    return max_;
  default:
    return value_;
  }
}

void Slider::keyPressEvent(QKeyEvent* event) {
  static constexpr int KEYS[] = {Qt::Key_Up,       Qt::Key_Down, Qt::Key_PageUp,
                                 Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End};
  if (!isEnabled() || std::find(std::begin(KEYS), std::end(KEYS), event->key()) == std::end(KEYS)) {
    QWidget::keyPressEvent(event); // left to the page
    return;
  }
  value_ = keyed(*event);
  notify();
  update();
}

void Slider::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !isEnabled())
    return;
  endDrag();
  value_ = defaultValue();
  notify();
  update();
}

void Slider::focusInEvent(QFocusEvent* event) {
  focused_ = true;
  update();
  QWidget::focusInEvent(event);
}

void Slider::focusOutEvent(QFocusEvent* event) {
  focused_ = false;
  update();
  QWidget::focusOutEvent(event);
}

// A groove from the minimum to the maximum, filled from the default value to the thumb.
void Slider::paintTrack(QPainter& painter) {
  const double thumbAcross = vertical_ ? thumbWidth() : thumbHeight();
  const double groove = std::max(2.0, std::round(thumbAcross / 4));
  const double start = trackStart();
  const double end = trackEnd();
  const double pos = thumbCentre();
  const double c = cross();
  auto band = [&](double from, double to) {
    const double low = std::min(from, to);
    const double high = std::max(from, to);
    return vertical_ ? QRectF(c - groove / 2, low, groove, high - low)
                     : QRectF(low, c - groove / 2, high - low, groove);
  };
  painter.setPen(Qt::NoPen);
  painter.setBrush(SkinPalette::groove());
  painter.drawRoundedRect(band(start, end), groove / 2, groove / 2);
  painter.setBrush(isEnabled() ? SkinPalette::faceOn() : SkinPalette::border());
  painter.drawRoundedRect(band(positionOf(defaultValue()), pos), groove / 2, groove / 2);
}

// The thumb covers exactly thumbRect(): the pen runs inside its edge.
void Slider::paintThumb(QPainter& painter) {
  const double pen = focused_ ? 2.0 : 1.0;
  const QRectF box = QRectF(thumbRect()).adjusted(pen / 2, pen / 2, -pen / 2, -pen / 2);
  painter.setPen(QPen(focused_ ? SkinPalette::hover() : SkinPalette::border(), pen));
  painter.setBrush(isEnabled() ? SkinPalette::face() : SkinPalette::faceDisabled());
  painter.drawRoundedRect(box, 2.0, 2.0);
  // A grip line across the thumb at the value's position.
  painter.setPen(QPen(SkinPalette::border(), 1.0));
  const QPointF centre = box.center();
  if (vertical_)
    painter.drawLine(QPointF(box.left() + 2, centre.y()), QPointF(box.right() - 2, centre.y()));
  else
    painter.drawLine(QPointF(centre.x(), box.top() + 2), QPointF(centre.x(), box.bottom() - 2));
}

void Slider::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  paintTrack(painter);
  paintThumb(painter);
}

} // namespace kv816
