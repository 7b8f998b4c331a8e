#pragma once
// The channel processing page: everything of one channel on one page. The main window
// makes it twice, as the input page (page numbers 7..10) and as the output page
// (11..18); the input page hides what inputs lack (crossover and compressor).
//
// Left: the channel strip (mute, polarity, gain fader with its level meter, delay in
// milliseconds, metres and inches). Middle: ten parametric bands (frequency, Q or shelf
// slope, gain, type), PEQ RESET and PEQ BYPASS. Right: the high-pass/low-pass crossover
// and the compressor. Below: the response graph of the whole channel.
//
// Every parameter-bearing control has one update code (codeOf, applyCode, controlRaw):
//   0+k band type, 31+k band frequency, 62+k band Q and slope, 93+k band gain (k 0..9),
//   124 delay, 125 gain, 126 mute, 127 polarity, 128 PEQ bypass, 129/130 high-pass
//   frequency/type, 132/133 low-pass frequency/type, 135..138 threshold, attack, release,
//   ratio.
// A user edit goes through the edit session (table, send mark, linked channels, one undo
// step per gesture); values from the device (showChannel, applyCode, redrawGraph,
// setMeterMask) only update the controls and never write. GUI thread only.

#include "ui/pages/page.h"

#include "edit/edit_session.h"
#include "model/channel_layout.h"
#include "presets/filter_text_export.h"

#include <QRect>

#include <array>
#include <span>
#include <utility>
#include <vector>

class QGroupBox;

namespace kv816 {

class LevelMeter;
class MeasurementBar;
class ParameterTable;
class ResponseGraph;
class SkinButton;
class SkinComboBox;
class SkinLabel;
class Slider;
class ValueEdit;

class ChannelPage : public Page {
  Q_OBJECT
public:
  // Update codes.
  static constexpr int CODE_TYPE = 0;
  static constexpr int CODE_FREQ = 31;
  static constexpr int CODE_Q = 62;
  static constexpr int CODE_GAIN = 93;
  static constexpr int CODE_DELAY = 124;
  static constexpr int CODE_CHANNEL_GAIN = 125;
  static constexpr int CODE_MUTE = 126;
  static constexpr int CODE_PHASE = 127;
  static constexpr int CODE_PEQ_BYPASS = 128;
  static constexpr int CODE_HPF_FREQ = 129;
  static constexpr int CODE_HPF_TYPE = 130;
  static constexpr int CODE_LPF_FREQ = 132;
  static constexpr int CODE_LPF_TYPE = 133;
  static constexpr int CODE_THRESHOLD = 135;
  static constexpr int CODE_ATTACK = 136;
  static constexpr int CODE_RELEASE = 137;
  static constexpr int CODE_RATIO = 138;

  // `firstPageNumber`: 7 makes the input page, 11 the output page.
  ChannelPage(const ParameterTable& table, EditSession& edits, int firstPageNumber,
              QWidget* parent);

  bool isOutputPage() const { return output_; }
  // The channel shown, 0..11.
  int channel() const { return pageNumber() - PAGE_FIRST_CHANNEL; }

  void refreshTexts() override;
  // Accepts 7..10 on the input page and 11..18 on the output page; loads every control
  // from the table. Returns the page number now shown.
  int showChannel(int pageNumber) override;
  // Every function of the channel shown that has a control, under codeOf's code.
  void showParameter(const IndexLocation& where, int value) override;
  void showMeter(int channel, int level) override;
  // Ignored unless `pageNumber` is the page number shown.
  void applyCode(int code, int value, int pageNumber);
  // The channel's PEQ bypass word arrived: the graph's bypass banner follows its low byte,
  // and the band gains hide or come back as PEQ BYPASS does it.
  void redrawGraph(int lowByte);
  // The level meter, as a mask of lit segments (plus 256 for the clip lamp).
  void setMeterMask(int mask);

  // The update code of the control bound to a function (and band); -1 for none. The one
  // map between parameters and controls, for showing and for writing.
  static int codeOf(ChannelFunction function, int band = 0);

  // The raw parameter value a control stands for now; -1 for a code the page lacks.
  int controlRaw(int code) const;

