#include "ui_test_support.h"

#include "i18n/text.h"
#include "link/task_flags.h"
#include "ui/shell/tab_row.h"

#include <QMenu>
#include <gtest/gtest.h>

namespace kv816 {
namespace {

using test::MessageCatcher;
using test::PageCall;
using test::WindowFixture;

QStringList menuLabels(QMenu* menu) {
  QStringList labels;
  for (QAction* action : menu->actions())
    if (!action->isSeparator())
      labels << action->text();
  return labels;
}

TEST(MainWindow, StartsAsT509At1100By768InMode1) {
  WindowFixture f;
  EXPECT_EQ(f.window->windowTitle(), "T509");
  EXPECT_EQ(f.window->size(), QSize(1100, 768));
  EXPECT_EQ(f.window->ioMode(), 1);
  EXPECT_EQ(f.page(PageSlot::Home).ioModes.back(), 1);
}

TEST(MainWindow, TabRowsOfModes1And3InEnglishAndChinese) {
  WindowFixture f(LanguageIndex::English);
  EXPECT_EQ(f.window->tabRow().labels(),
            QStringList({"Home", "Gain", "Delay", "GEQ A", "GEQ B", "IN A", "IN B", "OUT 1",
                         "OUT 2", "OUT 3", "OUT 4", "OUT 5", "OUT 6"}));
  f.window->actions().modes[3]->trigger();
  const QStringList wide = f.window->tabRow().labels();
  ASSERT_EQ(wide.size(), 19);
  EXPECT_EQ(wide[6], "GEQ D");
  EXPECT_EQ(wide[10], "IN D");
  EXPECT_EQ(wide[18], "OUT 8");

  f.window->actions().languages[0]->trigger();
  WindowFixture::settle();
  const QStringList chinese = f.window->tabRow().labels();
  ASSERT_EQ(chinese.size(), 19);
  EXPECT_EQ(chinese[0], QStringLiteral("主页"));
  EXPECT_EQ(chinese[3], QStringLiteral("均衡A"));
  EXPECT_EQ(chinese[7], QStringLiteral("输入A"));
  EXPECT_EQ(chinese[11], QStringLiteral("输出1"));
  f.window->actions().modes[1]->trigger();
  EXPECT_EQ(f.window->tabRow().count(), 13);
  EXPECT_EQ(f.window->tabRow().tabText(12), QStringLiteral("输出6"));
  setCurrentLanguage(LanguageIndex::English);
}

TEST(MainWindow, DeviceMenuKeepsTwoModesAfterTheFirstRefresh) {
  WindowFixture f;
  QMenu* device = f.window->menuAt(MainWindow::MENU_DEVICE);
  EXPECT_EQ(menuLabels(device), QStringList({"2In4Out", "2In6Out"}));
  EXPECT_FALSE(device->actions()[0]->isChecked());
  EXPECT_TRUE(device->actions()[1]->isChecked());
  // The removed commands still switch the mode when they arrive.
  f.window->actions().modes[2]->trigger();
  EXPECT_EQ(f.window->ioMode(), 2);
  EXPECT_EQ(f.window->tabRow().count(), 17);
  EXPECT_EQ(f.page(PageSlot::Gain).ioModes.back(), 2);
}

TEST(MainWindow, PageRequestsSelectTheTabAndTheChannel) {
  WindowFixture f;
  emit f.page(PageSlot::Home).showPageRequested(7);
  WindowFixture::settle();
  EXPECT_EQ(f.window->tabRow().currentIndex(), 5);
  EXPECT_EQ(f.page(PageSlot::Input).pageNumber(), 7);
  EXPECT_TRUE(f.page(PageSlot::Input).isVisibleTo(f.window.get()));
  EXPECT_EQ(f.session->link().state().meterView.load(), 7);

  f.window->showPageNumber(11);
  EXPECT_EQ(f.window->tabRow().currentIndex(), 7);
  EXPECT_EQ(f.page(PageSlot::Output).pageNumber(), 11);
  EXPECT_FALSE(f.page(PageSlot::Input).isVisibleTo(f.window.get()));

  f.window->showPageNumber(9); // input C is not shown with two inputs
  EXPECT_EQ(f.window->tabRow().currentIndex(), 7);

  f.window->tabRow().setCurrentIndex(4);
  EXPECT_EQ(f.page(PageSlot::Geq).pageNumber(), 4);
  EXPECT_EQ(f.session->link().state().meterView.load(), 4);

  f.window->actions().modes[0]->trigger(); // a mode change shows home
  EXPECT_EQ(f.window->tabRow().currentIndex(), 0);
  EXPECT_TRUE(f.page(PageSlot::Home).isVisibleTo(f.window.get()));
}

TEST(MainWindow, DelayTabRefreshesTheTwelveDelaysFromTheTable) {
  WindowFixture f;
  f.session->table().setParameter(24 + 172 * 3, 480);
  f.window->tabRow().setCurrentIndex(2);
  WindowFixture::settle();
  const auto& calls = f.page(PageSlot::Delay).calls;
  ASSERT_EQ(calls.size(), 12u);
  EXPECT_EQ(calls[3], (PageCall{3, 480, -1}));
}

TEST(MainWindow, RoutesTableValuesToRecordingPages) {
  WindowFixture f;
  auto& table = f.session->table();
  table.setParameter(21 + 172, 300);    // gain of input B
  table.setParameter(719 + 54 * 2, 96); // delay of output 3
  table.setParameter(27 + 4 * 2, 13);   // GEQ band 3 of input A
  table.setParameter(27 + 172 + 4, 14); // GEQ band 2 of input B: page not on show
  table.setParameter(724, 0x1234);      // graph of output 1
  for (int index : {21 + 172, 719 + 54 * 2, 27 + 4 * 2, 27 + 172 + 4, 724})
    f.window->handleNotify(Notify::ParameterChanged, index);

  EXPECT_EQ(f.page(PageSlot::Gain).calls, (std::vector<PageCall>{{1, 300, -1}}));
  EXPECT_EQ(f.page(PageSlot::Delay).calls, (std::vector<PageCall>{{6, 96, -1}}));
  EXPECT_EQ(f.page(PageSlot::Output).calls, (std::vector<PageCall>{{124, 96, 13}}));
  EXPECT_EQ(f.page(PageSlot::Geq).calls, (std::vector<PageCall>{{2, 13, 3}}));
  EXPECT_EQ(f.page(PageSlot::Output).graphs, (std::vector<int>{0x34}));
}

TEST(MainWindow, InputMeterIsDecodedForTheInputOnShow) {
  WindowFixture f;
  auto& table = f.session->table();
  table.record(3).value.store(0x003F); // input A: five steps and clip; input B silent
  f.window->handleNotify(Notify::ParameterChanged, 3);
  EXPECT_EQ(f.page(PageSlot::Input).meterMasks, (std::vector<int>{0x1FF}));
  EXPECT_EQ(f.page(PageSlot::Gain).calls, (std::vector<PageCall>{{36, 0x3F, -1}, {37, 0, -1}}));
  f.window->showPageNumber(8);
  table.record(3).value.store(0x0300); // input B: two steps
  f.window->handleNotify(Notify::ParameterChanged, 3);
  EXPECT_EQ(f.page(PageSlot::Input).meterMasks.back(), 0x07);
}

TEST(MainWindow, LinkFollowCopiesOnlyDifferingEntriesAndMarksThem) {
  WindowFixture f;
  auto& table = f.session->table();
  f.page(PageSlot::Home).groups[4] = 0; // outputs 1 and 3 share group 0
  f.page(PageSlot::Home).groups[6] = 0;
  table.setParameter(716, 222);     // output 1 gain
  table.setParameter(720 + 10, 77); // a band of output 1
  for (int i = 0; i < 1175; ++i)
    table.record(i).mustSend.store(0);
  const int equalBefore = table.value(824 + 5);
  ASSERT_EQ(equalBefore, table.value(716 + 5));

  emit f.page(PageSlot::Home).linkFollowRequested(4);
  WindowFixture::settle();

  EXPECT_EQ(table.value(824), 222);
  EXPECT_EQ(table.value(824 + 14), 77);
  EXPECT_TRUE(table.mustSend(824));
  EXPECT_TRUE(table.mustSend(824 + 14));
  EXPECT_FALSE(table.mustSend(770));      // output 2 is in its own group
  EXPECT_FALSE(table.mustSend(829));      // equal values are neither marked nor announced
  EXPECT_FALSE(table.mustSend(824 + 54)); // output 4 is in another group
  const auto& gain = f.page(PageSlot::Gain).calls;
  EXPECT_EQ(gain, (std::vector<PageCall>{{6, 222, -1}}));
}

TEST(MainWindow, CommitWritesGainAndDelayItems) {
  WindowFixture f;
  auto& table = f.session->table();
  f.page(PageSlot::Gain).raws.assign(36, 0);
  f.page(PageSlot::Gain).raws[13] = 150; // item 13: offset 1 of input B
  f.page(PageSlot::Gain).raws[35] = 1;   // item 35: offset 2 of output 8
  f.page(PageSlot::Delay).raws.assign(12, 0);
  f.page(PageSlot::Delay).raws[5] = 4800; // output 2
  emit f.page(PageSlot::Gain).commitRequested(1, 13);
  emit f.page(PageSlot::Gain).commitRequested(1, 35);
  emit f.page(PageSlot::Delay).commitRequested(2, 5);
  WindowFixture::settle();
  EXPECT_EQ(table.value(22 + 172), 150);
  EXPECT_TRUE(table.mustSend(22 + 172));
  EXPECT_EQ(table.value(718 + 54 * 7), 1);
  EXPECT_EQ(table.value(719 + 54), 4800);
  EXPECT_TRUE(table.mustSend(719 + 54));

  for (int i = 0; i < 1175; ++i)
    table.record(i).mustSend.store(0);
  f.window->commitValue(3, 1);
  f.window->commitValue(1, 36);
  f.window->commitValue(2, 12);
  f.window->commitValue(2, -1);
  for (int i = 0; i < 1175; ++i)
    ASSERT_FALSE(table.mustSend(i)) << i;
}

TEST(MainWindow, LanguageSwitchRelabelsMenuTabsAndStatus) {
  WindowFixture f;
  test::SilentEvents events;
  f.session->settings().writeSetting(CONFIGURATION_FILE, key::DEMO_DEVICE, 1);
  ASSERT_TRUE(f.session->start(events));
  f.window->handleNotify(Notify::LinkStatus, LINK_FOUND);
  EXPECT_EQ(f.window->statusText(0), "Link Status:Successful");
  EXPECT_EQ(f.window->statusText(1), "Communication:USB");
  EXPECT_EQ(f.window->menuAt(MainWindow::MENU_SYSTEM)->title(), "System");

  f.window->actions().languages[1]->trigger();
  WindowFixture::settle();
  EXPECT_EQ(f.window->menuAt(MainWindow::MENU_SYSTEM)->title(), QStringLiteral("系統"));
  EXPECT_EQ(menuLabels(f.window->menuAt(MainWindow::MENU_PROGRAM))[0], QStringLiteral("調用"));
  EXPECT_EQ(f.window->tabRow().tabText(0), QStringLiteral("主頁"));
  EXPECT_EQ(f.window->statusText(0), QStringLiteral("連接狀態:連接成功"));
  EXPECT_EQ(f.window->statusText(1), QStringLiteral("通訊方式:USB"));
  // The language items keep their own texts; the chosen one carries the mark.
  const QList<QAction*> system = f.window->menuAt(MainWindow::MENU_SYSTEM)->actions();
  EXPECT_EQ(system[2]->text(), QStringLiteral("繁体中文"));
  EXPECT_TRUE(system[2]->isChecked());
  EXPECT_FALSE(system[3]->isChecked());
  EXPECT_GE(f.page(PageSlot::Output).refreshes, 2);
  EXPECT_EQ(f.session->settings().language(), 1);

  // Qt's own texts follow: the message box buttons speak Traditional Chinese now.
  MessageCatcher catcher;
  catcher.answerNext(QMessageBox::Yes);
  f.window->showMessage(MessageKind::YesNo, "?");
  EXPECT_NE(catcher.buttonText, "&Yes");
  EXPECT_TRUE(catcher.buttonText.contains(QStringLiteral("是")))
      << catcher.buttonText.toStdString();
  f.window->actions().languages[2]->trigger();
  catcher.answerNext(QMessageBox::Yes);
  f.window->showMessage(MessageKind::YesNo, "?");
  EXPECT_EQ(catcher.buttonText, "&Yes");
}

TEST(MainWindow, ExportWithoutALinkSaysNoDevice) {
  WindowFixture f;
  MessageCatcher catcher;
  catcher.answerNext(QMessageBox::Ok);
  f.window->actions().exportFile->trigger();
  EXPECT_EQ(catcher.shown, 1);
  EXPECT_EQ(catcher.text, "No Device!");
  EXPECT_EQ(catcher.caption, "T509");
  EXPECT_FALSE(f.session->link().taskFlags().pending(TASK_EXPORT));
}

TEST(MainWindow, ClosingAsksFirstAndNoKeepsTheWindow) {
  WindowFixture f;
  f.window->show();
  MessageCatcher catcher;
  catcher.answerNext(QMessageBox::No);
  EXPECT_FALSE(f.window->close());
  EXPECT_EQ(catcher.text, "Whether to exit the program!");
  EXPECT_EQ(catcher.caption, "Tip!");
  catcher.answerNext(QMessageBox::Yes);
  EXPECT_TRUE(f.window->close());
  EXPECT_FALSE(f.session->isRunning());
}

} // namespace
} // namespace kv816
