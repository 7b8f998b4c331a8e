#pragma once
// The automatic EQ fit of one channel: options (range, bands and which are locked, maximum
// boost, Q range, smoothing, target, offset), a preview of the channel before and as the
// fit would leave it with both RMS errors, and Apply, which writes every band as one undo
// step. The fit runs on a thread of its own on a copy of the table, again after each
// change of the options; a refused fit shows why and Apply stays off. Cancel changes
// nothing. GUI thread only.

#include "dsp/eq_fit.h"
#include "ui/controls/graph_overlay.h"

#include <QDialog>

#include <array>
#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QThread;
class QTimer;

namespace kv816 {

class EditSession;
class EqFitPreview;
class ParameterTable;

class EqFitDialog : public QDialog {
  Q_OBJECT
public:
  // `overlay` gives the measurement, the page's target and its offset.
  EqFitDialog(const ParameterTable& table, EditSession& edits, int channel,
              const GraphOverlay& overlay, QWidget* parent = nullptr);
  ~EqFitDialog() override;

  // The options as the controls set them.
  EqFitOptions options() const;
  // True while a fit is waiting to start or running.
  bool busy() const;
  // The last fit shown; its error is set when it was refused.
  const EqFitResult& result() const { return result_; }
  // The message under the preview: the RMS errors, the reason of a refusal, or a note.
  QString statusText() const;
  // Reads a target file for the fit; the reason when it was refused.
  QString loadTarget(const QString& path);
  // Writes the shown fit as one undo step and closes. When the channel changed since that
  // fit started, fits again and stays open instead.
  void applyFit();

signals:
  // A fit finished and its preview or refusal is shown.
  void fitShown();

private:
  struct Job;

  // `offsetDb`: the page's offset, the value a fixed offset starts from.
  void buildOptions(QWidget* box, double offsetDb);
  void scheduleFit();
  void startFit();
  void fitFinished();
  void showResult();
  void onLockChanged();
  void showBandsInUse();
  void chooseTargetFile();
  std::vector<int32_t> channelWords() const;
  QString refusalText() const;
  int freeBandCount() const;

  const ParameterTable& table_;
  EditSession& edits_;
  int channel_;
  Measurement measurement_;
  TargetCurve target_;
  QString targetName_;

  EqFitResult result_;
  std::vector<int32_t> resultWords_; // the channel's words the shown fit started from
  EqFitOptions resultOptions_;
  std::shared_ptr<Job> job_;
  QThread* thread_ = nullptr;
  bool again_ = false;
  QString note_;

  QTimer* delay_ = nullptr;
  QSpinBox* fromHz_ = nullptr;
  QSpinBox* toHz_ = nullptr;
  QSpinBox* bands_ = nullptr;
  std::array<QCheckBox*, PEQ_BAND_COUNT> locks_{};
  QDoubleSpinBox* maxBoost_ = nullptr;
  QDoubleSpinBox* qMin_ = nullptr;
  QDoubleSpinBox* qMax_ = nullptr;
  QComboBox* smoothing_ = nullptr;
  QLabel* targetLabel_ = nullptr;
  QPushButton* targetButton_ = nullptr;
  QCheckBox* fixedOffset_ = nullptr;
  QDoubleSpinBox* offset_ = nullptr;
  EqFitPreview* preview_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* bandList_ = nullptr;
  QPushButton* apply_ = nullptr;
};

} // namespace kv816
