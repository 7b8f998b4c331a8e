// Text grows and shrinks with the window as the controls do, and Tab walks a page in reading
// order.

#include "ui/controls/skin_button.h"
#include "ui/controls/text_scale.h"
#include "ui/controls/value_edit.h"
#include "ui/pages/channel_page.h"
#include "ui/pages/gain_page.h"
#include "ui/pages/measurement_bar.h"
#include "ui/shell/tab_layout.h"
#include "ui/shell/tab_row.h"
#include "ui_test_support.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTest>

#include <gtest/gtest.h>

namespace kv816 {
namespace {

// The program with its real pages, no link, shown at a given size.
struct ShownProgram {
  QTemporaryDir dir;
  std::unique_ptr<DeviceSession> session;
  std::unique_ptr<MainWindow> window;

  ShownProgram() {
    setCurrentLanguage(LanguageIndex::English);
    const std::string path = dir.path().toStdString();
    session = std::make_unique<DeviceSession>(SettingsFolders{path, path, "kv816"});
    window = std::make_unique<MainWindow>(*session);
    window->initialise();
    window->show();
    test::WindowFixture::settle();
  }
  ~ShownProgram() { window->closeWithoutAsking(); }

  void resize(int width, int height) {
    window->resize(width, height);
    test::WindowFixture::settle();
  }
};

struct TextSizes {
  int tabPixels;
  int gainTitlePixels;
  int peqTitlePixels;
};

// At each size every tab label and group-box title fits its box, the pages start below the
// tab row, and the text is larger in the larger window.
TEST(WindowScale, TabLabelsAndGroupTitlesFollowTheWindowAndFit) {
  ShownProgram p;
  TabRow& tabs = p.window->tabRow();
  auto* gain = static_cast<GainPage*>(p.window->pages().gain());
  auto* output = static_cast<ChannelPage*>(p.window->pages().output());
  const QList<QGroupBox*> channelGroups = output->findChildren<QGroupBox*>();
  ASSERT_FALSE(channelGroups.isEmpty());
  std::vector<TextSizes> sizes;
  for (const QSize size : {QSize(960, 660), QSize(1100, 768), QSize(1600, 1200)}) {
    SCOPED_TRACE(size.width());
    p.resize(size.width(), size.height());
    ASSERT_EQ(p.window->size(), size);
    const QFontMetrics tabMetrics(tabs.font());
    EXPECT_GE(tabs.tabRect(0).height(), tabMetrics.height());
    for (int i = 0; i < tabs.count(); ++i)
      EXPECT_LT(tabMetrics.horizontalAdvance(tabs.tabText(i)), tabs.tabRect(i).width())
          << tabs.tabText(i).toStdString();
    EXPECT_GE(gain->geometry().top(), tabs.geometry().bottom());
    for (QGroupBox* group : channelGroups) {
      const QFontMetrics metrics(group->font());
      EXPECT_LT(metrics.horizontalAdvance(group->title()), group->width())
          << group->title().toStdString();
    }
    sizes.push_back({tabs.font().pixelSize(), gain->frame(0)->font().pixelSize(),
                     channelGroups.front()->font().pixelSize()});
  }
  const double small = std::min(960.0 / 1100, 660.0 / 768);
  EXPECT_EQ(sizes[0].tabPixels, scaledTextPixels(TITLE_DESIGN_PIXELS, small));
  EXPECT_EQ(sizes[1].tabPixels, TITLE_DESIGN_PIXELS);
  for (size_t i = 1; i < sizes.size(); ++i) {
    EXPECT_GT(sizes[i].tabPixels, sizes[i - 1].tabPixels);
    EXPECT_GT(sizes[i].gainTitlePixels, sizes[i - 1].gainTitlePixels);
    EXPECT_GT(sizes[i].peqTitlePixels, sizes[i - 1].peqTitlePixels);
  }
}

// The width the style leaves for a button's or a check box's caption.
int captionRoom(const QAbstractButton* button) {
  QStyleOptionButton option;
  option.initFrom(button);
  const bool check = qobject_cast<const QCheckBox*>(button) != nullptr;
  return button->style()
      ->subElementRect(check ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents, &option,
                       button)
      .width();
}

struct SizeInLanguage {
  QSize size;
  LanguageIndex language;
};

// The row above the output page's graph keeps every control inside itself and inside the
// page at each window size and language, with no caption cut; so do the buttons of that page
// and of the gain page. Their text grows with the window as the tab labels do.
TEST(WindowScale, GraphBarAndPageButtonsKeepTheirCaptionsWhole) {
  ShownProgram p;
  p.window->showPageNumber(PAGE_OUTPUT_FIRST);
  auto* page = static_cast<ChannelPage*>(p.window->pages().output());
  const MeasurementBar& bar = page->measurementBar();
  auto* bypass = page->findChild<SkinButton*>(QStringLiteral("peqBypass"));
  ASSERT_NE(bypass, nullptr);
  const auto* gain = static_cast<const GainPage*>(p.window->pages().gain());
  std::vector<int> barPixels;
  std::vector<int> buttonPixels;
  std::vector<int> gainButtonPixels;
  for (const SizeInLanguage& c : {SizeInLanguage{{960, 660}, LanguageIndex::SimplifiedChinese},
                                  SizeInLanguage{{960, 660}, LanguageIndex::English},
                                  SizeInLanguage{{1100, 768}, LanguageIndex::English},
                                  SizeInLanguage{{1600, 1200}, LanguageIndex::English}}) {
    SCOPED_TRACE(c.size.width());
    SCOPED_TRACE(static_cast<int>(c.language));
    p.window->setLanguage(c.language);
    p.resize(c.size.width(), c.size.height());
    ASSERT_TRUE(bar.isVisible());
    EXPECT_TRUE(page->rect().contains(bar.geometry()));
    for (const QWidget* child : bar.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      EXPECT_TRUE(bar.rect().contains(child->geometry()))
          << child->metaObject()->className() << " " << child->x() << "+" << child->width();
    for (const QAbstractButton* button : bar.findChildren<QAbstractButton*>())
      EXPECT_LE(QFontMetrics(button->font()).horizontalAdvance(button->text()), captionRoom(button))
          << button->text().toStdString();
    QList<SkinButton*> buttons = page->findChildren<SkinButton*>();
    buttons += p.window->pages().gain()->findChildren<SkinButton*>();
    for (const SkinButton* button : buttons)
      EXPECT_LE(QFontMetrics(button->font()).horizontalAdvance(button->text()), button->width() - 4)
          << button->text().toStdString();
    if (c.language == LanguageIndex::English) {
      barPixels.push_back(bar.font().pixelSize());
      buttonPixels.push_back(bypass->font().pixelSize());
      gainButtonPixels.push_back(gain->muteButton(0)->font().pixelSize());
    }
  }
  for (size_t i = 1; i < barPixels.size(); ++i) {
    EXPECT_GT(barPixels[i], barPixels[i - 1]);
    EXPECT_GT(buttonPixels[i], buttonPixels[i - 1]);
    EXPECT_GT(gainButtonPixels[i], gainButtonPixels[i - 1]);
  }
}

// The object name of the control that has the focus (a value edit answers for its field).
QString focusedName() {
  QWidget* w = QApplication::focusWidget();
  if (w && qobject_cast<ValueEdit*>(w->parentWidget()))
    w = w->parentWidget();
  return w ? w->objectName() : QString();
}

TEST(WindowScale, TabRunsThroughTheStripThenTheEqThenTheGraphControls) {
  ParameterTable table;
  table.loadDefaults();
  EditSession edits(table);
  ChannelPage page(table, edits, 11, nullptr);
  page.resize(1100, 700);
  page.show();
  page.showChannel(12);
  page.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&page));

  QStringList expected = {"mute",    "phase",  "gain",    "gainFader",
                          "delayMs", "delayM", "delayIn", "delaySlider"};
  for (int k = 0; k < PEQ_BAND_COUNT; ++k) {
    const QString n = QString::number(k);
    const bool shelf = !page.findChild<QWidget*>("bandQ" + n)->isVisible();
    expected << "bandFreq" + n << (shelf ? "bandSlope" : "bandQ") + n << "bandGain" + n
             << "bandType" + n;
  }
  expected << "peqReset"
           << "peqBypass"
           << "hpfFreq"
           << "hpfType"
           << "lpfFreq"
           << "lpfType"
           << "threshold"
           << "attack"
           << "release"
           << "ratio";

  page.findChild<QWidget*>("mute")->setFocus(Qt::TabFocusReason);
  QStringList visited = {focusedName()};
  for (qsizetype i = 1; i < expected.size(); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    visited << focusedName();
  }
  EXPECT_EQ(visited.join(' ').toStdString(), expected.join(' ').toStdString());
  // After the compressor come the graph's controls in the measurement bar.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_TRUE(page.measurementBar().isAncestorOf(QApplication::focusWidget()))
      << focusedName().toStdString();
}

} // namespace
} // namespace kv816
