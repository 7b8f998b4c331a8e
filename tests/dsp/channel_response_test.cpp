#include "dsp/channel_response.h"

#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "model/channel_layout.h"
#include "response_reference.h"

namespace kv816 {
namespace {

using Kind = ResponseFilter::Kind;

class ChannelResponseTest : public ::testing::Test {
protected:
  void SetUp() override { table->loadDefaults(); }

  void set(ChannelFunction f, int channel, int value, int band = 0) {
    table->setParameter(indexOf(f, channel, band), value);
  }

  ChannelResponse compute(int channel, ResponseView view = ResponseView::Channel) {
    ChannelResponse r;
    EXPECT_EQ(computeChannelResponse(*table, channel, view, freqs, r), ResponseStatus::Ok);
    return r;
  }

  static constexpr int OUT1 = 4;
  const std::vector<double> freqs{30.0, 500.0, 1000.0, 2000.0, 15000.0};
  std::unique_ptr<ParameterTable> table = std::make_unique<ParameterTable>();
};

// Factory defaults: crossovers at 10 Hz and 20600 Hz are off, all bands at 0 dB.
TEST_F(ChannelResponseTest, DefaultsAreFlatEverywhere) {
  for (int channel = 0; channel < CHANNEL_COUNT; ++channel) {
    const ChannelResponse r = compute(channel);
    EXPECT_TRUE(r.filters.empty()) << channel;
    EXPECT_EQ(r.total, std::vector<double>(freqs.size(), 0.0)) << channel;
  }
  EXPECT_TRUE(compute(0, ResponseView::GraphicEq).filters.empty());
}

TEST_F(ChannelResponseTest, CrossoverFromTheTable) {
  set(ChannelFunction::HpfType, OUT1, 30);
  set(ChannelFunction::HpfFreq, OUT1, 1000);
  set(ChannelFunction::LpfType, OUT1, 9);
  set(ChannelFunction::LpfFreq, OUT1, 0x8000 + 300); // 30.0 Hz in tenths
  const ChannelResponse r = compute(OUT1);
  ASSERT_EQ(r.filters.size(), 2u);
  EXPECT_EQ(r.filters[0].kind, Kind::HighPass);
  EXPECT_EQ(r.filters[1].kind, Kind::LowPass);
  EXPECT_DOUBLE_EQ(r.filters[1].frequency, 30.0);
  EXPECT_NEAR(r.filters[0].levels[2], -6.04, 0.01);
  EXPECT_NEAR(r.filters[1].levels[0], -3.0, 0.05);
  for (size_t i = 0; i < freqs.size(); ++i) {
    EXPECT_DOUBLE_EQ(r.total[i], r.filters[0].levels[i] + r.filters[1].levels[i]);
  }
}

TEST_F(ChannelResponseTest, CrossoverOffAndFlatCodesAreLeftOut) {
  struct Case {
    int hpCode, hpFreq, lpCode, lpFreq;
  };
  const Case cases[] = {
      {20, 19, 21, 20001},           // the page's OFF positions
      {20, 0x8000 + 196, 21, 30000}, // 19.6 Hz; above the maximum clamps to 20001
      {46, 1000, 60, 1000},          // codes with no sections
  };
  for (const Case& c : cases) {
    set(ChannelFunction::HpfType, OUT1, c.hpCode);
    set(ChannelFunction::HpfFreq, OUT1, c.hpFreq);
    set(ChannelFunction::LpfType, OUT1, c.lpCode);
    set(ChannelFunction::LpfFreq, OUT1, c.lpFreq);
    EXPECT_TRUE(compute(OUT1).filters.empty()) << c.hpCode << " " << c.hpFreq;
  }
  set(ChannelFunction::HpfFreq, OUT1, 0x8000 + 197); // 19.7 Hz is drawn
  set(ChannelFunction::HpfType, OUT1, 8);
  EXPECT_EQ(compute(OUT1).filters.size(), 1u);
}

TEST_F(ChannelResponseTest, ParametricBandsUseExactGains) {
  set(ChannelFunction::PeqGain, OUT1, 563, 5); // +6.3 dB at 1 kHz, Q 1.00
  set(ChannelFunction::PeqType, 2, 5, 9);      // input C band 10: high shelf 15 kHz
  set(ChannelFunction::PeqGain, 2, 420, 9);
  set(ChannelFunction::PeqQ, 2, 0x8000 + 84, 9);
  const ChannelResponse out = compute(OUT1);
  ASSERT_EQ(out.filters.size(), 1u);
  EXPECT_EQ(out.filters[0].band, 5);
  EXPECT_NEAR(out.total[2], 6.3, 1e-4);
  EXPECT_NEAR(out.total[0], reference::bandDb(7, 1000, 1.0, 6.3, 30), 0.01);

  const ChannelResponse in = compute(2);
  ASSERT_EQ(in.filters.size(), 1u);
  EXPECT_TRUE(in.filters[0].slope12);
  EXPECT_DOUBLE_EQ(in.filters[0].q, 0.84);
  EXPECT_NEAR(in.total[1], reference::bandDb(5, 15000, 0.84, -8.0, 500), 0.01);
}

TEST_F(ChannelResponseTest, BandsLeftOut) {
  set(ChannelFunction::PeqGain, OUT1, 560, 0);
  set(ChannelFunction::PeqType, OUT1, 0, 0); // "ByPass" band
  set(ChannelFunction::PeqGain, OUT1, 450, 1);
  EXPECT_EQ(compute(OUT1).filters.size(), 1u);
  set(ChannelFunction::PeqBypass, OUT1, 1); // the whole equaliser bypassed
  EXPECT_TRUE(compute(OUT1).filters.empty());
}

TEST_F(ChannelResponseTest, SettingsAreClampedAndSnappedLikeTheGraph) {
  set(ChannelFunction::PeqGain, OUT1, 900, 2); // +40 dB shows as +15 dB
  set(ChannelFunction::PeqFreq, OUT1, 5, 2);   // 5 Hz: band minimum 20 Hz
  set(ChannelFunction::PeqQ, OUT1, 113, 2);    // Q 1.13 snaps up to 1.19
  const ChannelResponse r = compute(OUT1);
  ASSERT_EQ(r.filters.size(), 1u);
  EXPECT_DOUBLE_EQ(r.filters[0].gainDb, 15.0);
  EXPECT_DOUBLE_EQ(r.filters[0].frequency, 20.0);
  EXPECT_DOUBLE_EQ(r.filters[0].q, 1.19);
}

TEST_F(ChannelResponseTest, GraphicEqOfAnInput) {
  set(ChannelFunction::GeqGain, 1, 530, 17); // 1 kHz band of input B, +3 dB
  set(ChannelFunction::GeqQ, 1, 100, 17);    // ignored: graphic bands are drawn at Q 11.3
  ChannelResponse r = compute(1, ResponseView::GraphicEq);
  ASSERT_EQ(r.filters.size(), 1u);
  EXPECT_DOUBLE_EQ(r.filters[0].q, 11.3);
  EXPECT_NEAR(r.total[2], 3.0, 1e-4);
  EXPECT_NEAR(r.total[1], reference::bandDb(7, 1000, 11.3, 3.0, 500), 0.01);
  EXPECT_TRUE(compute(1).filters.empty()); // the parametric view does not include it
  set(ChannelFunction::GeqBypass, 1, 1);
  EXPECT_TRUE(compute(1, ResponseView::GraphicEq).filters.empty());
}

TEST_F(ChannelResponseTest, Errors) {
  ChannelResponse r;
  r.total = {1.0};
  EXPECT_EQ(computeChannelResponse(*table, 12, ResponseView::Channel, freqs, r),
            ResponseStatus::NoSuchChannel);
  EXPECT_TRUE(r.total.empty());
  EXPECT_EQ(computeChannelResponse(*table, -1, ResponseView::Channel, freqs, r),
            ResponseStatus::NoSuchChannel);
  EXPECT_EQ(computeChannelResponse(*table, OUT1, ResponseView::GraphicEq, freqs, r),
            ResponseStatus::NoGraphicEq);
}

} // namespace
} // namespace kv816
