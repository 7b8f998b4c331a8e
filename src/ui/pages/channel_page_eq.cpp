// The parametric bands, the response graph, PEQ RESET / BYPASS and the crossover.

#include "ui/pages/channel_page.h"

#include "dsp/scale_config.h"
#include "i18n/text.h"
#include "model/crossover.h"
#include "model/encodings.h"
#include "model/parameter_table.h"
#include "ui/controls/response_graph.h"
#include "ui/controls/skin_button.h"
#include "ui/controls/skin_combo_box.h"
#include "ui/controls/skin_label.h"
#include "ui/controls/skin_palette.h"
#include "ui/controls/ui_text.h"
#include "ui/controls/value_edit.h"
#include "ui/dialogs/message_box.h"
#include "ui/pages/gesture_watch.h"

#include <QGroupBox>

namespace kv816 {

namespace {

constexpr int ROW_TOP = 38;
constexpr int ROW_STEP = 27;
constexpr int CELL_WIDTH = 64;
constexpr int CELL_HEIGHT = 24;
constexpr std::array<int, 4> COLUMN_X = {288, 372, 456, 540};

constexpr double SLOPE_6DB_Q = 0.4;
constexpr double SLOPE_12DB_Q = 0.84;
constexpr std::array<double, PEQ_BAND_COUNT> RESET_FREQUENCIES = {30,   50,   100,  200,   500,
                                                                  1000, 2000, 5000, 10000, 15000};

// The graph's first band point follows its H and L points.
constexpr int bandPoint(int band) {
  return 2 + band;
}

QRect cell(int column, int band) {
  return QRect(COLUMN_X[static_cast<size_t>(column)], ROW_TOP + ROW_STEP * band, CELL_WIDTH,
               CELL_HEIGHT);
}

QStringList crossoverEntries() {
  struct Family {
    Text format;
    std::vector<int> slopes;
  };
  const Family families[] = {{Text::BesselSlope, {12, 18, 24}},
                             {Text::ButterworthSlope, {12, 18, 24}},
                             {Text::LinkwitzSlope, {12, 24, 36, 48}}};
  QStringList entries;
  for (const Family& family : families)
    for (int slope : family.slopes)
      entries << uiText(family.format).replace(QStringLiteral("%d"), QString::number(slope));
  return entries;
}

// Refills a list, keeping its selection (the first entry when it no longer exists).
void refill(SkinComboBox* box, const QStringList& entries) {
  const int selected = box->currentIndex();
  box->clear();
  box->addItems(entries);
  box->setShownIndex(selected >= 0 && selected < entries.size() ? selected : 0);
}

ValueEdit* makeEdit(QWidget* parent, int index, const ScaleConfig& scale, const QString& name) {
  auto* edit = new ValueEdit(parent);
  edit->setIndex(index);
  edit->setScale(scale);
  edit->setObjectName(name);
  return edit;
}

SkinComboBox* makeList(QWidget* parent, int index, const QString& name) {
  auto* box = new SkinComboBox(parent);
  box->setUserValue(index);
  box->setObjectName(name);
  return box;
}

} // namespace

void ChannelPage::createEqualiser() {
  static constexpr QRect GROUPS[5] = {
      QRect(QPoint(14, 8), QPoint(103, 318)), QRect(QPoint(119, 8), QPoint(208, 318)),
      QRect(QPoint(224, 8), QPoint(718, 318)), QRect(QPoint(734, 8), QPoint(987, 158)),
      QRect(QPoint(734, 169), QPoint(987, 318))};
  for (size_t i = 0; i < groups_.size(); ++i) {
    groups_[i] = new QGroupBox(this);
    place(groups_[i], GROUPS[i]);
  }
  for (int c = 0; c < 4; ++c) {
    headers_[static_cast<size_t>(c)] = new SkinLabel(this);
    // In the group's title band, above its frame line, as the group title itself.
    headers_[static_cast<size_t>(c)]->setTextFlags(TEXT_CENTER | TEXT_VCENTER | TEXT_SINGLE_LINE);
    place(headers_[static_cast<size_t>(c)], QRect(COLUMN_X[static_cast<size_t>(c)], 6, 64, 19));
  }
  for (int k = 0; k < PEQ_BAND_COUNT; ++k) {
    BandRow& row = bands_[static_cast<size_t>(k)];
    const QString n = QString::number(k);
    row.label = new SkinLabel(this);
    row.freq = makeEdit(this, k, PEQ_FREQ_SCALE, "bandFreq" + n);
    row.q = makeEdit(this, k, PEQ_Q_SCALE, "bandQ" + n);
    row.slope = makeList(this, k, "bandSlope" + n);
    row.slope->addItems({QStringLiteral("6dB"), QStringLiteral("12dB")});
    row.slope->setShownIndex(0);
    row.gain = makeEdit(this, k, PEQ_GAIN_SCALE, "bandGain" + n);
    row.type = makeList(this, k, "bandType" + n);
    place(row.label, QRect(QPoint(227, ROW_TOP + ROW_STEP * k), QPoint(287, 62 + ROW_STEP * k)));
    place(row.freq, cell(0, k));
    place(row.q, cell(1, k));
    place(row.slope, cell(1, k));
    place(row.gain, cell(2, k));
    place(row.type, cell(3, k));
    connect(row.freq, &ValueEdit::valueNotified, this, [this, k] { onBandFrequency(k); });
    connect(row.q, &ValueEdit::valueNotified, this, [this, k] { onBandQ(k); });
    connect(row.slope, &SkinComboBox::notified, this, [this, k] { onSlope(k); });
    connect(row.gain, &ValueEdit::valueNotified, this, [this, k] { onBandGain(k); });
    connect(row.type, &SkinComboBox::notified, this, [this, k] { onBandType(k); });
  }
  peqReset_ = new SkinButton(this);
  peqReset_->setObjectName(QStringLiteral("peqReset"));
  peqBypass_ = new SkinButton(this);
  peqBypass_->setObjectName(QStringLiteral("peqBypass"));
  peqBypass_->setUserValue(1);
  peqBypass_->setCheckState(SkinButton::OFF); // lit while the bands are bypassed
  place(peqReset_, QRect(QPoint(626, 112), QPoint(710, 140)));
  place(peqBypass_, QRect(QPoint(626, 208), QPoint(710, 236)));
  connect(peqReset_, &SkinButton::notified, this, [this] { onPeqReset(); });
  connect(peqBypass_, &SkinButton::notified, this, [this] { onPeqBypass(); });
}

void ChannelPage::createCrossover() {
  static constexpr QRect LABELS[4] = {
      QRect(QPoint(730, 62), QPoint(786, 86)), QRect(QPoint(730, 110), QPoint(786, 134)),
      QRect(QPoint(796, 36), QPoint(860, 60)), QRect(QPoint(863, 36), QPoint(927, 60))};
  for (size_t i = 0; i < crossoverLabels_.size(); ++i) {
    crossoverLabels_[i] = new SkinLabel(this);
    if (i >= 2) // the column headers
      crossoverLabels_[i]->setTextFlags(TEXT_CENTER);
    place(crossoverLabels_[i], LABELS[i]);
  }
  crossoverFreq_[0] = makeEdit(this, 0, HPF_FREQ_SCALE, "hpfFreq");
  crossoverFreq_[1] = makeEdit(this, 1, LPF_FREQ_SCALE, "lpfFreq");
  crossoverType_[0] = makeList(this, 0, "hpfType");
  crossoverType_[1] = makeList(this, 1, "lpfType");
  for (int side = 0; side < 2; ++side) {
    const size_t s = static_cast<size_t>(side);
    const int y = side == 0 ? 62 : 110;
    place(crossoverFreq_[s], QRect(792, y, CELL_WIDTH, CELL_HEIGHT));
    place(crossoverType_[s], QRect(863, y, 116, CELL_HEIGHT));
    const bool highPass = side == 0;
    connect(crossoverFreq_[s], &ValueEdit::valueNotified, this,
            [this, highPass] { onCrossoverFrequency(highPass); });
    connect(crossoverType_[s], &SkinComboBox::notified, this,
            [this, highPass] { onCrossoverType(highPass); });
  }
  crossoverFreq_[0]->setUnits(19);
  crossoverFreq_[1]->setUnits(20000);
  if (!output_) {
    groups_[3]->hide();
    for (QWidget* w : crossoverLabels_)
      w->hide();
    for (QWidget* w : crossoverFreq_)
      w->hide();
    for (QWidget* w : crossoverType_)
      w->hide();
  }
}

void ChannelPage::createGraph() {
  graph_ = new ResponseGraph(this);
  graph_->setObjectName(QStringLiteral("graph"));
  GestureWatch::install(graph_, edits_);
  graph_->setBandCount(PEQ_BAND_COUNT);
  graph_->setFreeFrequency(true);
  graph_->setRangeLock(true);
  graph_->setHighRange(19, 20000);
  graph_->setLowRange(20, 20001);
  graph_->setBandRange(20, 20000);
  graph_->setPointFrequency(19, 0);
  graph_->setPointFrequency(20000, 1);
  for (int k = 0; k < PEQ_BAND_COUNT; ++k) {
    graph_->setBandFrequency(RESET_FREQUENCIES[static_cast<size_t>(k)], k);
    graph_->setBandGain(0, k);
    graph_->setBandQ(1.0, k);
    graph_->setBandType(BAND_TYPE_PEAKING, k);
  }
  // Inputs have no crossover: their H and L points stay where they are.
  graph_->setPointEnabled(0, output_);
  graph_->setPointEnabled(1, output_);
  connect(graph_, &ResponseGraph::graphNotified, this,
          [this](int which, int band) { onGraph(which, band); });
}

void ChannelPage::refreshEqTexts() {
  groups_[0]->setTitle(uiText(Text::Gain));
  groups_[1]->setTitle(uiText(Text::Delay));
  groups_[2]->setTitle(QStringLiteral("PEQ"));
  groups_[3]->setTitle(uiText(Text::CrossOver));
  groups_[4]->setTitle(uiText(Text::Compress));
  static constexpr Text HEADERS[4] = {Text::Freq, Text::Q, Text::Gain, Text::Type};
  for (size_t c = 0; c < headers_.size(); ++c)
    headers_[c]->setText(uiText(HEADERS[c]));
  const QStringList types = {uiText(Text::Bypass), uiText(Text::Peq), uiText(Text::HighShelf),
                             uiText(Text::LowShelf)};
  for (int k = 0; k < PEQ_BAND_COUNT; ++k) {
    const BandRow& row = bands_[static_cast<size_t>(k)];
    row.label->setText(QStringLiteral("PEQ%1").arg(k + 1));
    refill(row.type, types);
  }
  peqReset_->setText(uiText(Text::PeqReset));
  peqBypass_->setText(uiText(Text::PeqBypass));
  crossoverLabels_[0]->setText(uiText(Text::Hpf));
  crossoverLabels_[1]->setText(uiText(Text::Lpf));
  crossoverLabels_[2]->setText(uiText(Text::Freq));
  crossoverLabels_[3]->setText(uiText(Text::Type));
  const QStringList entries = crossoverEntries();
  for (SkinComboBox* box : crossoverType_)
    refill(box, entries);
}

void ChannelPage::showEqualiser() {
  const bool bypassed = table_.value(indexOf(ChannelFunction::PeqBypass, channel())) != 0;
  graph_->setEqPass(bypassed);
  peqBypass_->setCheckState(bypassed ? SkinButton::ON : SkinButton::OFF);
  for (int k = 0; k < PEQ_BAND_COUNT; ++k) {
    const int gain = table_.value(indexOf(ChannelFunction::PeqGain, channel(), k));
    applyEqCode(CODE_TYPE + k, table_.value(indexOf(ChannelFunction::PeqType, channel(), k)));
    applyEqCode(CODE_FREQ + k, table_.value(indexOf(ChannelFunction::PeqFreq, channel(), k)));
    applyEqCode(CODE_Q + k, table_.value(indexOf(ChannelFunction::PeqQ, channel(), k)));
    applyEqCode(CODE_GAIN + k, gain);
    savedGain_[static_cast<size_t>(k)] = gain;
  }
  if (!output_)
    return;
  static constexpr ChannelFunction CROSSOVER[4] = {
      ChannelFunction::HpfType, ChannelFunction::LpfType, ChannelFunction::HpfFreq,
      ChannelFunction::LpfFreq};
  showFunctions(CROSSOVER);
}

bool ChannelPage::applyEqCode(int code, int value) {
  if (code >= CODE_TYPE && code < CODE_DELAY) {
    const int k = code % CODE_FREQ;
    if (k >= PEQ_BAND_COUNT)
      return true; // graphic-EQ band codes: not on this page
    const BandRow& row = bands_[static_cast<size_t>(k)];
    switch (code / CODE_FREQ) {
    case 0:
      graph_->setBandType(value, k);
      row.type->setShownIndex(peqTypePosition(value));
      applyBandVisibility(k);
      break;
    case 1:
      graph_->setBandFrequency(decodeFrequency(value), k);
      row.freq->setUnits(decodeFrequency(value));
      break;
    case 2: {
      const QValue q = decodeQ(value);
      graph_->setBandQ(q.q, k);
      row.q->setUnits(q.q);
      row.slope->setShownIndex(q.slope12 ? 1 : 0);
      break;
    }
    default:
      graph_->setBandGain(decodeEqGain(value), k);
      row.gain->setUnits(decodeEqGain(value));
      // The newest gain of a band in use is the one PEQ BYPASS brings back.
      if (graph_->pointBandType(bandPoint(k)) != BAND_TYPE_OFF)
        savedGain_[static_cast<size_t>(k)] = value;
      break;
    }
    return true;
  }
  switch (code) {
  case CODE_PEQ_BYPASS:
    graph_->setEqPass(value != 0);
    peqBypass_->setCheckState(value != 0 ? SkinButton::ON : SkinButton::OFF);
    return true;
  case CODE_HPF_FREQ:
  case CODE_LPF_FREQ: {
    const int side = code == CODE_HPF_FREQ ? 0 : 1;
    graph_->setPointFrequency(decodeFrequency(value), side);
    crossoverFreq_[static_cast<size_t>(side)]->setUnits(decodeFrequency(value));
    return true;
  }
  case CODE_HPF_TYPE:
  case CODE_LPF_TYPE:
    graph_->setFilterCode(value);
    crossoverType_[code == CODE_HPF_TYPE ? 0 : 1]->setShownIndex(crossoverPosition(value));
    return true;
  default:
    return false;
  }
}

int ChannelPage::eqRaw(int code) const {
  if (code >= CODE_TYPE && code < CODE_DELAY) {
    const int k = code % CODE_FREQ;
    if (k >= PEQ_BAND_COUNT)
      return -1;
    const int point = bandPoint(k);
    switch (code / CODE_FREQ) {
    case 0:
      return graph_->pointBandType(point);
    case 1:
      return encodeFrequency(graph_->pointFrequency(point));
    case 2:
      return encodeQ(graph_->pointQ(point),
                     bands_[static_cast<size_t>(k)].slope->currentIndex() == 1);
    default:
      return graph_->pointGain(point) + EQ_GAIN_ZERO;
    }
  }
  switch (code) {
  case CODE_PEQ_BYPASS:
    return graph_->settings().eqPass ? 1 : 0;
  case CODE_HPF_FREQ:
  case CODE_LPF_FREQ:
    return encodeFrequency(crossoverFreq_[code == CODE_HPF_FREQ ? 0 : 1]->units());
  case CODE_HPF_TYPE:
  case CODE_LPF_TYPE: {
    const bool highPass = code == CODE_HPF_TYPE;
    return crossoverCode(crossoverType_[highPass ? 0 : 1]->currentIndex(), highPass);
  }
  default:
    return -1;
  }
}

// Shelves show their slope in place of the Q edit and draw with the slope's Q; a bypassed
// band has no gain to edit.
void ChannelPage::applyBandVisibility(int band) {
  const BandRow& row = bands_[static_cast<size_t>(band)];
  const int type = graph_->pointBandType(bandPoint(band));
  const bool shelf = type == BAND_TYPE_HIGH_SHELF || type == BAND_TYPE_LOW_SHELF;
  row.gain->setVisible(type != BAND_TYPE_OFF);
  row.q->setVisible(!shelf);
  row.slope->setVisible(shelf);
  graph_->setBandQShown(!shelf, band);
  if (shelf)
    graph_->setBandQ(row.slope->currentIndex() == 1 ? SLOPE_12DB_Q : SLOPE_6DB_Q, band);
  else if (type != BAND_TYPE_OFF)
    graph_->setBandQ(row.q->units(), band);
}

void ChannelPage::onBandFrequency(int band) {
  graph_->setBandFrequency(bands_[static_cast<size_t>(band)].freq->units(), band);
  write(ChannelFunction::PeqFreq, band);
  commit();
}

void ChannelPage::onBandQ(int band) {
  graph_->setBandQ(bands_[static_cast<size_t>(band)].q->units(), band);
  write(ChannelFunction::PeqQ, band);
  commit();
}

void ChannelPage::onSlope(int band) {
  const bool slope12 = bands_[static_cast<size_t>(band)].slope->currentIndex() == 1;
  graph_->setBandQ(slope12 ? SLOPE_12DB_Q : SLOPE_6DB_Q, band);
  write(ChannelFunction::PeqQ, band);
  commit();
}

void ChannelPage::onBandGain(int band) {
  graph_->setBandGain(bands_[static_cast<size_t>(band)].gain->units(), band);
  write(ChannelFunction::PeqGain, band);
  commit();
  savedGain_[static_cast<size_t>(band)] = eqRaw(CODE_GAIN + band);
}

// "ByPass" stores 0 dB and remembers the gain; choosing a type again brings it back.
void ChannelPage::onBandType(int band) {
  const size_t k = static_cast<size_t>(band);
  const int position = bands_[k].type->currentIndex();
  const int type = peqTypeCode(position);
  if (type == BAND_TYPE_OFF) {
    // A band that is bypassed already shows 0 dB: keep the gain remembered before.
    if (graph_->pointBandType(bandPoint(band)) != BAND_TYPE_OFF)
      savedGain_[k] = eqRaw(CODE_GAIN + band);
    bands_[k].gain->setUnits(0);
    graph_->setBandGain(0, band);
  } else {
    applyEqCode(CODE_GAIN + band, savedGain_[k]);
  }
  graph_->setBandType(type, band);
  write(ChannelFunction::PeqType, band);
  write(ChannelFunction::PeqGain, band);
  commit();
  applyBandVisibility(band);
}

void ChannelPage::onCrossoverFrequency(bool highPass) {
  ValueEdit* high = crossoverFreq_[0];
  ValueEdit* low = crossoverFreq_[1];
  // The high-pass never passes the low-pass: the edited side gives way.
  if (low->units() < high->units())
    (highPass ? high : low)->setUnits((highPass ? low : high)->units());
  graph_->setPointFrequency((highPass ? high : low)->units(), highPass ? 0 : 1);
  write(highPass ? ChannelFunction::HpfFreq : ChannelFunction::LpfFreq);
  commit();
}

void ChannelPage::onCrossoverType(bool highPass) {
  const int code = highPass ? CODE_HPF_TYPE : CODE_LPF_TYPE;
  graph_->setFilterCode(eqRaw(code));
  write(highPass ? ChannelFunction::HpfType : ChannelFunction::LpfType);
  commit();
}

void ChannelPage::onGraph(int which, int band) {
  if (which == 1 || which == 2) {
    if (!output_)
      return;
    const int side = which - 1;
    crossoverFreq_[static_cast<size_t>(side)]->setUnits(graph_->pointFrequency(side));
    write(side == 0 ? ChannelFunction::HpfFreq : ChannelFunction::LpfFreq);
    commit(EditSource::Graph);
    return;
  }
  if (which != 0 || band < 0 || band >= PEQ_BAND_COUNT)
    return;
  const BandRow& row = bands_[static_cast<size_t>(band)];
  const int point = bandPoint(band);
  row.freq->setUnits(graph_->pointFrequency(point));
  row.q->setUnits(graph_->pointQ(point));
  row.gain->setUnits(graph_->pointGain(point) / 10.0);
  write(ChannelFunction::PeqGain, band);
  write(ChannelFunction::PeqFreq, band);
  write(ChannelFunction::PeqQ, band);
  write(ChannelFunction::PeqType, band);
  commit(EditSource::Graph);
  savedGain_[static_cast<size_t>(band)] = eqRaw(CODE_GAIN + band);
}

void ChannelPage::onPeqReset() {
  if (showMessageBox(this, MessageKind::YesNo, uiText(Text::ConfirmResetEq), uiText(Text::Tip)) !=
      MessageButton::Yes)
    return;
  for (int k = 0; k < PEQ_BAND_COUNT; ++k) {
    const BandRow& row = bands_[static_cast<size_t>(k)];
    const double hz = RESET_FREQUENCIES[static_cast<size_t>(k)];
    row.freq->setUnits(hz);
    row.q->setUnits(1.0);
    row.gain->setUnits(0);
    savedGain_[static_cast<size_t>(k)] = EQ_GAIN_ZERO;
    row.slope->setShownIndex(0);
    row.type->setShownIndex(peqTypePosition(BAND_TYPE_PEAKING));
    graph_->setBandType(BAND_TYPE_PEAKING, k);
    graph_->setBandGain(0, k);
    graph_->setBandFrequency(hz, k);
    graph_->setBandQ(1.0, k);
    applyBandVisibility(k);
    write(ChannelFunction::PeqType, k);
    write(ChannelFunction::PeqFreq, k);
    write(ChannelFunction::PeqQ, k);
    write(ChannelFunction::PeqGain, k);
  }
  commit(EditSource::Reset);
}

void ChannelPage::onPeqBypass() {
  showPeqBypass(!graph_->settings().eqPass);
  write(ChannelFunction::PeqBypass);
  commit(EditSource::Bypass);
}

// Bypass only silences the display of the gains; the gain parameters keep their values. A
// bypass switched elsewhere (the device, Undo) hides or brings back the gains the same way.
void ChannelPage::showPeqBypass(bool on) {
  peqBypass_->setCheckState(on ? SkinButton::ON : SkinButton::OFF);
  if (on == graph_->settings().eqPass)
    return;
  for (int k = 0; k < PEQ_BAND_COUNT; ++k) {
    const size_t i = static_cast<size_t>(k);
    if (on) {
      savedGain_[i] = eqRaw(CODE_GAIN + k);
      bands_[i].gain->setUnits(0);
      graph_->setBandGain(0, k);
    } else {
      applyEqCode(CODE_GAIN + k, savedGain_[i]);
    }
  }
  graph_->setEqPass(on);
}

} // namespace kv816
