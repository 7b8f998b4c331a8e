#include "ui/pages/page.h"

#include <cmath>

namespace kv816 {

Page::Page(int firstPageNumber, QWidget* parent) : QWidget(parent), pageNumber_(firstPageNumber) {}

void Page::setScale(double horizontal, double vertical) {
  if (horizontal == scaleX_ && vertical == scaleY_)
    return;
  scaleX_ = horizontal;
  scaleY_ = vertical;
  scaleChanged();
}

QRect Page::designRect(int left, int top, int right, int bottom) const {
  const int x = int(std::lround(left * scaleX_));
  const int y = int(std::lround(top * scaleY_));
  return {x, y, int(std::lround(right * scaleX_)) - x, int(std::lround(bottom * scaleY_)) - y};
}

int Page::showChannel(int pageNumber) {
  return pageNumber_ == pageNumber ? pageNumber : pageNumber_;
}

void Page::showParameter(const IndexLocation& where, int value) {
  (void)where;
  (void)value;
}

void Page::showMeter(int channel, int level) {
  (void)channel;
  (void)level;
}

} // namespace kv816
