#include "ui/dialogs/eq_fit_dialog.h"

#include "dsp/filter_sections.h"
#include "edit/edit_session.h"
#include "edit/eq_fit_edits.h"
#include "model/parameter_table.h"
#include "ui/controls/ui_text.h"
#include "ui/dialogs/eq_fit_preview.h"
#include "ui/shell/edit_step_name.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace kv816 {

namespace {

// Options settle for this long before a fit starts, so typing a number fits once.
constexpr int FIT_DELAY_MS = 250;
constexpr double OFFSET_LIMIT_DB = 200.0;
constexpr int SMOOTHINGS[] = {0, 12, 6, 3};

// The text with its printf-style conversions (%d, %g, %.2f) replaced by `values` in order.
QString filledIn(Text key, std::initializer_list<QString> values) {
  static const QRegularExpression conversion(QStringLiteral("%(\\.\\d+)?[dgf]"));
  QString text = uiText(key);
  qsizetype from = 0;
  for (const QString& value : values) {
    const QRegularExpressionMatch m = conversion.match(text, from);
    if (!m.hasMatch())
      break;
    text.replace(m.capturedStart(), m.capturedLength(), value);
    from = m.capturedStart() + value.size();
  }
  return text;
}

QString number(double value, int decimals = -1) {
  return decimals < 0 ? QString::number(value) : QString::number(value, 'f', decimals);
}

QString targetName(const TargetCurve& target) {
  switch (target.kind()) {
  case TargetCurve::Kind::Tilt:
    return uiText(Text::TargetTilt);
  case TargetCurve::Kind::File:
    return uiText(Text::TargetFromFile).remove(QChar(0x2026));
  case TargetCurve::Kind::Flat:
    break;
  }
  return uiText(Text::TargetFlat);
}

} // namespace

// What one fit works on, copied on the GUI thread so the fit's thread shares nothing.
struct EqFitDialog::Job {
  std::unique_ptr<ParameterTable> table = std::make_unique<ParameterTable>();
  int channel = 0;
  Measurement measurement;
  TargetCurve target;
  EqFitOptions options;
  std::vector<int32_t> words;
  EqFitResult result;
};

EqFitDialog::EqFitDialog(const ParameterTable& table, EditSession& edits, int channel,
                         const GraphOverlay& overlay, QWidget* parent)
    : QDialog(parent), table_(table), edits_(edits), channel_(channel),
      measurement_(overlay.measurement), target_(overlay.target),
      targetName_(targetName(overlay.target)) {
  setWindowTitle(editStepName({channel, std::nullopt, -1, EditSource::EqFit}));
  auto* layout = new QVBoxLayout(this);
  auto* options = new QWidget(this);
  buildOptions(options, overlay.offsetDb);
  layout->addWidget(options);
  preview_ = new EqFitPreview(this);
  layout->addWidget(preview_, 1);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("fitStatus"));
  status_->setWordWrap(true);
  layout->addWidget(status_);
  bandList_ = new QLabel(this);
  bandList_->setObjectName(QStringLiteral("fitBands"));
  bandList_->setWordWrap(true);
  layout->addWidget(bandList_);

  auto* buttons = new QDialogButtonBox(this);
  apply_ = buttons->addButton(uiText(Text::Apply), QDialogButtonBox::AcceptRole);
  apply_->setObjectName(QStringLiteral("fitApply"));
  QPushButton* cancel =
      buttons->addButton(uiText(Text::CancelButton), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QStringLiteral("fitCancel"));
  connect(apply_, &QPushButton::clicked, this, &EqFitDialog::applyFit);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  layout->addWidget(buttons);

  delay_ = new QTimer(this);
  delay_->setSingleShot(true);
  delay_->setInterval(FIT_DELAY_MS);
  connect(delay_, &QTimer::timeout, this, &EqFitDialog::startFit);
  resize(680, 640);
  scheduleFit();
}

EqFitDialog::~EqFitDialog() {
  // The fit reads only its own copies; it takes well under a second.
  if (thread_)
    thread_->wait();
}

