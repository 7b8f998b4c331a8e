#include "ui/pages/channel_page.h"

#include "i18n/language.h"
#include "model/channel_layout.h"
#include "model/crossover.h"
#include "model/parameter_table.h"
#include "ui/controls/level_meter.h"
#include "ui/controls/response_graph.h"
#include "ui/controls/skin_button.h"
#include "ui/controls/skin_combo_box.h"
#include "ui/controls/slider.h"
#include "ui/controls/value_edit.h"
#include "ui_test_support.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace kv816 {
namespace {

using F = ChannelFunction;
using Marks = std::map<int, int>; // index -> value of every entry marked to send

constexpr int OUT2 = 5; // channel of output 2, page 12

// An output page (or input page) over a factory-default table, shown at 1100 x 700.
struct PageFixture {
  ParameterTable table;
  EditSession edits{table};
  test::EditRecorder follows{edits};
  std::unique_ptr<ChannelPage> page;

  explicit PageFixture(int firstPage = 11, int show = 12) {
    setCurrentLanguage(LanguageIndex::English);
    table.loadDefaults();
    page = std::make_unique<ChannelPage>(table, edits, firstPage, nullptr);
    page->resize(1100, 700);
    page->show();
    page->showChannel(show);
    // A value edit that gets the focus back (after a message box) reports its value.
    page->findChild<ResponseGraph*>()->setFocus();
  }

  template <typename T> T* get(const QString& name) const {
    T* child = page->findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name.toStdString();
    return child;
  }
  ValueEdit* edit(const QString& name) const { return get<ValueEdit>(name); }
  SkinComboBox* list(const QString& name) const { return get<SkinComboBox>(name); }
  ResponseGraph* graph() const { return get<ResponseGraph>("graph"); }
  QString shown(const QString& name) const { return edit(name)->field()->text(); }
  int at(F function, int band = 0) const { return table.value(indexOf(function, OUT2, band)); }
  void set(F function, int value, int band = 0) {
    table.record(indexOf(function, OUT2, band)).value = value;
  }

  // User actions, as the controls report them.
  void type(const QString& name, double units) {
    ValueEdit* e = edit(name);
    e->setUnits(units);
    emit e->valueNotified(e->controlId(), e->index(), e->rawValue());
  }
  void typeText(const QString& name, const QString& text) {
    ValueEdit* e = edit(name);
    e->field()->setText(text);
    QTest::keyClick(e->field(), Qt::Key_Return);
  }
  void slide(const QString& name, int value) {
    Slider* s = get<Slider>(name);
    s->setValue(value);
    emit s->valueNotified(s->controlId(), s->index(), s->value());
  }
  void pick(const QString& name, int position) { emit list(name)->activated(position); }
  void click(const QString& name) { QTest::mouseClick(get<SkinButton>(name), Qt::LeftButton); }

