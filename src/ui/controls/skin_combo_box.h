#pragma once
// A drop-down list the pages draw themselves.
//
// When the user picks an item, the shown index becomes the pick and the box emits
// notified(controlId, userValue). setShownIndex() is the programmatic selection: it only
// changes what is shown and emits nothing. GUI thread only.

#include <QComboBox>
#include <QPixmap>

namespace kv816 {

class SkinComboBox : public QComboBox {
  Q_OBJECT
public:
  explicit SkinComboBox(int controlId, QWidget* parent = nullptr);
  // Without an id: the page tells its controls apart by their own connections.
  explicit SkinComboBox(QWidget* parent) : SkinComboBox(0, parent) {}

  int controlId() const { return controlId_; }
  void setUserValue(int value) { userValue_ = value; }
  int userValue() const { return userValue_; }

  // Shows item `index` without notifying anyone.
  void setShownIndex(int index);
  int shownIndex() const { return currentIndex(); }

  // The page's scale factor: the text is Arial 14 px times it, the list 1.3 times that.
  void setScale(double scale);
  // Optional two-frame image: frame 1 while the pointer is over the box.
  void setImage(const QPixmap& image);

signals:
  void notified(int controlId, int userValue);

protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

private:
  void onActivated(int index);

  int controlId_;
  int userValue_ = 0;
  double scale_ = 1.0;
  QPixmap image_;
  bool hovering_ = false;
};

} // namespace kv816
