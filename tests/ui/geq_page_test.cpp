#include "ui/pages/geq_page.h"

#include "i18n/language.h"
#include "model/encodings.h"
#include "model/parameter_table.h"
#include "ui/controls/response_graph.h"
#include "ui/controls/skin_button.h"
#include "ui/controls/slider.h"
#include "ui_test_support.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <vector>

namespace kv816 {
namespace {

constexpr int PAGE_A = 3;
constexpr int PAGE_B = 4;

int geqIndex(ChannelFunction function, int input, int band = 0) {
  return indexOf(function, input, band);
}

class GeqPageTest : public ::testing::Test {
protected:
  void SetUp() override {
    // The page took its texts when it was made, before this chose the language.
    setCurrentLanguage(LanguageIndex::English);
    page.refreshTexts();
    table.loadDefaults();
    page.resize(1100, 700);
    page.show();
    page.showChannel(PAGE_A);
  }

  // A value the device reported: stored without a send mark.
  void report(int index, int value) { table.applyReport(index, static_cast<uint16_t>(value)); }

  std::vector<int> marked() const {
    std::vector<int> list;
    for (int i = 0; i < PARAM_COUNT; ++i)
      if (table.mustSend(i))
        list.push_back(i);
    return list;
  }

  int graphGain(int band) const { return page.graph()->pointGain(band + 2); }
  double graphFrequency(int band) const { return page.graph()->pointFrequency(band + 2); }
  int sliderValue(int band) const { return page.bandSlider(band)->value(); }

