#pragma once
// The small frameless window that shows the progress of the link's long operations (the
// full read, the page refresh after it, an import, a recall). 541 x 161, 220/255 opaque,
// rounded corners, centred over the main window and draggable with the left button.
//
// GUI thread only; the worker reaches it through QtLinkEvents::progress(), which marshals
// every call here.

#include <QPoint>
#include <QString>
#include <QWidget>

namespace kv816 {

class ProgressWindow : public QWidget {
  Q_OBJECT
public:
  static constexpr int WIDTH = 541;
  static constexpr int HEIGHT = 161;
  static constexpr int BAR_LEFT = 27;
  static constexpr int BAR_RIGHT = 516;

  explicit ProgressWindow(QWidget* mainWindow);

  // The position that means 100 %; a range of 0 or less is taken as 1.
  void setRange(int range);
  int range() const { return range_; }
  // Moves the bar and re-centres the window over the main window.
  void setPosition(int position);
  int position() const { return position_; }
  // The line shown under the bar, already formatted by the caller.
  void setLine(const QString& line);
  QString line() const { return line_; }
  void setTitle(const QString& title);

  // The right edge of the filled part: 27 at 0 %, 516 at 100 %.
  int fillRight() const;
  // True from construction and after each hide, false while shown.
  bool isHiddenFlag() const { return hiddenFlag_; }

  void showProgress();
  void hideProgress();
  void centreOverMainWindow();

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  void paintScene(QPainter& painter, bool filled);

  QWidget* mainWindow_;
  int range_ = 1;
  int position_ = 0;
  QString line_;
  QString title_;
  bool hiddenFlag_ = true;
  bool dragging_ = false;
  QPoint dragOffset_;
};

} // namespace kv816
