#include "ui/controls/slider.h"

#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <memory>

namespace kv816 {
namespace {

constexpr int ID = 2024;

// A slider of `style` at its design size (or `scale` times it), shown.
std::unique_ptr<Slider> makeSlider(int style, int min, int max, double scale = 1.0) {
  auto slider = std::make_unique<Slider>(ID);
  slider->setStyle(style);
  const SliderStyle& g = Slider::STYLES[style];
  slider->resize(int(g.designWidth * scale), int(g.designHeight * scale));
  slider->setRange(min, max);
  slider->setIndex(7);
  slider->show();
  return slider;
}

void wheel(QWidget& widget, int delta) {
  const QPointF at(widget.width() / 2.0, widget.height() / 2.0);
  QWheelEvent event(at, widget.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&widget, &event);
}

QList<QVariant> notification(int value) {
  return {ID, 7, value};
}

struct GeometryCase {
  int style;
  double scale;
  bool vertical;
  int min, max, value;
  double start, end, cross, centre;
  int thumbW, thumbH;
};

TEST(Slider, GeometryScalesFromTheDesignSizeAndPlacesTheThumb) {
  const GeometryCase cases[] = {
      // graphic-EQ band: value 0 of -150..150 sits at 251 - 150 * 240 / 300
      {2, 1.0, true, -150, 150, 0, 251, 11, 12, 131, 16, 21},
      {2, 1.0, true, -150, 150, -150, 251, 11, 12, 251, 16, 21},
      {2, 1.0, true, -150, 150, 150, 251, 11, 12, 11, 16, 21},
      // gain fader at twice the design size
      {0, 2.0, true, -360, 120, 0, 480, 24, 60, 480 - 360 * 456.0 / 480, 32, 48},
      // delay slider
      {1, 1.0, true, 0, 5000, 2500, 203, 12, 8, 107.5, 16, 24},
      // horizontal style: the track runs left to right
      {5, 1.0, false, 0, 100, 50, 15, 116, 11, 65.5, 30, 20},
      // a positive minimum still puts the minimum at the track start
      {3, 1.0, true, 10, 110, 10, 155, 10, 36, 155, 14, 21},
  };
  for (const GeometryCase& c : cases) {
    auto slider = makeSlider(c.style, c.min, c.max, c.scale);
    slider->setVertical(c.vertical);
    slider->setValue(c.value);
    SCOPED_TRACE(testing::Message() << "style " << c.style << " value " << c.value);
    EXPECT_DOUBLE_EQ(slider->trackStart(), c.start);
    EXPECT_DOUBLE_EQ(slider->trackEnd(), c.end);
    EXPECT_DOUBLE_EQ(slider->cross(), c.cross);
    EXPECT_DOUBLE_EQ(slider->thumbCentre(), c.centre);
    EXPECT_EQ(slider->thumbWidth(), c.thumbW);
    EXPECT_EQ(slider->thumbHeight(), c.thumbH);
  }
}

TEST(Slider, ThumbRectangleIsCentredWithWholePixelHalves) {
  auto slider = makeSlider(2, -150, 150);
  slider->setValue(0);
  EXPECT_EQ(slider->thumbRect(), QRect(12 - 8, 131 - 10, 16, 21));
  slider->setVertical(false);
  slider->setStyle(5);
  slider->resize(131, 22);
  EXPECT_EQ(slider->thumbRect(), QRect(65 - 15, 11 - 10, 30, 20));
}

TEST(Slider, DragFromTheThumbNotifiesClampedValuesUntilRelease) {
  auto slider = makeSlider(2, -150, 150);
  slider->setValue(0);
  QSignalSpy spy(slider.get(), &Slider::valueNotified);
  QTest::mousePress(slider.get(), Qt::LeftButton, Qt::NoModifier, {12, 131});
  EXPECT_TRUE(slider->isDragging());
  EXPECT_TRUE(slider->hasFocusedLook());
  QTest::mouseMove(slider.get(), {12, 71});  // 60 px up: 75 value units
  QTest::mouseMove(slider.get(), {12, -40}); // past the track end
  QTest::mouseMove(slider.get(), {12, 300}); // past the track start
  QTest::mouseRelease(slider.get(), Qt::LeftButton, Qt::NoModifier, {12, 300});
  EXPECT_FALSE(slider->isDragging());
  const QList<QList<QVariant>> expected = {notification(0), notification(75), notification(150),
                                           notification(-150), notification(-150)};
  EXPECT_EQ(QList<QList<QVariant>>(spy), expected);
  EXPECT_EQ(slider->value(), -150);
}

TEST(Slider, HorizontalSliderDragsAlongX) {
  auto slider = makeSlider(5, 0, 100);
  slider->setVertical(false);
  slider->setValue(50);
  QSignalSpy spy(slider.get(), &Slider::valueNotified);
  QTest::mousePress(slider.get(), Qt::LeftButton, Qt::NoModifier, {65, 11});
  QTest::mouseMove(slider.get(), {35, 2}); // 30 px left: 101 px per 100 units
  QTest::mouseMove(slider.get(), {200, 11});
  QTest::mouseRelease(slider.get(), Qt::LeftButton, Qt::NoModifier, {200, 11});
  const QList<QList<QVariant>> expected = {notification(50), notification(19), notification(100),
                                           notification(100)};
  EXPECT_EQ(QList<QList<QVariant>>(spy), expected);
}

TEST(Slider, DisablingMidDragEndsTheDrag) {
  auto slider = makeSlider(2, -150, 150);
  slider->setValue(0);
  QTest::mousePress(slider.get(), Qt::LeftButton, Qt::NoModifier, {12, 131});
  ASSERT_TRUE(slider->isDragging());
  slider->setEnabled(false);
  EXPECT_FALSE(slider->isDragging());
  slider->setEnabled(true);
  QSignalSpy spy(slider.get(), &Slider::valueNotified);
  QTest::mousePress(slider.get(), Qt::LeftButton, Qt::NoModifier, {12, 40}); // off the thumb
  QTest::mouseMove(slider.get(), {12, 20});
  EXPECT_EQ(spy.count(), 0);
  EXPECT_EQ(slider->value(), 0);
}

TEST(Slider, PressOnTheTrackOutsideTheThumbOrWhileDisabledDoesNotMoveTheValue) {
  auto slider = makeSlider(2, -150, 150);
  slider->setValue(0);
  QSignalSpy spy(slider.get(), &Slider::valueNotified);
  QTest::mousePress(slider.get(), Qt::LeftButton, Qt::NoModifier, {12, 40});
  QTest::mouseMove(slider.get(), {12, 20});
  QTest::mouseRelease(slider.get(), Qt::LeftButton, Qt::NoModifier, {12, 20});
  slider->setEnabled(false);
  QTest::mousePress(slider.get(), Qt::LeftButton, Qt::NoModifier, {12, 131});
  QTest::mouseRelease(slider.get(), Qt::LeftButton, Qt::NoModifier, {12, 131});
  EXPECT_EQ(spy.count(), 0);
  EXPECT_EQ(slider->value(), 0);
}

struct StepCase {
  int value;
  bool up;
  bool byWheel;
  int expected;
};

TEST(Slider, WheelAndArrowKeysStepAndAlwaysNotify) {
  // -150..150, step 2, big steps from 100 on
  const StepCase cases[] = {
      {0, true, true, 2},     {0, false, true, -2},    {0, true, false, 2},
      {0, false, false, -2},  {150, true, true, 150},  {-150, false, false, -150},
      {99, true, false, 101}, {100, true, false, 120}, {100, false, true, 98},
      {101, false, true, 81}, {145, true, true, 150},
  };
  auto slider = makeSlider(2, -150, 150);
  slider->setStep(2.0);
  slider->setBigStepAbove(100);
  for (const StepCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.value << (c.up ? " up" : " down"));
    slider->setValue(c.value);
    QSignalSpy spy(slider.get(), &Slider::valueNotified);
    if (c.byWheel)
      wheel(*slider, c.up ? 120 : -120);
    else
      QTest::keyClick(slider.get(), c.up ? Qt::Key_Up : Qt::Key_Down);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy[0], notification(c.expected));
    EXPECT_EQ(slider->value(), c.expected);
  }
}