  void click(SkinButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

  ParameterTable table;
  EditSession edits{table};
  GeqPage page{table, edits, nullptr};
  test::EditRecorder follow{edits};
};

TEST_F(GeqPageTest, DeviceGainsShowOnSliderAndGraphWithoutMarks) {
  struct Case {
    int raw;
    int slider; // tenths of a dB
    int graph;
  };
  const Case cases[] = {
      {650, 150, 150}, {700, 150, 150}, {350, -150, -150},
      {523, 23, 23},   {497, -3, -3},   {500, 0, 0},
  };
  for (const Case& c : cases) {
    page.applyCode(GeqPage::CODE_GAIN_FIRST + 9, c.raw, PAGE_A);
    EXPECT_EQ(sliderValue(9), c.slider) << c.raw;
    EXPECT_EQ(graphGain(9), c.graph) << c.raw;
  }
  EXPECT_TRUE(marked().empty());
  EXPECT_EQ(follow.count(), 0);
}

// Notifications name their parameter by the model's layout; only the input shown counts.
TEST_F(GeqPageTest, NotificationsOfTheInputShownMoveItsBands) {
  page.showChannel(PAGE_B);
  page.showParameter(locateIndex(geqIndex(ChannelFunction::GeqGain, 0, 4)), 560); // input A
  EXPECT_EQ(sliderValue(4), 0);
  page.showParameter(locateIndex(geqIndex(ChannelFunction::GeqGain, 1, 4)), 560);
  EXPECT_EQ(sliderValue(4), 60);
  EXPECT_EQ(graphGain(4), 60);
  page.showParameter(locateIndex(geqIndex(ChannelFunction::GeqFreq, 1, 4)), 0x8000 + 630);
  EXPECT_DOUBLE_EQ(graphFrequency(4), 63);
  page.showParameter(locateIndex(geqIndex(ChannelFunction::GeqBypass, 1)), 1);
  EXPECT_TRUE(page.isBypassed());
  EXPECT_TRUE(marked().empty());
}

TEST_F(GeqPageTest, DeviceFrequencyWordsAndTypesReachTheGraph) {
  struct Case {
    int raw;
    double hz;
  };
  const Case cases[] = {{0x8000 + 250, 25.0}, {0x8000 + 630, 63.0}, {100, 100.0},
                        {3150, 3150.0},       {0x8000 + 5, 20.0},   {30000, 20000.0}};
  for (const Case& c : cases) {
    page.applyCode(GeqPage::CODE_FREQ_FIRST + 4, c.raw, PAGE_A);
    EXPECT_DOUBLE_EQ(graphFrequency(4), c.hz) << c.raw;
  }
  page.applyCode(GeqPage::CODE_TYPE_FIRST + 4, BAND_TYPE_LOW_SHELF, PAGE_A);
  EXPECT_EQ(page.graph()->pointBandType(4 + 2), BAND_TYPE_LOW_SHELF);
  // Q words are not this page's: the graph keeps the graphic Q.
  const double q = page.graph()->pointQ(4 + 2);
  page.applyCode(GeqPage::CODE_Q_FIRST + 4, 200, PAGE_A);
  EXPECT_DOUBLE_EQ(page.graph()->pointQ(4 + 2), q);
  EXPECT_TRUE(marked().empty());
}

TEST_F(GeqPageTest, SliderStepWritesTheBandGainOfTheShownInput) {
  struct Case {
    int page;
    int band;
    int startRaw;
    Qt::Key key;
    int expectedRaw;
  };
  const Case cases[] = {
      {PAGE_A, 0, 500, Qt::Key_Up, 501},
      {PAGE_B, 30, 523, Qt::Key_Down, 522},
      {PAGE_A + 3, 12, 650, Qt::Key_Up, 650}, // at the top: still +15.0 dB, nothing to send
      {PAGE_B, 5, 350, Qt::Key_Down, 350},
  };
  for (const Case& c : cases) {
    table.loadDefaults();
    follow.clear();
    const int input = c.page - PAGE_A;
    const int index = geqIndex(ChannelFunction::GeqGain, input, c.band);
    report(index, c.startRaw);
    page.showChannel(c.page);
    QTest::keyClick(page.bandSlider(c.band), c.key);
    EXPECT_EQ(table.value(index), c.expectedRaw) << c.page << '/' << c.band;
    const bool changed = c.expectedRaw != c.startRaw;
    EXPECT_EQ(marked(), changed ? std::vector<int>{index} : std::vector<int>{});
    EXPECT_EQ(graphGain(c.band), c.expectedRaw - 500);
    EXPECT_EQ(follow.channels(), changed ? std::vector<int>{input} : std::vector<int>{});
  }
}

TEST_F(GeqPageTest, GraphStepWritesTypeFrequencyAndGainOfTheBand) {
  const int band = 5;                   // 63 Hz: written in tenths
  page.graph()->setBandGain(2.0, band); // selects the band for the arrow keys
  QTest::keyClick(page.graph(), Qt::Key_Up);
  const int gain = graphGain(band);
  ASSERT_GT(gain, 20);
  EXPECT_EQ(sliderValue(band), gain);
  const std::vector<int> expected{geqIndex(ChannelFunction::GeqType, 0, band),
                                  geqIndex(ChannelFunction::GeqFreq, 0, band),
                                  geqIndex(ChannelFunction::GeqGain, 0, band)};
  // Type and frequency hold their values already: only the gain is sent.
  EXPECT_EQ(marked(), std::vector<int>{expected[2]});
  EXPECT_EQ(table.value(expected[0]), BAND_TYPE_PEAKING);
  EXPECT_EQ(table.value(expected[1]), 0x8000 + 630);
  EXPECT_EQ(table.value(expected[2]), 500 + gain);
  EXPECT_EQ(follow.count(), 1);

  // The filter points are off on this page: their notices write nothing.
  table.loadDefaults();
  emit page.graph()->graphNotified(1, 0);
  emit page.graph()->graphNotified(2, 0);
  EXPECT_TRUE(marked().empty());
}

TEST_F(GeqPageTest, ResetAskedNoChangesNothingYesWritesEveryBand) {
  const int gainIndex = geqIndex(ChannelFunction::GeqGain, 1, 3);
  report(gainIndex, 560);
  report(geqIndex(ChannelFunction::GeqBypass, 1), 1);
  page.showChannel(PAGE_B);

  test::MessageCatcher catcher;
  catcher.answerNext(QMessageBox::No);
  click(page.resetButton());
  EXPECT_EQ(catcher.shown, 1);
  EXPECT_EQ(catcher.text, "Whether to reset EQ");
  EXPECT_EQ(catcher.caption, "Tip!");
  EXPECT_TRUE(marked().empty());
  EXPECT_EQ(sliderValue(3), 60);

  catcher.answerNext(QMessageBox::Yes);
  click(page.resetButton());
  // Only what differs from the reset values is sent: band 3's gain and band 22's
  // default 3150 Hz, which the reset writes in tenths.
  EXPECT_EQ(marked(), (std::vector<int>{gainIndex, geqIndex(ChannelFunction::GeqFreq, 1, 22)}));
  for (int n = 0; n < GEQ_BAND_COUNT; ++n) {
    EXPECT_EQ(table.value(geqIndex(ChannelFunction::GeqGain, 1, n)), 500);
    EXPECT_EQ(sliderValue(n), 0);
    EXPECT_EQ(graphGain(n), 0);
  }
  struct Freq {
    int band;
    int word;
  };
  for (const Freq f : {Freq{0, 0x8000 + 200}, Freq{5, 0x8000 + 630}, Freq{7, 100}, Freq{22, 3150},
                       Freq{30, 18000}})
    EXPECT_EQ(table.value(geqIndex(ChannelFunction::GeqFreq, 1, f.band)), f.word) << f.band;
  EXPECT_EQ(table.value(geqIndex(ChannelFunction::GeqBypass, 1)), 1);
  EXPECT_FALSE(table.mustSend(geqIndex(ChannelFunction::GeqBypass, 1)));
  EXPECT_EQ(follow.channels(), std::vector<int>{1});
}

TEST_F(GeqPageTest, BypassFlattensTheDisplayAndRestoresTheStoredGains) {
  const int bypassIndex = geqIndex(ChannelFunction::GeqBypass, 0);
  const int gain3 = geqIndex(ChannelFunction::GeqGain, 0, 3);
  const int gain8 = geqIndex(ChannelFunction::GeqGain, 0, 8);
  report(gain3, 560);
  report(gain8, 420);
  page.showChannel(PAGE_A);

  click(page.bypassButton());
  EXPECT_TRUE(page.isBypassed());
  EXPECT_EQ(page.bypassButton()->checkState(), SkinButton::ON);
  EXPECT_EQ(sliderValue(3), 0);
  EXPECT_EQ(graphGain(8), 0);
  EXPECT_EQ(marked(), std::vector<int>{bypassIndex});
  EXPECT_EQ(table.value(bypassIndex), 1);
  EXPECT_EQ(table.value(gain3), 560);

  // A fader moved while bypassed writes its band; the bypass word stays on.
  QTest::keyClick(page.bandSlider(8), Qt::Key_Up);
  EXPECT_EQ(table.value(gain8), 501);
  EXPECT_EQ(table.value(bypassIndex), 1);

  click(page.bypassButton());
  EXPECT_FALSE(page.isBypassed());
  EXPECT_EQ(page.bypassButton()->checkState(), SkinButton::OFF);
  EXPECT_EQ(table.value(bypassIndex), 0);
  EXPECT_EQ(sliderValue(3), 60);
  EXPECT_EQ(graphGain(3), 60);
  EXPECT_EQ(sliderValue(8), 1);
  EXPECT_EQ(follow.count(), 3);
}

TEST_F(GeqPageTest, DeviceBypassWordSetsTheBannerAndItsEndBringsBackTheGains) {
  report(geqIndex(ChannelFunction::GeqGain, 0, 2), 440);
  page.showChannel(PAGE_A);
  click(page.bypassButton()); // faders flat
  table.loadDefaults();
  report(geqIndex(ChannelFunction::GeqGain, 0, 2), 440);

  page.applyCode(GeqPage::CODE_BYPASS, 0, PAGE_A);
  EXPECT_FALSE(page.isBypassed());
  EXPECT_EQ(sliderValue(2), -60);
  page.applyCode(GeqPage::CODE_BYPASS, 1, PAGE_A);
  EXPECT_TRUE(page.isBypassed());
  EXPECT_EQ(page.bypassButton()->checkState(), SkinButton::ON);
  EXPECT_EQ(sliderValue(2), 0); // flat, as the button makes it (Undo of a bypass too)
  EXPECT_EQ(graphGain(2), 0);
  EXPECT_TRUE(marked().empty());
}

TEST_F(GeqPageTest, ValuesOfAnotherInputWaitUntilItIsShown) {
  const int bGain = geqIndex(ChannelFunction::GeqGain, 1, 10);
  report(bGain, 620);
  page.applyCode(GeqPage::CODE_GAIN_FIRST + 10, 620, PAGE_B);
  EXPECT_EQ(sliderValue(10), 0);

  EXPECT_EQ(page.showChannel(PAGE_B), PAGE_B);
  EXPECT_EQ(page.channel(), 1);
  EXPECT_EQ(sliderValue(10), 120);
  EXPECT_EQ(page.graph()->settings().totalColor, 0xFF990099u);

  for (int other : {2, 7, -1, 19})
    EXPECT_EQ(page.showChannel(other), PAGE_B) << other;
  EXPECT_TRUE(marked().empty());
}

TEST_F(GeqPageTest, ButtonTextsFollowTheLanguage) {
  EXPECT_EQ(page.resetButton()->text(), "GEQ RESET");
  EXPECT_EQ(page.bypassButton()->text(), "GEQ BYPASS");
  setCurrentLanguage(LanguageIndex::TraditionalChinese);
  page.refreshTexts();
  EXPECT_EQ(page.resetButton()->text(), QString::fromUtf8("GEQ 復位"));
  EXPECT_EQ(page.bypassButton()->text(), QString::fromUtf8("GEQ 旁路"));
  setCurrentLanguage(LanguageIndex::English);
}

} // namespace
} // namespace kv816
