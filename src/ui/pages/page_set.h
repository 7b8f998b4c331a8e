#pragma once
// The six pages of the main window, in the main window's order, and how they are made.

#include "edit/edit_session.h"
#include "model/parameter_table.h"
#include "ui/pages/page.h"

#include <array>
#include <functional>

namespace kv816 {

enum class PageSlot : int { Home = 0, Gain, Delay, Geq, Input, Output };
inline constexpr int PAGE_SLOT_COUNT = 6;

struct PageSet {
  std::array<Page*, PAGE_SLOT_COUNT> pages{};

  Page* at(PageSlot slot) const { return pages[static_cast<size_t>(slot)]; }
  Page* home() const { return at(PageSlot::Home); }
  Page* gain() const { return at(PageSlot::Gain); }
  Page* delay() const { return at(PageSlot::Delay); }
  Page* geq() const { return at(PageSlot::Geq); }
  Page* input() const { return at(PageSlot::Input); }
  Page* output() const { return at(PageSlot::Output); }
};

// Creates the six pages as children of `parent` (the main window's tab area); the pages
// show `table` and make every user edit through `edits`.
using PageFactory =
    std::function<PageSet(QWidget* parent, ParameterTable& table, EditSession& edits)>;

// The program's pages.
PageSet createPages(QWidget* parent, ParameterTable& table, EditSession& edits);

} // namespace kv816
