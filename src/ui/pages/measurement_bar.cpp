#include "ui/pages/measurement_bar.h"

#include "dsp/measurement_traces.h"
#include "ui/controls/text_scale.h"
#include "ui/controls/ui_text.h"
#include "ui/dialogs/message_box.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>

namespace kv816 {

namespace {

constexpr double OFFSET_LIMIT_DB = 200.0;
constexpr double TILT_LIMIT_DB = 6.0;
// The smallest text the row steps down to when a language's captions would not fit.
constexpr int SMALLEST_TEXT_PIXELS = 8;

QString reasonText(const std::string& error) {
  return QString::fromStdString(error);
}

} // namespace

MeasurementBar::MeasurementBar(QWidget* parent) : QWidget(parent) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(2, 0, 2, 0);
  row->setSpacing(3);
  exportButton_ = new QPushButton(this);
  importButton_ = new QPushButton(this);
  measurementButton_ = new QPushButton(this);
  fitButton_ = new QPushButton(this);
  fitButton_->setObjectName(QStringLiteral("fitButton"));
  offsetLabel_ = new QLabel(this);
  offset_ = new QDoubleSpinBox(this);
  offset_->setRange(-OFFSET_LIMIT_DB, OFFSET_LIMIT_DB);
  offset_->setDecimals(1);
  offset_->setSingleStep(1.0);
  offset_->setSuffix(QStringLiteral(" dB"));
  targetLabel_ = new QLabel(this);
  target_ = new QComboBox(this);
  tilt_ = new QDoubleSpinBox(this);
  tilt_->setRange(-TILT_LIMIT_DB, TILT_LIMIT_DB);
  tilt_->setDecimals(1);
  tilt_->setSingleStep(0.1);
  tilt_->setSuffix(QStringLiteral(" dB/oct"));
  tiltFrom_ = new QSpinBox(this);
  tiltTo_ = new QSpinBox(this);
  for (QSpinBox* box : {tiltFrom_, tiltTo_}) {
    box->setRange(20, 20000);
    box->setSuffix(QStringLiteral(" Hz"));
  }
  for (QWidget* w : std::initializer_list<QWidget*>{
           exportButton_, importButton_, measurementButton_, fitButton_, offsetLabel_, offset_,
           targetLabel_, target_, tilt_, tiltFrom_, tiltTo_})
    row->addWidget(w);
  for (QCheckBox*& box : traces_) {
    box = new QCheckBox(this);
    row->addWidget(box);
    connect(box, &QCheckBox::toggled, this, [this] { readControls(); });
  }
  row->addStretch(1);
  target_->setSizeAdjustPolicy(QComboBox::AdjustToContents);

  connect(exportButton_, &QPushButton::clicked, this, &MeasurementBar::exportFiltersRequested);
  connect(importButton_, &QPushButton::clicked, this, &MeasurementBar::importFiltersRequested);
  connect(measurementButton_, &QPushButton::clicked, this, &MeasurementBar::onMeasurementButton);
  connect(fitButton_, &QPushButton::clicked, this, &MeasurementBar::fitRequested);
  connect(target_, &QComboBox::activated, this, &MeasurementBar::onTargetChoice);
  connect(offset_, &QDoubleSpinBox::valueChanged, this, [this] { readControls(); });
  connect(tilt_, &QDoubleSpinBox::valueChanged, this, [this] { readControls(); });
  connect(tiltFrom_, &QSpinBox::valueChanged, this, [this] { readControls(); });
  connect(tiltTo_, &QSpinBox::valueChanged, this, [this] { readControls(); });
  refreshTexts();
  showState();
}

void MeasurementBar::refreshTexts() {
  exportButton_->setText(uiText(Text::ExportFilters));
  importButton_->setText(uiText(Text::ImportFilters));
  measurementButton_->setText(uiText(Text::LoadMeasurement));
  fitButton_->setText(uiText(Text::FitButton));
  showFitButton();
  offsetLabel_->setText(uiText(Text::LevelOffset));
  targetLabel_->setText(uiText(Text::Target));
  const QSignalBlocker block(target_);
  const int choice = target_->currentIndex();
  target_->clear();
  target_->addItems(
      {uiText(Text::TargetFlat), uiText(Text::TargetTilt), uiText(Text::TargetFromFile)});
  target_->setCurrentIndex(std::max(choice, 0));
  traces_[0]->setText(uiText(Text::TraceMeasured));
  traces_[1]->setText(uiText(Text::TracePredicted));
  traces_[2]->setText(uiText(Text::Target));
  fitRow();
}

void MeasurementBar::setScale(double scale) {
  scale_ = scale;
  fitRow();
}

void MeasurementBar::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  fitRow();
}

// The text takes the window's scale; where the captions of a language would still not fit
// the bar's width, it steps down until they do, so no control is cut or pushed out.
void MeasurementBar::fitRow() {
  const int largest = scaledTextPixels(TITLE_DESIGN_PIXELS, scale_);
  const int smallest = std::min(largest, SMALLEST_TEXT_PIXELS);
  for (int pixels = largest;; --pixels) {
    setTextPixels(pixels);
    if (pixels <= smallest || layout()->minimumSize().width() <= width())
      return;
  }
}