void EqFitDialog::buildOptions(QWidget* box, double offsetDb) {
  auto* form = new QFormLayout(box);
  form->setContentsMargins(0, 0, 0, 0);
  const auto row = [box](std::initializer_list<QWidget*> widgets) {
    auto* line = new QWidget(box);
    auto* h = new QHBoxLayout(line);
    h->setContentsMargins(0, 0, 0, 0);
    for (QWidget* w : widgets)
      h->addWidget(w);
    h->addStretch(1);
    return line;
  };
  const auto spin = [box](const char* name, int low, int high, int value, const QString& suffix) {
    auto* s = new QSpinBox(box);
    s->setObjectName(QLatin1String(name));
    s->setRange(low, high);
    s->setValue(value);
    s->setSuffix(suffix);
    return s;
  };
  const auto real = [box](const char* name, double low, double high, double value, int decimals,
                          const QString& suffix) {
    auto* s = new QDoubleSpinBox(box);
    s->setObjectName(QLatin1String(name));
    s->setRange(low, high);
    s->setDecimals(decimals);
    s->setValue(value);
    s->setSuffix(suffix);
    return s;
  };
  const EqFitOptions defaults;
  const QString hz = QStringLiteral(" Hz");
  const QString db = QStringLiteral(" dB");
  fromHz_ = spin("fitFrom", 20, 20000, static_cast<int>(defaults.fromHz), hz);
  toHz_ = spin("fitTo", 20, 20000, static_cast<int>(defaults.toHz), hz);
  form->addRow(uiText(Text::FitRange), row({fromHz_, new QLabel(QStringLiteral("–"), box), toHz_}));

  bands_ = spin("fitBandCount", 0, PEQ_BAND_COUNT, 0, {});
  form->addRow(uiText(Text::FitBands), row({bands_}));
  auto* locks = new QWidget(box);
  auto* lockRow = new QHBoxLayout(locks);
  lockRow->setContentsMargins(0, 0, 0, 0);
  for (int band = 0; band < PEQ_BAND_COUNT; ++band) {
    auto* lock = new QCheckBox(QString::number(band + 1), locks);
    lock->setObjectName(QStringLiteral("fitLock%1").arg(band + 1));
    lockRow->addWidget(lock);
    locks_[static_cast<size_t>(band)] = lock;
    connect(lock, &QCheckBox::toggled, this, &EqFitDialog::onLockChanged);
  }
  lockRow->addStretch(1);
  form->addRow(uiText(Text::FitLockedBands), locks);
  showBandsInUse();

  maxBoost_ = real("fitMaxBoost", 0.0, EQ_FIT_MAX_BOOST_DB, defaults.maxBoostDb, 1, db);
  maxBoost_->setSingleStep(0.5);
  form->addRow(uiText(Text::FitMaxBoost), row({maxBoost_}));
  qMin_ = real("fitQMin", BAND_Q_MIN, BAND_Q_MAX, defaults.qMin, 2, {});
  qMax_ = real("fitQMax", BAND_Q_MIN, BAND_Q_MAX, defaults.qMax, 2, {});
  form->addRow(uiText(Text::FitQRange), row({qMin_, new QLabel(QStringLiteral("–"), box), qMax_}));

  smoothing_ = new QComboBox(box);
  smoothing_->setObjectName(QStringLiteral("fitSmoothing"));
  for (const int n : SMOOTHINGS)
    smoothing_->addItem(n == 0 ? uiText(Text::SmoothingNone)
                               : filledIn(Text::SmoothingOctave, {QString::number(n)}),
                        n);
  form->addRow(uiText(Text::FitSmoothing), row({smoothing_}));

  targetLabel_ = new QLabel(targetName_, box);
  targetLabel_->setObjectName(QStringLiteral("fitTargetName"));
  targetButton_ = new QPushButton(uiText(Text::TargetFromFile), box);
  connect(targetButton_, &QPushButton::clicked, this, &EqFitDialog::chooseTargetFile);
  form->addRow(uiText(Text::Target), row({targetLabel_, targetButton_}));

  fixedOffset_ = new QCheckBox(uiText(Text::FitFixedOffset), box);
  fixedOffset_->setObjectName(QStringLiteral("fitFixedOffset"));
  offset_ = real("fitOffset", -OFFSET_LIMIT_DB, OFFSET_LIMIT_DB, offsetDb, 1, db);
  offset_->setEnabled(false);
  connect(fixedOffset_, &QCheckBox::toggled, offset_, &QWidget::setEnabled);
  form->addRow(uiText(Text::LevelOffset), row({fixedOffset_, offset_}));

  for (QSpinBox* s : {fromHz_, toHz_, bands_})
    connect(s, &QSpinBox::valueChanged, this, &EqFitDialog::scheduleFit);
  for (QDoubleSpinBox* s : {maxBoost_, qMin_, qMax_, offset_})
    connect(s, &QDoubleSpinBox::valueChanged, this, &EqFitDialog::scheduleFit);
  connect(smoothing_, &QComboBox::currentIndexChanged, this, &EqFitDialog::scheduleFit);
  connect(fixedOffset_, &QCheckBox::toggled, this, &EqFitDialog::scheduleFit);
}

