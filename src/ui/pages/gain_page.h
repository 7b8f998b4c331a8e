#pragma once
// The gain page (page number 1): the twelve channels side by side as mixer strips, each
// with mute, polarity, a gain fader with its edit and a level meter. It edits the Mute,
// Phase and Gain entries of every channel. GUI thread only.
//
// Items: mute c, polarity 12 + c, gain 24 + c, meter 36 + c (c = 0..3 inputs A-D,
// 4..11 outputs 1-8). applyCode takes those item numbers as codes with the raw parameter
// value (the meter code takes the channel's meter byte); nothing it sets is written back.
// A user edit goes through the edit session at once (table, send mark, linked channels,
// one undo step per click, typed value or fader burst), so that a device notification
// handled afterwards shows the user's value instead of wiping it.

#include "edit/edit_session.h"
#include "ui/pages/page.h"

#include <QString>

#include <array>

class QGroupBox;

namespace kv816 {

class LevelMeter;
class SkinButton;
class Slider;
class ValueEdit;

class GainPage : public Page {
  Q_OBJECT
public:
  static constexpr int STRIP_COUNT = 12;
  static constexpr int ITEM_COUNT = 36;
  static constexpr int METER_SEGMENTS = 15;

  GainPage(EditSession& edits, QWidget* parent);

  void setIoMode(int ioMode) override;
  void refreshTexts() override;
  // Mute, Phase and Gain of every channel; the meters of every channel.
  void showParameter(const IndexLocation& where, int value) override;
  void showMeter(int channel, int level) override;
  // Item `code` (see above) shows `value`; `pageNumber` is not used.
  void applyCode(int code, int value, int pageNumber);
  // Mute and polarity items 1 or 0, gain items dB x 10 + 360; -1 for any other item.
  int itemRaw(int item) const;

  // What the gain and delay pages share: the left edge of strip c in design units, the
  // strip's caption in the current language ("IN A", "OUT 1") and whether the I/O mode
  // shows it.
  static int stripLeft(int channel);
  static QString stripCaption(int channel);
  static bool isStripShown(int channel, int ioMode);

  QGroupBox* frame(int channel) const { return strips_.at(channel).frame; }
  SkinButton* muteButton(int channel) const { return strips_.at(channel).mute; }
  SkinButton* polarityButton(int channel) const { return strips_.at(channel).polarity; }
  Slider* fader(int channel) const { return strips_.at(channel).fader; }
  LevelMeter* meter(int channel) const { return strips_.at(channel).meter; }
  ValueEdit* gainEdit(int channel) const { return strips_.at(channel).edit; }

protected:
  void scaleChanged() override;

private:
  struct Strip {
    QGroupBox* frame = nullptr;
    SkinButton* mute = nullptr;
    SkinButton* polarity = nullptr;
    Slider* fader = nullptr;
    LevelMeter* meter = nullptr;
    ValueEdit* edit = nullptr;
  };

  void createStrip(int channel);
  void placeStrip(int channel);
  void fitButtonCaptions();
  void faderMoved(int channel, int position);
  void editChanged(int channel, int raw);
  void commit(int channel, int item, const QObject* control);

  EditSession& edits_;
  std::array<Strip, STRIP_COUNT> strips_{};
  int ioMode_ = 1;
};

} // namespace kv816
