#include "ui/controls/level_meter.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

namespace kv816 {
namespace {

QImage renderOf(QWidget& widget) {
  QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  widget.render(&image, {}, {}, QWidget::DrawChildren);
  return image;
}

QRgb centreOf(const QImage& image, const QRectF& rect) {
  return image.pixel(rect.center().toPoint());
}

// The channel page's meter: 9 segments of 18 picture pixels.
void configureChannelMeter(LevelMeter& meter) {
  meter.setSegmentCount(9);
  meter.setSegmentHeight(18);
  meter.setMask(0x107);
}

TEST(LevelMeter, MaskBitsLightSegmentsCountedFromTheBottom) {
  LevelMeter meter;
  meter.resize(12, 162);
  configureChannelMeter(meter);
  const QImage image = renderOf(meter);
  const QRgb unlit = centreOf(image, meter.segmentRect(3));
  for (int i = 0; i < 9; ++i) {
    const bool lit = i <= 2 || i == 8;
    SCOPED_TRACE(i);
    EXPECT_EQ(meter.isLit(i), lit);
    EXPECT_EQ(meter.segmentRect(i), QRectF(0, 162 - 18.0 * (i + 1), 12, 18));
    EXPECT_EQ(centreOf(image, meter.segmentRect(i)) != unlit, lit);
  }
}

TEST(LevelMeter, PictureColumnsAreCutPerSegmentAndScaledToTheWidget) {
  // Unlit column blue, lit column red, 10 x 180 picture pixels each; the top 18 rows of
  // the picture are not covered by a segment and show the background.
  QPixmap picture(20, 180);
  picture.fill(Qt::blue);
  {
    QPainter painter(&picture);
    painter.fillRect(10, 0, 10, 180, Qt::red);
  }
  LevelMeter meter;
  meter.resize(30, 360);
  configureChannelMeter(meter);
  meter.setMeter(QColor(0, 255, 0), picture, 10, 180);
  EXPECT_EQ(meter.sourceRect(8), QRectF(10, 18, 10, 18));
  EXPECT_EQ(meter.sourceRect(3), QRectF(0, 108, 10, 18));
  EXPECT_EQ(meter.segmentRect(0), QRectF(0, 324, 30, 36));
  const QImage image = renderOf(meter);
  for (int i = 0; i < 9; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(centreOf(image, meter.segmentRect(i)),
              meter.isLit(i) ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
  }
  EXPECT_EQ(image.pixel(15, 10), qRgb(0, 255, 0));
}

// Disabled (no device online), painted or cut from a picture, every segment shows unlit
// and fainter than an enabled unlit one.
TEST(LevelMeter, DisabledShowsEverySegmentUnlitAndFaded) {
  QPixmap picture(20, 180);
  picture.fill(Qt::blue);
  {
    QPainter painter(&picture);
    painter.fillRect(10, 0, 10, 180, Qt::red);
  }
  for (bool withPicture : {false, true}) {
    SCOPED_TRACE(withPicture);
    LevelMeter meter;
    meter.resize(30, 360);
    configureChannelMeter(meter);
    if (withPicture)
      meter.setMeter(QColor(0, 0, 0, 0), picture, 10, 180);
    const QRgb enabledUnlit = centreOf(renderOf(meter), meter.segmentRect(3));
    meter.setEnabled(false);
    const QImage image = renderOf(meter);
    const QRgb unlit = centreOf(image, meter.segmentRect(3));
    EXPECT_LT(qAlpha(unlit), qAlpha(enabledUnlit));
    for (int i = 0; i < 9; ++i)
      EXPECT_EQ(centreOf(image, meter.segmentRect(i)), unlit) << i;
  }
}

class CountingMeter : public LevelMeter {
public:
  int paints = 0;

protected:
  void paintEvent(QPaintEvent* event) override {
    ++paints;
    LevelMeter::paintEvent(event);
  }
};

TEST(LevelMeter, RepaintsOnlyWhenMaskOrGeometryChanges) {
  CountingMeter meter;
  meter.resize(12, 162);
  meter.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&meter));
  QApplication::processEvents();
  const auto paintsAfter = [&](auto change) {
    const int before = meter.paints;
    change();
    QApplication::processEvents();
    return meter.paints - before;
  };
  EXPECT_EQ(paintsAfter([&] { meter.setMask(0); }), 0);
  EXPECT_EQ(paintsAfter([&] { meter.setSegmentCount(15); }), 0);
  EXPECT_EQ(paintsAfter([&] { meter.setSegmentHeight(14); }), 0);
  EXPECT_GT(paintsAfter([&] { meter.setMask(0x3); }), 0);
  EXPECT_EQ(paintsAfter([&] { meter.setMask(0x3); }), 0);
  EXPECT_GT(paintsAfter([&] { meter.setSegmentCount(9); }), 0);
  EXPECT_GT(paintsAfter([&] { meter.setSegmentHeight(18); }), 0);
}

} // namespace
} // namespace kv816
