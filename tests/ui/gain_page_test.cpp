// Gain page: device values reach the strips without being written back, user edits write
// the entry, commit the item and then ask for the linked channels, strips follow the I/O
// mode, and through the main window a mute of a linked input reaches its partner.

#include "i18n/language.h"
#include "model/channel_layout.h"
#include "ui/controls/level_meter.h"
#include "ui/controls/skin_button.h"
#include "ui/controls/slider.h"
#include "ui/controls/value_edit.h"
#include "ui/pages/gain_page.h"
#include "ui_test_support.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace kv816 {
namespace {

struct GainPageFixture : ::testing::Test {
  ParameterTable table;
  EditSession edits{table};
  GainPage page{edits, nullptr};
  test::EditRecorder requests{edits};

  GainPageFixture() {
    // The page took its texts when it was made, before this chose the language.
    setCurrentLanguage(LanguageIndex::English);
    page.refreshTexts();
    page.resize(1100, 700);
    page.setIoMode(3);
    page.show();
  }

  bool anyMarked() const {
    for (int i = 0; i < PARAM_COUNT; ++i)
      if (table.mustSend(i))
        return true;
    return false;
  }
};

TEST_F(GainPageFixture, DeviceGainShowsOnFaderAndEditAndReadsBackExactly) {
  struct Case {
    int raw;
    int fader;
    const char* text;
  };
  const Case cases[] = {{360, 0, "0.0dB"},   {480, 120, "12.0dB"}, {0, -360, "-36.0dB"},
                        {357, -3, "-0.3dB"}, {361, 1, "0.1dB"},    {253, -107, "-10.7dB"}};
  for (const Case& k : cases) {
    for (int c : {0, 11}) {
      page.applyCode(24 + c, k.raw, -1);
      EXPECT_EQ(page.fader(c)->value(), k.fader) << k.raw;
      EXPECT_EQ(page.gainEdit(c)->field()->text(), QString::fromLatin1(k.text)) << k.raw;
      EXPECT_EQ(page.itemRaw(24 + c), k.raw);
    }
  }
  EXPECT_FALSE(anyMarked());
  EXPECT_TRUE(requests.edits.empty());
}

// Notifications name their parameter by the model's layout: each lands on its own strip.
TEST_F(GainPageFixture, NotificationsLandOnTheStripOfTheirChannel) {
  for (int c : {0, 3, 4, 11}) {
    page.showParameter(locateIndex(indexOf(ChannelFunction::Mute, c)), 1);
    page.showParameter(locateIndex(indexOf(ChannelFunction::Phase, c)), 1);
    page.showParameter(locateIndex(indexOf(ChannelFunction::Gain, c)), 400 + c);
    page.showMeter(c, 0x3F);
    EXPECT_EQ(page.muteButton(c)->checkState(), SkinButton::ON) << c;
    EXPECT_EQ(page.polarityButton(c)->checkState(), SkinButton::ON) << c;
    EXPECT_EQ(page.fader(c)->value(), 40 + c) << c;
    EXPECT_EQ(page.meter(c)->mask(), 0x7FFFu) << c;
    EXPECT_EQ(page.muteButton(c + 1 == 12 ? 10 : c + 1)->checkState(), SkinButton::OFF) << c;
  }
  page.showParameter(locateIndex(indexOf(ChannelFunction::Delay, 2)), 480); // not this page's
  EXPECT_EQ(page.fader(2)->value(), 0);
  EXPECT_FALSE(anyMarked());
}

TEST_F(GainPageFixture, DeviceFlagsAndMeterBytes) {
  struct FlagCase {
    int value;
    int state;
    int raw;
  };
  for (const FlagCase& k : {FlagCase{1, SkinButton::ON, 1}, FlagCase{0, SkinButton::OFF, 0},
                            FlagCase{0x8000, SkinButton::ON, 1}}) {
    page.applyCode(3, k.value, -1);      // mute of input D
    page.applyCode(12 + 7, k.value, -1); // polarity of output 4
    EXPECT_EQ(page.muteButton(3)->checkState(), k.state);
    EXPECT_EQ(page.polarityButton(7)->checkState(), k.state);
    EXPECT_EQ(page.itemRaw(3), k.raw);
    EXPECT_EQ(page.itemRaw(19), k.raw);
  }
  struct MeterCase {
    int byte;
    unsigned mask;
  };
  for (const MeterCase& k :
       {MeterCase{0x1F, 0x3FFF}, MeterCase{0x3F, 0x7FFF}, MeterCase{0x20, 0x4000},
        MeterCase{0x03, 0x1F}, MeterCase{0, 0}, MeterCase{0xC0, 0}}) {
    page.applyCode(36 + 5, k.byte, -1);
    EXPECT_EQ(page.meter(5)->mask(), k.mask) << k.byte;
  }
  EXPECT_FALSE(anyMarked());
}

TEST_F(GainPageFixture, EditsGoThroughTheEditSession) {
  const int gainA = indexOf(ChannelFunction::Gain, 0);
  page.applyCode(24, 479, -1);
  QTest::keyClick(page.fader(0), Qt::Key_Up); // to the top
  EXPECT_EQ(page.fader(0)->value(), 120);
  EXPECT_EQ(page.gainEdit(0)->field()->text(), "12.0dB");
  EXPECT_EQ(table.value(gainA), 480);
  EXPECT_TRUE(table.mustSend(gainA));
  EXPECT_EQ(requests.edits, (std::vector<int>{gainA}));

  requests.edits.clear();
  const int gainOut8 = indexOf(ChannelFunction::Gain, 11);
  page.gainEdit(11)->field()->setText("-6.5");
  QTest::keyClick(page.gainEdit(11)->field(), Qt::Key_Return);
  EXPECT_EQ(page.fader(11)->value(), -65);
  EXPECT_EQ(table.value(gainOut8), 295);
  EXPECT_EQ(requests.edits, (std::vector<int>{gainOut8}));

  requests.edits.clear();
  const int muteOut2 = indexOf(ChannelFunction::Mute, 5);
  const int phaseOut2 = indexOf(ChannelFunction::Phase, 5);
  QTest::mouseClick(page.muteButton(5), Qt::LeftButton);
  EXPECT_EQ(table.value(muteOut2), 1);
  EXPECT_TRUE(table.mustSend(muteOut2));
  QTest::mouseClick(page.polarityButton(5), Qt::LeftButton);
  QTest::mouseClick(page.polarityButton(5), Qt::LeftButton);
  EXPECT_EQ(table.value(phaseOut2), 0);
  EXPECT_TRUE(table.mustSend(phaseOut2));
  EXPECT_EQ(requests.edits, (std::vector<int>{muteOut2, phaseOut2, phaseOut2}));
}

TEST_F(GainPageFixture, IoModeShowsItsStripsAndHiddenStripsKeepTheirValues) {
  struct Case {
    int mode;
    std::vector<int> shown;
  };
  const Case cases[] = {{0, {0, 1, 4, 5, 6, 7}},
                        {1, {0, 1, 4, 5, 6, 7, 8, 9}},
                        {2, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
                        {3, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}}};
  for (const Case& k : cases) {
    page.setIoMode(k.mode);
    std::vector<int> shown;
    for (int c = 0; c < GainPage::STRIP_COUNT; ++c) {
      const bool visible = page.frame(c)->isVisibleTo(&page);
      EXPECT_EQ(page.fader(c)->isVisibleTo(&page), visible);
      EXPECT_EQ(page.gainEdit(c)->isVisibleTo(&page), visible);
      if (visible)
        shown.push_back(c);
    }
    EXPECT_EQ(shown, k.shown) << k.mode;
  }
  page.setIoMode(0);
  page.applyCode(24 + 2, 300, -1);
  page.applyCode(11, 1, -1);
  EXPECT_EQ(page.itemRaw(24 + 2), 300);
  EXPECT_EQ(page.itemRaw(11), 1);
}

TEST_F(GainPageFixture, CaptionsFollowTheLanguageAndOtherItemsGiveNothing) {
  EXPECT_EQ(page.frame(0)->title(), "IN A");
  EXPECT_EQ(page.frame(4)->title(), "OUT 1");
  EXPECT_EQ(page.frame(11)->title(), "OUT 8");
  setCurrentLanguage(LanguageIndex::SimplifiedChinese);
  page.refreshTexts();
  EXPECT_EQ(page.frame(3)->title(), QString::fromUtf8("输入D"));
  EXPECT_EQ(page.frame(6)->title(), QString::fromUtf8("输出3"));
  setCurrentLanguage(LanguageIndex::English);

  for (int item : {-1, 36, 47, 1000})
    EXPECT_EQ(page.itemRaw(item), -1) << item;
  page.applyCode(48, 1, -1);
  page.applyCode(-1, 1, -1);
  EXPECT_FALSE(anyMarked());
}

// Through the main window: the commit writes the item and the link-follow copies the
// channel; the main window's other pages only record what they are told.
struct GainPageInWindow : ::testing::Test {
  QTemporaryDir dir;
  std::unique_ptr<DeviceSession> session;
  std::unique_ptr<MainWindow> window;
  GainPage* gain = nullptr;

