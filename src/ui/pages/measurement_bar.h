#pragma once
// The row above the channel page's graph: filter text export and import, and the
// measurement overlay (the measurement file, the level offset, the target and which traces
// show). The overlay is kept per channel, so each channel shows its own measurement again
// when the page comes back to it. The bar never touches the table; filter export and
// import and the EQ fit (enabled while a measurement is loaded) are signals the page
// answers. GUI thread only.

#include <QString>
#include <QWidget>

#include <array>

#include "model/channel_layout.h"
#include "ui/controls/graph_overlay.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace kv816 {

class MeasurementBar : public QWidget {
  Q_OBJECT
public:
  // Positions of the target list.
  static constexpr int TARGET_FLAT = 0;
  static constexpr int TARGET_TILT = 1;
  static constexpr int TARGET_FILE = 2;

  explicit MeasurementBar(QWidget* parent = nullptr);

  void refreshTexts();
  // The window's scale: the row's text follows it as the tab labels do.
  void setScale(double scale);
  // Shows channel 0..11's overlay settings and emits overlayChanged with its overlay.
  void setChannel(int channel);
  int channel() const { return channel_; }
  const GraphOverlay& overlay() const { return states_[static_cast<size_t>(channel_)].overlay; }

  // Reads a measurement or a target file for the channel shown. Returns the reason when the
  // file was refused (the overlay is then unchanged); empty on success. A new measurement
  // gets the offset that puts its 1 kHz level on the 0 dB line, shown in the offset box.
  QString loadMeasurement(const QString& path);
  QString loadTarget(const QString& path);
  void setOffset(double db);
  void setTilt(double dbPerOctave, int fromHz, int toHz);
  void setTraceShown(int trace, bool shown); // 0 measured, 1 predicted, 2 target

signals:
  void overlayChanged(const GraphOverlay& overlay);
  void exportFiltersRequested();
  void importFiltersRequested();
  void fitRequested();

protected:
  void resizeEvent(QResizeEvent* event) override;

private:
  struct ChannelState {
    GraphOverlay overlay;
    int targetChoice = TARGET_FLAT;
    double tilt = -1.0;
    int tiltFrom = 100;
    int tiltTo = 10000;
    TargetCurve fileTarget;
  };

  ChannelState& state() { return states_[static_cast<size_t>(channel_)]; }
  void showState();
  void readControls();
  void onMeasurementButton();
  void onTargetChoice(int choice);
  void emitOverlay();
  void showFitButton();
  void fitRow();
  void setTextPixels(int pixels);

  int channel_ = 0;
  double scale_ = 1.0;
  bool showing_ = false;
  std::array<ChannelState, CHANNEL_COUNT> states_{};
  QPushButton* exportButton_ = nullptr;
  QPushButton* importButton_ = nullptr;
  QPushButton* measurementButton_ = nullptr;
  QPushButton* fitButton_ = nullptr;
  QLabel* offsetLabel_ = nullptr;
  QDoubleSpinBox* offset_ = nullptr;
  QLabel* targetLabel_ = nullptr;
  QComboBox* target_ = nullptr;
  QDoubleSpinBox* tilt_ = nullptr;
  QSpinBox* tiltFrom_ = nullptr;
  QSpinBox* tiltTo_ = nullptr;
  std::array<QCheckBox*, 3> traces_{};
};

} // namespace kv816
