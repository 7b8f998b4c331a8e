#include "dsp/response_curves.h"

#include <algorithm>
#include <cmath>

#include "dsp/filter_sections.h"
#include "dsp/response_math.h"

namespace kv816 {
namespace {

// Keeps the cut to int defined whatever a row holds.
int toPixel(double v) {
  return static_cast<int>(std::clamp(v, -1.0e9, 1.0e9));
}

} // namespace

void ResponseCurves::setGeometry(int width, int height, int pointCount) {
  width = std::max(width, 1);
  height_ = std::max(height, 1);
  pointCount = std::max(pointCount, 0);
  if (width == width_ && pointCount == pointCount_) {
    return;
  }
  if (width != width_) {
    width_ = width;
    cosW_.resize(width_);
    sinW_.resize(width_);
    for (int i = 0; i < width_; ++i) {
      const double w = angularFrequency(columnToFrequency(i, width_));
      cosW_[i] = std::cos(w);
      sinW_[i] = std::sin(w);
    }
  }
  pointCount_ = pointCount;
  rows_.assign(static_cast<size_t>(pointCount_) * width_, 0.0);
  total_.assign(width_, 0.0);
  shownPixels_.assign(width_, 0);
  totalPixels_.assign(width_, 0);
  shownIndex_ = 0;
}

std::span<const double> ResponseCurves::row(int index) const {
  if (index < 0 || index >= pointCount_) {
    return {};
  }
  return std::span<const double>(rows_).subspan(static_cast<size_t>(index) * width_, width_);
}

void ResponseCurves::computeRow(int index, const CurvePoint& point,
                                const CrossoverSettings& settings) {
  double* out = rows_.data() + static_cast<size_t>(index) * width_;
  SectionSet set;
  if (index == HIGH_POINT || index == LOW_POINT) {
    const bool low = index == LOW_POINT;
    const double maximum = low ? settings.lowMaximum : settings.highMaximum;
    if (!isFilterOff(low, point.frequency, maximum)) {
      set = filterSections(low ? settings.lowCode : settings.highCode, point.frequency);
    }
  } else {
    const double f0 = columnToFrequency(point.column, width_);
    const double amplitude = bandAmplitudeFromCut(gainFromRow(point.row, height_));
    set.sections[0] = bandSection(f0, point.q, point.bandType, amplitude);
    set.count = 1;
  }
  for (int i = 0; i < width_; ++i) {
    double level = 0.0;
    for (int s = 0; s < set.count; ++s) {
      level += sectionLevel(set.sections[s], cosW_[i], sinW_[i]);
    }
    out[i] = dbToPixels(level, height_);
  }
}

void ResponseCurves::computeTotal(std::span<const CurvePoint> points) {
  std::fill(total_.begin(), total_.end(), 0.0);
  const int count = std::min(pointCount_, static_cast<int>(points.size()));
  for (int p = 0; p < count; ++p) {
    if (!points[p].enabled) {
      continue;
    }
    const double* in = rows_.data() + static_cast<size_t>(p) * width_;
    for (int i = 0; i < width_; ++i) {
      total_[i] += in[i];
    }
  }
}

void ResponseCurves::cutToPixels(int index) {
  shownIndex_ = index;
  const bool valid = index >= 0 && index < pointCount_;
  const double* in = valid ? rows_.data() + static_cast<size_t>(index) * width_ : nullptr;
  for (int i = 0; i < width_; ++i) {
    shownPixels_[i] = valid ? toPixel(in[i]) : 0;
    totalPixels_[i] = toPixel(total_[i]);
  }
}

void ResponseCurves::update(int index, std::span<const CurvePoint> points,
                            const CrossoverSettings& settings) {
  if (index < 0 || index >= pointCount_ || index >= static_cast<int>(points.size())) {
    return;
  }
  computeRow(index, points[index], settings);
  computeTotal(points);
  cutToPixels(index);
}

void ResponseCurves::updateAll(int shownIndex, std::span<const CurvePoint> points,
                               const CrossoverSettings& settings) {
  const int count = std::min(pointCount_, static_cast<int>(points.size()));
  for (int p = 0; p < count; ++p) {
    computeRow(p, points[p], settings);
  }
  computeTotal(points);
  cutToPixels(std::clamp(shownIndex, 0, std::max(pointCount_ - 1, 0)));
}

} // namespace kv816