  GainPageInWindow() {
    setCurrentLanguage(LanguageIndex::English);
    const std::string path = dir.path().toStdString();
    session = std::make_unique<DeviceSession>(SettingsFolders{path, path, "kv816"});
    window = std::make_unique<MainWindow>(
        *session, [this](QWidget* parent, ParameterTable&, EditSession& edits) {
          static constexpr int FIRST[6] = {0, 1, 2, 3, 7, 11};
          PageSet set;
          for (int slot = 0; slot < 6; ++slot) {
            Page* page = nullptr;
            if (slot == int(PageSlot::Gain)) {
              page = gain = new GainPage(edits, parent);
            } else {
              page = new test::RecordingPage(PageSlot(slot), FIRST[slot], parent);
            }
            set.pages[static_cast<size_t>(slot)] = page;
          }
          return set;
        });
    window->initialise();
    window->show();
    window->showPageNumber(1);
    test::WindowFixture::settle();
  }
  ~GainPageInWindow() override { window->closeWithoutAsking(); }
  ParameterTable& table() { return session->table(); }
};

TEST_F(GainPageInWindow, MutingLinkedInputAMutesInputB) {
  // Inputs A and B share a link group.
  table().setParameter(indexOf(ChannelFunction::LinkMask, 1),
                       table().value(indexOf(ChannelFunction::LinkMask, 0)));
  ASSERT_TRUE(gain->isVisible());
  QTest::mouseClick(gain->muteButton(0), Qt::LeftButton);
  test::WindowFixture::settle();
  for (int c : {0, 1}) {
    EXPECT_EQ(table().value(indexOf(ChannelFunction::Mute, c)), 1) << c;
    EXPECT_TRUE(table().mustSend(indexOf(ChannelFunction::Mute, c))) << c;
  }
  EXPECT_EQ(table().value(indexOf(ChannelFunction::Mute, 2)), 0);
  // The copy is announced back, so input B's button shows the mute too.
  EXPECT_EQ(gain->muteButton(1)->checkState(), SkinButton::ON);
}

// A notification of the entry queued before the edit is handled after it; it must show
// the user's value, not put the old one back.
TEST_F(GainPageInWindow, NotificationQueuedBeforeTheEditKeepsTheEdit) {
  const int gainA = indexOf(ChannelFunction::Gain, 0);
  table().setParameter(gainA, 360);
  test::WindowFixture::settle();
  QMetaObject::invokeMethod(
      window.get(), [this, gainA] { window->handleNotify(Notify::ParameterChanged, gainA); },
      Qt::QueuedConnection);
  QTest::keyClick(gain->fader(0), Qt::Key_Up);
  test::WindowFixture::settle();
  EXPECT_EQ(gain->fader(0)->value(), 1);
  EXPECT_EQ(gain->gainEdit(0)->field()->text(), "0.1dB");
  EXPECT_EQ(table().value(gainA), 361);
}

} // namespace
} // namespace kv816
