#include "ui/controls/skin_button.h"
#include "ui/controls/skin_combo_box.h"
#include "ui/dialogs/progress_window.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace kv816 {
namespace {

void click(QWidget& widget, QPoint at = {5, 5}) {
  QTest::mouseClick(&widget, Qt::LeftButton, Qt::NoModifier, at);
}

TEST(SkinButton, TwoStateButtonTogglesThenNotifiesWithItsUserValue) {
  SkinButton button(3024);
  button.resize(60, 20);
  button.setUserValue(7);
  button.setCheckState(SkinButton::OFF);
  button.show();
  QSignalSpy spy(&button, &SkinButton::notified);
  click(button);
  EXPECT_EQ(button.checkState(), SkinButton::ON);
  click(button);
  EXPECT_EQ(button.checkState(), SkinButton::OFF);
  ASSERT_EQ(spy.count(), 2);
  EXPECT_EQ(spy[0], (QList<QVariant>{3024, 7}));
}

TEST(SkinButton, DisabledOrHiddenButtonPostsNothing) {
  SkinButton button(1);
  button.resize(60, 20);
  QSignalSpy spy(&button, &SkinButton::notified);
  click(button); // hidden
  button.show();
  button.setEnabled(false);
  click(button);
  EXPECT_EQ(spy.count(), 0);
  button.setEnabled(true);
  click(button);
  EXPECT_EQ(spy.count(), 1);
}

TEST(SkinButton, ReleaseOutsideTheHotAreaPostsNothing) {
  SkinButton button(1);
  button.resize(60, 20);
  button.show();
  QSignalSpy spy(&button, &SkinButton::notified);
  QTest::mousePress(&button, Qt::LeftButton, Qt::NoModifier, {5, 5});
  QTest::mouseRelease(&button, Qt::LeftButton, Qt::NoModifier, {90, 5});
  EXPECT_EQ(spy.count(), 0);
}

TEST(SkinButton, ImageStripFramesFollowTheClientWidth) {
  SkinButton button(1);
  button.resize(60, 20);
  EXPECT_EQ(button.frameCount(), 4); // no image yet
  QPixmap strip(240, 20);
  strip.fill(Qt::gray);
  button.setImage(strip);
  EXPECT_EQ(button.frameCount(), 4);
  button.resize(120, 40);
  button.setHotArea(QRect(10, 0, 20, 10)); // image units: frames are 60 x 20
  EXPECT_EQ(button.hotRect(), QRect(20, 0, 40, 20));
}

TEST(SkinComboBox, ProgrammaticSelectionIsSilentUserSelectionNotifies) {
  SkinComboBox box(4024);
  box.addItems({"a", "b", "c", "d"});
  box.setUserValue(2);
  box.show();
  QSignalSpy spy(&box, &SkinComboBox::notified);
  box.setShownIndex(3);
  EXPECT_EQ(box.shownIndex(), 3);
  EXPECT_EQ(spy.count(), 0);
  emit box.activated(1); // what the list sends when the user picks an item
  EXPECT_EQ(box.shownIndex(), 1);
  ASSERT_EQ(spy.count(), 1);
  EXPECT_EQ(spy[0], (QList<QVariant>{4024, 2}));
  box.setEnabled(false);
  emit box.activated(2);
  EXPECT_EQ(spy.count(), 1);
}

TEST(ProgressWindow, BarRunsFrom27To516) {
  QWidget main;
  ProgressWindow progress(&main);
  EXPECT_EQ(progress.size(), QSize(541, 161));
  EXPECT_TRUE(progress.isHiddenFlag());
  EXPECT_NEAR(progress.windowOpacity(), 220.0 / 255.0, 0.01);
  progress.setRange(1175);
  progress.setPosition(0);
  EXPECT_EQ(progress.fillRight(), 27);
  progress.setPosition(1175);
  EXPECT_EQ(progress.fillRight(), 516);
  progress.setRange(100);
  progress.setPosition(50);
  EXPECT_EQ(progress.fillRight(), 27 + 489 / 2);
  progress.setPosition(500); // beyond the range: a full bar, not past it
  EXPECT_EQ(progress.fillRight(), 516);
  progress.showProgress();
  EXPECT_FALSE(progress.isHiddenFlag());
  progress.hideProgress();
  EXPECT_TRUE(progress.isHiddenFlag());
}

} // namespace
} // namespace kv816
