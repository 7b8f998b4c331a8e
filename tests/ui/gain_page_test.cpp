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
  GainPage page{table, nullptr};
  std::vector<std::string> requests;

  GainPageFixture() {
    // The page took its texts when it was made, before this chose the language.
    setCurrentLanguage(LanguageIndex::English);
    page.refreshTexts();
    page.resize(1100, 700);
    page.setIoMode(3);
    page.show();
    QObject::connect(&page, &Page::commitRequested, [this](int p, int item) {
      requests.push_back("commit " + std::to_string(p) + " " + std::to_string(item));
    });
    QObject::connect(&page, &Page::linkFollowRequested,
                     [this](int c) { requests.push_back("follow " + std::to_string(c)); });
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
  EXPECT_TRUE(requests.empty());
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

TEST_F(GainPageFixture, EditsWriteTheEntryCommitAndThenFollow) {
  const int gainA = indexOf(ChannelFunction::Gain, 0);
  page.applyCode(24, 479, -1);
  QTest::keyClick(page.fader(0), Qt::Key_Up); // to the top
  EXPECT_EQ(page.fader(0)->value(), 120);
  EXPECT_EQ(page.gainEdit(0)->field()->text(), "12.0dB");
  EXPECT_EQ(table.value(gainA), 480);
  EXPECT_TRUE(table.mustSend(gainA));
  EXPECT_EQ(requests, (std::vector<std::string>{"commit 1 24", "follow 0"}));

  requests.clear();
  const int gainOut8 = indexOf(ChannelFunction::Gain, 11);
  page.gainEdit(11)->field()->setText("-6.5");
  QTest::keyClick(page.gainEdit(11)->field(), Qt::Key_Return);
  EXPECT_EQ(page.fader(11)->value(), -65);
  EXPECT_EQ(table.value(gainOut8), 295);
  EXPECT_EQ(requests, (std::vector<std::string>{"commit 1 35", "follow 11"}));

  requests.clear();
  const int muteOut2 = indexOf(ChannelFunction::Mute, 5);
  const int phaseOut2 = indexOf(ChannelFunction::Phase, 5);
  QTest::mouseClick(page.muteButton(5), Qt::LeftButton);
  EXPECT_EQ(table.value(muteOut2), 1);
  EXPECT_TRUE(table.mustSend(muteOut2));
  QTest::mouseClick(page.polarityButton(5), Qt::LeftButton);
  QTest::mouseClick(page.polarityButton(5), Qt::LeftButton);
  EXPECT_EQ(table.value(phaseOut2), 0);
  EXPECT_TRUE(table.mustSend(phaseOut2));
  EXPECT_EQ(requests, (std::vector<std::string>{"commit 1 5", "follow 5", "commit 1 17", "follow 5",
                                                "commit 1 17", "follow 5"}));
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
  test::RecordingPage* home = nullptr;

  GainPageInWindow() {
    setCurrentLanguage(LanguageIndex::English);
    const std::string path = dir.path().toStdString();
    session = std::make_unique<DeviceSession>(SettingsFolders{path, path, "kv816"});
    window = std::make_unique<MainWindow>(*session, [this](QWidget* parent, ParameterTable& table) {
      static constexpr int FIRST[6] = {0, 1, 2, 3, 7, 11};
      PageSet set;
      for (int slot = 0; slot < 6; ++slot) {
        Page* page = nullptr;
        if (slot == int(PageSlot::Gain)) {
          page = gain = new GainPage(table, parent);
        } else {
          auto* recording = new test::RecordingPage(PageSlot(slot), FIRST[slot], parent);
          if (slot == int(PageSlot::Home))
            home = recording;
          page = recording;
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
  home->groups[1] = 0; // inputs A and B share group 0
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

// A notification of the entry queued before the edit is handled before the queued
// commit; it must show the user's value, not put the old one back.
TEST_F(GainPageInWindow, NotificationQueuedBeforeTheCommitKeepsTheEdit) {
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
