// Delay page: a Delay word shows as one position on the slider and the three edits, a
// typed distance or a slider move becomes that position on every control and the word in
// the table, and the strips follow the I/O mode.

#include "i18n/language.h"
#include "model/channel_layout.h"
#include "ui/controls/slider.h"
#include "ui/controls/value_edit.h"
#include "ui/pages/delay_page.h"
#include "ui_test_support.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kv816 {
namespace {

struct DelayPageFixture : ::testing::Test {
  ParameterTable table;
  EditSession edits{table};
  DelayPage page{edits, nullptr};
  test::EditRecorder requests{edits};

  DelayPageFixture() {
    // The page took its texts when it was made, before this chose the language.
    setCurrentLanguage(LanguageIndex::English);
    page.refreshTexts();
    page.resize(1100, 700);
    page.setIoMode(3);
    page.show();
  }

  // The slider and the three edits of strip c all sit at `position`.
  void expectPosition(int c, int position) {
    EXPECT_EQ(page.slider(c)->value(), position);
    EXPECT_EQ(page.millisecondEdit(c)->rawValue(), position);
    EXPECT_EQ(page.metreEdit(c)->rawValue(), position);
    EXPECT_EQ(page.inchEdit(c)->rawValue(), position);
  }
  QStringList texts(int c) const {
    return {page.millisecondEdit(c)->field()->text(), page.metreEdit(c)->field()->text(),
            page.inchEdit(c)->field()->text()};
  }
};

TEST_F(DelayPageFixture, DeviceDelayShowsOnePositionInThreeUnits) {
  struct Case {
    int samples;
    int position;
    QStringList texts;
    int word; // what the strip commits back
  };
  const Case cases[] = {
      {480, 100, {"10.0ms", "3.46m", "136.2in"}, 480},
      {24000, 5000, {"500.0ms", "173.00m", "6811.0in"}, 24000},
      {1, 0, {"0.0ms", "0.00m", "0.0in"}, 0},
      {5, 1, {"0.1ms", "0.03m", "1.4in"}, 5},
      // 479 samples are 9.99 ms: every control rounds to the same tenth.
      {479, 100, {"10.0ms", "3.46m", "136.2in"}, 480},
      {60000, 5000, {"500.0ms", "173.00m", "6811.0in"}, 24000},
  };
  for (const Case& k : cases) {
    for (int c : {0, 11}) {
      page.applyCode(c, k.samples, -1);
      expectPosition(c, k.position);
      EXPECT_EQ(texts(c), k.texts) << k.samples;
      EXPECT_EQ(page.itemRaw(c), k.word) << k.samples;
    }
  }
  EXPECT_EQ(page.slider(0)->value(), page.slider(0)->maximum());
  for (int c = 0; c < CHANNEL_COUNT; ++c)
    EXPECT_FALSE(table.mustSend(indexOf(ChannelFunction::Delay, c)));
  EXPECT_TRUE(requests.edits.empty());
}

TEST_F(DelayPageFixture, UserEditsBecomeOnePositionAndTheWord) {
  enum Control { SliderStep, Ms, Metres, Inches };
  struct Case {
    Control control;
    const char* typed; // for the slider: one step up from position 99
    int position;
    int word;
  };
  const Case cases[] = {
      {Metres, "3.46", 100, 480}, {Metres, "1", 29, 139},   {Inches, "10", 7, 34},
      {Ms, "12.5", 125, 600},     {Ms, "900", 5000, 24000}, {SliderStep, "", 100, 480},
  };
  int c = 0;
  for (const Case& k : cases) {
    c = (c + 5) % CHANNEL_COUNT;
    requests.edits.clear();
    if (k.control == SliderStep) {
      page.applyCode(c, 99 * 48 / 10, -1);
      QTest::keyClick(page.slider(c), Qt::Key_Up);
    } else {
      ValueEdit* edit = k.control == Ms       ? page.millisecondEdit(c)
                        : k.control == Metres ? page.metreEdit(c)
                                              : page.inchEdit(c);
      edit->field()->setText(QString::fromLatin1(k.typed));
      QTest::keyClick(edit->field(), Qt::Key_Return);
    }
    expectPosition(c, k.position);
    const int index = indexOf(ChannelFunction::Delay, c);
    EXPECT_EQ(table.value(index), k.word) << k.typed;
    EXPECT_TRUE(table.mustSend(index));
    EXPECT_EQ(page.itemRaw(c), k.word);
    EXPECT_EQ(requests.edits, (std::vector<int>{index}));
  }
  EXPECT_EQ(texts(c), (QStringList{"10.0ms", "3.46m", "136.2in"}));
}

TEST_F(DelayPageFixture, NotificationsOfDelaysLandOnTheirStrip) {
  page.showParameter(locateIndex(indexOf(ChannelFunction::Delay, 9)), 480);
  page.showParameter(locateIndex(indexOf(ChannelFunction::Gain, 8)), 480); // not this page's
  expectPosition(9, 100);
  expectPosition(8, 0);
  EXPECT_TRUE(requests.edits.empty());
}

TEST_F(DelayPageFixture, IoModeCaptionsAndForeignCodes) {
  page.setIoMode(0);
  std::vector<int> shown;
  for (int c = 0; c < DelayPage::STRIP_COUNT; ++c) {
    const bool visible = page.frame(c)->isVisibleTo(&page);
    EXPECT_EQ(page.slider(c)->isVisibleTo(&page), visible);
    EXPECT_EQ(page.inchEdit(c)->isVisibleTo(&page), visible);
    if (visible)
      shown.push_back(c);
  }
  EXPECT_EQ(shown, (std::vector<int>{0, 1, 4, 5, 6, 7}));
  page.applyCode(3, 480, -1); // a hidden strip still takes its value
  EXPECT_EQ(page.itemRaw(3), 480);

  EXPECT_EQ(page.frame(1)->title(), "IN B");
  EXPECT_EQ(page.frame(11)->title(), "OUT 8");
  for (int code : {-1, 12, 100}) {
    page.applyCode(code, 480, -1);
    EXPECT_EQ(page.itemRaw(code), -1);
  }
  EXPECT_TRUE(requests.edits.empty());
}

} // namespace
} // namespace kv816
