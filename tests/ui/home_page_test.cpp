#include "ui/pages/home_page.h"

#include "i18n/language.h"
#include "model/link_groups.h"
#include "model/parameter_table.h"
#include "ui/controls/skin_button.h"
#include "ui/controls/skin_combo_box.h"
#include "ui/controls/skin_label.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "ui_test_support.h"

namespace kv816 {
namespace {

constexpr int MODE_2IN4OUT = 0;
constexpr int MODE_2IN6OUT = 1;
constexpr int MODE_4IN6OUT = 2;
constexpr int MODE_4IN8OUT = 3;

int routingIndex(int output) {
  return 707 + output;
}
int inputLinkIndex(int input) {
  return 20 + 172 * input;
}
int outputLinkIndex(int output) {
  return 715 + 54 * output;
}

struct HomePageTest : ::testing::Test {
  ParameterTable table;
  EditSession edits{table};
  HomePage page{edits, nullptr};
  test::EditRecorder follow{edits};

  HomePageTest() {
    setCurrentLanguage(LanguageIndex::English);
    table.loadDefaults();
    page.setScale(1.0, 1.0);
    page.resize(1100, 700);
    page.show();
  }

  template <typename T> T* child(const QString& name) {
    T* found = page.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
  }
  SkinButton* route(int output, int input) {
    return child<SkinButton>(QStringLiteral("route%1_%2").arg(output).arg(input));
  }
  SkinComboBox* link(int channel) {
    return channel < 4 ? child<SkinComboBox>(QStringLiteral("inputLink%1").arg(channel))
                       : child<SkinComboBox>(QStringLiteral("outputLink%1").arg(channel - 4));
  }
  void click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
  }
  void pick(int channel, int position) {
    SkinComboBox* list = link(channel);
    emit list->activated(position);
  }
  bool nothingMarked() { return marked().empty(); }
  std::vector<int> marked() {
    std::vector<int> indexes;
    for (int index = 0; index < PARAM_COUNT; ++index)
      if (table.mustSend(index))
        indexes.push_back(index);
    return indexes;
  }
};

TEST_F(HomePageTest, RoutingWordShowsItsBitsAndHiddenButtonsKeepThem) {
  page.showParameter({INPUT_COUNT + 2, ChannelFunction::Routing}, 5);
  const int expected[] = {SkinButton::ON, SkinButton::OFF, SkinButton::ON, SkinButton::OFF};
  for (int k = 0; k < 4; ++k)
    EXPECT_EQ(route(2, k)->checkState(), expected[k]) << "input " << k;
  EXPECT_TRUE(nothingMarked());

  // With two inputs, C and D are hidden but still count: turning A off leaves C alone.
  edits.setActiveChannels(activeChannelsOf(MODE_2IN6OUT));
  page.setIoMode(MODE_2IN6OUT);
  EXPECT_TRUE(route(2, 2)->isHidden());
  EXPECT_TRUE(route(2, 3)->isHidden());
  click(route(2, 0));
  EXPECT_EQ(table.value(routingIndex(2)), 4);
  EXPECT_TRUE(table.mustSend(routingIndex(2)));
  click(route(2, 1));
  EXPECT_EQ(table.value(routingIndex(2)), 6);
  // Routing is no part of a channel block: only the output's own word is written.
  EXPECT_EQ(marked(), std::vector<int>{routingIndex(2)});
  EXPECT_EQ(table.value(routingIndex(1)), 15);
}

TEST_F(HomePageTest, LinkMaskSelectsItsGroupModuloTheShownChannels) {
  struct Case {
    int mode;
    int channel;
    int mask;
    int group;
  };
  const Case cases[] = {
      {MODE_2IN6OUT, 0, 8, 1},   // group 3 of two inputs is B
      {MODE_2IN6OUT, 1, 3, 0},   // several bits: group 0
      {MODE_2IN6OUT, 1, 0, 0},   // no bit
      {MODE_4IN8OUT, 3, 4, 2},   // C
      {MODE_4IN8OUT, 6, 64, 6},  // output 3 in LINK 7
      {MODE_2IN6OUT, 5, 128, 1}, // group 7 of six outputs is LINK 2
      {MODE_2IN4OUT, 7, 32, 1},  // group 5 of four outputs
  };
  for (const Case& c : cases) {
    page.setIoMode(c.mode);
    follow.clear();
    page.showParameter({c.channel, ChannelFunction::LinkMask}, c.mask);
    EXPECT_EQ(page.linkGroup(c.channel), c.group) << "channel " << c.channel << " mask " << c.mask;
    EXPECT_EQ(link(c.channel)->shownIndex(), c.group);
    EXPECT_EQ(follow.count(), 0);
  }
  EXPECT_TRUE(nothingMarked());
}

TEST_F(HomePageTest, ChoosingALinkWritesTheMaskAndAsksTheGroupsOwnChannelToLead) {
  struct Case {
    int channel;
    int position;
    int index;
    int source;
  };
  const Case cases[] = {
      {3, 1, inputLinkIndex(3), 1},   // input D joins B: input B leads
      {0, 0, inputLinkIndex(0), 0},   // input A back to its own group
      {6, 0, outputLinkIndex(2), 4},  // output 3 joins LINK 1: output 1 leads
      {11, 7, outputLinkIndex(7), 11} // output 8 in its own group
  };
  page.setIoMode(MODE_4IN8OUT);
  for (const Case& c : cases) {
    // The leader's gain differs from everyone's, so the follower shows whom it copied.
    const int leaderGain = indexOf(ChannelFunction::Gain, c.source);
    table.record(leaderGain).value.store(300 + c.source);
    // A mask other than the chosen group's, so that choosing it is a change.
    table.record(c.index).value.store(maskOfGroup(c.position == 1 ? 2 : 1));
    follow.clear();
    pick(c.channel, c.position);
    EXPECT_EQ(table.value(c.index), 1 << c.position) << "channel " << c.channel;
    EXPECT_TRUE(table.mustSend(c.index));
    EXPECT_EQ(page.linkGroup(c.channel), c.position);
    ASSERT_EQ(follow.count(), 1);
    EXPECT_EQ(table.value(indexOf(ChannelFunction::Gain, c.channel)), 300 + c.source);
  }
}

TEST_F(HomePageTest, ModeChangeTrimsTheListsWithoutWritingMasks) {
  page.setIoMode(MODE_4IN8OUT);
  page.showParameter({1, ChannelFunction::LinkMask}, 8);                // input B shows D
  page.showParameter({INPUT_COUNT + 3, ChannelFunction::LinkMask}, 64); // output 4: LINK 7
  page.setIoMode(MODE_2IN4OUT);
  EXPECT_EQ(page.inputCount(), 2);
  EXPECT_EQ(page.outputCount(), 4);
  EXPECT_EQ(page.linkGroup(1), 1);
  EXPECT_EQ(link(1)->count(), 2);
  EXPECT_EQ(link(1)->itemText(1), "LINK B");
  EXPECT_EQ(page.linkGroup(7), 3);
  EXPECT_EQ(link(7)->itemText(3), "LINK 4");
  EXPECT_EQ(table.value(inputLinkIndex(1)), 2); // the device's masks stay as they were
  EXPECT_TRUE(nothingMarked());

  // Back to eight outputs: the lists grow again and keep their selections.
  page.setIoMode(MODE_4IN8OUT);
  EXPECT_EQ(link(7)->count(), 8);
  EXPECT_EQ(page.linkGroup(7), 3);
  EXPECT_EQ(link(0)->itemText(3), "LINK D");
}

TEST_F(HomePageTest, ModeShowsTheFirstStripsOnly) {
  struct Case {
    int mode;
    int inputs;
    int outputs;
  };
  const Case cases[] = {{MODE_2IN4OUT, 2, 4},
                        {MODE_2IN6OUT, 2, 6},
                        {MODE_4IN6OUT, 4, 6},
                        {MODE_4IN8OUT, 4, 8},
                        {7, 4, 8}};
  for (const Case& c : cases) {
    page.setIoMode(c.mode);
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(link(i)->isHidden(), i >= c.inputs) << "mode " << c.mode << " input " << i;
    for (int o = 0; o < 8; ++o) {
      EXPECT_EQ(link(4 + o)->isHidden(), o >= c.outputs) << "mode " << c.mode << " output " << o;
      for (int k = 0; k < 4; ++k)
        EXPECT_EQ(route(o, k)->isHidden(), o >= c.outputs || k >= c.inputs);
    }
  }
}

TEST_F(HomePageTest, JumpButtonsAskForTheirPages) {
  struct Case {
    const char* button;
    int page;
  };
  const Case cases[] = {
      {"inputJump2_0", 1},  {"inputJump2_1", 9},   {"inputJump2_2", 5},   {"inputJump2_3", 2},
      {"outputJump5_0", 1}, {"outputJump5_1", 16}, {"outputJump5_2", 16}, {"outputJump5_3", 16},
      {"outputJump5_4", 2}, {"outputJump5_5", 1},
  };
  page.setIoMode(MODE_4IN8OUT);
  for (const Case& c : cases) {
    QSignalSpy show(&page, &Page::showPageRequested);
    click(child<SkinButton>(c.button));
    ASSERT_EQ(show.count(), 1) << c.button;
    EXPECT_EQ(show[0][0].toInt(), c.page) << c.button;
  }
  EXPECT_TRUE(nothingMarked());
}

TEST_F(HomePageTest, TextsFollowTheLanguage) {
  setCurrentLanguage(LanguageIndex::SimplifiedChinese);
  page.refreshTexts();
  EXPECT_EQ(child<SkinLabel>("inputName1")->text(), "输入B");
  EXPECT_EQ(child<SkinLabel>("outputName7")->text(), "输出8");
  EXPECT_EQ(child<SkinButton>("outputJump0_1")->text(), "带通");
  setCurrentLanguage(LanguageIndex::English);
  page.refreshTexts();
  EXPECT_EQ(child<SkinLabel>("inputName1")->text(), "IN B");
  EXPECT_EQ(child<SkinButton>("outputJump0_1")->text(), "X_Over");
  EXPECT_EQ(child<SkinButton>("inputJump0_0")->text(), "Mute ");
  EXPECT_EQ(link(4)->itemText(0), "LINK 1");
}

} // namespace
} // namespace kv816
