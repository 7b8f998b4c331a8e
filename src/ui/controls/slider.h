#pragma once
// The fader of the pages: one integer value in [min, max], a track and a thumb, moved by
// dragging the thumb, the wheel and the keys: up and down one step (Shift: one value unit,
// Ctrl: a page), PageUp and PageDown a page, Home and End the limits. A double click puts
// the default value back.
//
// Geometry comes from a SliderStyle (design pixels) scaled to the widget's size: the track
// runs from `trackStart` (the minimum) to `trackEnd` (the maximum) along the axis, and the
// thumb is centred across it at `cross`. Every user action ends in
// valueNotified(controlId, index, value) with the value already clamped into [min, max],
// emitted synchronously and also when the value did not change. Setting the value from
// code (setUnits, setValue) never notifies. GUI thread only.

#include <QRect>
#include <QWidget>

class QPainter;

namespace kv816 {

struct SliderStyle {
  int designWidth;
  int designHeight;
  double trackStart; // minimum, along the axis
  double cross;      // thumb centre, across the axis
  double trackEnd;   // maximum, along the axis
  int thumbWidth;
  int thumbHeight;
};

class Slider : public QWidget {
  Q_OBJECT
public:
  static constexpr int STYLE_COUNT = 8;
  // 0 gain page, 1 delay page, 2 graphic-EQ bands, 3 channel gain, 4 channel delay,
  // 5 horizontal, 6 and 7 spare.
  static const SliderStyle STYLES[STYLE_COUNT];

  explicit Slider(int controlId, QWidget* parent = nullptr);
  // Without an id: the page tells its controls apart by their own connections.
  explicit Slider(QWidget* parent) : Slider(0, parent) {}

  int controlId() const { return controlId_; }
  void setIndex(int index) { index_ = index; }
  int index() const { return index_; }

  // Vertical sliders run along y, horizontal ones along x; the style gives the direction
  // of the track (its start is the minimum).
  void setVertical(bool vertical);
  bool isVertical() const { return vertical_; }

  // A reversed range is swapped; the value is kept inside it. No notification.
  void setRange(int min, int max);
  int minimum() const { return min_; }
  int maximum() const { return max_; }

  // Value units per engineering unit; 0 or below is taken as 1.
  void setDivisor(int divisor);
  int divisor() const { return divisor_; }
  void setStep(double step) { step_ = step; }
  double step() const { return step_; }
  // From this value on a step is ten times `step`.
  void setBigStepAbove(int value) { bigStepAbove_ = value; }
  int bigStepAbove() const { return bigStepAbove_; }
  // The coarse step of PageUp/PageDown and Ctrl; 0 or below means ten steps.
  void setPageStep(int value) { pageStep_ = value; }
  int pageStep() const;
  // The value a double click sets; the fill of the track starts there too (0 when in range).
  void setDefaultValue(int value);
  int defaultValue() const { return clamped(defaultValue_); }

  // Selects a style (0..STYLE_COUNT-1; others are ignored) and repaints.
  void setStyle(int style);
  int style() const { return style_; }

  // value = trunc(divisor x x), clamped; repaints, never notifies.
  void setUnits(double units);
  double units() const { return double(value_) / divisor_; }
  // Sets the value directly, clamped; repaints, never notifies.
  void setValue(int value);
  int value() const { return value_; }

  // The geometry at the current size, in widget pixels.
  double trackStart() const;
  double trackEnd() const;
  double cross() const;
  int thumbWidth() const;
  int thumbHeight() const;
  // Thumb centre along the axis for the current value.
  double thumbCentre() const;
  QRect thumbRect() const;

  bool isDragging() const { return dragging_; }
  bool hasFocusedLook() const { return focused_; }

signals:
  void valueNotified(int controlId, int index, int value);

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;
  void hideEvent(QHideEvent* event) override;

private:
  const SliderStyle& geometry() const { return STYLES[style_]; }
  double scaleAlong() const;
  double scaleAcross() const;
  double positionOf(int value) const;
  int valueAt(double position) const;
  int clamped(double value) const;
  int stepped(bool up) const;
  int keyed(const QKeyEvent& event) const;
  void notify();
  void endDrag();
  void paintTrack(QPainter& painter);
  void paintThumb(QPainter& painter);

  int controlId_;
  int index_ = 0;
  bool vertical_ = true;
  int min_ = 0;
  int max_ = 100;
  int value_ = 50;
  int divisor_ = 10;
  double step_ = 1.0;
  int bigStepAbove_ = 30000;
  int pageStep_ = 0;
  int defaultValue_ = 0;
  int style_ = 0;
  bool dragging_ = false;
  bool focused_ = false;
};

} // namespace kv816
