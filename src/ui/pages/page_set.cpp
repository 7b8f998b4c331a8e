#include "ui/pages/page_set.h"

#include "ui/pages/placeholder_page.h"

namespace kv816 {

PageSet createPages(QWidget* parent, ParameterTable& table) {
  (void)table;
  PageSet set;
  for (int slot = 0; slot < PAGE_SLOT_COUNT; ++slot)
    set.pages[static_cast<size_t>(slot)] = new PlaceholderPage(static_cast<PageSlot>(slot), parent);
  return set;
}

} // namespace kv816
