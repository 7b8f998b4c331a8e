#include "ui/controls/level_meter.h"

#include <QEvent>
#include <QPainter>

#include <algorithm>

namespace kv816 {

namespace {

QColor unlitColor() {
  return QColor(0x3a, 0x3f, 0x45);
}

} // namespace

LevelMeter::LevelMeter(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LevelMeter::setMask(std::uint32_t mask) {
  if (mask == mask_)
    return;
  mask_ = mask;
  update();
}

bool LevelMeter::isLit(int segment) const {
  return segment >= 0 && segment < MAX_SEGMENTS && ((mask_ >> segment) & 1u) != 0;
}

void LevelMeter::setSegmentHeight(int height) {
  if (height == segmentHeight_)
    return;
  segmentHeight_ = height;
  update();
}

void LevelMeter::setSegmentCount(int count) {
  count = std::clamp(count, 0, MAX_SEGMENTS);
  if (count == segmentCount_)
    return;
  segmentCount_ = count;
  update();
}

void LevelMeter::setMeter(const QColor& background, const QPixmap& picture, double columnWidth,
                          double pictureHeight) {
  background_ = background;
  picture_ = picture;
  columnWidth_ = columnWidth;
  pictureHeight_ = pictureHeight;
  update();
}

double LevelMeter::columnWidth() const {
  return columnWidth_ > 0 ? columnWidth_ : width();
}

double LevelMeter::pictureHeight() const {
  return pictureHeight_ > 0 ? pictureHeight_ : height();
}

// Segment i occupies picture rows [h - (i + 1) * segment, h - i * segment).
QRectF LevelMeter::sourceRect(int segment) const {
  const double top = pictureHeight() - double(segment + 1) * segmentHeight_;
  return QRectF(isShownLit(segment) ? columnWidth() : 0.0, top, columnWidth(), segmentHeight_);
}

QRectF LevelMeter::segmentRect(int segment) const {
  const double picture = pictureHeight();
  const double scale = picture > 0 ? height() / picture : 0.0;
  const double top = picture - double(segment + 1) * segmentHeight_;
  return QRectF(0.0, top * scale, width(), segmentHeight_ * scale);
}

// Green for the body of the column, amber near the top, red for the top segment.
QColor LevelMeter::paintedColor(int segment) const {
  if (!isShownLit(segment))
    return unlitColor();
  if (segment == segmentCount_ - 1)
    return QColor(0xe5, 0x39, 0x35);
  if (segment * 4 >= segmentCount_ * 3)
    return QColor(0xff, 0xb3, 0x00);
  return QColor(0x43, 0xc0, 0x4f);
}

void LevelMeter::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (background_.alpha() != 0)
    painter.fillRect(rect(), background_);
  if (segmentHeight_ <= 0)
    return;
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  // A level from a device that is not there must not look like one.
  if (!isEnabled())
    painter.setOpacity(0.35);
  for (int i = 0; i < segmentCount_; ++i) {
    const QRectF target = segmentRect(i);
    if (!picture_.isNull()) {
      painter.drawPixmap(target, picture_, sourceRect(i));
      continue;
    }
    // A gap of a sixth of the segment keeps neighbours apart at any scale.
    const double gap = target.height() / 6;
    painter.fillRect(target.adjusted(1, gap / 2, -1, -gap / 2), paintedColor(i));
  }
}

void LevelMeter::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange)
    update();
  QWidget::changeEvent(event);
}

} // namespace kv816
