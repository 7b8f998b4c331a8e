#include "ui/pages/page_set.h"

#include "ui/pages/delay_page.h"
#include "ui/pages/gain_page.h"
#include "ui/pages/geq_page.h"
#include "ui/pages/home_page.h"
#include "ui/pages/placeholder_page.h"

namespace kv816 {

PageSet createPages(QWidget* parent, ParameterTable& table) {
  PageSet set;
  for (int slot = 0; slot < PAGE_SLOT_COUNT; ++slot)
    set.pages[static_cast<size_t>(slot)] = new PlaceholderPage(static_cast<PageSlot>(slot), parent);
  auto replace = [&set](PageSlot slot, Page* page) {
    delete set.pages[static_cast<size_t>(slot)];
    set.pages[static_cast<size_t>(slot)] = page;
  };
  replace(PageSlot::Home, new HomePage(table, parent));
  replace(PageSlot::Gain, new GainPage(table, parent));
  replace(PageSlot::Delay, new DelayPage(table, parent));
  replace(PageSlot::Geq, new GeqPage(table, parent));
  return set;
}

} // namespace kv816
