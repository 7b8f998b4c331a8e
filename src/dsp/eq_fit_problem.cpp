#include "dsp/eq_fit_problem.h"

#include <algorithm>
#include <cmath>

#include "dsp/filter_sections.h"
#include "dsp/response_math.h"
#include "model/encodings.h"

namespace kv816 {

EqFitProblem::EqFitProblem(std::vector<double> frequencies, std::vector<double> residual,
                           bool alignMean, FitLimits limits)
    : frequencies_(std::move(frequencies)), residual_(std::move(residual)), alignMean_(alignMean),
      limits_(limits) {
  for (const double f : frequencies_) {
    const double w = angularFrequency(f);
    cosW_.push_back(std::cos(w));
    sinW_.push_back(std::sin(w));
    cos2W_.push_back(std::cos(2.0 * w));
    sin2W_.push_back(std::sin(2.0 * w));
  }
}

double EqFitProblem::effectiveQ(const FitBand& band) const {
  return band.gainDb > 0.0 ? std::min(band.q, std::max(limits_.boostQMax, limits_.qMin)) : band.q;
}

void EqFitProblem::addBand(const FitBand& band, std::vector<double>& residual, double sign) const {
  if (band.gainDb == 0.0) {
    return;
  }
  const Section s = bandSection(band.frequency, effectiveQ(band), BAND_TYPE_PEAKING,
                                std::pow(10.0, band.gainDb / 40.0));
  const double scale = 10.0 * sign;
  for (size_t i = 0; i < residual.size() && i < cosW_.size(); ++i) {
    const double nr = s.b0 + s.b1 * cosW_[i] + s.b2 * cos2W_[i];
    const double ni = s.b1 * sinW_[i] + s.b2 * sin2W_[i];
    const double dr = 1.0 + s.a1 * cosW_[i] + s.a2 * cos2W_[i];
    const double di = s.a1 * sinW_[i] + s.a2 * sin2W_[i];
    residual[i] += scale * std::log10((nr * nr + ni * ni) / (dr * dr + di * di));
  }
}

void EqFitProblem::addBands(std::span<const FitBand> bands, std::vector<double>& residual) const {
  for (const FitBand& band : bands) {
    addBand(band, residual);
  }
}

double EqFitProblem::meanSquare(std::span<const FitBand> bands) const {
  // One logarithm per point: the bands' power ratios multiply.
  std::vector<double> product(residual_.size(), 1.0);
  std::vector<double> ratio;
  for (const FitBand& band : bands) {
    powerRatio(band, ratio);
    for (size_t i = 0; i < product.size(); ++i) {
      product[i] *= ratio[i];
    }
  }
  return meanSquareOfProduct(product);
}

void EqFitProblem::powerRatio(const FitBand& band, std::vector<double>& ratio) const {
  ratio.assign(residual_.size(), 1.0);
  if (band.gainDb == 0.0) {
    return;
  }
  const Section s = bandSection(band.frequency, effectiveQ(band), BAND_TYPE_PEAKING,
                                std::pow(10.0, band.gainDb / 40.0));
  for (size_t i = 0; i < ratio.size(); ++i) {
    const double nr = s.b0 + s.b1 * cosW_[i] + s.b2 * cos2W_[i];
    const double ni = s.b1 * sinW_[i] + s.b2 * sin2W_[i];
    const double dr = 1.0 + s.a1 * cosW_[i] + s.a2 * cos2W_[i];
    const double di = s.a1 * sinW_[i] + s.a2 * sin2W_[i];
    ratio[i] = (nr * nr + ni * ni) / (dr * dr + di * di);
  }
}

double EqFitProblem::meanSquareOfProduct(const std::vector<double>& product) const {
  std::vector<double> r(residual_.size());
  for (size_t i = 0; i < r.size(); ++i) {
    r[i] = residual_[i] + 10.0 * std::log10(product[i]);
  }
  return meanSquareOf(r, alignMean_);
}

double meanSquareOf(std::span<const double> values, bool alignMean) {
  if (values.empty()) {
    return 0.0;
  }
  double mean = 0.0;
  if (alignMean) {
    for (const double v : values) {
      mean += v;
    }
    mean /= static_cast<double>(values.size());
  }
  double sum = 0.0;
  for (const double v : values) {
    sum += (v - mean) * (v - mean);
  }
  return sum / static_cast<double>(values.size());
}

} // namespace kv816
