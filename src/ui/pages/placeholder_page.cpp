#include "ui/pages/placeholder_page.h"

#include "i18n/text.h"
#include "model/channel_layout.h"
#include "model/link_groups.h"
#include "ui/tab_layout.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kv816 {

namespace {

int firstPageOf(PageSlot slot) {
  switch (slot) {
  case PageSlot::Home:
    return PAGE_HOME;
  case PageSlot::Gain:
    return PAGE_GAIN;
  case PageSlot::Delay:
    return PAGE_DELAY;
  case PageSlot::Geq:
    return PAGE_GEQ_FIRST;
  case PageSlot::Input:
    return PAGE_INPUT_FIRST;
  default:
    return PAGE_OUTPUT_FIRST;
  }
}

QString text(Text key) {
  return QString::fromUtf8(langText(key));
}

// Home codes 8..11 carry the inputs' link masks, 12..19 the outputs'.
constexpr int HOME_LINK_CODE_FIRST = 8;

} // namespace

PlaceholderPage::PlaceholderPage(PageSlot slot, QWidget* parent)
    : Page(firstPageOf(slot), parent), slot_(slot), title_(new QLabel(this)) {
  auto* layout = new QVBoxLayout(this);
  title_->setAlignment(Qt::AlignCenter);
  layout->addWidget(title_);
  scaleChanged();
  refreshTexts();
}

QString PlaceholderPage::heading() const {
  const int page = pageNumber();
  switch (slot_) {
  case PageSlot::Home:
    return text(Text::Home);
  case PageSlot::Gain:
    return text(Text::Gain);
  case PageSlot::Delay:
    return text(Text::Delay);
  case PageSlot::Geq:
    return text(Text::Geq) + QChar('A' + page - PAGE_GEQ_FIRST);
  case PageSlot::Input:
    return text(Text::In) + QChar('A' + page - PAGE_INPUT_FIRST);
  default:
    return text(Text::Out) + QString::number(1 + page - PAGE_OUTPUT_FIRST);
  }
}

void PlaceholderPage::setIoMode(int ioMode) {
  ioMode_ = ioMode;
}

void PlaceholderPage::refreshTexts() {
  title_->setText(heading());
}

bool PlaceholderPage::acceptsPage(int pageNumber) const {
  switch (slot_) {
  case PageSlot::Geq:
    return pageNumber >= PAGE_GEQ_FIRST && pageNumber < PAGE_INPUT_FIRST;
  case PageSlot::Input:
    return pageNumber >= PAGE_INPUT_FIRST && pageNumber < PAGE_OUTPUT_FIRST;
  case PageSlot::Output:
    return pageNumber >= PAGE_OUTPUT_FIRST && pageNumber < PAGE_NUMBER_COUNT;
  default:
    return false;
  }
}

int PlaceholderPage::showChannel(int pageNumber) {
  if (acceptsPage(pageNumber)) {
    setShownPageNumber(pageNumber);
    refreshTexts();
  }
  return this->pageNumber();
}

void PlaceholderPage::applyCode(int code, int value, int pageNumber) {
  const bool channelPage = slot_ == PageSlot::Input || slot_ == PageSlot::Output;
  if (channelPage && pageNumber != this->pageNumber())
    return;
  values_.insert(code, value);
}

int PlaceholderPage::itemRaw(int item) const {
  const int items = slot_ == PageSlot::Gain ? 36 : slot_ == PageSlot::Delay ? 12 : 0;
  if (item < 0 || item >= items)
    return -1;
  return values_.value(item, -1);
}

int PlaceholderPage::linkGroup(int channel) const {
  if (slot_ != PageSlot::Home || !isValidChannel(channel))
    return 0;
  const ActiveChannels shown = activeChannelsOf(ioMode_);
  // Until the device reports a mask, every channel sits in its own group.
  const int own = isInput(channel) ? channel : channel - INPUT_COUNT;
  const int mask = values_.value(HOME_LINK_CODE_FIRST + channel, maskOfGroup(own));
  return groupOfMask(mask, isInput(channel) ? shown.inputs : shown.outputs);
}

void PlaceholderPage::scaleChanged() {
  QFont heading = font();
  heading.setPixelSize(std::max(8, int(28 * verticalScale())));
  heading.setBold(true);
  title_->setFont(heading);
}

} // namespace kv816