EqFitOptions EqFitDialog::options() const {
  EqFitOptions o;
  o.fromHz = fromHz_->value();
  o.toHz = toHz_->value();
  for (int band = 0; band < PEQ_BAND_COUNT; ++band)
    o.locked[static_cast<size_t>(band)] = locks_[static_cast<size_t>(band)]->isChecked();
  // All the free bands is what the fit takes by default; it then says when none is free.
  if (bands_->value() != freeBandCount())
    o.bandCount = bands_->value();
  o.maxBoostDb = maxBoost_->value();
  o.qMin = qMin_->value();
  o.qMax = qMax_->value();
  o.smoothing = smoothing_->currentData().toInt();
  if (fixedOffset_->isChecked())
    o.levelOffsetDb = offset_->value();
  return o;
}

// A band in use is kept anyway: shown locked, not to be unlocked. A band that became free
// is offered unlocked; the count is all the free bands.
void EqFitDialog::showBandsInUse() {
  const std::vector<int> free = freeBands(table_, channel_, {});
  for (int band = 0; band < PEQ_BAND_COUNT; ++band) {
    QCheckBox* lock = locks_[static_cast<size_t>(band)];
    const QSignalBlocker block(lock);
    const bool inUse = std::find(free.begin(), free.end(), band) == free.end();
    if (inUse || !lock->isEnabled())
      lock->setChecked(inUse);
    lock->setEnabled(!inUse);
  }
  const QSignalBlocker block(bands_);
  bands_->setValue(freeBandCount());
}

int EqFitDialog::freeBandCount() const {
  std::array<bool, PEQ_BAND_COUNT> locked{};
  for (int band = 0; band < PEQ_BAND_COUNT; ++band)
    locked[static_cast<size_t>(band)] = locks_[static_cast<size_t>(band)]->isChecked();
  return static_cast<int>(freeBands(table_, channel_, locked).size());
}

bool EqFitDialog::busy() const {
  return delay_->isActive() || thread_ != nullptr;
}

QString EqFitDialog::statusText() const {
  return status_->text();
}

void EqFitDialog::onLockChanged() {
  bands_->setValue(freeBandCount());
  scheduleFit();
}

void EqFitDialog::scheduleFit() {
  note_.clear();
  apply_->setEnabled(false);
  status_->setText(uiText(Text::FitRunning));
  delay_->start();
}

std::vector<int32_t> EqFitDialog::channelWords() const {
  std::vector<int32_t> words;
  for (int i = blockStart(channel_); i <= blockEnd(channel_); ++i)
    words.push_back(table_.value(i));
  return words;
}

void EqFitDialog::startFit() {
  if (thread_) {
    again_ = true; // the options changed during this fit: fit again when it is done
    return;
  }
  auto job = std::make_shared<Job>();
  for (int i = 0; i < PARAM_COUNT; ++i)
    job->table->setParameter(i, table_.value(i));
  job->channel = channel_;
  job->measurement = measurement_;
  job->target = target_;
  job->options = options();
  job->words = channelWords();
  job_ = job;
  apply_->setEnabled(false);
  status_->setText(uiText(Text::FitRunning));
  thread_ = QThread::create([job] {
    job->result = fitEq(*job->table, job->channel, job->measurement, job->target, job->options);
  });
  thread_->setParent(this);
  connect(thread_, &QThread::finished, this, &EqFitDialog::fitFinished);
  thread_->start();
}

