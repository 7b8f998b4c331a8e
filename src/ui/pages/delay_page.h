#pragma once
// The delay page (page number 2): the delay of the twelve channels side by side, each as a
// slider and three value edits showing the same delay in milliseconds, metres and inches.
// It edits the Delay entry (samples at 48 kHz) of every channel. GUI thread only.
//
// The slider and the three edits of a strip always hold one position in tenths of a
// millisecond (0..5000). showParameter and applyCode (the channel as its code) take the
// Delay word and never write back. A user edit goes through the edit session at once (table,
// send mark, linked channels, one undo step per typed value or slider burst).

#include "dsp/scale_config.h"
#include "edit/edit_session.h"
#include "ui/pages/page.h"

#include <array>

class QGroupBox;

namespace kv816 {

class Slider;
class ValueEdit;

class DelayPage : public Page {
  Q_OBJECT
public:
  static constexpr int STRIP_COUNT = 12;

  DelayPage(EditSession& edits, QWidget* parent);

  void setIoMode(int ioMode) override;
  void refreshTexts() override;
  // The Delay word of every channel.
  void showParameter(const IndexLocation& where, int value) override;
  // Code c = 0..11 shows Delay word `value` on strip c; other codes are ignored.
  void applyCode(int code, int value, int pageNumber);
  // Item c = 0..11: the Delay word of the strip's position, trunc(ms x 48 + 0.5); -1 for
  // any other item.
  int itemRaw(int item) const;

  QGroupBox* frame(int channel) const { return strips_.at(channel).frame; }
  Slider* slider(int channel) const { return strips_.at(channel).slider; }
  ValueEdit* millisecondEdit(int channel) const { return strips_.at(channel).ms; }
  ValueEdit* metreEdit(int channel) const { return strips_.at(channel).metres; }
  ValueEdit* inchEdit(int channel) const { return strips_.at(channel).inches; }

protected:
  void scaleChanged() override;

private:
  struct Strip {
    QGroupBox* frame = nullptr;
    Slider* slider = nullptr;
    ValueEdit* ms = nullptr;
    ValueEdit* metres = nullptr;
    ValueEdit* inches = nullptr;
  };

  void createStrip(int channel);
  ValueEdit* createEdit(int channel, const ScaleConfig& scale);
  void placeStrip(int channel);
  void showPosition(int channel, int position);
  void userChanged(int channel, int position, const QObject* control);

  EditSession& edits_;
  std::array<Strip, STRIP_COUNT> strips_{};
};

} // namespace kv816