  Marks takeMarks() {
    Marks marks;
    for (int i = 0; i < PARAM_COUNT; ++i)
      if (table.mustSend(i)) {
        marks[i] = table.value(i);
        table.record(i).mustSend = 0;
      }
    return marks;
  }
  Marks mark(std::initializer_list<std::pair<F, int>> items, int band = 0) const {
    Marks marks;
    for (const auto& [function, value] : items)
      marks[indexOf(function, OUT2, band)] = value;
    return marks;
  }
  // The number of edits the page made since the last call, each of output 2.
  int followCount() {
    const int n = follows.count();
    for (int channel : follows.channels())
      EXPECT_EQ(channel, OUT2);
    follows.clear();
    return n;
  }
};

// A notification names its parameter by the model's layout; the page shows it on the
// control bound to that function and band, and only for the channel it shows.
TEST(ChannelPageTest, NotificationsReachTheControlBoundToTheirParameter) {
  struct Case {
    F function;
    int band;
    int raw;
    const char* control;
    const char* text;
  };
  const Case cases[] = {
      {F::PeqFreq, 3, 33068, "bandFreq3", "30"}, {F::PeqGain, 7, 560, "bandGain7", "6.0"},
      {F::PeqQ, 9, 250, "bandQ9", "2.50"},       {F::Delay, 0, 24000, "delayMs", "500.0ms"},
      {F::Gain, 0, 0, "gain", "-36.0dB"},        {F::Attack, 0, 57, "attack", "5.7ms"},
      {F::Release, 0, 24, "release", "x24.0ms"}, {F::Ratio, 0, 1000, "ratio", "100.0"},
      {F::HpfFreq, 0, 33768, "hpfFreq", "100"},
  };
  for (const Case& c : cases) {
    PageFixture f;
    f.page->showParameter(locateIndex(indexOf(c.function, OUT2 + 1, c.band)), c.raw);
    EXPECT_NE(f.shown(c.control), c.text) << c.control << ": output 3's value";
    f.page->showParameter(locateIndex(indexOf(c.function, OUT2, c.band)), c.raw);
    EXPECT_EQ(f.shown(c.control), c.text) << c.control;
    EXPECT_TRUE(f.takeMarks().empty());
  }
}

TEST(ChannelPageTest, ShowingAChannelLoadsEveryControlAndWritesNothing) {
  PageFixture f(11, 11);
  f.set(F::PeqType, 6, 3);
  f.set(F::PeqFreq, 33068, 3);
  f.set(F::PeqQ, 0x8000 + 84, 3);
  f.set(F::PeqGain, 560, 3);
  f.set(F::HpfFreq, 32868); // 10.0 Hz: below the edit's range
  f.set(F::LpfFreq, 20600);
  f.set(F::HpfType, 0);
  f.set(F::LpfType, crossoverCode(9, false));
  f.set(F::Delay, 24000);
  f.set(F::Gain, 0);
  f.set(F::Mute, 1);
  f.set(F::Attack, 57);
  f.set(F::Release, 24);
  f.set(F::Ratio, 1000);
  EXPECT_EQ(f.page->showChannel(12), 12);

  EXPECT_EQ(f.shown("bandFreq3"), "30");
  EXPECT_EQ(f.shown("bandGain3"), "6.0");
  EXPECT_EQ(f.list("bandType3")->currentIndex(), 3);
  EXPECT_TRUE(f.edit("bandQ3")->isHidden());
  EXPECT_FALSE(f.list("bandSlope3")->isHidden());
  EXPECT_EQ(f.list("bandSlope3")->currentIndex(), 1);
  EXPECT_DOUBLE_EQ(f.graph()->pointQ(2 + 3), 0.84);
  EXPECT_EQ(f.shown("hpfFreq"), "OFF");
  EXPECT_EQ(f.shown("lpfFreq"), "OFF");
  EXPECT_DOUBLE_EQ(f.graph()->pointFrequency(0), 19);
  EXPECT_DOUBLE_EQ(f.graph()->pointFrequency(1), 20001);
  EXPECT_EQ(f.list("hpfType")->currentIndex(), 0);
  EXPECT_EQ(f.list("lpfType")->currentIndex(), 9);
  EXPECT_EQ(f.shown("delayMs"), "500.0ms");
  EXPECT_EQ(f.shown("delayM"), "173.00m");
  EXPECT_EQ(f.shown("delayIn"), "6811.0in");
  EXPECT_EQ(f.shown("gain"), "-36.0dB");
  EXPECT_EQ(f.get<Slider>("gainFader")->value(), -360);
  EXPECT_EQ(f.get<SkinButton>("mute")->checkState(), SkinButton::ON);
  EXPECT_EQ(f.shown("attack"), "5.7ms");
  EXPECT_EQ(f.shown("release"), "x24.0ms");
  EXPECT_EQ(f.shown("ratio"), "100.0");
  EXPECT_EQ(f.graph()->settings().totalColor, qRgb(0, 96, 0));
  EXPECT_TRUE(f.takeMarks().empty());
  EXPECT_EQ(f.followCount(), 0);
}

TEST(ChannelPageTest, AppliesOnlyValuesOfTheChannelShown) {
  PageFixture f;
  f.page->applyCode(ChannelPage::CODE_GAIN + 2, 560, 13);
  f.page->applyCode(ChannelPage::CODE_DELAY, 480, 11);
  EXPECT_EQ(f.shown("bandGain2"), "0.0");
  EXPECT_EQ(f.shown("delayMs"), "0.0ms");

  f.page->applyCode(ChannelPage::CODE_GAIN + 2, 560, 12);
  f.page->applyCode(ChannelPage::CODE_DELAY, 480, 12);
  f.page->applyCode(ChannelPage::CODE_HPF_TYPE, crossoverCode(4, true), 12);
  EXPECT_EQ(f.shown("bandGain2"), "6.0");
  EXPECT_EQ(f.graph()->pointGain(2 + 2), 60);
  EXPECT_EQ(f.shown("delayMs"), "10.0ms");
  EXPECT_EQ(f.list("hpfType")->currentIndex(), 4);
  EXPECT_EQ(f.page->showChannel(5), 12) << "an input is not shown on the output page";
  EXPECT_TRUE(f.takeMarks().empty());
}

TEST(ChannelPageTest, BandEditsWriteTheirParameterAndAskLinkedChannelsToFollow) {
  PageFixture f;
  f.type("bandFreq3", 1000);
  EXPECT_EQ(f.takeMarks(), f.mark({{F::PeqFreq, 1000}}, 3));
  EXPECT_DOUBLE_EQ(f.graph()->pointFrequency(2 + 3), 1000);
  f.type("bandFreq3", 57);
  EXPECT_EQ(f.takeMarks(), f.mark({{F::PeqFreq, 0x8000 + 570}}, 3));
  f.type("bandQ3", 4.0);
  EXPECT_EQ(f.takeMarks(), f.mark({{F::PeqQ, 400}}, 3));
  f.type("bandGain3", 6.0);
  // Output 2, band 3: gain at 731 + 54 + 12.
  EXPECT_EQ(f.takeMarks(), (Marks{{797, 560}}));
  EXPECT_EQ(f.followCount(), 4);
}

TEST(ChannelPageTest, BypassedBandStoresZeroGainAndGetsItsGainBack) {
  PageFixture f;
  f.type("bandGain1", 6.0);
  f.takeMarks();
  f.pick("bandType1", 0);
  EXPECT_EQ(f.takeMarks(), f.mark({{F::PeqType, 0}, {F::PeqGain, 500}}, 1));
  EXPECT_TRUE(f.edit("bandGain1")->isHidden());
  // Choosing "ByPass" again must not forget the gain it remembers.
  f.pick("bandType1", 0);
  f.takeMarks();
  f.pick("bandType1", 1);
  EXPECT_EQ(f.takeMarks(), f.mark({{F::PeqType, 7}, {F::PeqGain, 560}}, 1));
  EXPECT_FALSE(f.edit("bandGain1")->isHidden());
  EXPECT_EQ(f.shown("bandGain1"), "6.0");
}

TEST(ChannelPageTest, ShelfShowsItsSlopeInPlaceOfQ) {
  PageFixture f;
  f.page->applyCode(ChannelPage::CODE_Q + 4, 0x8000 + 84, 12); // slope "12dB"
  f.pick("bandType4", 2);
  EXPECT_EQ(f.takeMarks(), f.mark({{F::PeqType, 5}}, 4)); // the gain stays 0 dB: not sent
  EXPECT_EQ(f.at(F::PeqGain, 4), 500);
  EXPECT_TRUE(f.edit("bandQ4")->isHidden());
  EXPECT_FALSE(f.list("bandSlope4")->isHidden());
  EXPECT_DOUBLE_EQ(f.graph()->pointQ(2 + 4), 0.84);
  f.pick("bandSlope4", 0);
  EXPECT_EQ(f.takeMarks(), f.mark({{F::PeqQ, 40}}, 4));
  f.pick("bandSlope4", 1);
  EXPECT_EQ(f.takeMarks(), f.mark({{F::PeqQ, 0x8000 + 84}}, 4));
}

TEST(ChannelPageTest, PeqBypassHidesGainsWithoutWritingThem) {
  PageFixture f;
  f.type("bandGain0", 3.0);
  f.type("bandGain9", -4.5);
  f.takeMarks();
  f.click("peqBypass");
  EXPECT_EQ(f.takeMarks(), f.mark({{F::PeqBypass, 1}}));
  EXPECT_EQ(f.shown("bandGain0"), "0.0");
  EXPECT_EQ(f.graph()->pointGain(2 + 9), 0);
  EXPECT_TRUE(f.graph()->settings().eqPass);
  // A gain that arrives meanwhile (a linked channel's copy) is the one to come back.
  f.page->applyCode(ChannelPage::CODE_GAIN + 9, 480, 12);
  f.set(F::PeqGain, 480, 9);
  f.click("peqBypass");
  EXPECT_EQ(f.takeMarks(), f.mark({{F::PeqBypass, 0}}));
  EXPECT_EQ(f.shown("bandGain0"), "3.0");
  EXPECT_EQ(f.graph()->pointGain(2 + 9), -20);
  EXPECT_EQ(f.shown("bandGain9"), "-2.0");
  EXPECT_EQ(f.followCount(), 4);
}

// Undo of PEQ BYPASS (or the device) switches the bypass word back: the gains return.
TEST(ChannelPageTest, BypassWordFromElsewhereHidesAndRestoresTheGains) {
  PageFixture f;
  f.type("bandGain3", 3.0);
  f.click("peqBypass");
  ASSERT_EQ(f.shown("bandGain3"), "0.0");
  for (int index : f.edits.undo())
    f.page->showParameter(locateIndex(index), f.table.value(index));
  EXPECT_FALSE(f.graph()->settings().eqPass);
  EXPECT_EQ(f.shown("bandGain3"), "3.0");
  EXPECT_EQ(f.graph()->pointGain(2 + 3), 30);
  f.page->redrawGraph(1); // the device's word: the same as the button
  EXPECT_EQ(f.shown("bandGain3"), "0.0");
  f.page->redrawGraph(1); // an echo changes nothing
  f.page->redrawGraph(0);
  EXPECT_EQ(f.shown("bandGain3"), "3.0");
}

TEST(ChannelPageTest, CrossoverEditsKeepHighPassBelowLowPass) {
  PageFixture f;
  f.page->applyCode(ChannelPage::CODE_LPF_FREQ, 5000, 12);
  f.type("hpfFreq", 8000);
  EXPECT_EQ(f.shown("hpfFreq"), "5000");
  EXPECT_EQ(f.takeMarks(), f.mark({{F::HpfFreq, 5000}}));
  f.type("hpfFreq", 80);
  EXPECT_EQ(f.takeMarks(), f.mark({{F::HpfFreq, 0x8000 + 800}}));
  f.type("lpfFreq", 50);
  EXPECT_EQ(f.shown("lpfFreq"), "80");
  EXPECT_EQ(f.takeMarks(), f.mark({{F::LpfFreq, 0x8000 + 800}}));
  f.pick("lpfType", 7);
  EXPECT_EQ(f.takeMarks(), f.mark({{F::LpfType, crossoverCode(7, false)}}));
  EXPECT_EQ(f.graph()->settings().lowCode, crossoverCode(7, false));
}

TEST(ChannelPageTest, GraphDragsWriteFromTheGraph) {
  PageFixture f;
  ResponseGraph* graph = f.graph();
  graph->setBandFrequency(47.5, 6);
  graph->setBandGain(-3.0, 6);
  emit graph->graphNotified(0, 6);
  // Type and Q hold their values already: only what moved is sent.
  EXPECT_EQ(f.takeMarks(), f.mark({{F::PeqFreq, 33243}, {F::PeqGain, 470}}, 6));
  EXPECT_EQ(f.at(F::PeqType, 6), 7);
  EXPECT_EQ(f.at(F::PeqQ, 6), 100);
  EXPECT_EQ(f.shown("bandGain6"), "-3.0");
  graph->setPointFrequency(120.4, 0);
  emit graph->graphNotified(1, 0);
  EXPECT_EQ(f.takeMarks(), f.mark({{F::HpfFreq, 120}}));
  emit graph->graphNotified(0, 12); // no such band on this page
  EXPECT_TRUE(f.takeMarks().empty());
  EXPECT_EQ(f.followCount(), 2);
}

TEST(ChannelPageTest, PeqResetAsksFirst) {
  PageFixture f;
  f.type("bandGain5", 6.0);
  f.pick("bandType2", 2);
  f.takeMarks();
  f.followCount();
  test::MessageCatcher catcher;
  catcher.answerNext(QMessageBox::No);
  f.click("peqReset");
  EXPECT_EQ(catcher.text, "Whether to reset EQ");
  EXPECT_EQ(catcher.caption, "Tip!");
  EXPECT_EQ(f.takeMarks(), Marks{});

  catcher.answerNext(QMessageBox::Yes);
  f.click("peqReset");
  // Only the two bands edited above differ from their reset values.
  Marks expected = f.mark({{F::PeqGain, 500}}, 5);
  expected.merge(f.mark({{F::PeqType, 7}}, 2));
  EXPECT_EQ(f.takeMarks(), expected);
  EXPECT_EQ(f.at(F::PeqType, 2), 7);
  EXPECT_EQ(f.at(F::PeqFreq, 9), 15000);
  EXPECT_EQ(f.at(F::PeqFreq, 0), 0x8000 + 300);
  EXPECT_EQ(f.at(F::PeqQ, 5), 100);
  EXPECT_EQ(f.at(F::PeqGain, 5), 500);
  EXPECT_FALSE(f.edit("bandQ2")->isHidden());
  EXPECT_EQ(f.followCount(), 1);
}

TEST(ChannelPageTest, StripEditsWriteTheirParameter) {
  PageFixture f;
  struct Case {
    const char* what;
    std::function<void(PageFixture&)> act;
    F function;
    int value;
  };
  const Case cases[] = {
      {"delay slider one step", [](PageFixture& p) { p.slide("delaySlider", 1); }, F::Delay, 5},
      {"metre edit typed", [](PageFixture& p) { p.typeText("delayM", "1.00"); }, F::Delay, 139},
      {"gain fader", [](PageFixture& p) { p.slide("gainFader", -55); }, F::Gain, 305},
      {"gain edit", [](PageFixture& p) { p.type("gain", 12.0); }, F::Gain, 480},
      {"mute", [](PageFixture& p) { p.click("mute"); }, F::Mute, 1},
      {"polarity", [](PageFixture& p) { p.click("phase"); }, F::Phase, 1},
      {"threshold", [](PageFixture& p) { p.type("threshold", -5); }, F::Threshold, 95},
      {"attack", [](PageFixture& p) { p.type("attack", 5.7); }, F::Attack, 57},
      {"release", [](PageFixture& p) { p.type("release", 24); }, F::Release, 24},
      {"ratio", [](PageFixture& p) { p.type("ratio", 4.0); }, F::Ratio, 40},
  };
  for (const Case& c : cases) {
    c.act(f);
    EXPECT_EQ(f.takeMarks(), f.mark({{c.function, c.value}})) << c.what;
    EXPECT_EQ(f.followCount(), 1) << c.what;
  }
}

TEST(ChannelPageTest, StripControlsFollowEachOther) {
  PageFixture f;
  Slider* slider = f.get<Slider>("delaySlider");
  f.slide("delaySlider", 1);
  EXPECT_EQ(f.shown("delayMs"), "0.1ms");
  f.typeText("delayM", "1.00");
  EXPECT_EQ(f.shown("delayMs"), "2.9ms");
  EXPECT_EQ(slider->value(), 29);
  Slider* fader = f.get<Slider>("gainFader");
  f.slide("gainFader", -55);
  EXPECT_EQ(f.shown("gain"), "-5.5dB");
  f.type("gain", 12.0);
  EXPECT_EQ(fader->value(), 120);
  // One polarity sign on every page; inverted lights the button.
  f.click("phase");
  EXPECT_EQ(f.get<SkinButton>("phase")->text(), QString(QChar(0x00D8)));
  EXPECT_EQ(f.get<SkinButton>("phase")->checkState(), SkinButton::ON);
  f.page->applyCode(ChannelPage::CODE_PHASE, 0, 12);
  EXPECT_EQ(f.get<SkinButton>("phase")->text(), QString(QChar(0x00D8)));
  EXPECT_EQ(f.get<SkinButton>("phase")->checkState(), SkinButton::OFF);
}

TEST(ChannelPageTest, MeterLightsFromTheChannelsMeterByte) {
  PageFixture f;
  auto* meter = f.get<LevelMeter>("meter");
  f.page->showMeter(OUT2, 0x3F);
  EXPECT_EQ(meter->mask(), 0x1FFu);
  f.page->showMeter(OUT2, 0x03);
  EXPECT_EQ(meter->mask(), 0x07u);
  f.page->showMeter(OUT2 + 1, 0x3F); // output 3's byte
  EXPECT_EQ(meter->mask(), 0x07u);
  f.page->setMeterMask(0x107);
  EXPECT_EQ(meter->mask(), 0x107u);
}

TEST(ChannelPageTest, InputPageHasNoCrossoverOrCompressor) {
  PageFixture f(7, 8);
  EXPECT_EQ(f.page->pageNumber(), 8);
  EXPECT_EQ(f.page->showChannel(12), 8);
  for (const char* name : {"hpfFreq", "lpfFreq", "threshold", "ratio"})
    EXPECT_TRUE(f.edit(name)->isHidden()) << name;
  EXPECT_TRUE(f.list("hpfType")->isHidden());
  EXPECT_FALSE(f.get<Slider>("gainFader")->isHidden());

  emit f.graph()->graphNotified(1, 0);
  f.type("bandGain0", 2.0);
  const Marks marks = f.takeMarks();
  EXPECT_EQ(marks, (Marks{{indexOf(F::PeqGain, 1, 0), 520}}));
  EXPECT_EQ(f.follows.channels(), std::vector<int>{1});

  f.page->redrawGraph(1);
  EXPECT_TRUE(f.graph()->settings().eqPass);
  EXPECT_EQ(f.page->controlRaw(ChannelPage::CODE_PEQ_BYPASS), 1);
}

TEST(ChannelPageTest, TextsFollowTheLanguageAndListsKeepTheirSelection) {
  PageFixture f;
  f.page->applyCode(ChannelPage::CODE_TYPE, 5, 12);
  f.page->applyCode(ChannelPage::CODE_HPF_TYPE, crossoverCode(8, true), 12);
  setCurrentLanguage(LanguageIndex::SimplifiedChinese);
  f.page->refreshTexts();
  EXPECT_EQ(f.list("bandType0")->itemText(1), QString::fromUtf8("参量"));
  EXPECT_EQ(f.list("bandType0")->currentIndex(), 2);
  EXPECT_EQ(f.list("hpfType")->itemText(8), QString::fromUtf8("宁克36db"));
  EXPECT_EQ(f.list("hpfType")->currentIndex(), 8);
  setCurrentLanguage(LanguageIndex::English);
  f.page->refreshTexts();
  EXPECT_EQ(f.list("hpfType")->itemText(3), "Butter 12db");
}

} // namespace
} // namespace kv816
