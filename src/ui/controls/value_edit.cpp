#include "ui/controls/value_edit.h"

#include "dsp/value_scale.h"
#include "ui/controls/skin_palette.h"

#include <QFocusEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <limits>

namespace kv816 {

const EditStyle ValueEdit::STYLES[STYLE_COUNT] = {
    {64, 24, QRect(QPoint(2, 2), QPoint(46, 21))},  {169, 19, QRect(QPoint(4, 1), QPoint(150, 17))},
    {100, 22, QRect(QPoint(6, 1), QPoint(79, 19))}, {109, 24, QRect(QPoint(6, 1), QPoint(85, 22))},
    {76, 19, QRect(QPoint(6, 0), QPoint(66, 17))},
};

ValueEdit::ValueEdit(int controlId, QWidget* parent)
    : QWidget(parent), controlId_(controlId), field_(new QLineEdit(this)),
      repeatTimer_(new QTimer(this)), flashTimer_(new QTimer(this)) {
  field_->setObjectName(QStringLiteral("1124"));
  field_->setAlignment(Qt::AlignCenter);
  field_->setFrame(false);
  field_->installEventFilter(this);
  setFocusProxy(field_);
  repeatTimer_->setObjectName(QStringLiteral("spinRepeat"));
  repeatTimer_->setSingleShot(true);
  connect(repeatTimer_, &QTimer::timeout, this, &ValueEdit::repeatTick);
  flashTimer_->setSingleShot(true);
  connect(flashTimer_, &QTimer::timeout, this, &ValueEdit::endFlash);
  applyFieldColors();
  placeField();
  display(raw_);
}

void ValueEdit::setScale(const ScaleConfig& scale) {
  scale_ = scale;
  placeField();
  display(clamped(raw_));
}

void ValueEdit::setUnits(double units) {
  display(fromUnits(scale_, units));
}

double ValueEdit::units() const {
  return toUnits(scale_, raw_);
}

void ValueEdit::setRawValue(int raw) {
  display(clamped(raw));
}

void ValueEdit::setEditStyle(int style) {
  if (style < 0 || style >= STYLE_COUNT)
    return;
  style_ = style;
  placeField();
  update();
}

void ValueEdit::setFontHeight(int designPixels) {
  fontHeight_ = designPixels;
  placeField();
  update();
}

void ValueEdit::setFontFace(const QString& face) {
  fontFace_ = face;
  placeField();
  update();
}

void ValueEdit::setColors(const QColor& field, const QColor& editing, const QColor& text) {
  fieldColor_ = field;
  editingColor_ = editing;
  textColor_ = text;
  applyFieldColors();
  update();
}

void ValueEdit::setSkinShown(bool shown) {
  skinShown_ = shown;
  update();
}

// Design rectangles are scaled corner by corner, so neighbouring edits stay flush.
QRect ValueEdit::textRect() const {
  const EditStyle& s = STYLES[style_];
  const double sx = double(width()) / s.designWidth;
  const double sy = double(height()) / s.designHeight;
  const QRect& r = s.textRect;
  const int left = int(r.left() * sx);
  const int top = int(r.top() * sy);
  return QRect(left, top, int((r.right() + 1) * sx) - left, int((r.bottom() + 1) * sy) - top);
}

QRect ValueEdit::spinRect() const {
  const int left = textRect().right() + 1;
  return QRect(left, 0, std::max(0, width() - left), height());
}

// Unreadable text puts the shown value back and flashes the field; the caller sends nothing.
std::optional<int> ValueEdit::parsed() {
  const std::optional<int> raw = parseTyped(scale_, field_->text().toStdString(), raw_);
  if (!raw) {
    display(raw_);
    flash();
  }
  return raw;
}

void ValueEdit::flash() {
  flashing_ = true;
  applyFieldColors();
  flashTimer_->start(FLASH_MS);
}

void ValueEdit::endFlash() {
  flashing_ = false;
  applyFieldColors();
}

int ValueEdit::clamped(int raw) const {
  return std::clamp(raw, scale_.min, std::max(scale_.min, scale_.max));
}

void ValueEdit::display(int raw) {
  raw_ = raw;
  if (!scale_.format.empty())
    field_->setText(QString::fromStdString(formatValue(scale_, raw_)));
  update();
}

void ValueEdit::notify() {
  emit valueNotified(controlId_, index_, raw_);
}

// One raw unit per step; the limits hold but the page still hears of the attempt.
void ValueEdit::stepBy(int delta) {
  using Limits = std::numeric_limits<int>;
  const std::optional<int> current = parsed();
  if (!current)
    return;
  const long long next = static_cast<long long>(*current) + delta;
  display(clamped(int(std::clamp<long long>(next, Limits::min(), Limits::max()))));
  notify();
}

bool ValueEdit::handleKey(int key) {
  if (!isEnabled())
    return false;
  switch (key) {
  case Qt::Key_Up:
    stepBy(1);
    return true;
  case Qt::Key_Down:
    stepBy(-1);
    return true;
  case Qt::Key_Return:
  case Qt::Key_Enter:
    stepBy(0);
    return true;
  default:
    return false;
  }
}

void ValueEdit::fieldFocusIn() {
  editing_ = true;
  applyFieldColors();
  display(parsed().value_or(raw_));
  notify();
}

void ValueEdit::fieldFocusOut() {
  const int before = raw_;
  const int after = parsed().value_or(before);
  editing_ = false;
  applyFieldColors();
  display(after);
  if (after != before)
    notify();
}

// A context menu of the field takes the focus only for a moment; that is no edit.
bool ValueEdit::eventFilter(QObject* watched, QEvent* event) {
  if (watched != field_)
    return QWidget::eventFilter(watched, event);
  switch (event->type()) {
  case QEvent::FocusIn:
    if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
      fieldFocusIn();
    break;
  case QEvent::FocusOut:
    if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
      fieldFocusOut();
    break;
  case QEvent::KeyPress:
    if (handleKey(static_cast<QKeyEvent*>(event)->key()))
      return true;
    break;
  case QEvent::Wheel:
    wheelEvent(static_cast<QWheelEvent*>(event));
    return true;
  default:
    break;
  }
  return QWidget::eventFilter(watched, event);
}

// Away from the user is a step up; one step per wheel event whatever its size.
void ValueEdit::wheelEvent(QWheelEvent* event) {
  const int delta = event->angleDelta().y();
  if (!isEnabled() || delta == 0) {
    event->ignore();
    return;
  }
  stepBy(delta > 0 ? 1 : -1);
  event->accept();
}

void ValueEdit::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !isEnabled())
    return;
  const QPoint at = event->position().toPoint();
  if (spinRect().contains(at)) {
    const bool up = at.y() < height() / 2;
    repeat_ = up ? REPEAT_UP : REPEAT_DOWN;
    repeatTimer_->start(REPEAT_DELAY_MS);
    stepBy(up ? 1 : -1);
  }
  field_->setFocus(Qt::MouseFocusReason);
}

