// The channel strip (mute, polarity, gain with its meter, delay) and the compressor.

#include "ui/pages/channel_page.h"

#include "dsp/scale_config.h"
#include "i18n/text.h"
#include "model/encodings.h"
#include "model/meter.h"
#include "model/parameter_table.h"
#include "ui/controls/level_meter.h"
#include "ui/controls/skin_button.h"
#include "ui/controls/skin_label.h"
#include "ui/controls/skin_palette.h"
#include "ui/controls/slider.h"
#include "ui/controls/ui_text.h"
#include "ui/controls/value_edit.h"
#include "ui/pages/gesture_watch.h"

#include <QGroupBox>

namespace kv816 {

namespace {

constexpr int FADER_STYLE = 3;
constexpr int DELAY_SLIDER_STYLE = 4;
constexpr int SLIDER_STEPS_PER_UNIT = 10;

constexpr int FADER_X = 46;
constexpr int FADER_Y = 138;
constexpr int FADER_HEIGHT = 166;
constexpr int METER_WIDTH = 21;
constexpr int METER_GAP = 2;

SkinButton* makeToggle(QWidget* parent, const QString& name) {
  auto* button = new SkinButton(parent);
  button->setCheckState(SkinButton::OFF);
  button->setObjectName(name);
  return button;
}

ValueEdit* makeEdit(QWidget* parent, int index, const ScaleConfig& scale, const QString& name) {
  auto* edit = new ValueEdit(parent);
  edit->setIndex(index);
  edit->setScale(scale);
  edit->setObjectName(name);
  return edit;
}

Slider* makeSlider(QWidget* parent, int style, int min, int max, const QString& name) {
  auto* slider = new Slider(parent);
  slider->setStyle(style);
  slider->setRange(min, max);
  slider->setDivisor(SLIDER_STEPS_PER_UNIT);
  slider->setObjectName(name);
  return slider;
}

} // namespace

void ChannelPage::createStrip() {
  mute_ = makeToggle(this, QStringLiteral("mute"));
  phase_ = makeToggle(this, QStringLiteral("phase"));
  phase_->setText(
      QStringLiteral("\u00D8")); // the polarity sign of the gain page; lit when inverted
  mute_->setFaceOnColor(SkinPalette::muteOn());
  place(mute_, QRect(QPoint(28, 30), QPoint(88, 55)));
  place(phase_, QRect(QPoint(28, 66), QPoint(88, 91)));
  connect(mute_, &SkinButton::notified, this, [this] {
    write(ChannelFunction::Mute);
    commit();
  });
  connect(phase_, &SkinButton::notified, this, [this] {
    write(ChannelFunction::Phase);
    commit();
  });

  gainEdit_ = makeEdit(this, 0, CHANNEL_GAIN_SCALE, QStringLiteral("gain"));
  gainFader_ = makeSlider(this, FADER_STYLE, CHANNEL_GAIN_SCALE.min, CHANNEL_GAIN_SCALE.max,
                          QStringLiteral("gainFader"));
  meter_ = new LevelMeter(this);
  meter_->setObjectName(QStringLiteral("meter"));
  meter_->setSegmentCount(CHANNEL_PAGE_METER_SEGMENTS);
  meter_->setSegmentHeight(FADER_HEIGHT / CHANNEL_PAGE_METER_SEGMENTS);
  meter_->setMeter(QColor(0, 0, 0, 0), QPixmap(), 0, FADER_HEIGHT);
  place(gainEdit_, QRect(26, 102, 64, 24));
  place(gainFader_, QRect(FADER_X, FADER_Y, 43, FADER_HEIGHT));
  place(meter_, QRect(FADER_X - METER_GAP - METER_WIDTH, FADER_Y, METER_WIDTH, FADER_HEIGHT));
  connect(gainEdit_, &ValueEdit::valueNotified, this, [this] { onGainEdit(); });
  connect(gainFader_, &Slider::valueNotified, this, [this] { onGainFader(); });
  GestureWatch::install(gainFader_, edits_);

  static const ScaleConfig* const DELAY_SCALES[3] = {&DELAY_MS_SCALE, &DELAY_M_SCALE,
                                                     &DELAY_IN_SCALE};
  static const char* const DELAY_NAMES[3] = {"delayMs", "delayM", "delayIn"};
  for (int i = 0; i < 3; ++i) {
    const size_t s = static_cast<size_t>(i);
    delayEdits_[s] = makeEdit(this, 0, *DELAY_SCALES[i], DELAY_NAMES[i]);
    place(delayEdits_[s], QRect(131, 30 + 36 * i, 64, 24));
    connect(delayEdits_[s], &ValueEdit::valueNotified, this, [this, i] { onDelayEdit(i); });
  }
  delaySlider_ = makeSlider(this, DELAY_SLIDER_STYLE, DELAY_MS_SCALE.min, DELAY_MS_SCALE.max,
                            QStringLiteral("delaySlider"));
  delaySlider_->setPageStep(100); // 10 ms, as on the delay page
  place(delaySlider_, QRect(154, FADER_Y, 14, FADER_HEIGHT));
  connect(delaySlider_, &Slider::valueNotified, this, [this] { onDelaySlider(); });
  GestureWatch::install(delaySlider_, edits_);
}

void ChannelPage::createCompressor() {
  static const ScaleConfig* const SCALES[4] = {&THRESHOLD_SCALE, &ATTACK_SCALE, &RELEASE_SCALE,
                                               &RATIO_SCALE};
  static const char* const NAMES[4] = {"threshold", "attack", "release", "ratio"};
  static constexpr ChannelFunction FUNCTIONS[4] = {
      ChannelFunction::Threshold, ChannelFunction::Attack, ChannelFunction::Release,
      ChannelFunction::Ratio};
  for (int i = 0; i < 4; ++i) {
    const size_t s = static_cast<size_t>(i);
    const int y = 186 + 33 * i;
    compressorLabels_[s] = new SkinLabel(this);
    place(compressorLabels_[s], QRect(QPoint(740, y), QPoint(840, y + 24)));
    compressorEdits_[s] = makeEdit(this, 2 + i, *SCALES[i], NAMES[i]);
    place(compressorEdits_[s], QRect(852, y, 64, 24));
    const ChannelFunction function = FUNCTIONS[i];
    connect(compressorEdits_[s], &ValueEdit::valueNotified, this, [this, function] {
      write(function);
      commit();
    });
    if (!output_) {
      compressorLabels_[s]->hide();
      compressorEdits_[s]->hide();
    }
  }
  if (!output_)
    groups_[4]->hide();
}

void ChannelPage::refreshStripTexts() {
  static constexpr Text LABELS[4] = {Text::Threshold, Text::Attack, Text::Release, Text::Ratio};
  for (size_t i = 0; i < compressorLabels_.size(); ++i)
    compressorLabels_[i]->setText(uiText(LABELS[i]));
  mute_->setText(uiText(Text::Mute).trimmed());
}

void ChannelPage::showStrip() {
  static constexpr ChannelFunction STRIP[4] = {ChannelFunction::Delay, ChannelFunction::Gain,
                                               ChannelFunction::Mute, ChannelFunction::Phase};
  showFunctions(STRIP);
}

void ChannelPage::showCompressor() {
  static constexpr ChannelFunction COMPRESSOR[4] = {
      ChannelFunction::Threshold, ChannelFunction::Attack, ChannelFunction::Release,
      ChannelFunction::Ratio};
  showFunctions(COMPRESSOR);
}

bool ChannelPage::applyStripCode(int code, int value) {
  switch (code) {
  case CODE_DELAY:
    for (ValueEdit* edit : delayEdits_)
      edit->setUnits(decodeDelay(value));
    delaySlider_->setUnits(decodeDelay(value));
    return true;
  case CODE_CHANNEL_GAIN:
    gainEdit_->setUnits(decodeChannelGain(value));
    gainFader_->setUnits(decodeChannelGain(value));
    return true;
  case CODE_MUTE:
  case CODE_PHASE:
    (code == CODE_MUTE ? mute_ : phase_)
        ->setCheckState(decodeFlag(value) ? SkinButton::ON : SkinButton::OFF);
    return true;
  case CODE_THRESHOLD:
    compressorEdits_[0]->setUnits(decodeThreshold(value));
    return true;
  case CODE_ATTACK:
    compressorEdits_[1]->setUnits(decodeAttack(value));
    return true;
  case CODE_RELEASE:
    compressorEdits_[2]->setUnits(value);
    return true;
  case CODE_RATIO:
    compressorEdits_[3]->setUnits(decodeRatio(value));
    return true;
  default:
    break;
  }
  return false;
}

int ChannelPage::stripRaw(int code) const {
  switch (code) {
  case CODE_DELAY:
    return encodeDelay(delayEdits_[0]->units());
  case CODE_CHANNEL_GAIN:
    return encodeChannelGain(gainEdit_->units());
  case CODE_MUTE:
    return mute_->checkState() == SkinButton::ON ? 1 : 0;
  case CODE_PHASE:
    return phase_->checkState() == SkinButton::ON ? 1 : 0;
  case CODE_THRESHOLD:
    return encodeThreshold(truncateRaw(compressorEdits_[0]->units()));
  case CODE_ATTACK:
    return encodeAttack(compressorEdits_[1]->units());
  case CODE_RELEASE:
    return truncateRaw(compressorEdits_[2]->units());
  case CODE_RATIO:
    return encodeRatio(compressorEdits_[3]->units());
  default:
    return -1;
  }
}

void ChannelPage::onGainFader() {
  // Fader positions and the edit's raw value are both tenths of a dB.
  gainEdit_->setRawValue(gainFader_->value());
  write(ChannelFunction::Gain);
  commit();
}

void ChannelPage::onGainEdit() {
  gainFader_->setValue(gainEdit_->rawValue());
  write(ChannelFunction::Gain);
  commit();
}

// All three delay edits hold tenths of a millisecond, as the slider does.
void ChannelPage::onDelaySlider() {
  for (ValueEdit* edit : delayEdits_)
    edit->setRawValue(delaySlider_->value());
  write(ChannelFunction::Delay);
  commit();
}

void ChannelPage::onDelayEdit(int which) {
  const int raw = delayEdits_[static_cast<size_t>(which)]->rawValue();
  for (ValueEdit* edit : delayEdits_)
    edit->setRawValue(raw);
  delaySlider_->setValue(raw);
  write(ChannelFunction::Delay);
  commit();
}

} // namespace kv816