void EqFitDialog::fitFinished() {
  thread_->deleteLater();
  thread_ = nullptr;
  if (again_) {
    again_ = false;
    startFit();
    return;
  }
  result_ = std::move(job_->result);
  resultWords_ = std::move(job_->words);
  resultOptions_ = job_->options;
  job_.reset();
  showResult();
  emit fitShown();
}

QString EqFitDialog::refusalText() const {
  using F = EqFitFailure;
  switch (result_.failure) {
  case F::NoMeasurement:
    return uiText(Text::FitNoMeasurement);
  case F::RangeLimits:
    return uiText(Text::FitRangeLimits);
  case F::RangeOutsideMeasurement:
    return filledIn(Text::FitRangeOutside,
                    {number(resultOptions_.fromHz), number(resultOptions_.toHz),
                     number(measurement_.frequencies.front()),
                     number(measurement_.frequencies.back())});
  case F::BandCount:
    return uiText(Text::FitBandCount);
  case F::QRange:
    return uiText(Text::FitQRangeBad);
  case F::TooFewFreeBands:
    return filledIn(Text::FitFewFreeBands,
                    {QString::number(freeBands(table_, channel_, resultOptions_.locked).size())});
  case F::TargetCoverage:
    return uiText(Text::FitTargetCoverage);
  case F::AlreadyFlat:
    return uiText(Text::FitAlreadyFlat);
  case F::NoImprovement:
    return uiText(Text::FitNoImprovement);
  case F::None:
  case F::NoChannel:
  case F::MaxBoost:
  case F::Smoothing:
  case F::LevelOffset:
    break; // the controls never ask for these
  }
  return QString::fromStdString(result_.error);
}

void EqFitDialog::showResult() {
  const bool fitted = result_.error.empty();
  apply_->setEnabled(fitted);
  QStringList lines;
  if (!note_.isEmpty())
    lines << note_;
  if (!fitted) {
    preview_->clear();
    lines << refusalText();
    status_->setText(lines.join(QLatin1Char('\n')));
    bandList_->clear();
    return;
  }
  preview_->showFit(result_, !resultOptions_.levelOffsetDb);
  lines << filledIn(Text::FitRmsError,
                    {number(result_.rmsBeforeDb, 2), number(result_.rmsAfterDb, 2)});
  status_->setText(lines.join(QLatin1Char('\n')));
  QStringList bands;
  for (const EqFitBand& b : result_.bands)
    bands << QStringLiteral("%1 %2: %3 Hz  %4 dB  Q %5")
                 .arg(uiText(Text::Peq))
                 .arg(b.band + 1)
                 .arg(number(b.frequency, b.frequency < 100.0 ? 1 : 0))
                 .arg(number(b.gainDb, 1))
                 .arg(number(b.q, 2));
  bandList_->setText(bands.join(QLatin1Char('\n')));
}

QString EqFitDialog::loadTarget(const QString& path) {
  MeasurementRead read = readMeasurementFile(path.toStdString());
  if (!read.error.empty())
    return QString::fromStdString(read.error);
  target_ = TargetCurve::fromFile(std::move(read.measurement));
  targetName_ = QFileInfo(path).fileName();
  targetLabel_->setText(targetName_);
  scheduleFit();
  return {};
}

void EqFitDialog::chooseTargetFile() {
  const QString path = QFileDialog::getOpenFileName(this, uiText(Text::TargetFromFile), {},
                                                    uiText(Text::MeasurementFiles));
  if (path.isEmpty())
    return;
  const QString error = loadTarget(path);
  if (!error.isEmpty())
    status_->setText(uiText(Text::FileNotRead) + QLatin1Char('\n') + error);
}

void EqFitDialog::applyFit() {
  if (busy() || !result_.error.empty())
    return;
  // A device report or a remote edit may have changed the channel since the fit began:
  // its words would then overwrite what the fit never saw.
  if (channelWords() != resultWords_) {
    showBandsInUse();
    startFit();
    note_ = uiText(Text::FitChannelChanged);
    return;
  }
  edits_.apply(eqFitSubject(result_), eqFitEdits(result_));
  accept();
}

} // namespace kv816