// The second press of a double click arrives as a double click; it counts as a press.
void ValueEdit::mouseDoubleClickEvent(QMouseEvent* event) {
  mousePressEvent(event);
}

void ValueEdit::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton)
    return;
  repeat_ = REPEAT_NONE;
  repeatTimer_->stop();
  update();
}

void ValueEdit::repeatTick() {
  repeatTimer_->stop();
  if (repeat_ == REPEAT_NONE)
    return;
  repeatTimer_->start(REPEAT_INTERVAL_MS);
  stepBy(repeat_ == REPEAT_UP ? 1 : -1);
}

void ValueEdit::resizeEvent(QResizeEvent* event) {
  placeField();
  QWidget::resizeEvent(event);
}

void ValueEdit::changeEvent(QEvent* event) {
  if (event->type() == QEvent::PaletteChange)
    applyFieldColors();
  if (event->type() == QEvent::EnabledChange) {
    field_->setVisible(isEnabled());
    repeat_ = REPEAT_NONE;
    repeatTimer_->stop();
    update();
  }
  QWidget::changeEvent(event);
}

// The font height is the em size in design pixels, scaled with the control; it shrinks
// only as far as the longest text of the scale needs to fit the field.
void ValueEdit::placeField() {
  const QRect field = textRect();
  field_->setGeometry(field);
  const double sy = double(height()) / STYLES[style_].designHeight;
  QFont font(fontFace_);
  constexpr int REFERENCE = 100;
  font.setPixelSize(REFERENCE);
  const QFontMetricsF metrics(font);
  double widest = 1.0;
  for (const int raw : {scale_.min, scale_.max, (scale_.min + scale_.max) / 2})
    widest = std::max(widest,
                      metrics.horizontalAdvance(QString::fromStdString(formatValue(scale_, raw))));
  constexpr int FIELD_MARGINS = 4; // the line edit's own text margins
  const double byWidth = REFERENCE * (field.width() - FIELD_MARGINS) / widest;
  const double byHeight = REFERENCE * field.height() / std::max(1.0, metrics.height());
  const double size = std::min({fontHeight_ * sy, byWidth, byHeight});
  font.setPixelSize(std::max(1, int(size)));
  field_->setFont(font);
  setFont(font);
}