// Buttons as wide as their captions, not a push button's usual minimum: the row is full.
void MeasurementBar::setTextPixels(int pixels) {
  QFont text = font();
  text.setPixelSize(pixels);
  setFont(text);
  const QFontMetrics metrics(text);
  const int padding = std::max(8, pixels * 2 / 3);
  for (QPushButton* button : {exportButton_, importButton_, measurementButton_, fitButton_})
    button->setFixedWidth(metrics.horizontalAdvance(button->text()) + padding);
  layout()->invalidate();
}

void MeasurementBar::setChannel(int channel) {
  if (!isValidChannel(channel))
    return;
  channel_ = channel;
  showState();
  emitOverlay();
}

void MeasurementBar::showState() {
  showing_ = true;
  const ChannelState& s = state();
  offset_->setValue(s.overlay.offsetDb);
  target_->setCurrentIndex(s.targetChoice);
  tilt_->setValue(s.tilt);
  tiltFrom_->setValue(s.tiltFrom);
  tiltTo_->setValue(s.tiltTo);
  traces_[0]->setChecked(s.overlay.showMeasured);
  traces_[1]->setChecked(s.overlay.showPredicted);
  traces_[2]->setChecked(s.overlay.showTarget);
  for (QWidget* w : std::initializer_list<QWidget*>{tilt_, tiltFrom_, tiltTo_})
    w->setEnabled(s.targetChoice == TARGET_TILT);
  showing_ = false;
}

// The controls are the truth for what the user sets; the state follows them.
void MeasurementBar::readControls() {
  if (showing_)
    return;
  ChannelState& s = state();
  s.overlay.offsetDb = offset_->value();
  s.tilt = tilt_->value();
  s.tiltFrom = tiltFrom_->value();
  s.tiltTo = tiltTo_->value();
  s.overlay.showMeasured = traces_[0]->isChecked();
  s.overlay.showPredicted = traces_[1]->isChecked();
  s.overlay.showTarget = traces_[2]->isChecked();
  switch (s.targetChoice) {
  case TARGET_TILT:
    s.overlay.target = TargetCurve::tilt(s.tilt, s.tiltFrom, s.tiltTo);
    break;
  case TARGET_FILE:
    s.overlay.target = s.fileTarget;
    break;
  default:
    s.overlay.target = TargetCurve();
  }
  for (QWidget* w : std::initializer_list<QWidget*>{tilt_, tiltFrom_, tiltTo_})
    w->setEnabled(s.targetChoice == TARGET_TILT);
  emitOverlay();
}

void MeasurementBar::emitOverlay() {
  showFitButton();
  emit overlayChanged(overlay());
}

// A fit needs a measurement; the tooltip says so while there is none.
void MeasurementBar::showFitButton() {
  const bool active = overlay().active();
  fitButton_->setEnabled(active);
  fitButton_->setToolTip(uiText(active ? Text::TipFit : Text::TipFitNeedsMeasurement));
}

QString MeasurementBar::loadMeasurement(const QString& path) {
  MeasurementRead read = readMeasurementFile(path.toStdString());
  if (!read.error.empty())
    return reasonText(read.error);
  ChannelState& s = state();
  s.overlay.measurement = std::move(read.measurement);
  showing_ = true;
  offset_->setValue(suggestedLevelOffset(s.overlay.measurement));
  showing_ = false;
  readControls();
  return {};
}

QString MeasurementBar::loadTarget(const QString& path) {
  MeasurementRead read = readMeasurementFile(path.toStdString());
  if (!read.error.empty())
    return reasonText(read.error);
  ChannelState& s = state();
  s.fileTarget = TargetCurve::fromFile(std::move(read.measurement));
  s.targetChoice = TARGET_FILE;
  showState();
  readControls();
  return {};
}

void MeasurementBar::setOffset(double db) {
  offset_->setValue(db);
}

void MeasurementBar::setTilt(double dbPerOctave, int fromHz, int toHz) {
  state().targetChoice = TARGET_TILT;
  showState();
  tilt_->setValue(dbPerOctave);
  tiltFrom_->setValue(fromHz);
  tiltTo_->setValue(toHz);
  readControls();
}

void MeasurementBar::setTraceShown(int trace, bool shown) {
  if (trace >= 0 && trace < static_cast<int>(traces_.size()))
    traces_[static_cast<size_t>(trace)]->setChecked(shown);
}

void MeasurementBar::onMeasurementButton() {
  const QString path = QFileDialog::getOpenFileName(this, uiText(Text::LoadMeasurement), {},
                                                    uiText(Text::MeasurementFiles));
  if (path.isEmpty())
    return;
  const QString error = loadMeasurement(path);
  if (!error.isEmpty())
    showMessageBox(this, MessageKind::Ok, uiText(Text::FileNotRead) + QStringLiteral("\n") + error,
                   uiText(Text::LoadMeasurement));
}

void MeasurementBar::onTargetChoice(int choice) {
  if (choice == TARGET_FILE) {
    const QString path = QFileDialog::getOpenFileName(this, uiText(Text::TargetFromFile), {},
                                                      uiText(Text::MeasurementFiles));
    const QString error = path.isEmpty() ? QString() : loadTarget(path);
    if (!error.isEmpty())
      showMessageBox(this, MessageKind::Ok,
                     uiText(Text::FileNotRead) + QStringLiteral("\n") + error,
                     uiText(Text::TargetFromFile));
    showState(); // a cancelled or refused file keeps the choice there was
    return;
  }
  state().targetChoice = choice;
  readControls();
}

} // namespace kv816
