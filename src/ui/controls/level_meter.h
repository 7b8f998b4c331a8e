#pragma once
// The segmented level meter: a column of segments counted from the bottom, segment i lit
// when bit i of the mask is set. The page computes the mask from the device's meter words.
//
// The segments are cut from a picture of `pictureHeight` picture pixels scaled to the
// widget's height, `segmentHeight` picture pixels each. With a picture (two columns side
// by side: unlit at x = 0, lit at x = columnWidth) the segments are drawn from it; without
// one they are painted in the same places. It repaints only when the mask or the geometry
// changes, has no input and emits nothing. Disabled (no device online) it is drawn faded,
// every segment unlit. GUI thread only.

#include <QColor>
#include <QPixmap>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <cstdint>

namespace kv816 {

class LevelMeter : public QWidget {
  Q_OBJECT
public:
  // The mask has 32 bits; more segments than that cannot be lit.
  static constexpr int MAX_SEGMENTS = 32;

  explicit LevelMeter(QWidget* parent = nullptr);

  void setMask(std::uint32_t mask);
  std::uint32_t mask() const { return mask_; }
  bool isLit(int segment) const;

  // Picture pixels per segment; 0 or below draws nothing.
  void setSegmentHeight(int height);
  int segmentHeight() const { return segmentHeight_; }
  // Clamped to 0..MAX_SEGMENTS.
  void setSegmentCount(int count);
  int segmentCount() const { return segmentCount_; }

  // Replaces the picture (a null one means painted segments) and the background filled
  // behind the segments when its alpha is not 0. A column width or picture height of 0 or
  // less means the widget's width or height.
  void setMeter(const QColor& background, const QPixmap& picture, double columnWidth = 0,
                double pictureHeight = 0);

  // Kept for the page's window text queries; not drawn.
  void setText(const QString& text) { text_ = text; }
  QString text() const { return text_; }

  // Where segment i is drawn, in widget pixels, and where it is cut from in the picture
  // (lit or unlit column by the mask).
  QRectF segmentRect(int segment) const;
  QRectF sourceRect(int segment) const;

protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

private:
  double columnWidth() const;
  double pictureHeight() const;
  QColor paintedColor(int segment) const;
  bool isShownLit(int segment) const { return isEnabled() && isLit(segment); }

  std::uint32_t mask_ = 0;
  int segmentHeight_ = 14;
  int segmentCount_ = 15;
  QPixmap picture_;
  double columnWidth_ = 0;
  double pictureHeight_ = 0;
  QColor background_ = QColor(0, 0, 0, 0);
  QString text_;
};

} // namespace kv816
