#include "dsp/scale_config.h"
#include "ui/controls/value_edit.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <vector>

namespace kv816 {
namespace {

constexpr int ID = 3124;
constexpr int INDEX = 5;

using Notes = QList<QList<QVariant>>;

QList<QVariant> note(int raw) {
  return {ID, INDEX, raw};
}

// An edit at twice its design size beside a second field that can take the focus away,
// in an active window.
struct EditWindow {
  QWidget window;
  ValueEdit* edit = new ValueEdit(ID, &window);
  QLineEdit* elsewhere = new QLineEdit(&window);

  explicit EditWindow(const ScaleConfig& scale, int raw) {
    edit->setGeometry(0, 0, 128, 48);
    elsewhere->setGeometry(0, 60, 100, 20);
    edit->setIndex(INDEX);
    edit->setScale(scale);
    edit->setRawValue(raw);
    window.resize(200, 100);
    window.show();
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    elsewhere->setFocus();
  }
  QString text() const { return edit->field()->text(); }
  void wheel(int delta) {
    const QPointF at(10, 10);
    QWheelEvent event(at, edit->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(edit, &event);
  }
  // Where the upper and lower halves of the spin area are.
  QPoint spinUp() const { return {edit->spinRect().center().x(), 5}; }
  QPoint spinDown() const { return {edit->spinRect().center().x(), 40}; }
  QTimer* timer() const { return edit->findChild<QTimer*>("spinRepeat"); }
  // The repeat timer expires now, as it would after its interval.
  void expire() {
    QTimerEvent tick(timer()->timerId());
    QCoreApplication::sendEvent(timer(), &tick);
  }
};

enum class Action { FocusOut, Return, Up, Down, WheelUp, WheelDown };

struct TypedCase {
  const char* name;
  ScaleConfig scale;
  int start;
  const char* typed; // nullptr: leave the shown text
  Action action;
  std::vector<int> notified;
  const char* shown;
};

TEST(ValueEdit, FocusInNotifiesThenTypedTextIsCommittedByTheNextAction) {
  const TypedCase cases[] = {
      {"OFF kept, nothing sent", HPF_FREQ_SCALE, 19, "OFF", Action::FocusOut, {}, "OFF"},
      {"unchanged text, nothing sent", PEQ_FREQ_SCALE, 1000, nullptr, Action::FocusOut, {}, "1000"},
      {"typed and left", PEQ_FREQ_SCALE, 1000, "25", Action::FocusOut, {25}, "25"},
      {"typed and Return", PEQ_FREQ_SCALE, 1000, "25", Action::Return, {25}, "25"},
      {"Return unchanged", PEQ_FREQ_SCALE, 1000, nullptr, Action::Return, {1000}, "1000"},
      {"typed then up", CHANNEL_GAIN_SCALE, 0, "-3.5dB", Action::Up, {-34}, "-3.4dB"},
      {"typed past max then down", CHANNEL_GAIN_SCALE, 0, "99", Action::Down, {119}, "11.9dB"},
      {"up at max still sends", CHANNEL_GAIN_SCALE, 120, nullptr, Action::Up, {120}, "12.0dB"},
      {"wheel down a table entry", PEQ_Q_SCALE, 16, nullptr, Action::WheelDown, {15}, "0.94"},
      {"typed then wheel up", PEQ_Q_SCALE, 16, "1.5", Action::WheelUp, {24}, "1.60"},
      {"kilo and unit", PEQ_FREQ_SCALE, 1000, "1.2 kHz", Action::FocusOut, {1200}, "1200"},
      {"unreadable left: kept", PEQ_FREQ_SCALE, 1000, "abc", Action::FocusOut, {}, "1000"},
      {"unreadable Return: kept", PEQ_FREQ_SCALE, 1000, "1..2", Action::Return, {}, "1000"},
      {"unreadable up: no step", CHANNEL_GAIN_SCALE, 0, "3 ms", Action::Up, {}, "0.0dB"},
  };
  for (const TypedCase& c : cases) {
    SCOPED_TRACE(c.name);
    EditWindow w(c.scale, c.start);
    QSignalSpy spy(w.edit, &ValueEdit::valueNotified);
    w.edit->field()->setFocus();
    EXPECT_TRUE(w.edit->isEditing());
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.takeFirst(), note(c.start)); // focus in always notifies
    if (c.typed)
      w.edit->field()->setText(c.typed);
    switch (c.action) {
    case Action::FocusOut:
      w.elsewhere->setFocus();
      EXPECT_FALSE(w.edit->isEditing());
      break;
    case Action::Return:
      QTest::keyClick(w.edit->field(), Qt::Key_Return);
      break;
    case Action::Up:
      QTest::keyClick(w.edit->field(), Qt::Key_Up);
      break;
    case Action::Down:
      QTest::keyClick(w.edit->field(), Qt::Key_Down);
      break;
    case Action::WheelUp:
      w.wheel(120);
      break;
    case Action::WheelDown:
      w.wheel(-120);
      break;
    }
    Notes expected;
    for (int raw : c.notified)
      expected.append(note(raw));
    EXPECT_EQ(Notes(spy), expected);
    EXPECT_EQ(w.text(), c.shown);
  }
}

TEST(ValueEdit, HeldSpinStepsAtOnceAfter700MsThenEvery100MsAndKeepsNotifyingAtMax) {
  ScaleConfig scale = PEQ_GAIN_SCALE;
  scale.max = 3;
  EditWindow w(scale, 0);
  QSignalSpy spy(w.edit, &ValueEdit::valueNotified);
  QTest::mousePress(w.edit, Qt::LeftButton, Qt::NoModifier, w.spinUp());
  // The step, then the focus moving to the field.
  EXPECT_EQ(Notes(spy), (Notes{note(1), note(1)}));
  EXPECT_EQ(w.edit->repeat(), ValueEdit::REPEAT_UP);
  ASSERT_TRUE(w.timer()->isActive());
  EXPECT_EQ(w.timer()->interval(), 700);
  spy.clear();
  for (int tick = 0; tick < 4; ++tick) {
    w.expire();
    ASSERT_TRUE(w.timer()->isActive());
    EXPECT_EQ(w.timer()->interval(), 100);
  }
  EXPECT_EQ(Notes(spy), (Notes{note(2), note(3), note(3), note(3)}));
  QTest::mouseRelease(w.edit, Qt::LeftButton, Qt::NoModifier, w.spinUp());
  EXPECT_FALSE(w.timer()->isActive());
  EXPECT_EQ(w.edit->repeat(), ValueEdit::REPEAT_NONE);
  spy.clear();
  // Now focused: a press in the lower half steps down once and nothing else.
  QTest::mousePress(w.edit, Qt::LeftButton, Qt::NoModifier, w.spinDown());
  EXPECT_EQ(w.edit->repeat(), ValueEdit::REPEAT_DOWN);
  QTest::mouseRelease(w.edit, Qt::LeftButton, Qt::NoModifier, w.spinDown());
  EXPECT_EQ(Notes(spy), (Notes{note(2)}));
  EXPECT_EQ(w.text(), "0.2");
}

TEST(ValueEdit, SetUnitsShowsTheValueAndNeverNotifies) {
  struct Case {
    ScaleConfig scale;
    double units;
    int raw;
    const char* shown;
  };
  const Case cases[] = {
      {CHANNEL_GAIN_SCALE, -2.35, -23, "-2.3dB"},
      {CHANNEL_GAIN_SCALE, 50.0, 120, "12.0dB"},
      {PEQ_Q_SCALE, 1.0, 16, "1.00"},
      {HPF_FREQ_SCALE, 0.0, 19, "OFF"},
      {DELAY_MS_SCALE, 12.5, 125, "12.5ms"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    EditWindow w(c.scale, c.scale.min);
    w.edit->field()->setFocus(); // even while the user is in the field
    QSignalSpy spy(w.edit, &ValueEdit::valueNotified);
    w.edit->setUnits(c.units);
    EXPECT_EQ(w.edit->rawValue(), c.raw);
    EXPECT_EQ(w.text(), c.shown);
    EXPECT_EQ(spy.count(), 0);
  }
}

TEST(ValueEdit, FieldAndSpinAreaFollowTheScaledStyle) {
  struct Case {
    int style;
    QSize size;
    QRect text;
    QRect spin;
  };
  const Case cases[] = {
      {0, {64, 24}, QRect(2, 2, 45, 20), QRect(47, 0, 17, 24)},
      {0, {128, 48}, QRect(4, 4, 90, 40), QRect(94, 0, 34, 48)},
      {2, {100, 22}, QRect(6, 1, 74, 19), QRect(80, 0, 20, 22)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.style);
    ValueEdit edit(ID);
    edit.setEditStyle(c.style);
    edit.resize(c.size);
    edit.show(); // a hidden widget hears of its size when shown
    EXPECT_EQ(edit.textRect(), c.text);
    EXPECT_EQ(edit.spinRect(), c.spin);
    EXPECT_EQ(edit.field()->geometry(), c.text);
    EXPECT_EQ(edit.field()->objectName(), "1124");
    EXPECT_EQ(edit.field()->alignment(), Qt::AlignCenter);
  }
}

TEST(ValueEdit, DisabledEditHidesItsFieldAndIgnoresInput) {
  EditWindow w(CHANNEL_GAIN_SCALE, 0);
  QSignalSpy spy(w.edit, &ValueEdit::valueNotified);
  w.edit->setEnabled(false);
  EXPECT_TRUE(w.edit->field()->isHidden());
  w.wheel(120);
  QTest::mousePress(w.edit, Qt::LeftButton, Qt::NoModifier, w.spinUp());
  QTest::mouseRelease(w.edit, Qt::LeftButton, Qt::NoModifier, w.spinUp());
  EXPECT_EQ(spy.count(), 0);
  EXPECT_EQ(w.edit->rawValue(), 0);
  w.edit->setEnabled(true);
  EXPECT_FALSE(w.edit->field()->isHidden());
  w.wheel(120);
  EXPECT_EQ(Notes(spy), (Notes{note(1)}));
}

} // namespace
} // namespace kv816
