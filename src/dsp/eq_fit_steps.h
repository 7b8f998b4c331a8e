#pragma once
// The three steps of an equaliser fit on an EqFitProblem: a first guess from the largest
// deviations, a joint bounded refinement of every band's frequency, gain and Q, and the
// move onto the values the device stores followed by a short search among neighbouring
// stored values. Pure functions; any thread.

#include <vector>

#include "dsp/eq_fit_problem.h"

namespace kv816 {

// `count` bands, each placed on the largest remaining deviation the limits let it correct
// (a cut for a peak, a boost for a dip only when boosts are allowed), as wide as the
// deviation is at half its height. Bands with nothing left to correct get 0 dB.
std::vector<FitBand> initialBands(const EqFitProblem& problem, int count);

// Bounded local least squares over all bands together (log frequency, gain, log Q), by a
// quasi-Newton method on forward-difference gradients.
// `bands` is left as it was when the optimiser fails or finds nothing better.
void refineBands(const EqFitProblem& problem, std::vector<FitBand>& bands, int maxEvaluations);

// The nearest stored values: frequency in 0.1 Hz below 100 Hz and whole hertz above,
// gain in 0.1 dB, Q one of QTable's entries, all within the limits (boosts within the
// boost Q).
FitBand storedBand(const EqFitProblem& problem, const FitBand& band);

// storedBand of every band, then passes over the bands trying the neighbouring stored
// frequency, gain and Q of each while one lowers the error.
std::vector<FitBand> quantiseBands(const EqFitProblem& problem, const std::vector<FitBand>& bands);

} // namespace kv816
