#include "ui/pages/geq_page.h"

#include "dsp/scale_tables.h"
#include "i18n/band_labels.h"
#include "i18n/text.h"
#include "model/encodings.h"
#include "model/parameter_table.h"
#include "ui/controls/response_graph.h"
#include "ui/controls/skin_button.h"
#include "ui/controls/skin_label.h"
#include "ui/controls/skin_palette.h"
#include "ui/controls/slider.h"
#include "ui/controls/ui_text.h"
#include "ui/dialogs/message_box.h"
#include "ui/pages/focus_chain.h"
#include "ui/pages/gesture_watch.h"
#include "ui/shell/tab_layout.h"

#include <QFontMetrics>
#include <QRgb>

#include <algorithm>

namespace kv816 {

namespace {

constexpr int SCALE_ROWS = 9;
constexpr const char* SCALE_TEXTS[SCALE_ROWS] = {"+15", "+12", "+8",  "+4", "0dB",
                                                 "-4",  "-8",  "-12", "-15"};
// Total-curve colour of inputs A..D.
constexpr QRgb TOTAL_COLOURS[INPUT_COUNT] = {0xFFFF6666, 0xFF990099, 0xFF99FF00, 0xFFFF99CC};

constexpr int SLIDER_STYLE = 2;
constexpr int GAIN_LIMIT = 150;      // tenths of a dB either side of 0
constexpr int BAND_POINT_OFFSET = 2; // graph points 0 and 1 are the H and L points

// A design-unit rectangle (x1, y1, x2, y2) on the scaled page, corners truncated.
QRect scaledRect(double x1, double y1, double x2, double y2, double sx, double sy) {
  const int left = int(x1 * sx);
  const int top = int(y1 * sy);
  return QRect(left, top, int(x2 * sx) - left, int(y2 * sy) - top);
}

double gainDb(int raw) {
  return (raw - EQ_GAIN_ZERO) / 10.0;
}

} // namespace

GeqPage::GeqPage(const ParameterTable& table, EditSession& edits, QWidget* parent)
    : Page(PAGE_GEQ_FIRST, parent), table_(table), edits_(edits) {
  createControls();
  setUpGraph();
  std::vector<QWidget*> chain(sliders_.begin(), sliders_.end());
  chain.insert(chain.end(), {buttons_[RESET_BUTTON], buttons_[BYPASS_BUTTON], graph_});
  setFocusChain(chain); // the bands low to high, then the buttons and the graph
  refreshTexts();
  layoutControls();
}

void GeqPage::createControls() {
  for (int n = 0; n < GEQ_BAND_COUNT; ++n) {
    auto* slider = new Slider(this);
    GestureWatch::install(slider, edits_);
    slider->setStyle(SLIDER_STYLE);
    slider->setRange(-GAIN_LIMIT, GAIN_LIMIT);
    slider->setDivisor(10);
    slider->setValue(0);
    slider->setIndex(n);
    connect(slider, &Slider::valueNotified, this,
            [this](int, int band, int value) { onSliderMoved(band, value); });
    sliders_[n] = slider;

    auto* label = new SkinLabel(this);
    label->setText(QString::fromUtf8(bandLabel(n)));
    label->setTextFlags(TEXT_CENTER | TEXT_VCENTER | TEXT_SINGLE_LINE);
    bandLabels_[n] = label;
  }
  for (int k = 0; k < 2 * SCALE_ROWS; ++k) {
    auto* label = new SkinLabel(this);
    label->setText(QString::fromLatin1(SCALE_TEXTS[k % SCALE_ROWS]));
    const int side = k < SCALE_ROWS ? TEXT_RIGHT : 0;
    label->setTextFlags(side | TEXT_VCENTER | TEXT_SINGLE_LINE);
    scaleLabels_[k] = label;
  }
  for (int i = 0; i < 2; ++i) {
    auto* button = new SkinButton(this);
    button->setUserValue(i);
    connect(button, &SkinButton::notified, this, [this](int, int index) { onButton(index); });
    buttons_[i] = button;
  }
  buttons_[RESET_BUTTON]->setObjectName(QStringLiteral("geqReset"));
  buttons_[BYPASS_BUTTON]->setObjectName(QStringLiteral("geqBypass"));
  readout_ = new SkinLabel(this);
  readout_->setObjectName(QStringLiteral("geqReadout"));
  readout_->setTextFlags(TEXT_VCENTER | TEXT_SINGLE_LINE);
  // The bypass button shows the bypass state; the user's click toggles it.
  buttons_[BYPASS_BUTTON]->setCheckState(SkinButton::OFF);
  graph_ = new ResponseGraph(this);
  connect(graph_, &ResponseGraph::graphNotified, this, &GeqPage::onGraphChanged);
  GestureWatch::install(graph_, edits_);
}

void GeqPage::setUpGraph() {
  graph_->setHighRange(19, 20000);
  graph_->setLowRange(19, 20000);
  graph_->setBandRange(20, 20000);
  graph_->setFreeFrequency(true);
  graph_->setBandCount(GEQ_BAND_COUNT);
  for (int n = 0; n < GEQ_BAND_COUNT; ++n) {
    graph_->setBandGain(0, n);
    graph_->setBandFrequency(CENTRE_FREQUENCIES[n], n);
    graph_->setBandQ(GEQ_Q, n);
  }
  graph_->setPointEnabled(ResponseGraphModel::HIGH_POINT, false);
  graph_->setPointEnabled(ResponseGraphModel::LOW_POINT, false);
  graph_->setVerticalOnly(true);
  graph_->setShowQHandles(false);
  graph_->setPointFrequency(19, ResponseGraphModel::HIGH_POINT);
  graph_->setPointFrequency(20000, ResponseGraphModel::LOW_POINT);
  graph_->setTotalColor(TOTAL_COLOURS[0]);
}

void GeqPage::refreshTexts() {
  buttons_[RESET_BUTTON]->setText(uiText(Text::GeqReset));
  buttons_[BYPASS_BUTTON]->setText(uiText(Text::GeqBypass));
  fitButtonFonts();
}

void GeqPage::scaleChanged() {
  layoutControls();
}

void GeqPage::resizeEvent(QResizeEvent* event) {
  Page::resizeEvent(event);
  layoutControls();
}

void GeqPage::layoutControls() {
  const double sx = horizontalScale();
  const double sy = verticalScale();
  const double m = std::min(sx, sy);
  for (int n = 0; n < GEQ_BAND_COUNT; ++n) {
    sliders_[n]->setGeometry(int((43 + 32 * n) * sx), int(24 * sy), int(24 * m), int(263 * m));
    bandLabels_[n]->setGeometry(scaledRect(39 + 32 * n, 4, 71 + 32 * n, 24, sx, sy));
  }
  for (int k = 0; k < SCALE_ROWS; ++k) {
    scaleLabels_[k]->setGeometry(scaledRect(0, 25 + 30 * k, 39, 45 + 30 * k, sx, sy));
    scaleLabels_[SCALE_ROWS + k]->setGeometry(
        scaledRect(1030, 25 + 30 * k, 1069, 45 + 30 * k, sx, sy));
  }
  buttons_[RESET_BUTTON]->setGeometry(scaledRect(50, 290, 134, 318, sx, sy));
  buttons_[BYPASS_BUTTON]->setGeometry(scaledRect(150, 290, 234, 318, sx, sy));
  readout_->setGeometry(scaledRect(250, 290, 520, 318, sx, sy));
  placeLabels();
  const int graphTop = int(325 * sy);
  graph_->setGeometry(0, graphTop, width(), std::max(0, height() - graphTop));
  graph_->setScale(m);
}

void GeqPage::placeLabels() {
  QFont labelFont = font();
  labelFont.setPixelSize(std::max(1, int(12 * horizontalScale())));
  for (SkinLabel* label : bandLabels_)
    label->setFont(labelFont);
  for (SkinLabel* label : scaleLabels_)
    label->setFont(labelFont);
  QFont readoutFont = labelFont;
  readoutFont.setPixelSize(std::max(1, int(14 * horizontalScale())));
  readout_->setFont(readoutFont);
  fitButtonFonts();
}

void GeqPage::fitButtonFonts() {
  // 14 units high, smaller where a language's text would not fit; both buttons alike.
  QFont buttonFont = font();
  int size = std::max(1, int(14 * horizontalScale()));
  buttonFont.setPixelSize(size);
  for (SkinButton* button : buttons_) {
    while (size > 6 &&
           QFontMetrics(buttonFont).horizontalAdvance(button->text()) > button->width() - 4)
      buttonFont.setPixelSize(--size);
  }
  for (SkinButton* button : buttons_)
    button->setTextFont(buttonFont);
}

int GeqPage::channel() const {
  return pageNumber() - PAGE_GEQ_FIRST;
}

bool GeqPage::isBypassed() const {
  return graph_->settings().eqPass;
}

Slider* GeqPage::bandSlider(int band) const {
  return band >= 0 && band < GEQ_BAND_COUNT ? sliders_[band] : nullptr;
}

int GeqPage::indexOf(ChannelFunction function, int band) const {
  return kv816::indexOf(function, channel(), band);
}

int GeqPage::showChannel(int pageNumber) {
  if (pageNumber < PAGE_GEQ_FIRST || pageNumber >= PAGE_GEQ_FIRST + INPUT_COUNT)
    return this->pageNumber();
  setShownPageNumber(pageNumber);
  graph_->setTotalColor(TOTAL_COLOURS[channel()]);
  applyCode(CODE_BYPASS, table_.value(indexOf(ChannelFunction::GeqBypass, 0)), pageNumber);
  for (int n = 0; n < GEQ_BAND_COUNT; ++n) {
    applyCode(CODE_TYPE_FIRST + n, table_.value(indexOf(ChannelFunction::GeqType, n)), pageNumber);
    applyCode(CODE_FREQ_FIRST + n, table_.value(indexOf(ChannelFunction::GeqFreq, n)), pageNumber);
    applyCode(CODE_GAIN_FIRST + n, table_.value(indexOf(ChannelFunction::GeqGain, n)), pageNumber);
  }
  return pageNumber;
}

void GeqPage::showParameter(const IndexLocation& where, int value) {
  if (where.channel != channel())
    return;
  switch (where.function) {
  case ChannelFunction::GeqType:
    applyCode(CODE_TYPE_FIRST + where.band, value, pageNumber());
    break;
  case ChannelFunction::GeqFreq:
    applyCode(CODE_FREQ_FIRST + where.band, value, pageNumber());
    break;
  case ChannelFunction::GeqGain:
    applyCode(CODE_GAIN_FIRST + where.band, value, pageNumber());
    break;
  case ChannelFunction::GeqBypass:
    applyCode(CODE_BYPASS, value, pageNumber());
    break;
  default:
    break; // the band Q is not shown here
  }
}

void GeqPage::applyCode(int code, int value, int pageNumber) {
  if (pageNumber >= 0 && pageNumber != this->pageNumber())
    return;
  if (code >= CODE_TYPE_FIRST && code < CODE_FREQ_FIRST)
    graph_->setBandType(value, code - CODE_TYPE_FIRST);
  else if (code >= CODE_FREQ_FIRST && code < CODE_Q_FIRST)
    graph_->setBandFrequency(decodeFrequency(value), code - CODE_FREQ_FIRST);
  else if (code >= CODE_GAIN_FIRST && code < CODE_BYPASS)
    showGain(code - CODE_GAIN_FIRST, value);
  else if (code == CODE_BYPASS) {
    const bool on = decodeFlag(value);
    // Bypass switched elsewhere (another input's copy, a preset, Undo): the faders go flat
    // as the button makes them, or take the stored gains again.
    if (on && !isBypassed())
      flattenGains();
    setBypassShown(on);
    if (!on)
      reloadGains();
  }
}

void GeqPage::showGain(int band, int raw) {
  const double db = gainDb(raw);
  graph_->setBandGain(db, band);
  sliders_[band]->setUnits(db);
}

void GeqPage::reloadGains() {
  for (int n = 0; n < GEQ_BAND_COUNT; ++n)
    showGain(n, table_.value(indexOf(ChannelFunction::GeqGain, n)));
}

// Only the display goes flat; the gain words keep their values for the way back.
void GeqPage::flattenGains() {
  for (int n = 0; n < GEQ_BAND_COUNT; ++n) {
    sliders_[n]->setValue(0);
    graph_->setBandGain(0, n);
  }
}

void GeqPage::setBypassShown(bool on) {
  graph_->setEqPass(on);
  buttons_[BYPASS_BUTTON]->setCheckState(on ? SkinButton::ON : SkinButton::OFF);
}

void GeqPage::addEdit(std::vector<ParameterEdit>& edits, ChannelFunction function, int band,
                      int value) const {
  const int index = indexOf(function, band);
  if (index != IDX_NONE)
    edits.push_back({index, value});
}

void GeqPage::addBand(std::vector<ParameterEdit>& edits, int band) const {
  const int point = band + BAND_POINT_OFFSET;
  addEdit(edits, ChannelFunction::GeqType, band, graph_->pointBandType(point));
  addEdit(edits, ChannelFunction::GeqFreq, band, encodeFrequency(graph_->pointFrequency(point)));
  addEdit(edits, ChannelFunction::GeqGain, band, graph_->pointGain(point) + EQ_GAIN_ZERO);
}

void GeqPage::apply(ChannelFunction function, int band, EditSource source,
                    const std::vector<ParameterEdit>& edits, const QObject* control) {
  edits_.apply({channel(), function, band, source}, edits, control ? gestureKeyOf(control) : 0);
}

void GeqPage::onSliderMoved(int band, int value) {
  if (band < 0 || band >= GEQ_BAND_COUNT)
    return;
  graph_->setBandGain(value / 10.0, band);
  std::vector<ParameterEdit> edits;
  addEdit(edits, ChannelFunction::GeqGain, band,
          graph_->pointGain(band + BAND_POINT_OFFSET) + EQ_GAIN_ZERO);
  apply(ChannelFunction::GeqGain, band, EditSource::Page, edits, sliders_[band]);
  showReadout(band);
}

QString GeqPage::readoutText() const {
  return readout_->text();
}

void GeqPage::showReadout(int band) {
  const double db = graph_->pointGain(band + BAND_POINT_OFFSET) / 10.0;
  readout_->setText(
      QStringLiteral("%1 Hz: %2%3 dB")
          .arg(QString::fromUtf8(bandLabel(band)), db > 0 ? QStringLiteral("+") : QString())
          .arg(db, 0, 'f', 1));
}

void GeqPage::onGraphChanged(int wparam, int lparam) {
  // The H and L points are disabled here; only bands (wparam 0) count.
  if (wparam != 0 || lparam < 0 || lparam >= GEQ_BAND_COUNT)
    return;
  sliders_[lparam]->setValue(graph_->pointGain(lparam + BAND_POINT_OFFSET));
  std::vector<ParameterEdit> edits;
  addBand(edits, lparam);
  apply(ChannelFunction::GeqGain, lparam, EditSource::Graph, edits, graph_);
  showReadout(lparam);
}

void GeqPage::onButton(int index) {
  if (index == RESET_BUTTON)
    resetBands();
  else if (index == BYPASS_BUTTON)
    toggleBypass();
}

void GeqPage::resetBands() {
  if (showMessageBox(this, MessageKind::YesNo, uiText(Text::ConfirmResetEq), uiText(Text::Tip)) !=
      MessageButton::Yes)
    return;
  for (int n = 0; n < GEQ_BAND_COUNT; ++n) {
    sliders_[n]->setValue(0);
    graph_->setBandGain(0, n);
    graph_->setBandFrequency(CENTRE_FREQUENCIES[n], n);
    graph_->setBandQ(GEQ_Q, n);
  }
  std::vector<ParameterEdit> edits;
  for (int n = 0; n < GEQ_BAND_COUNT; ++n)
    addBand(edits, n);
  apply(ChannelFunction::GeqGain, -1, EditSource::Reset, edits);
}

void GeqPage::toggleBypass() {
  const bool on = !isBypassed();
  setBypassShown(on);
  if (on)
    flattenGains();
  else
    reloadGains();
  std::vector<ParameterEdit> edits;
  addEdit(edits, ChannelFunction::GeqBypass, 0, on ? 1 : 0);
  apply(ChannelFunction::GeqBypass, -1, EditSource::Bypass, edits);
}

} // namespace kv816
