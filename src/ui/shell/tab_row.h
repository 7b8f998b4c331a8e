#pragma once
// The main window's row of tabs: every tab has the same fixed width, so the whole row always
// fits, and a height of 24 pixels or more when the labels grow with the window.
// GUI thread only.

#include <QTabBar>

namespace kv816 {

class TabRow : public QTabBar {
  Q_OBJECT
public:
  static constexpr int TAB_HEIGHT = 24;

  explicit TabRow(QWidget* parent = nullptr);
  void setTabWidth(int width);
  int tabWidth() const { return tabWidth_; }
  // The labels' size follows the window's scale (see scaledTextPixels).
  void setTextScale(double scale);
  int tabHeight() const { return tabHeight_; }
  QStringList labels() const;

protected:
  QSize tabSizeHint(int index) const override;
  QSize minimumTabSizeHint(int index) const override;

private:
  int tabWidth_ = 80;
  int tabHeight_ = TAB_HEIGHT;
};

} // namespace kv816
