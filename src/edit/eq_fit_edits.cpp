#include "edit/eq_fit_edits.h"

namespace kv816 {

std::vector<ParameterEdit> eqFitEdits(const EqFitResult& fit) {
  std::vector<ParameterEdit> edits;
  if (!fit.error.empty()) {
    return edits;
  }
  for (const EqFitWord& w : fit.words) {
    edits.push_back({w.index, w.value});
  }
  return edits;
}

EditSubject eqFitSubject(const EqFitResult& fit, EditSource source) {
  return {fit.channel, ChannelFunction::PeqType, -1, source};
}

} // namespace kv816
