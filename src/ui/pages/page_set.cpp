#include "ui/pages/page_set.h"

#include "ui/pages/channel_page.h"
#include "ui/pages/delay_page.h"
#include "ui/pages/gain_page.h"
#include "ui/pages/geq_page.h"
#include "ui/pages/home_page.h"

namespace kv816 {

namespace {
constexpr int FIRST_INPUT_PAGE = 7;
constexpr int FIRST_OUTPUT_PAGE = 11;
} // namespace

PageSet createPages(QWidget* parent, ParameterTable& table) {
  PageSet set;
  auto put = [&set](PageSlot slot, Page* page) { set.pages[static_cast<size_t>(slot)] = page; };
  put(PageSlot::Home, new HomePage(table, parent));
  put(PageSlot::Gain, new GainPage(table, parent));
  put(PageSlot::Delay, new DelayPage(table, parent));
  put(PageSlot::Geq, new GeqPage(table, parent));
  put(PageSlot::Input, new ChannelPage(table, FIRST_INPUT_PAGE, parent));
  put(PageSlot::Output, new ChannelPage(table, FIRST_OUTPUT_PAGE, parent));
  return set;
}

} // namespace kv816
