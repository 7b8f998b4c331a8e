// The user's side of the response graph model: presses, drags, Q-handle drags, steps.

#include <algorithm>
#include <cmath>

#include "dsp/response_math.h"
#include "dsp/scale_tables.h"
#include "model/encodings.h"
#include "ui/controls/response_graph_model.h"

namespace kv816 {
namespace {

bool isShelfType(int type) {
  return type == BAND_TYPE_HIGH_SHELF || type == BAND_TYPE_LOW_SHELF;
}

// Index of the first FreqTable entry not below f, the last entry when there is none.
int freqIndex(double frequency) {
  for (int i = 0; i < FREQ_TABLE_COUNT; ++i) {
    if (FreqTable[i] >= frequency) {
      return i;
    }
  }
  return FREQ_TABLE_COUNT - 1;
}

} // namespace

GraphAction ResponseGraphModel::press(int x, int y) {
  GraphAction action;
  if (!settings_.interactive) {
    return action;
  }
  if (qHandlesVisible()) {
    const int m = qHandleDistance();
    const int cx = markerX(selected_);
    const int cy = markerY(selected_);
    qLeft_ = hits(cx - m, cy, x, y);
    qRight_ = hits(cx + m, cy, x, y);
    if (qLeft_ || qRight_) {
      action.cursor = GraphAction::HAND;
    }
  }
  const int hit = hitPoint(x, y);
  if (hit >= 0) {
    dragged_ = hit + 1;
    selected_ = hit;
    recompute(hit);
    action = {hit, true, GraphAction::HAND};
  }
  return action;
}

GraphAction ResponseGraphModel::move(int x, int y) {
  if (!settings_.interactive) {
    return {};
  }
  if (dragged_ != 0) {
    return dragStep(x, y);
  }
  if (qLeft_ || qRight_) {
    return qHandleStep(x);
  }
  GraphAction action;
  const int hit = hitPoint(x, y);
  action.cursor = hit >= 0 ? GraphAction::HAND : GraphAction::ARROW;
  if (hit >= 0 && hit != hovered_) {
    hovered_ = hit;
    action.repaint = true;
  }
  return action;
}

GraphAction ResponseGraphModel::release(int x, int /*y*/) {
  GraphAction action;
  if (!settings_.interactive) {
    return action;
  }
  if (qLeft_ || qRight_) {
    action = qHandleStep(x);
    qLeft_ = qRight_ = false;
  }
  if (dragged_ != 0) {
    // A clamped or snapped frequency moves the marker to its true place.
    const int index = dragged_ - 1;
    dragged_ = 0;
    points_[index].column = columnOf(points_[index].frequency);
    recompute(index);
    action.repaint = true;
  }
  return action;
}

int ResponseGraphModel::gainFromDragRow(int row) const {
  // The edges give the full range exactly, whatever the rounding of the plot height.
  if (row <= plotTop() - zeroLine()) {
    return LEVEL_MAX;
  }
  if (row >= plotBottom() - zeroLine()) {
    return LEVEL_MIN;
  }
  double j = -double(row) * (LEVEL_MAX - LEVEL_MIN) / (height_ - 1);
  j = std::clamp(j, double(LEVEL_MIN), double(LEVEL_MAX));
  // Nearest tenth, halves away from zero: a cut mirrors the boost of the same drag.
  return static_cast<int>(std::lround(j));
}

void ResponseGraphModel::limitFilterPoint(int index, GraphPoint& p) const {
  const bool low = index == LOW_POINT;
  const double lo = low ? settings_.lowMin : settings_.highMin;
  const double hi = low ? settings_.lowMax : settings_.highMax;
  p.column = std::clamp(p.column, columnOf(lo), std::max(columnOf(lo), columnOf(hi)));
  p.frequency = std::clamp(p.frequency, lo, std::max(lo, hi));
  if (settings_.rangeLock) {
    const GraphPoint& other = points_[low ? HIGH_POINT : LOW_POINT];
    p.column = low ? std::max(p.column, other.column) : std::min(p.column, other.column);
    p.frequency =
        low ? std::max(p.frequency, other.frequency) : std::min(p.frequency, other.frequency);
  }
  p.row = filterRow();
}

GraphAction ResponseGraphModel::dragStep(int x, int y) {
  const int index = dragged_ - 1;
  GraphPoint& p = points_[index];
  const bool band = index >= FIRST_BAND;
  // A band on the graphic EQ keeps its frequency; everything else follows the pointer.
  const bool sideways = !(settings_.verticalOnly && band);
  if (sideways) {
    p.column = x - plotLeft();
  }
  p.row = std::clamp(y, plotTop(), plotBottom()) - zeroLine();
  if (!settings_.shelfBoostAllowed && band && isShelfType(p.bandType) && p.row < 0) {
    p.row = 0;
  }
  if (sideways) {
    const double f = columnToFrequency(p.column, width_);
    p.frequency = settings_.freeFrequency ? f : snapped(f);
  }
  if (!band) {
    limitFilterPoint(index, p);
  } else {
    const double lo = settings_.bandMin;
    const double hi = std::max(lo, settings_.bandMax);
    p.column = std::clamp(p.column, columnOf(lo), columnOf(hi));
    p.frequency = std::clamp(p.frequency, lo, hi);
    if (p.bandType == BAND_TYPE_OFF) {
      p.row = 0;
    }
  }
  p.gain = gainFromDragRow(p.row);
  recompute(index);
  qLeft_ = qRight_ = false;
  return {index, true, GraphAction::HAND};
}

GraphAction ResponseGraphModel::qHandleStep(int x) {
  const int index = selected_;
  if (index < FIRST_BAND || index >= pointCount()) {
    return {};
  }
  GraphPoint& p = points_[index];
  const double d = qLeft_ ? double(p.column - x) : double(x - p.column - 48);
  const int k = std::clamp(static_cast<int>(101.0 - d * 1.01), 0, Q_TABLE_COUNT);
  p.q = QTable[k];
  if (dragged_ == 0) {
    hovered_ = index;
  }
  // The new Q is drawn at once, even when a point drag is ended by it.
  recompute(index);
  dragged_ = 0;
  return {index, true, GraphAction::HAND};
}

GraphAction ResponseGraphModel::filterStep(int index, bool raise) {
  GraphPoint& p = points_[index];
  const int at = freqIndex(p.frequency);
  if (raise && at == 0) {
    return {};
  }
  // Steps walk the table only: neither the point's limits nor the range lock apply.
  p.frequency = FreqTable[raise ? at - 1 : std::min(at + 1, FREQ_TABLE_COUNT - 1)];
  p.column = columnOf(p.frequency);
  hovered_ = index;
  recompute(index);
  return {index, true, GraphAction::KEEP};
}

GraphAction ResponseGraphModel::step(bool raise) {
  const GraphPoint* p = point(selected_);
  // A disabled point is not shown, so the user cannot be aiming at it.
  if (!settings_.interactive || !p || !p->enabled) {
    return {};
  }
  if (selected_ < FIRST_BAND) {
    return filterStep(selected_, raise);
  }
  setBandGain((p->gain + (raise ? 1 : -1)) / 10.0, selected_ - FIRST_BAND);
  return {selected_, true, GraphAction::KEEP};
}

} // namespace kv816
