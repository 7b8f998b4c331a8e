#include "ui/shell/tab_row.h"

#include "ui/controls/text_scale.h"

#include <QFontMetrics>

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

void TabRow::setTextScale(double scale) {
  const QFont scaled = scaledFont(font(), TITLE_DESIGN_PIXELS, scale);
  if (scaled == font())
    return;
  setFont(scaled);
  // Room above and below the label as at the design size.
  tabHeight_ = std::max(int(TAB_HEIGHT), QFontMetrics(scaled).height() + 8);
  setTabWidth(tabWidth_);
}

QStringList TabRow::labels() const {
  QStringList list;
  for (int i = 0; i < count(); ++i)
    list << tabText(i);
  return list;
}

QSize TabRow::tabSizeHint(int) const {
  return {tabWidth_, tabHeight_};
}

QSize TabRow::minimumTabSizeHint(int index) const {
  return tabSizeHint(index);
}

} // namespace kv816
