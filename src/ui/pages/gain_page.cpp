#include "ui/pages/gain_page.h"

#include "dsp/scale_config.h"
#include "i18n/text.h"
#include "model/channel_layout.h"
#include "model/link_groups.h"
#include "model/meter.h"
#include "ui/controls/level_meter.h"
#include "ui/controls/skin_button.h"
#include "ui/controls/skin_palette.h"
#include "ui/controls/slider.h"
#include "ui/controls/text_scale.h"
#include "ui/controls/ui_text.h"
#include "ui/controls/value_edit.h"
#include "ui/pages/focus_chain.h"
#include "ui/pages/gesture_watch.h"

#include <QGroupBox>

#include <cmath>

namespace kv816 {

namespace {

constexpr int STRIP_LEFT[GainPage::STRIP_COUNT] = {10,  96,  182, 268, 370, 456,
                                                   542, 628, 714, 800, 886, 972};
constexpr int MUTE_ITEM = 0;
constexpr int POLARITY_ITEM = 12;
constexpr int GAIN_ITEM = 24;
constexpr int METER_ITEM = 36;
// The gain word is dB x 10 + 360; the fader and the edit hold dB x 10.
constexpr int GAIN_ZERO = 360;
// The meter's picture: 15 segments of 16 rows in the fader's 253-row height.
constexpr int METER_SEGMENT_ROWS = 16;
constexpr int FADER_HEIGHT = 253;

// The design place of a strip frame: (x0, 122) to (x0 + 77, 518).
constexpr int FRAME_TOP = 122;
constexpr int FRAME_WIDTH = 77;
constexpr int FRAME_HEIGHT = 396;

// The item of a channel's function; -1 for a function the page does not edit.
int itemOf(ChannelFunction function, int channel) {
  switch (function) {
  case ChannelFunction::Mute:
    return MUTE_ITEM + channel;
  case ChannelFunction::Phase:
    return POLARITY_ITEM + channel;
  case ChannelFunction::Gain:
    return GAIN_ITEM + channel;
  default:
    return -1;
  }
}

ChannelFunction functionOfItem(int item) {
  return item < POLARITY_ITEM ? ChannelFunction::Mute
         : item < GAIN_ITEM   ? ChannelFunction::Phase
                              : ChannelFunction::Gain;
}

} // namespace

int GainPage::stripLeft(int channel) {
  return isValidChannel(channel) ? STRIP_LEFT[channel] : 0;
}

QString GainPage::stripCaption(int channel) {
  if (!isValidChannel(channel))
    return {};
  const bool input = isInput(channel);
  const QChar tag = input ? QChar('A' + channel) : QChar('1' + channel - INPUT_COUNT);
  return uiText(input ? Text::In : Text::Out) + tag;
}

bool GainPage::isStripShown(int channel, int ioMode) {
  return isActiveChannel(channel, activeChannelsOf(ioMode));
}

GainPage::GainPage(EditSession& edits, QWidget* parent) : Page(1, parent), edits_(edits) {
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Button);
  std::vector<QWidget*> chain;
  for (int c = 0; c < STRIP_COUNT; ++c) {
    createStrip(c);
    const Strip& s = strips_[static_cast<size_t>(c)];
    chain.insert(chain.end(), {s.mute, s.polarity, s.fader, s.edit});
  }
  setFocusChain(chain); // strip by strip, top to bottom
  refreshTexts();
  setIoMode(ioMode_);
}

void GainPage::createStrip(int c) {
  Strip& s = strips_[static_cast<size_t>(c)];
  s.frame = new QGroupBox(this);
  s.mute = new SkinButton(this);
  s.polarity = new SkinButton(this);
  for (SkinButton* button : {s.mute, s.polarity}) {
    const int item = (button == s.mute ? MUTE_ITEM : POLARITY_ITEM) + c;
    button->setUserValue(c);
    button->setCheckState(SkinButton::OFF);
    // Every click is a step of its own: no gesture key.
    connect(button, &SkinButton::notified, this, [this, c, item] { commit(c, item, nullptr); });
  }
  s.polarity->setText(QStringLiteral("\u00D8")); // the polarity sign in every language
  s.mute->setFaceOnColor(SkinPalette::muteOn());
  s.mute->setObjectName(QStringLiteral("mute%1").arg(c));
  s.polarity->setObjectName(QStringLiteral("phase%1").arg(c));

  s.fader = new Slider(this);
  GestureWatch::install(s.fader, edits_);
  s.fader->setIndex(c);
  s.fader->setStyle(0);
  s.fader->setRange(CHANNEL_GAIN_SCALE.min, CHANNEL_GAIN_SCALE.max);
  s.fader->setDivisor(CHANNEL_GAIN_SCALE.divisor);
  s.fader->setValue(0);
  connect(s.fader, &Slider::valueNotified, this,
          [this, c](int, int, int value) { faderMoved(c, value); });

  s.meter = new LevelMeter(this);
  s.meter->setSegmentCount(METER_SEGMENTS);
  s.meter->setSegmentHeight(METER_SEGMENT_ROWS);
  s.meter->setMeter(QColor(0, 0, 0, 0), QPixmap(), 0, FADER_HEIGHT);

  s.edit = new ValueEdit(this);
  s.edit->setIndex(c);
  s.edit->setScale(CHANNEL_GAIN_SCALE);
  s.edit->setRawValue(0);
  connect(s.edit, &ValueEdit::valueNotified, this,
          [this, c](int, int, int raw) { editChanged(c, raw); });
}

