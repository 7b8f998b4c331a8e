#pragma once
// An equaliser fit as one user step: its words as edits for EditSession::apply, named
// after the channel's equaliser. Pure functions; any thread.

#include <vector>

#include "dsp/eq_fit.h"
#include "edit/edit_group.h"

namespace kv816 {

// Every word of the fit, in table order; empty for a failed fit.
std::vector<ParameterEdit> eqFitEdits(const EqFitResult& fit);

// The step's subject: the fit's channel and its parametric equaliser.
EditSubject eqFitSubject(const EqFitResult& fit, EditSource source = EditSource::EqFit);

} // namespace kv816
