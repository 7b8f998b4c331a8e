// The main window's side of the link: notifications and parameter routing.

#include "model/meter.h"
#include "ui/shell/device_session.h"
#include "ui/shell/main_window.h"

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
    break;
  case Notify::TaskDone:
    emit deviceReadDone();
    break;
  default:
    break; // progress hidden needs nothing here
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

} // namespace kv816