void GainPage::scaleChanged() {
  const double scale = std::min(horizontalScale(), verticalScale());
  for (int c = 0; c < STRIP_COUNT; ++c) {
    placeStrip(c);
    QGroupBox* frame = strips_[static_cast<size_t>(c)].frame;
    frame->setFont(scaledFont(frame->font(), TITLE_DESIGN_PIXELS, scale));
  }
  fitButtonCaptions();
}

// The strips' buttons share one caption size that follows the window.
void GainPage::fitButtonCaptions() {
  std::vector<SkinButton*> buttons;
  for (const Strip& s : strips_)
    buttons.insert(buttons.end(), {s.mute, s.polarity});
  const QFont caption = fittedCaptionFont(buttons.front()->font(),
                                          std::min(horizontalScale(), verticalScale()), buttons);
  for (SkinButton* button : buttons)
    button->setTextFont(caption);
}

void GainPage::placeStrip(int c) {
  const auto place = [this](QWidget* w, int x, int y, int width, int height) {
    w->setGeometry(designRect(x, y, x + width, y + height));
  };
  const Strip& s = strips_[static_cast<size_t>(c)];
  const int x0 = STRIP_LEFT[c];
  const SliderStyle& fader = Slider::STYLES[0];
  place(s.frame, x0, FRAME_TOP, FRAME_WIDTH, FRAME_HEIGHT);
  place(s.mute, x0 + 9, 148, 60, 25);
  place(s.polarity, x0 + 9, 184, 60, 25);
  place(s.fader, x0 + 9, 220, fader.designWidth, fader.designHeight);
  place(s.meter, x0 + 9 + fader.designWidth + 2, 220, 21, fader.designHeight);
  place(s.edit, x0 + 9, 479, 64, 24);
}

void GainPage::setIoMode(int ioMode) {
  ioMode_ = ioMode;
  // The frame is created first, so the controls stay above it.
  for (int c = 0; c < STRIP_COUNT; ++c) {
    const Strip& s = strips_[static_cast<size_t>(c)];
    const bool shown = isStripShown(c, ioMode);
    for (QWidget* w :
         std::initializer_list<QWidget*>{s.frame, s.mute, s.polarity, s.fader, s.meter, s.edit})
      w->setVisible(shown);
  }
  scaleChanged();
}

void GainPage::refreshTexts() {
  const QString mute = uiText(Text::Mute).trimmed();
  for (int c = 0; c < STRIP_COUNT; ++c) {
    const Strip& s = strips_[static_cast<size_t>(c)];
    s.frame->setTitle(stripCaption(c));
    s.mute->setText(mute);
  }
  fitButtonCaptions();
}

void GainPage::showParameter(const IndexLocation& where, int value) {
  const int item = itemOf(where.function, where.channel);
  if (item >= 0)
    applyCode(item, value, pageNumber());
}

void GainPage::showMeter(int channel, int level) {
  if (isValidChannel(channel))
    applyCode(METER_ITEM + channel, level, pageNumber());
}

void GainPage::applyCode(int code, int value, int pageNumber) {
  (void)pageNumber;
  if (code < 0 || code >= METER_ITEM + STRIP_COUNT)
    return;
  const Strip& s = strips_[static_cast<size_t>(code % STRIP_COUNT)];
  if (code < GAIN_ITEM) {
    SkinButton* button = code < POLARITY_ITEM ? s.mute : s.polarity;
    button->setCheckState(value > 0 ? SkinButton::ON : SkinButton::OFF);
  } else if (code < METER_ITEM) {
    s.fader->setValue(value - GAIN_ZERO);
    s.edit->setRawValue(value - GAIN_ZERO);
  } else {
    s.meter->setMask(meterSegments(value, METER_SEGMENTS));
  }
}

int GainPage::itemRaw(int item) const {
  if (item < 0 || item >= ITEM_COUNT)
    return -1;
  const Strip& s = strips_[static_cast<size_t>(item % STRIP_COUNT)];
  if (item < GAIN_ITEM) {
    const SkinButton* button = item < POLARITY_ITEM ? s.mute : s.polarity;
    return button->checkState() == SkinButton::ON ? 1 : 0;
  }
  // The edit holds dB x 10 as an integer.
  return s.edit->rawValue() + GAIN_ZERO;
}

void GainPage::faderMoved(int c, int position) {
  const Strip& s = strips_[static_cast<size_t>(c)];
  s.edit->setRawValue(position);
  commit(c, GAIN_ITEM + c, s.fader);
}

void GainPage::editChanged(int c, int raw) {
  const Strip& s = strips_[static_cast<size_t>(c)];
  s.fader->setValue(raw);
  commit(c, GAIN_ITEM + c, s.edit);
}

void GainPage::commit(int c, int item, const QObject* control) {
  const ChannelFunction function = functionOfItem(item);
  edits_.apply({c, function, -1, EditSource::Page}, {{indexOf(function, c), itemRaw(item)}},
               control ? gestureKeyOf(control) : 0);
}

} // namespace kv816
