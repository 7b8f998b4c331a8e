#pragma once
// Sets the Tab order of a page's controls to the order given (hidden ones are skipped by
// Qt as Tab passes). GUI thread only.

#include <QWidget>

#include <vector>

namespace kv816 {

inline void setFocusChain(const std::vector<QWidget*>& widgets) {
  // A control that hands its focus to a child (a value edit's field) is ordered by that
  // child: Qt leaves the order alone for a widget that takes no focus itself.
  auto target = [](QWidget* w) {
    while (w->focusProxy())
      w = w->focusProxy();
    return w;
  };
  for (size_t i = 1; i < widgets.size(); ++i)
    QWidget::setTabOrder(target(widgets[i - 1]), target(widgets[i]));
}

} // namespace kv816
