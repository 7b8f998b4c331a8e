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

PageSet createPages(QWidget* parent, ParameterTable& table, EditSession& edits) {
  PageSet set;
  auto put = [&set](PageSlot slot, Page* page) { set.pages[static_cast<size_t>(slot)] = page; };
  put(PageSlot::Home, new HomePage(edits, parent));
  put(PageSlot::Gain, new GainPage(edits, parent));
  put(PageSlot::Delay, new DelayPage(edits, parent));
  put(PageSlot::Geq, new GeqPage(table, edits, parent));
  put(PageSlot::Input, new ChannelPage(table, edits, FIRST_INPUT_PAGE, parent));
  put(PageSlot::Output, new ChannelPage(table, edits, FIRST_OUTPUT_PAGE, parent));
  return set;
}

} // namespace kv816
