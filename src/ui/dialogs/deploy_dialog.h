#pragma once
// Channel copy and noise gates: copies every processing parameter of one input onto another
// input (or output onto output) and sets the noise-gate threshold of each input. Both go
// through the edit session (values written and marked to send, one undo step each); the
// worker sends them.
//
// The I/O mode fixes the channels offered: 2/4, 2/6, 4/6 or 4/8 inputs/outputs for modes
// 0-3, 4/8 for any other value. The Enter key asks for the home page and keeps the dialog
// open. GUI thread only.

#include <QDialog>
#include <QList>

#include <array>
#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace kv816 {

class EditSession;
class ParameterTable;

class DeployDialog : public QDialog {
  Q_OBJECT
public:
  // Noise-gate list positions 0..120 mean 0 dB down to -120 dB.
  static constexpr int NOISE_GATE_STEPS = 121;
  using MessageFn = std::function<int(int kind, const QString& text, const QString& caption)>;

  // `message` shows a modal message (kind and result as in LinkEvents).
  DeployDialog(const ParameterTable& table, EditSession& edits, int ioMode, MessageFn message,
               QWidget* parent = nullptr);

  int inputCount() const { return inputs_; }
  int outputCount() const { return outputs_; }

  // The lists, as the user sees them (0 = first channel of the kind).
  QComboBox& inputSource() const { return *lists_[0]; }
  QComboBox& inputTarget() const { return *lists_[1]; }
  QComboBox& outputSource() const { return *lists_[2]; }
  QComboBox& outputTarget() const { return *lists_[3]; }
  QComboBox& noiseGate(int input) const { return *gates_[static_cast<size_t>(input)]; }
  QLabel& noiseGateLabel(int input) const { return *gateLabels_[static_cast<size_t>(input)]; }

  // The two OK buttons: copy the selected source onto the selected target. Copying a
  // channel onto itself is refused with a message and changes nothing.
  void copyInputs();
  void copyOutputs();
  // The user picks position 0..120 in the noise-gate list of input 0..3: written as the
  // threshold's raw value.
  void chooseNoiseGate(int input, int position);

  // Relabels everything in the current language.
  void refreshTexts();

signals:
  // The Enter key: the main window shows the page (always the home page, 0).
  void showPageRequested(int pageNumber);

protected:
  void keyPressEvent(QKeyEvent* event) override;

private:
  void build();
  void place();
  void fillChannelLists();
  void fillNoiseGates();
  void copy(int firstChannel, const QComboBox& source, const QComboBox& target);

  const ParameterTable& table_;
  EditSession& edits_;
  MessageFn message_;
  int inputs_ = 4;
  int outputs_ = 8;
  std::array<QGroupBox*, 2> groups_{};
  std::array<QLabel*, 4> captions_{}; // IN, OUT, Source, Target
  std::array<QComboBox*, 4> lists_{};
  std::array<QPushButton*, 2> copyButtons_{};
  std::array<QLabel*, 4> gateLabels_{};
  std::array<QComboBox*, 4> gates_{};
};

} // namespace kv816
