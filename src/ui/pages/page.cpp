#include "ui/pages/page.h"

namespace kv816 {

Page::Page(int firstPageNumber, QWidget* parent) : QWidget(parent), pageNumber_(firstPageNumber) {}

void Page::setScale(double horizontal, double vertical) {
  if (horizontal == scaleX_ && vertical == scaleY_)
    return;
  scaleX_ = horizontal;
  scaleY_ = vertical;
  scaleChanged();
}

int Page::showChannel(int pageNumber) {
  return pageNumber_ == pageNumber ? pageNumber : pageNumber_;
}

void Page::applyCode(int code, int value, int pageNumber) {
  (void)code;
  (void)value;
  (void)pageNumber;
}

int Page::itemRaw(int item) const {
  (void)item;
  return -1;
}

int Page::linkGroup(int channel) const {
  (void)channel;
  return 0;
}

} // namespace kv816
