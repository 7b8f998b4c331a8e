#include "edit/eq_fit_edits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "edit/edit_session.h"
#include "model/encodings.h"

namespace kv816 {
namespace {

constexpr int OUT2 = 5;

// A fit on a bypassed equaliser is one undo step: apply writes every word (the bypass
// switched off), undo brings back every old value.
TEST(EqFitEdits, ApplyIsOneStepAndUndoRestoresTheChannel) {
  auto table = std::make_unique<ParameterTable>();
  table->loadDefaults();
  const int bypass = indexOf(ChannelFunction::PeqBypass, OUT2);
  table->setParameter(bypass, 1);
  Measurement m;
  for (double f = 10.0; f <= 24000.0; f *= std::exp2(1.0 / 24.0)) {
    const double x = std::log2(f / 90.0) / 0.15;
    m.frequencies.push_back(f);
    m.levels.push_back(80.0 + 8.0 / (1.0 + x * x));
  }
  const EqFitResult fit = fitEq(*table, OUT2, m, TargetCurve(), EqFitOptions{});
  ASSERT_TRUE(fit.error.empty()) << fit.error;
  std::vector<int32_t> before;
  for (int i = 0; i < PARAM_COUNT; ++i) {
    before.push_back(table->value(i));
  }

  EditSession session(*table);
  const std::vector<ParameterEdit> edits = eqFitEdits(fit);
  ASSERT_FALSE(session.apply(eqFitSubject(fit), edits).empty());
  EXPECT_EQ(session.undoDepth(), 1u);
  EXPECT_EQ(session.undoSubject()->channel, OUT2);
  EXPECT_EQ(session.undoSubject()->source, EditSource::EqFit);
  for (const ParameterEdit& e : edits) {
    EXPECT_EQ(table->value(e.index), e.value) << "index " << e.index;
  }
  EXPECT_EQ(table->value(bypass), 0);

  session.undo();
  for (int i = 0; i < PARAM_COUNT; ++i) {
    EXPECT_EQ(table->value(i), before[static_cast<size_t>(i)]) << "index " << i;
  }
  EqFitResult failed;
  failed.error = "no measurement";
  EXPECT_TRUE(eqFitEdits(failed).empty());
}

} // namespace
} // namespace kv816
