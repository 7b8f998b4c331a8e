#include "ui/shell/tab_row.h"

namespace kv816 {

TabRow::TabRow(QWidget* parent) : QTabBar(parent) {
  setExpanding(false);
  setUsesScrollButtons(false);
  setElideMode(Qt::ElideNone);
  setDrawBase(false);
}

void TabRow::setTabWidth(int width) {
  tabWidth_ = std::max(1, width);
  // Forces the bar to ask the size hints again.
  setIconSize(iconSize());
  updateGeometry();
  update();
}

QStringList TabRow::labels() const {
  QStringList list;
  for (int i = 0; i < count(); ++i)
    list << tabText(i);
  return list;
}

QSize TabRow::tabSizeHint(int) const {
  return {tabWidth_, TAB_HEIGHT};
}

QSize TabRow::minimumTabSizeHint(int index) const {
  return tabSizeHint(index);
}

} // namespace kv816
