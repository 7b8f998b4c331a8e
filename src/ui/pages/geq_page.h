#pragma once
// The graphic-equaliser page of inputs A..D (page numbers 3..6): 31 band faders with their
// labels and dB scales, the response graph of the summed bands, and the reset and bypass
// buttons. One page serves the four inputs; showChannel picks the input.
//
// Every user edit goes through the edit session (table, send mark, linked inputs, one undo
// step per gesture). Device values arrive through showParameter and only move the controls.
// GUI thread only.

#include "edit/edit_session.h"
#include "model/channel_layout.h"
#include "ui/pages/page.h"

#include <array>
#include <vector>

namespace kv816 {

class ParameterTable;
class ResponseGraph;
class SkinButton;
class SkinLabel;
class Slider;

class GeqPage : public Page {
  Q_OBJECT
public:
  static constexpr int RESET_BUTTON = 0;
  static constexpr int BYPASS_BUTTON = 1;

  // Codes of applyCode: band n's type is n, its frequency 31 + n, its Q 62 + n (not used
  // by this page), its gain 93 + n; the bypass word is 124.
  static constexpr int CODE_TYPE_FIRST = 0;
  static constexpr int CODE_FREQ_FIRST = 31;
  static constexpr int CODE_Q_FIRST = 62;
  static constexpr int CODE_GAIN_FIRST = 93;
  static constexpr int CODE_BYPASS = 124;

  // The nominal centre of every band (Hz); a reset writes these.
  static constexpr std::array<int, GEQ_BAND_COUNT> CENTRE_FREQUENCIES = {
      20,   25,   32,   40,   50,   63,    80,    100,   125,  160,  200,
      250,  315,  400,  500,  630,  800,   1000,  1300,  1600, 2000, 2500,
      3150, 4000, 5000, 6300, 8000, 10000, 13000, 16000, 18000};

  GeqPage(const ParameterTable& table, EditSession& edits, QWidget* parent);

  void refreshTexts() override;
  // Page numbers 3..6 show inputs A..D and load the input's words from the table; other
  // numbers are ignored. Returns the page number now shown.
  int showChannel(int pageNumber) override;
  // The graphic-EQ bands (type, frequency, gain) and bypass of the input shown.
  void showParameter(const IndexLocation& where, int value) override;
  // A device value of the shown input; values tagged with another page number are ignored.
  void applyCode(int code, int value, int pageNumber);

  // The input shown, 0..3.
  int channel() const;
  // The graph's EQ PASS state: the bypass banner is up.
  bool isBypassed() const;

  // The controls, for the main window's screenshots and the widget tests.
  Slider* bandSlider(int band) const;
  ResponseGraph* graph() const { return graph_; }
  SkinButton* resetButton() const { return buttons_[RESET_BUTTON]; }
  SkinButton* bypassButton() const { return buttons_[BYPASS_BUTTON]; }
  QString readoutText() const;

protected:
  void scaleChanged() override;
  void resizeEvent(QResizeEvent* event) override;

private:
  void createControls();
  void setUpGraph();
  void layoutControls();
  void placeLabels();
  void fitButtonFonts();

  void onSliderMoved(int band, int value);
  void onGraphChanged(int wparam, int lparam);
  void showReadout(int band);
  void onButton(int index);
  void resetBands();
  void toggleBypass();
  void setBypassShown(bool on);
  void reloadGains();
  void flattenGains();
  void showGain(int band, int raw);
  void addBand(std::vector<ParameterEdit>& edits, int band) const;
  void addEdit(std::vector<ParameterEdit>& edits, ChannelFunction function, int band,
               int value) const;
  void apply(ChannelFunction function, int band, EditSource source,
             const std::vector<ParameterEdit>& edits, const QObject* control = nullptr);
  int indexOf(ChannelFunction function, int band) const;

  const ParameterTable& table_;
  EditSession& edits_;
  std::array<Slider*, GEQ_BAND_COUNT> sliders_{};
  std::array<SkinLabel*, GEQ_BAND_COUNT> bandLabels_{};
  std::array<SkinLabel*, 18> scaleLabels_{};
  std::array<SkinButton*, 2> buttons_{};
  SkinLabel* readout_ = nullptr; // the band last moved and its gain
  ResponseGraph* graph_ = nullptr;
};

} // namespace kv816
