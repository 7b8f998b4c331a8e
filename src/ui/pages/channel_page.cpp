#include "ui/pages/channel_page.h"

#include "model/meter.h"
#include "model/parameter_table.h"
#include "ui/controls/level_meter.h"
#include "ui/controls/response_graph.h"
#include "ui/controls/skin_button.h"
#include "ui/controls/skin_combo_box.h"
#include "ui/controls/skin_label.h"
#include "ui/controls/skin_palette.h"
#include "ui/controls/slider.h"
#include "ui/controls/text_scale.h"
#include "ui/controls/value_edit.h"
#include "ui/pages/focus_chain.h"
#include "ui/pages/gesture_watch.h"
#include "ui/pages/measurement_bar.h"
#include "ui/shell/tab_layout.h"

#include <QGroupBox>

#include <algorithm>
#include <cmath>

namespace kv816 {

namespace {

// The measurement bar, then the graph, which runs to the page's bottom; in design units.
constexpr int BAR_TOP = 325;
constexpr int BAR_HEIGHT = 26;
constexpr int GRAPH_TOP = BAR_TOP + BAR_HEIGHT;
constexpr int DESIGN_WIDTH = 1100;
constexpr int DESIGN_HEIGHT = 700;

// The total curve of each channel is drawn in the channel's own colour.
constexpr std::array<QRgb, CHANNEL_COUNT> CHANNEL_COLOURS = {
    qRgb(0, 255, 255), qRgb(223, 18, 123), qRgb(2, 123, 192),   qRgb(255, 255, 0),
    qRgb(255, 0, 0),   qRgb(0, 96, 0),     qRgb(128, 128, 192), qRgb(255, 64, 255),
    qRgb(0, 192, 192), qRgb(192, 168, 0),  qRgb(125, 128, 0),   qRgb(0, 0, 255)};

int scaled(int design, double factor) {
  return static_cast<int>(std::lround(design * factor));
}

} // namespace

ChannelPage::ChannelPage(const ParameterTable& table, EditSession& edits, int firstPageNumber,
                         QWidget* parent)
    : Page(firstPageNumber >= PAGE_OUTPUT_FIRST ? PAGE_OUTPUT_FIRST : PAGE_INPUT_FIRST, parent),
      table_(table), edits_(edits), output_(firstPageNumber >= PAGE_OUTPUT_FIRST) {
  createEqualiser(); // first: its group boxes lie under everything else
  createStrip();
  createCrossover();
  createCompressor();
  createGraph();
  createMeasurementBar();
  setFocusOrder();
  refreshTexts();
  scaleChanged();
}

// Tab runs as the eye reads: the strip, the EQ rows, crossover and compressor, then the
// graph's controls. The EQ is created first (its group boxes lie under the rest), so the
// order of creation would start in the middle of the page.
void ChannelPage::setFocusOrder() {
  std::vector<QWidget*> chain = {mute_, phase_, gainEdit_, gainFader_};
  chain.insert(chain.end(), delayEdits_.begin(), delayEdits_.end());
  chain.push_back(delaySlider_);
  for (const BandRow& row : bands_)
    chain.insert(chain.end(), {row.freq, row.q, row.slope, row.gain, row.type});
  chain.insert(chain.end(), {peqReset_, peqBypass_, crossoverFreq_[0], crossoverType_[0],
                             crossoverFreq_[1], crossoverType_[1]});
  chain.insert(chain.end(), compressorEdits_.begin(), compressorEdits_.end());
  for (QWidget* w = measurementBar_->nextInFocusChain(); measurementBar_->isAncestorOf(w);
       w = w->nextInFocusChain())
    if (w->focusPolicy() & Qt::TabFocus)
      chain.push_back(w);
  chain.push_back(graph_);
  setFocusChain(chain);
}

void ChannelPage::place(QWidget* widget, const QRect& design) {
  placed_.push_back({widget, design});
}

void ChannelPage::scaleChanged() {
  const double sx = horizontalScale();
  const double sy = verticalScale();
  if (std::min(sx, sy) < 0.5)
    return;
  for (const Placed& p : placed_) {
    const QRect& r = p.design;
    p.widget->setGeometry(scaled(r.x(), sx), scaled(r.y(), sy), scaled(r.width(), sx),
                          scaled(r.height(), sy));
  }
  for (const BandRow& row : bands_) {
    row.slope->setScale(sy);
    row.type->setScale(sy);
  }
  for (SkinComboBox* box : crossoverType_)
    box->setScale(sy);
  for (QGroupBox* group : groups_)
    group->setFont(scaledFont(group->font(), TITLE_DESIGN_PIXELS, std::min(sx, sy)));
  fitButtonCaptions(std::min(sx, sy));
  QFont labelFont(QStringLiteral("微软雅黑"));
  labelFont.setPixelSize(std::max(1, scaled(14, sy)));
  for (Placed& p : placed_)
    if (auto* label = qobject_cast<SkinLabel*>(p.widget)) {
      label->setFont(labelFont);
      label->setTextFlags(label->textFlags() | TEXT_VCENTER | TEXT_SINGLE_LINE);
    }
  // The bar and the graph span the page, which is narrower than the window the scale
  // follows; the graph fills it below the controls. Before the page has its size, the design
  // size stands in for it.
  const int top = scaled(GRAPH_TOP, sy);
  const int bottom = height() > top ? height() : scaled(DESIGN_HEIGHT, sy);
  const int right = width() > 0 ? width() : scaled(DESIGN_WIDTH, sx);
  measurementBar_->setGeometry(0, scaled(BAR_TOP, sy), right, top - scaled(BAR_TOP, sy));
  measurementBar_->setScale(std::min(sx, sy));
  graph_->setGeometry(0, top, right, bottom - top);
  graph_->setScale(std::min(sx, sy));
}

// The buttons' captions follow the window's scale as the group titles do, one size for all,
// smaller where a language's caption would not fit its button.
void ChannelPage::fitButtonCaptions(double scale) {
  const std::array<SkinButton*, 4> buttons = {mute_, phase_, peqReset_, peqBypass_};
  const QFont caption = fittedCaptionFont(mute_->font(), scale, buttons);
  for (SkinButton* button : buttons)
    button->setTextFont(caption);
}

void ChannelPage::resizeEvent(QResizeEvent* event) {
  Page::resizeEvent(event);
  scaleChanged();
}

bool ChannelPage::lacks(ChannelFunction function) const {
  return indexOf(function, channel()) == IDX_NONE;
}

int ChannelPage::codeOf(ChannelFunction function, int band) {
  using F = ChannelFunction;
  switch (function) {
  case F::PeqType:
    return CODE_TYPE + band;
  case F::PeqFreq:
    return CODE_FREQ + band;
  case F::PeqQ:
    return CODE_Q + band;
  case F::PeqGain:
    return CODE_GAIN + band;
  case F::Delay:
    return CODE_DELAY;
  case F::Gain:
    return CODE_CHANNEL_GAIN;
  case F::Mute:
    return CODE_MUTE;
  case F::Phase:
    return CODE_PHASE;
  case F::PeqBypass:
    return CODE_PEQ_BYPASS;
  case F::HpfFreq:
    return CODE_HPF_FREQ;
  case F::HpfType:
    return CODE_HPF_TYPE;
  case F::LpfFreq:
    return CODE_LPF_FREQ;
  case F::LpfType:
    return CODE_LPF_TYPE;
  case F::Threshold:
    return CODE_THRESHOLD;
  case F::Attack:
    return CODE_ATTACK;
  case F::Release:
    return CODE_RELEASE;
  case F::Ratio:
    return CODE_RATIO;
  default:
    return -1;
  }
}

// A gesture's values are gathered first, so that it becomes one undo step; the first
// value written names the step.
void ChannelPage::write(ChannelFunction function, int band) {
  const int index = indexOf(function, channel(), band);
  if (index == IDX_NONE)
    return;
  if (pending_.empty())
    pendingSubject_ = {channel(), function, bandCountOf(function) > 1 ? band : -1};
  pending_.push_back({index, controlRaw(codeOf(function, band))});
}

// The control whose signal runs this is the gesture: a drag, or a wheel or key burst on it,
// joins one step. Every click of a button is a step of its own.
void ChannelPage::commit(EditSource source) {
  EditSubject subject = pendingSubject_;
  subject.source = source;
  if (source == EditSource::Reset)
    subject.band = -1;
  const std::vector<ParameterEdit> edits = std::move(pending_);
  pending_.clear();
  const QObject* control = sender();
  const bool burst = control && !qobject_cast<const SkinButton*>(control);
  if (!edits.empty())
    edits_.apply(subject, edits, burst ? gestureKeyOf(control) : 0);
}

void ChannelPage::refreshTexts() {
  refreshEqTexts();
  refreshStripTexts();
  fitButtonCaptions(std::min(horizontalScale(), verticalScale()));
  measurementBar_->refreshTexts();
}

int ChannelPage::showChannel(int pageNumber) {
  const int first = output_ ? PAGE_OUTPUT_FIRST : PAGE_INPUT_FIRST;
  const int last = output_ ? PAGE_NUMBER_COUNT : PAGE_OUTPUT_FIRST;
  if (pageNumber < first || pageNumber >= last)
    return this->pageNumber();
  setShownPageNumber(pageNumber);
  graph_->setTotalColor(CHANNEL_COLOURS[static_cast<size_t>(channel())]);
  measurementBar_->setChannel(channel());
  showEqualiser();
  showStrip();
  if (output_)
    showCompressor();
  return pageNumber;
}

void ChannelPage::showFunctions(std::span<const ChannelFunction> functions) {
  for (ChannelFunction function : functions) {
    const int index = indexOf(function, channel());
    const int code = codeOf(function);
    if (index != IDX_NONE && !applyEqCode(code, table_.value(index)))
      applyStripCode(code, table_.value(index));
  }
}

// The PEQ bypass word only switches the graph's banner, from its low byte.
void ChannelPage::showParameter(const IndexLocation& where, int value) {
  if (where.channel != channel())
    return;
  if (where.function == ChannelFunction::PeqBypass) {
    redrawGraph(value & 0xFF);
    return;
  }
  const int code = codeOf(where.function, where.band);
  if (code >= 0)
    applyCode(code, value, pageNumber());
}

void ChannelPage::showMeter(int channel, int level) {
  if (channel == this->channel())
    setMeterMask(static_cast<int>(meterSegments(level, CHANNEL_PAGE_METER_SEGMENTS)));
}

void ChannelPage::applyCode(int code, int value, int pageNumber) {
  if (pageNumber != this->pageNumber())
    return;
  if (!applyEqCode(code, value))
    applyStripCode(code, value);
}

int ChannelPage::controlRaw(int code) const {
  const int raw = eqRaw(code);
  return raw >= 0 ? raw : stripRaw(code);
}

void ChannelPage::redrawGraph(int lowByte) {
  showPeqBypass(lowByte != 0);
}

void ChannelPage::setMeterMask(int mask) {
  meter_->setMask(static_cast<std::uint32_t>(mask));
}

} // namespace kv816