struct KeyCase {
  Qt::Key key;
  Qt::KeyboardModifiers modifiers;
  int value;
  int expected;
};

TEST(Slider, KeyboardFineCoarseAndLimitsAndDoubleClickToDefault) {
  // 0..5000 like the delay, step 2, a page of 100, default 300
  const KeyCase cases[] = {
      {Qt::Key_Up, Qt::NoModifier, 1000, 1002},      {Qt::Key_Up, Qt::ShiftModifier, 1000, 1001},
      {Qt::Key_Down, Qt::ShiftModifier, 1000, 999},  {Qt::Key_Up, Qt::ControlModifier, 1000, 1100},
      {Qt::Key_Down, Qt::ControlModifier, 50, 0},    {Qt::Key_PageUp, Qt::NoModifier, 4950, 5000},
      {Qt::Key_PageDown, Qt::NoModifier, 1000, 900}, {Qt::Key_Home, Qt::NoModifier, 1000, 0},
      {Qt::Key_End, Qt::NoModifier, 1000, 5000},
  };
  auto slider = makeSlider(1, 0, 5000);
  slider->setStep(2.0);
  slider->setPageStep(100);
  slider->setDefaultValue(300);
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.key << " from " << c.value);
    slider->setValue(c.value);
    QSignalSpy spy(slider.get(), &Slider::valueNotified);
    QTest::keyClick(slider.get(), c.key, c.modifiers);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy[0], notification(c.expected));
  }
  slider->setValue(4000);
  QSignalSpy spy(slider.get(), &Slider::valueNotified);
  QTest::mouseDClick(slider.get(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
  ASSERT_GE(spy.count(), 1);
  EXPECT_EQ(spy.last(), notification(300));
  EXPECT_EQ(slider->value(), 300);
  // Without a page step set, a page is ten steps.
  slider->setPageStep(0);
  EXPECT_EQ(slider->pageStep(), 20);
}

TEST(Slider, SetUnitsTruncatesAndNeverNotifies) {
  auto slider = makeSlider(2, -150, 150);
  QSignalSpy spy(slider.get(), &Slider::valueNotified);
  slider->setUnits(-2.35);
  EXPECT_EQ(slider->value(), -23);
  slider->setUnits(1.29);
  EXPECT_EQ(slider->value(), 12);
  slider->setUnits(40.0);
  EXPECT_EQ(slider->value(), 150);
  EXPECT_DOUBLE_EQ(slider->units(), 15.0);
  EXPECT_EQ(spy.count(), 0);
}

TEST(Slider, ThumbIsPaintedOnExactlyItsRectangle) {
  for (bool focused : {false, true}) {
    auto slider = makeSlider(2, -150, 150, 2.0);
    slider->setValue(-100);
    if (focused)
      QTest::mousePress(slider.get(), Qt::LeftButton, Qt::NoModifier, slider->thumbRect().center());
    QImage image(slider->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    slider->render(&image, {}, {}, QWidget::DrawChildren);
    const QRect thumb = slider->thumbRect();
    SCOPED_TRACE(focused ? "focused" : "plain");
    // Off the groove, just inside and just outside each edge.
    const int y = thumb.center().y();
    EXPECT_NE(qAlpha(image.pixel(thumb.left(), y)), 0);
    EXPECT_EQ(qAlpha(image.pixel(thumb.left() - 1, y)), 0);
    EXPECT_NE(qAlpha(image.pixel(thumb.right(), y)), 0);
    EXPECT_EQ(qAlpha(image.pixel(thumb.right() + 1, y)), 0);
    const int x = thumb.left() + 4;
    EXPECT_NE(qAlpha(image.pixel(x, thumb.top())), 0);
    EXPECT_EQ(qAlpha(image.pixel(x, thumb.top() - 1)), 0);
    EXPECT_NE(qAlpha(image.pixel(x, thumb.bottom())), 0);
    EXPECT_EQ(qAlpha(image.pixel(x, thumb.bottom() + 1)), 0);
  }
}

} // namespace
} // namespace kv816
