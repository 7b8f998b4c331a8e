#pragma once
// A push or two-state button the pages draw themselves.
//
// Without an image the button paints a rounded face; with an image (a horizontal strip of
// equal frames) frame 0 is the normal look, frame 1 the look of a two-state button that is
// on, and the hover frame is drawn over the current frame while the pointer is over the hot
// area. A release after a press inside the hot area, while enabled and visible, toggles a
// two-state button (1 <-> 2) and then emits notified(controlId, userValue); so do Space and
// Enter while the button has the keyboard focus (its ring shows it). GUI thread only.

#include <QColor>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QWidget>

namespace kv816 {

class SkinButton : public QWidget {
  Q_OBJECT
public:
  enum CheckState : int { PLAIN = 0, OFF = 1, ON = 2 };

  explicit SkinButton(int controlId, QWidget* parent = nullptr);
  // Without an id: the page tells its controls apart by their own connections.
  explicit SkinButton(QWidget* parent) : SkinButton(0, parent) {}

  int controlId() const { return controlId_; }
  void setUserValue(int value) { userValue_ = value; }
  int userValue() const { return userValue_; }

  // Sets 0 (plain), 1 (two-state off) or 2 (two-state on); no notification.
  void setCheckState(int state);
  int checkState() const { return checkState_; }

  void setText(const QString& text);
  QString text() const { return text_; }
  void setTextColors(const QColor& normal, const QColor& on);
  void setTextFlags(int flags);
  void setTextFont(const QFont& font);
  // The face of a two-state button that is on (the palette's highlight unless set).
  void setFaceOnColor(const QColor& color);

  // The strip of frames; the frame count is the image width over the client width.
  void setImage(const QPixmap& image);
  int frameCount() const;
  void setHoverFrame(int frame) { hoverFrame_ = frame; }
  // The hot area in image coordinates (whole client area when empty or without image).
  void setHotArea(const QRect& area) { hotArea_ = area; }
  // The hot area in widget coordinates, kept inside the client area.
  QRect hotRect() const;
  bool isHovering() const { return hovering_; }

signals:
  void notified(int controlId, int userValue);

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;

private:
  bool acceptsMouse() const { return isEnabled() && isVisible(); }
  void setHovering(bool hovering);
  void click();
  void paintFace(QPainter& painter);
  void paintFrame(QPainter& painter, int frame);

  int controlId_;
  int userValue_ = 0;
  int checkState_ = PLAIN;
  QString text_;
  QColor textColor_; // the palette's text colour until set
  QColor textColorOn_;
  QColor faceOnColor_;
  int textFlags_ = 0x25; // centred, single line
  QPixmap image_;
  int frameCount_ = 4;
  int hoverFrame_ = 2;
  QRect hotArea_;
  bool hovering_ = false;
  bool pressed_ = false;
};

} // namespace kv816
