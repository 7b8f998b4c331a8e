#pragma once
// The error an equaliser fit minimises: on a log-spaced grid, the measured level with the
// channel's kept filters, minus the target, plus the levels of the bands being fitted. The
// bands are evaluated in double precision (no single-precision roundings) so that the
// optimiser sees a smooth surface. Immutable after construction; any thread.

#include <span>
#include <vector>

namespace kv816 {

// One peaking band in engineering units.
struct FitBand {
  double frequency = 1000.0; // Hz
  double gainDb = 0.0;
  double q = 1.0;
};

// The box a band must stay in, and the widest Q a boost may have: a narrow boost would
// fill a narrow dip, which moves with the microphone and only costs headroom.
struct FitLimits {
  double freqMin = 20.0;
  double freqMax = 20000.0;
  double gainMin = -15.0;
  double gainMax = 0.0;
  double qMin = 0.4;
  double qMax = 128.0;
  double boostQMax = 2.0;
};

class EqFitProblem {
public:
  // `residual` holds measured + kept filters - target at each of `frequencies`; with
  // `alignMean` the mean of the residual is removed before squaring (a level the channel
  // gain should set is not chased).
  EqFitProblem(std::vector<double> frequencies, std::vector<double> residual, bool alignMean,
               FitLimits limits);

  const std::vector<double>& frequencies() const { return frequencies_; }
  const std::vector<double>& baseResidual() const { return residual_; }
  const FitLimits& limits() const { return limits_; }
  bool alignsMean() const { return alignMean_; }

  // The Q a band is evaluated with: boosts are held to limits().boostQMax.
  double effectiveQ(const FitBand& band) const;
  // Adds the band's level (dB) times `sign` at every grid point to `residual` (sized like
  // the grid).
  void addBand(const FitBand& band, std::vector<double>& residual, double sign = 1.0) const;
  void addBands(std::span<const FitBand> bands, std::vector<double>& residual) const;
  // Mean square of the residual with the bands added (after the mean is removed when
  // aligning).
  double meanSquare(std::span<const FitBand> bands) const;
  // The band's power ratio |H|^2 at every grid point, into `ratio` (resized).
  void powerRatio(const FitBand& band, std::vector<double>& ratio) const;
  // meanSquare for bands whose power ratios multiply to `product` at every grid point.
  double meanSquareOfProduct(const std::vector<double>& product) const;

private:
  std::vector<double> frequencies_;
  std::vector<double> residual_;
  std::vector<double> cosW_;
  std::vector<double> sinW_;
  std::vector<double> cos2W_;
  std::vector<double> sin2W_;
  bool alignMean_;
  FitLimits limits_;
};

// Mean square of `values`, with their mean removed first when `alignMean`.
double meanSquareOf(std::span<const double> values, bool alignMean);

} // namespace kv816
