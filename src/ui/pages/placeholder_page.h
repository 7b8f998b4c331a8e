#pragma once
// A page that holds the place of one of the six pages until its own widget exists: it
// shows its name and channel in the current language, keeps the values routed to it (so
// that the gain and delay pages answer itemRaw and the home page its link groups) and
// follows the channel the main window asks for. GUI thread only.

#include "ui/pages/page.h"
#include "ui/parameter_routes.h"

#include <QHash>

class QLabel;

namespace kv816 {

class PlaceholderPage : public Page {
  Q_OBJECT
public:
  PlaceholderPage(PageSlot slot, QWidget* parent);

  PageSlot slot() const { return slot_; }
  void setIoMode(int ioMode) override;
  void refreshTexts() override;
  int showChannel(int pageNumber) override;
  void applyCode(int code, int value, int pageNumber) override;
  int itemRaw(int item) const override;
  int linkGroup(int channel) const override;

  // The heading the page shows, e.g. "IN B" or "均衡A".
  QString heading() const;

protected:
  void scaleChanged() override;

private:
  bool acceptsPage(int pageNumber) const;

  PageSlot slot_;
  int ioMode_ = 1;
  QHash<int, int> values_;
  QLabel* title_;
};

} // namespace kv816