  // The channel shown as filter text in a file; the reason when it could not be written.
  QString exportFiltersTo(const QString& path, FilterTextFormat format) const;
  // Sets the channel's filters from a filter text file as one undo step; `notes` gets a
  // line for each rounded, clamped or dropped line. The reason when nothing was changed.
  QString importFiltersFrom(const QString& path, QStringList& notes);
  MeasurementBar& measurementBar() const { return *measurementBar_; }

protected:
  void scaleChanged() override;
  void resizeEvent(QResizeEvent* event) override;

private:
  static constexpr int PAGE_FIRST_CHANNEL = 7;

  struct BandRow {
    SkinLabel* label = nullptr;
    ValueEdit* freq = nullptr;
    ValueEdit* q = nullptr;
    SkinComboBox* slope = nullptr;
    ValueEdit* gain = nullptr;
    SkinComboBox* type = nullptr;
  };
  struct Placed {
    QWidget* widget;
    QRect design;
  };

  // Frame (channel_page.cpp).
  void place(QWidget* widget, const QRect& design);
  void setFocusOrder();
  void fitButtonCaptions(double scale);
  void write(ChannelFunction function, int band = 0);
  void commit(EditSource source = EditSource::Page);
  bool lacks(ChannelFunction function) const;
  // Shows the table's value of each function (those the channel has).
  void showFunctions(std::span<const ChannelFunction> functions);

  // Equaliser, graph and crossover (channel_page_eq.cpp).
  void createEqualiser();
  void createCrossover();
  void createGraph();
  void refreshEqTexts();
  void showEqualiser();
  bool applyEqCode(int code, int value);
  int eqRaw(int code) const;
  void applyBandVisibility(int band);
  void onBandFrequency(int band);
  void onBandQ(int band);
  void onSlope(int band);
  void onBandGain(int band);
  void onBandType(int band);
  void onCrossoverFrequency(bool highPass);
  void onCrossoverType(bool highPass);
  void onGraph(int which, int band);
  void onPeqReset();
  void onPeqBypass();
  void showPeqBypass(bool on);

  // Filter text, the measurement bar and the EQ fit (channel_page_filters.cpp).
  void createMeasurementBar();
  void onExportFilters();
  void onImportFilters();
  void onFit();

  // Channel strip and compressor (channel_page_strip.cpp).
  void createStrip();
  void createCompressor();
  void refreshStripTexts();
  void showStrip();
  void showCompressor();
  bool applyStripCode(int code, int value);
  int stripRaw(int code) const;
  void onGainFader();
  void onGainEdit();
  void onDelaySlider();
  void onDelayEdit(int which);

  const ParameterTable& table_;
  EditSession& edits_;
  bool output_;
  std::vector<ParameterEdit> pending_;
  EditSubject pendingSubject_;
  std::vector<Placed> placed_;

  std::array<QGroupBox*, 5> groups_{};
  std::array<SkinLabel*, 4> headers_{};
  std::array<BandRow, PEQ_BAND_COUNT> bands_{};
  std::array<int, PEQ_BAND_COUNT> savedGain_{};
  SkinButton* peqReset_ = nullptr;
  SkinButton* peqBypass_ = nullptr;
  std::array<SkinLabel*, 4> crossoverLabels_{}; // HPF, LPF, Freq, Type
  std::array<ValueEdit*, 2> crossoverFreq_{};   // high-pass, low-pass
  std::array<SkinComboBox*, 2> crossoverType_{};
  ResponseGraph* graph_ = nullptr;
  MeasurementBar* measurementBar_ = nullptr;

  SkinButton* mute_ = nullptr;
  SkinButton* phase_ = nullptr;
  ValueEdit* gainEdit_ = nullptr;
  Slider* gainFader_ = nullptr;
  LevelMeter* meter_ = nullptr;
  std::array<ValueEdit*, 3> delayEdits_{}; // ms, m, in
  Slider* delaySlider_ = nullptr;
  std::array<SkinLabel*, 4> compressorLabels_{};
  std::array<ValueEdit*, 4> compressorEdits_{}; // threshold, attack, release, ratio
};

} // namespace kv816
