#include "ui/controls/response_graph_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "dsp/response_math.h"
#include "dsp/scale_tables.h"
#include "model/encodings.h"

namespace kv816 {
namespace {

// A band's centre is drawn below 100 Hz with one decimal unless frequencies are free.
const char* freqFormat(double frequency, bool freeFrequency) {
  return frequency < 100.0 && !freeFrequency ? "F:%0.1f" : "F:%0.0f";
}

// The label cuts the frequency to its shown digits as the edits and the device do, so the
// label and the edit never differ by one.
double shownFrequency(double frequency, bool freeFrequency) {
  const double unit = frequency < 100.0 && !freeFrequency ? 10.0 : 1.0;
  return std::trunc(frequency * unit + 1e-6) / unit;
}

} // namespace

ResponseGraphModel::ResponseGraphModel() {
  setBandCount(0);
}

int ResponseGraphModel::zeroLine() const {
  return INSET_TOP + zeroLineOffset(height_);
}

int ResponseGraphModel::columnOf(double frequency) const {
  return frequencyToColumn(frequency, width_);
}

int ResponseGraphModel::filterRow() const {
  return static_cast<int>(FILTER_ROW * settings_.scale);
}

const GraphPoint* ResponseGraphModel::point(int index) const {
  if (index < 0 || index >= pointCount()) {
    return nullptr;
  }
  return &points_[index];
}

CrossoverSettings ResponseGraphModel::crossover() const {
  return {settings_.highCode, settings_.lowCode, settings_.highMax, settings_.lowMax};
}

void ResponseGraphModel::syncCurvePoints() {
  curvePoints_.resize(points_.size());
  for (size_t i = 0; i < points_.size(); ++i) {
    const GraphPoint& p = points_[i];
    curvePoints_[i] = {p.column, p.row, p.frequency, p.q, p.bandType, p.enabled};
  }
}

void ResponseGraphModel::recompute(int index) {
  syncCurvePoints();
  curves_.update(index, curvePoints_, crossover());
}

void ResponseGraphModel::prepareCurves() {
  if (!recomputeAll_) {
    return;
  }
  syncCurvePoints();
  curves_.updateAll(selected_, curvePoints_, crossover());
  recomputeAll_ = false;
}

void ResponseGraphModel::resize(int clientWidth, int clientHeight) {
  const int oldHeight = height_;
  clientWidth_ = clientWidth;
  clientHeight_ = clientHeight;
  width_ = std::max(1, clientWidth - INSET_LEFT - INSET_RIGHT);
  // Two rows at least: the gain of a dragged row divides by the height less one.
  height_ = std::max(2, clientHeight - INSET_TOP - INSET_BOTTOM);
  for (size_t i = 0; i < points_.size(); ++i) {
    GraphPoint& p = points_[i];
    p.row = static_cast<int>(double(p.row) * height_ / oldHeight);
    p.column = columnOf(p.frequency);
    if (i < FIRST_BAND) {
      p.row = filterRow();
    }
  }
  curves_.setGeometry(width_, height_, pointCount());
  recomputeAll_ = true;
}

void ResponseGraphModel::setBandCount(int bands) {
  bands = std::clamp(bands, 0, MAX_BANDS);
  points_.assign(static_cast<size_t>(bands) + FIRST_BAND, GraphPoint{});
  const int spacing = clientWidth_ / (bands + 3);
  for (int i = FIRST_BAND; i < pointCount(); ++i) {
    GraphPoint& p = points_[i];
    p.column = spacing * i + 50;
    const double f = columnToFrequency(p.column, width_);
    p.frequency =
        settings_.freeFrequency ? std::clamp(f, GRAPH_FREQ_MIN, GRAPH_FREQ_MAX) : snapped(f);
  }
  // The filter markers sit where their frequencies are: both filters start off.
  points_[HIGH_POINT].frequency = GRAPH_FREQ_MIN;
  points_[LOW_POINT].frequency = GRAPH_FREQ_MAX;
  for (int i = 0; i < FIRST_BAND; ++i) {
    points_[i].row = filterRow();
    points_[i].column = columnOf(points_[i].frequency);
  }
  selected_ = hovered_ = 0;
  dragged_ = 0;
  qLeft_ = qRight_ = false;
  curves_.setGeometry(width_, height_, pointCount());
  recomputeAll_ = true;
}

bool ResponseGraphModel::touch(int index) {
  if (dragged_ == 0) {
    selected_ = hovered_ = index;
    recompute(index);
  } else if (index != dragged_ - 1) {
    // The dragged point stays selected and keeps the shown curve; the total still takes
    // this point's new row.
    recompute(index);
    recompute(dragged_ - 1);
  }
  return true;
}

double ResponseGraphModel::snapped(double frequency) const {
  if (frequency < GRAPH_FREQ_MIN) {
    return GRAPH_FREQ_MIN;
  }
  return ceilingEntry(FreqTable, FREQ_TABLE_COUNT, frequency);
}

bool ResponseGraphModel::setPointFrequency(double frequency, int point) {
  if (point != HIGH_POINT && point != LOW_POINT) {
    return false;
  }
  const bool low = point == LOW_POINT;
  GraphPoint& p = points_[point];
  p.frequency = std::clamp(frequency, low ? settings_.lowMin : settings_.highMin,
                           low ? settings_.lowMax : settings_.highMax);
  p.column = columnOf(p.frequency);
  return touch(point);
}

bool ResponseGraphModel::setBandFrequency(double frequency, int band) {
  const int index = band + FIRST_BAND;
  if (band < 0 || index >= pointCount()) {
    return false;
  }
  GraphPoint& p = points_[index];
  const double f = std::clamp(frequency, settings_.bandMin, settings_.bandMax);
  p.frequency = settings_.freeFrequency ? f : snapped(f);
  p.column = columnOf(p.frequency);
  return touch(index);
}

bool ResponseGraphModel::setBandGain(double db, int band) {
  const int index = band + FIRST_BAND;
  if (band < 0 || index >= pointCount()) {
    return false;
  }
  GraphPoint& p = points_[index];
  db = std::clamp(db, -15.0, 15.0);
  p.row = -static_cast<int>(height_ / 300.0 * db * 10.0);
  p.gain = static_cast<int>(db * 10.0);
  return touch(index);
}

bool ResponseGraphModel::setBandQ(double q, int band) {
  const int index = band + FIRST_BAND;
  if (band < 0 || index >= pointCount()) {
    return false;
  }
  q = std::clamp(q, 0.4, 128.0);
  points_[index].q = ceilingEntry(QTable, Q_TABLE_COUNT, q);
  return touch(index);
}

bool ResponseGraphModel::setBandType(int type, int band) {
  const int index = band + FIRST_BAND;
  if (band < 0 || index >= pointCount()) {
    return false;
  }
  points_[index].bandType = type;
  return touch(index);
}

bool ResponseGraphModel::setBandQShown(bool shown, int band) {
  const int index = band + FIRST_BAND;
  if (band < 0 || index >= pointCount()) {
    return false;
  }
  points_[index].qShown = shown;
  return touch(index);
}

bool ResponseGraphModel::setFilterCode(int code) {
  if (code < 8 || code > 69 || (code >= 32 && code <= 39)) {
    return false;
  }
  if (code % 2 == 1) {
    settings_.lowCode = code;
    return touch(LOW_POINT);
  }
  settings_.highCode = code;
  return touch(HIGH_POINT);
}

bool ResponseGraphModel::setPointEnabled(int point, bool enabled) {
  if (point < 0 || point >= pointCount() || points_[point].enabled == enabled) {
    return false;
  }
  points_[point].enabled = enabled;
  recomputeAll_ = true; // the total changes
  return true;
}

void ResponseGraphModel::setScale(double scale) {
  settings_.scale = scale;
  for (int i = 0; i < std::min(FIRST_BAND, pointCount()); ++i) {
    points_[i].row = filterRow();
  }
}

// ---- hit tests -------------------------------------------------------------------------

int ResponseGraphModel::markerX(int index) const {
  return points_[index].column + INSET_LEFT;
}

int ResponseGraphModel::markerY(int index) const {
  return points_[index].row + zeroLine();
}

bool ResponseGraphModel::hits(int centreX, int centreY, int x, int y) const {
  const int half = MARKER_SIZE / 2;
  return x >= centreX - half && x < centreX + half && y >= centreY - half && y < centreY + half;
}

int ResponseGraphModel::hitPoint(int x, int y) const {
  for (int i = 0; i < pointCount(); ++i) {
    if (points_[i].enabled && hits(markerX(i), markerY(i), x, y)) {
      return i;
    }
  }
  return -1;
}

ResponseGraphModel::Part ResponseGraphModel::partAt(int x, int y) const {
  const int hit = hitPoint(x, y);
  if (hit >= 0) {
    return hit < FIRST_BAND ? Part::FilterPoint : Part::BandPoint;
  }
  if (qHandlesVisible()) {
    const int m = qHandleDistance();
    const int cx = markerX(selected_);
    const int cy = markerY(selected_);
    if (hits(cx - m, cy, x, y) || hits(cx + m, cy, x, y)) {
      return Part::QHandle;
    }
  }
  return Part::None;
}

bool ResponseGraphModel::qHandlesVisible() const {
  const GraphPoint* p = point(selected_);
  return settings_.showPoints && settings_.showQHandles && selected_ >= FIRST_BAND && p &&
         p->enabled && p->qShown && p->bandType != BAND_TYPE_OFF;
}

int ResponseGraphModel::qHandleDistance() const {
  const GraphPoint* p = point(selected_);
  const double whole = p ? std::trunc(p->q) : 0.0;
  int k = Q_TABLE_COUNT - 1;
  for (int i = 1; i < Q_TABLE_COUNT; ++i) {
    if (whole <= QTable[i]) {
      k = i - 1;
      break;
    }
  }
  return static_cast<int>(100.0 - k * 100.0 / 101.0 + 24.0);
}

// ---- labels ----------------------------------------------------------------------------

std::string ResponseGraphModel::hoverLabel() const {
  const GraphPoint* p = point(hovered_);
  if (!p || !p->enabled) {
    return {};
  }
  char text[96];
  const std::string f = freqFormat(p->frequency, settings_.freeFrequency);
  const double frequency = shownFrequency(p->frequency, settings_.freeFrequency);
  if (hovered_ < FIRST_BAND) {
    if (p->frequency >= GRAPH_FREQ_MAX || p->frequency < FILTER_OFF_BELOW) {
      return "F:OFF";
    }
    std::snprintf(text, sizeof text, f.c_str(), frequency);
  } else if (p->qShown) {
    std::snprintf(text, sizeof text, (f + " Q:%0.2f G:%0.1f").c_str(), frequency, p->q,
                  p->gain / 10.0);
  } else {
    std::snprintf(text, sizeof text, (f + " G:%0.1f").c_str(), frequency, p->gain / 10.0);
  }
  return text;
}

void ResponseGraphModel::hoverLabelOrigin(int textWidth, int textHeight, int& x, int& y) const {
  const GraphPoint* p = point(hovered_);
  x = y = 0;
  if (!p) {
    return;
  }
  // The column is taken as a client x on purpose: the label starts left of the marker.
  x = p->column;
  if (x < plotLeft()) {
    x = plotLeft() + 12;
  } else if (x + textWidth > plotRight()) {
    x = plotRight() - textWidth - 12;
  }
  y = markerY(hovered_) + 12;
  if (y + textHeight > plotBottom()) {
    y = plotBottom() - 12 - textHeight;
  }
}

} // namespace kv816
