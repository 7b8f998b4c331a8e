// The main window's side of the link: notifications, parameter routing, linked channels
// and committed values.

#include "model/channel_copy.h"
#include "model/channel_layout.h"
#include "model/link_groups.h"
#include "model/meter.h"
#include "ui/shell/device_session.h"
#include "ui/shell/main_window.h"

namespace kv816 {

namespace {

// First index of channel c's gain entries (c 0..3 inputs, 4..11 outputs).
int gainBase(int channel) {
  return channel < INPUT_COUNT ? 21 + INPUT_STRIDE * channel
                               : 716 + OUTPUT_STRIDE * (channel - INPUT_COUNT);
}

constexpr int GAIN_ITEMS = 36;
constexpr int DELAY_ITEMS = 12;

} // namespace

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
  case Notify::TaskDone:
    emit deviceReadDone();
    break;
  default:
    break; // read done and progress hidden need nothing here
  }
}

void MainWindow::routeParameter(int index) {
  if (!ParameterTable::isValidIndex(index))
    return;
  const int value = session_.table().value(index);
  for (const Route& route : routesOf(index)) {
    Page* page = pages_.at(route.slot);
    if (!page || (route.onlyWhileShown && page->pageNumber() != route.pageNumber))
      continue;
    const int part = routeValue(route.part, value);
    switch (route.kind) {
    case RouteKind::Code:
      page->applyCode(route.code, part, route.pageNumber);
      break;
    case RouteKind::Graph:
      page->redrawGraph(part);
      break;
    case RouteKind::InputMeter:
      page->setMeterMask(int(meterSegments(part, page->meterSegmentCount())));
      break;
    }
  }
}

void MainWindow::followLink(int channel) {
  if (!isValidChannel(channel))
    return;
  const ActiveChannels shown = activeChannelsOf(ioMode_);
  LinkGroups groups{};
  for (int c = 0; c < CHANNEL_COUNT; ++c)
    groups[static_cast<size_t>(c)] = pages_.home()->linkGroup(c);
  for (int index : propagateLink(session_.table(), channel, shown, groups))
    postRefresh(index);
}

void MainWindow::commitValue(int page, int item) {
  int raw = -1;
  int index = -1;
  if (page == 1 && item >= 0 && item < GAIN_ITEMS) {
    raw = pages_.gain()->itemRaw(item);
    index = gainBase(item % 12) + item / 12;
  } else if (page == 2 && item >= 0 && item < DELAY_ITEMS) {
    raw = pages_.delay()->itemRaw(item);
    index = gainBase(item) + 3;
  }
  // A page that cannot give the value leaves the table alone.
  if (index >= 0 && raw >= 0)
    session_.table().setParameter(index, raw);
}

} // namespace kv816