QColor ValueEdit::fieldColor() const {
  return fieldColor_.isValid() ? fieldColor_ : SkinPalette::field();
}

QColor ValueEdit::editingColor() const {
  return editingColor_.isValid() ? editingColor_ : SkinPalette::field();
}

QColor ValueEdit::textColor() const {
  return textColor_.isValid() ? textColor_ : SkinPalette::fieldText();
}

void ValueEdit::applyFieldColors() {
  QPalette palette = field_->palette();
  const QColor base = editing_ ? editingColor() : fieldColor();
  palette.setColor(QPalette::Base, flashing_ ? SkinPalette::warning() : base);
  palette.setColor(QPalette::Text, textColor());
  field_->setPalette(palette);
}

void ValueEdit::paintSpin(QPainter& painter, const QRect& half, bool up, bool pressed) {
  painter.setPen(Qt::NoPen);
  painter.setBrush(pressed ? SkinPalette::faceOn() : SkinPalette::face());
  painter.drawRect(QRectF(half).adjusted(0.5, 0.5, -0.5, -0.5));
  // A triangle pointing the way the half steps, sized from the smaller side.
  const QPointF c = QRectF(half).center();
  const double r = std::max(1.5, std::min(half.width(), half.height()) * 0.22);
  QPainterPath arrow;
  const double tip = up ? -r : r;
  arrow.moveTo(c.x() - r, c.y() - tip / 2);
  arrow.lineTo(c.x() + r, c.y() - tip / 2);
  arrow.lineTo(c.x(), c.y() + tip / 2);
  arrow.closeSubpath();
  painter.setBrush(pressed ? QColor(Qt::white) : SkinPalette::comboText());
  painter.drawPath(arrow);
}

void ValueEdit::paintSkin(QPainter& painter) {
  const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  painter.setPen(QPen(SkinPalette::border(), 1.0));
  painter.setBrush(editing_ ? editingColor() : fieldColor());
  painter.drawRoundedRect(box, SkinPalette::CORNER_RADIUS, SkinPalette::CORNER_RADIUS);
  const QRect spin = spinRect().adjusted(0, 1, -1, -1);
  if (spin.width() <= 0 || spin.height() <= 0)
    return;
  const int middle = height() / 2;
  paintSpin(painter, QRect(spin.left(), spin.top(), spin.width(), middle - spin.top()), true,
            repeat_ == REPEAT_UP);
  paintSpin(painter, QRect(spin.left(), middle, spin.width(), spin.bottom() + 1 - middle), false,
            repeat_ == REPEAT_DOWN);
  painter.setPen(QPen(SkinPalette::border(), 1.0));
  painter.drawLine(QPointF(spin.left(), spin.top()), QPointF(spin.left(), spin.bottom() + 1));
  painter.drawLine(QPointF(spin.left(), middle), QPointF(spin.right() + 1, middle));
}

void ValueEdit::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
  if (skinShown_)
    paintSkin(painter);
  // Seen where the field is hidden (a disabled edit) and behind it otherwise.
  if (!scale_.format.empty()) {
    painter.setPen(textColor());
    painter.setFont(font());
    painter.drawText(textRect(), Qt::AlignCenter,
                     QString::fromStdString(formatValue(scale_, raw_)));
  }
  if (!isEnabled()) {
    QColor wash = fieldColor();
    wash.setAlpha(150);
    painter.fillRect(rect(), wash);
  }
}

} // namespace kv816
