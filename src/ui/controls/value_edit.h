#pragma once
// The numeric value box of the pages: a centred text field with a spin area at its right
// (upper half up, lower half down). It holds one raw integer with a ScaleConfig and shows
// formatValue of it.
//
// Before every user action the raw value is re-read from the field with parseTyped, so
// typed text is committed by whatever the user does next. Text that cannot be read puts the
// value back, flashes the field and notifies nothing. Actions end in
// valueNotified(controlId, index, raw) with raw clamped into the scale's range, emitted
// synchronously:
//   - the field gains the focus: always, even when nothing changed;
//   - the field loses the focus: only when the raw value changed;
//   - up, down, Return/Enter in the field, the wheel: always (one raw unit per step);
//   - a press in the spin area: at once, then after REPEAT_DELAY_MS and every
//     REPEAT_INTERVAL_MS while the button is held, also when the value sits at a limit.
// setUnits and setRawValue never notify, so a value from the device does not echo back.
// A disabled edit hides its field and is washed over with the field colour. GUI thread
// only.

#include "dsp/scale_config.h"

#include <QColor>
#include <QRect>
#include <QString>
#include <QWidget>

#include <optional>

class QLineEdit;
class QPainter;
class QTimer;

namespace kv816 {

struct EditStyle {
  int designWidth;
  int designHeight;
  QRect textRect; // design pixels; the spin area is everything right of it
};

class ValueEdit : public QWidget {
  Q_OBJECT
public:
  static constexpr int STYLE_COUNT = 5;
  static const EditStyle STYLES[STYLE_COUNT];
  static constexpr int REPEAT_DELAY_MS = 700;
  static constexpr int REPEAT_INTERVAL_MS = 100;
  static constexpr int FLASH_MS = 400;
  enum Repeat : int { REPEAT_NONE = 0, REPEAT_UP = 1, REPEAT_DOWN = 2 };

  explicit ValueEdit(int controlId, QWidget* parent = nullptr);
  // Without an id: the page tells its controls apart by their own connections.
  explicit ValueEdit(QWidget* parent) : ValueEdit(0, parent) {}

  int controlId() const { return controlId_; }
  void setIndex(int index) { index_ = index; }
  int index() const { return index_; }

  // The raw value is kept inside the new range; no notification.
  void setScale(const ScaleConfig& scale);
  const ScaleConfig& scale() const { return scale_; }

  // raw = fromUnits(scale, units) with no typed text; shows it, never notifies.
  void setUnits(double units);
  double units() const;
  // Sets the raw value, clamped; shows it, never notifies.
  void setRawValue(int raw);
  int rawValue() const { return raw_; }

  // Selects a style (0..STYLE_COUNT-1; others are ignored) and places the field.
  void setEditStyle(int style);
  int editStyle() const { return style_; }
  // Font size (em) in design pixels, scaled with the control's height and shrunk as far
  // as the scale's longest text needs to fit the field.
  void setFontHeight(int designPixels);
  void setFontFace(const QString& face);
  void setColors(const QColor& field, const QColor& editing, const QColor& text);
  void setSkinShown(bool shown);

  bool isEditing() const { return editing_; }
  int repeat() const { return repeat_; }
  QLineEdit* field() const { return field_; }
  // The field's and the spin area's rectangles at the current size, in widget pixels.
  QRect textRect() const;
  QRect spinRect() const;

signals:
  void valueNotified(int controlId, int index, int raw);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

private:
  std::optional<int> parsed();
  void flash();
  void endFlash();
  int clamped(int raw) const;
  void display(int raw);
  void notify();
  void stepBy(int delta);
  bool handleKey(int key);
  void fieldFocusIn();
  void fieldFocusOut();
  void repeatTick();
  void placeField();
  void applyFieldColors();
  QColor fieldColor() const;
  QColor editingColor() const;
  QColor textColor() const;
  void paintSkin(QPainter& painter);
  void paintSpin(QPainter& painter, const QRect& half, bool up, bool pressed);

  int controlId_;
  int index_ = 0;
  ScaleConfig scale_;
  int raw_ = 50;
  int style_ = 0;
  int fontHeight_ = 16;
  QString fontFace_ = QStringLiteral("Arial");
  // Invalid until a page sets them: the palette's field and text colours.
  QColor fieldColor_;
  QColor editingColor_;
  QColor textColor_;
  bool skinShown_ = true;
  bool editing_ = false;
  int repeat_ = REPEAT_NONE;
  QLineEdit* field_;
  QTimer* repeatTimer_;
  QTimer* flashTimer_;
  bool flashing_ = false;
};

} // namespace kv816
