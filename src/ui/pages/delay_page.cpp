#include "ui/pages/delay_page.h"

#include "dsp/scale_config.h"
#include "model/channel_layout.h"
#include "model/encodings.h"
#include "ui/controls/slider.h"
#include "ui/controls/text_scale.h"
#include "ui/controls/value_edit.h"
#include "ui/pages/focus_chain.h"
#include "ui/pages/gain_page.h"
#include "ui/pages/gesture_watch.h"

#include <QGroupBox>

#include <cmath>

namespace kv816 {

namespace {

constexpr int SLIDER_STYLE = 1;
constexpr int SLIDER_DIVISOR = 10;   // positions per millisecond
constexpr int DELAY_PAGE_STEP = 100; // 10 ms: PageUp/PageDown and Ctrl cross the range in 50

// The design place of a strip frame: (x0, 122) to (x0 + 77, 518).
constexpr int FRAME_TOP = 122;
constexpr int FRAME_WIDTH = 77;
constexpr int FRAME_HEIGHT = 396;
constexpr int EDIT_WIDTH = 64;
constexpr int EDIT_HEIGHT = 24;
constexpr int MS_TOP = 400;
constexpr int METRE_TOP = 436;
constexpr int INCH_TOP = 472;

} // namespace

DelayPage::DelayPage(EditSession& edits, QWidget* parent) : Page(2, parent), edits_(edits) {
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Button);
  std::vector<QWidget*> chain;
  for (int c = 0; c < STRIP_COUNT; ++c) {
    createStrip(c);
    const Strip& s = strips_[static_cast<size_t>(c)];
    chain.insert(chain.end(), {s.slider, s.ms, s.metres, s.inches});
  }
  setFocusChain(chain); // strip by strip, top to bottom
  refreshTexts();
  setIoMode(1);
}

ValueEdit* DelayPage::createEdit(int c, const ScaleConfig& scale) {
  auto* edit = new ValueEdit(this);
  edit->setIndex(c);
  edit->setScale(scale);
  edit->setRawValue(0);
  connect(edit, &ValueEdit::valueNotified, this,
          [this, c, edit](int, int, int raw) { userChanged(c, raw, edit); });
  return edit;
}

void DelayPage::createStrip(int c) {
  Strip& s = strips_[static_cast<size_t>(c)];
  s.frame = new QGroupBox(this);
  s.slider = new Slider(this);
  GestureWatch::install(s.slider, edits_);
  s.slider->setIndex(c);
  s.slider->setStyle(SLIDER_STYLE);
  s.slider->setRange(DELAY_MS_SCALE.min, DELAY_MS_SCALE.max);
  s.slider->setPageStep(DELAY_PAGE_STEP);
  s.slider->setDivisor(SLIDER_DIVISOR);
  s.slider->setValue(0);
  connect(s.slider, &Slider::valueNotified, this,
          [this, c, slider = s.slider](int, int, int value) { userChanged(c, value, slider); });
  // Typed text in the metre and inch edits is read in metres and inches; the position
  // they report is tenths of a millisecond like the others.
  s.ms = createEdit(c, DELAY_MS_SCALE);
  s.metres = createEdit(c, DELAY_M_SCALE);
  s.inches = createEdit(c, DELAY_IN_SCALE);
}

void DelayPage::scaleChanged() {
  const double scale = std::min(horizontalScale(), verticalScale());
  for (int c = 0; c < STRIP_COUNT; ++c) {
    placeStrip(c);
    QGroupBox* frame = strips_[static_cast<size_t>(c)].frame;
    frame->setFont(scaledFont(frame->font(), TITLE_DESIGN_PIXELS, scale));
  }
}

void DelayPage::placeStrip(int c) {
  const auto place = [this](QWidget* w, int x, int y, int width, int height) {
    w->setGeometry(designRect(x, y, x + width, y + height));
  };
  const Strip& s = strips_[static_cast<size_t>(c)];
  const int x0 = GainPage::stripLeft(c);
  const SliderStyle& style = Slider::STYLES[SLIDER_STYLE];
  place(s.frame, x0, FRAME_TOP, FRAME_WIDTH, FRAME_HEIGHT);
  place(s.slider, x0 + 31, 148, style.designWidth, style.designHeight);
  place(s.ms, x0 + 9, MS_TOP, EDIT_WIDTH, EDIT_HEIGHT);
  place(s.metres, x0 + 9, METRE_TOP, EDIT_WIDTH, EDIT_HEIGHT);
  place(s.inches, x0 + 9, INCH_TOP, EDIT_WIDTH, EDIT_HEIGHT);
}

void DelayPage::setIoMode(int ioMode) {
  for (int c = 0; c < STRIP_COUNT; ++c) {
    const Strip& s = strips_[static_cast<size_t>(c)];
    const bool shown = GainPage::isStripShown(c, ioMode);
    for (QWidget* w : std::initializer_list<QWidget*>{s.frame, s.slider, s.ms, s.metres, s.inches})
      w->setVisible(shown);
  }
  scaleChanged();
}

void DelayPage::refreshTexts() {
  for (int c = 0; c < STRIP_COUNT; ++c)
    strips_[static_cast<size_t>(c)].frame->setTitle(GainPage::stripCaption(c));
}

void DelayPage::showParameter(const IndexLocation& where, int value) {
  if (where.function == ChannelFunction::Delay)
    applyCode(where.channel, value, pageNumber());
}

void DelayPage::applyCode(int code, int value, int pageNumber) {
  (void)pageNumber;
  if (!isValidChannel(code))
    return;
  // The millisecond edit rounds the sample centre to its tenth; the slider and the other
  // edits take that same position so the four controls never disagree.
  Strip& s = strips_[static_cast<size_t>(code)];
  s.ms->setUnits(decodeDelay(value));
  showPosition(code, s.ms->rawValue());
}

int DelayPage::itemRaw(int item) const {
  if (!isValidChannel(item))
    return -1;
  // trunc(position / 10 x 48 + 0.5), in integers.
  return (strips_[static_cast<size_t>(item)].ms->rawValue() * 48 + 5) / 10;
}

void DelayPage::showPosition(int c, int position) {
  const Strip& s = strips_[static_cast<size_t>(c)];
  s.slider->setValue(position);
  for (ValueEdit* edit : {s.ms, s.metres, s.inches})
    edit->setRawValue(position);
}

void DelayPage::userChanged(int c, int position, const QObject* control) {
  showPosition(c, position);
  edits_.apply({c, ChannelFunction::Delay, -1, EditSource::Page},
               {{indexOf(ChannelFunction::Delay, c), itemRaw(c)}}, gestureKeyOf(control));
}

} // namespace kv816
