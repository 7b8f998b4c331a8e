#pragma once
// What the main window requires of each of its six pages (home, gain, delay, graphic EQ,
// input, output). Pages are laid out in design units of a 1100 x 768 window and scaled by
// the factors the main window passes before every move. GUI thread only.
//
// A page makes every user edit through the edit session; it asks the main window to show a
// page by a signal the main window takes as a queued call.

#include "model/channel_layout.h"

#include <QRect>
#include <QWidget>

namespace kv816 {

class Page : public QWidget {
  Q_OBJECT
public:
  // `firstPageNumber`: home 0, gain 1, delay 2, GEQ 3, input page 7, output page 11.
  Page(int firstPageNumber, QWidget* parent);

  // The page number of what the page shows now.
  int pageNumber() const { return pageNumber_; }
  void setScale(double horizontal, double vertical);
  double horizontalScale() const { return scaleX_; }
  double verticalScale() const { return scaleY_; }
  // A rectangle given by its corners in design units, in widget pixels at the current scale.
  QRect designRect(int left, int top, int right, int bottom) const;

  // Home, gain, delay: show the first inputs and outputs of I/O mode 0..3.
  virtual void setIoMode(int ioMode) { (void)ioMode; }
  // Re-label every text from the language table in the current language.
  virtual void refreshTexts() = 0;
  // GEQ page (3..6), input page (7..10), output page (11..18): show the channel of that
  // page number. Returns the page number now shown (unchanged for other pages or numbers).
  virtual int showChannel(int pageNumber);
  // A channel parameter changed (the device, an edit, a refresh): the page shows `value`
  // on the control bound to `where` (function, channel, band) if it has one and shows that
  // channel now; otherwise it does nothing. Never writes.
  virtual void showParameter(const IndexLocation& where, int value);
  // The level byte of channel 0..11's meter arrived.
  virtual void showMeter(int channel, int level);

signals:
  void showPageRequested(int pageNumber); // show a page by number

protected:
  virtual void scaleChanged() {}
  void setShownPageNumber(int pageNumber) { pageNumber_ = pageNumber; }

private:
  int pageNumber_;
  double scaleX_ = 1.0;
  double scaleY_ = 1.0;
};

} // namespace kv816
