// The main window's side of the link: notifications and parameter routing.

#include "model/channel_layout.h"
#include "model/parameter_table.h"
#include "ui/shell/device_session.h"
#include "ui/shell/main_window.h"
#include "ui/shell/show_controller.h"

namespace kv816 {

void MainWindow::handleNotify(Notify what, int arg) {
  switch (what) {
  case Notify::ParameterChanged:
    routeParameter(arg);
    break;
  case Notify::LinkStatus:
    showLinkStatus(arg);
    break;
  case Notify::ModulesFound:
    emit modulesFound(arg);
    break;
  case Notify::ReadDone:
    // The table now holds the device's values (reconnect, preset recall): the history's
    // old values no longer describe it.
    clearEditHistory();
    show_->readDone();
    break;
  case Notify::TaskDone:
    emit deviceReadDone();
    break;
  default:
    break; // progress hidden needs nothing here
  }
}

// The model's layout names what an index is; every page shows what it has a control for.
void MainWindow::routeParameter(int index) {
  if (!ParameterTable::isValidIndex(index))
    return;
  const int value = session_.table().value(index);
  if (index >= IDX_METER_FIRST && index < IDX_METER_FIRST + METER_WORD_COUNT) {
    routeMeters(index - IDX_METER_FIRST, value);
    return;
  }
  const IndexLocation where = locateIndex(index);
  if (where.isGlobal())
    return;
  for (Page* page : pages_.pages)
    page->showParameter(where, value);
}

// Each meter word carries two channels' levels: the low byte the even channel, the high
// byte the odd one.
void MainWindow::routeMeters(int word, int value) {
  for (int half = 0; half < 2; ++half) {
    const int channel = 2 * word + half;
    const int level = (value >> (8 * half)) & 0xFF;
    for (Page* page : pages_.pages)
      page->showMeter(channel, level);
  }
}

} // namespace kv816
