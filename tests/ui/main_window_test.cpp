#include "ui_test_support.h"

#include "i18n/text.h"
#include "link/task_flags.h"
#include "model/channel_layout.h"
#include "model/link_groups.h"
#include "ui/shell/tab_row.h"

#include <QMenu>
#include <QRegularExpression>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kv816 {
namespace {

using test::MessageCatcher;
using test::PageCall;
using test::WindowFixture;

// A menu text as read, without its mnemonic ("&Edit", "調用(&L)").
QString plain(QString text) {
  static const QRegularExpression MNEMONIC(QStringLiteral("\\(&.\\)$|&"));
  return text.remove(MNEMONIC);
}

QStringList menuLabels(QMenu* menu) {
  QStringList labels;
  for (QAction* action : menu->actions())
    if (!action->isSeparator())
      labels << plain(action->text());
  return labels;
}

TEST(MainWindow, StartsAsT509At1100By768InMode1) {
  WindowFixture f;
  EXPECT_EQ(f.window->windowTitle().section(QStringLiteral(" — "), 0, 0), "T509");
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
  f.session->table().setParameter(indexOf(ChannelFunction::Delay, 3), 480);
  f.window->tabRow().setCurrentIndex(2);
  WindowFixture::settle();
  const auto& calls = f.page(PageSlot::Delay).calls;
  ASSERT_EQ(calls.size(), 12u);
  for (int c = 0; c < CHANNEL_COUNT; ++c)
    EXPECT_EQ(calls[static_cast<size_t>(c)].where, (IndexLocation{c, ChannelFunction::Delay}));
  EXPECT_EQ(calls[3].value, 480);
}

// Every page is told what an index is, from the model's layout, and its value; global
// entries reach nobody.
TEST(MainWindow, RoutesWhatTheIndexIsToEveryPage) {
  WindowFixture f;
  auto& table = f.session->table();
  struct Case {
    IndexLocation where;
    int value;
  };
  const Case cases[] = {
      {{1, ChannelFunction::Gain}, 300},
      {{INPUT_COUNT + 2, ChannelFunction::Delay}, 96},
      {{0, ChannelFunction::GeqGain, 2}, 13},
      {{INPUT_COUNT, ChannelFunction::PeqBypass}, 0x1234},
      {{INPUT_COUNT + 7, ChannelFunction::PeqQ, 9}, 71},
      {{INPUT_COUNT + 3, ChannelFunction::Routing}, 5},
  };
  for (const Case& c : cases) {
    const int index = indexOf(c.where.function, c.where.channel, c.where.band);
    table.setParameter(index, c.value);
    f.window->handleNotify(Notify::ParameterChanged, index);
  }
  for (const int global : {0, IDX_CURRENT_PRESET, IDX_NONE, -1, PARAM_COUNT})
    f.window->handleNotify(Notify::ParameterChanged, global);
  for (test::RecordingPage* page : f.pages) {
    ASSERT_EQ(page->calls.size(), std::size(cases));
    for (size_t k = 0; k < std::size(cases); ++k)
      EXPECT_EQ(page->calls[k], (PageCall{cases[k].where, cases[k].value}));
  }
}

// A meter word carries two channels: the low byte the even one, the high byte the odd one.
TEST(MainWindow, MeterWordsReachEveryPageAsTwoChannelLevels) {
  WindowFixture f;
  auto& table = f.session->table();
  table.record(IDX_METER_FIRST).value.store(0x003F);
  table.record(IDX_METER_FIRST + 5).value.store(0x1420);
  f.window->handleNotify(Notify::ParameterChanged, IDX_METER_FIRST);
  f.window->handleNotify(Notify::ParameterChanged, IDX_METER_FIRST + 5);
  using Meters = std::vector<std::pair<int, int>>;
  EXPECT_EQ(f.page(PageSlot::Input).meters, (Meters{{0, 0x3F}, {1, 0}, {10, 0x20}, {11, 0x14}}));
  EXPECT_TRUE(f.page(PageSlot::Gain).calls.empty());
}

// Outputs 1 and 3 share link group 0 in the table; every other output has its own.
void linkOutputs1And3(ParameterTable& table) {
  for (int o = 0; o < OUTPUT_COUNT; ++o)
    table.setParameter(indexOf(ChannelFunction::LinkMask, INPUT_COUNT + o),
                       maskOfGroup(o == 2 ? 0 : o));
}

void clearMarks(ParameterTable& table) {
  for (int i = 0; i < PARAM_COUNT; ++i)
    table.record(i).mustSend.store(0);
}

TEST(MainWindow, AnEditFollowsTheTablesLinkGroupsAndReachesThePages) {
  WindowFixture f;
  auto& table = f.session->table();
  const int out1 = INPUT_COUNT;
  const int out3 = INPUT_COUNT + 2;
  linkOutputs1And3(table);
  table.setParameter(indexOf(ChannelFunction::PeqGain, out1, 2), 77);
  clearMarks(table);
  const int equalEntry = indexOf(ChannelFunction::Delay, out3);
  ASSERT_EQ(table.value(equalEntry), table.value(indexOf(ChannelFunction::Delay, out1)));

  f.window->edits().apply({out1, ChannelFunction::Mute, -1, EditSource::Page},
                          {{indexOf(ChannelFunction::Mute, out1), 1}});
  WindowFixture::settle();

  EXPECT_EQ(table.value(indexOf(ChannelFunction::Mute, out3)), 1);
  EXPECT_EQ(table.value(indexOf(ChannelFunction::PeqGain, out3, 2)), 77);
  EXPECT_TRUE(table.mustSend(indexOf(ChannelFunction::Mute, out3)));
  EXPECT_TRUE(table.mustSend(indexOf(ChannelFunction::PeqGain, out3, 2)));
  EXPECT_FALSE(table.mustSend(indexOf(ChannelFunction::Mute, out1 + 1))); // its own group
  EXPECT_FALSE(table.mustSend(equalEntry)); // equal values are neither marked nor announced
  // Both outputs' mutes reach the pages.
  const auto& gain = f.page(PageSlot::Gain).calls;
  EXPECT_EQ(gain, (std::vector<PageCall>{test::call(ChannelFunction::Mute, out1, 1),
                                         test::call(ChannelFunction::Mute, out3, 1),
                                         test::call(ChannelFunction::PeqGain, out3, 77, 2)}));
}

TEST(MainWindow, UndoAndRedoRestoreBothChannelsAndNameTheStep) {
  WindowFixture f;
  auto& table = f.session->table();
  const int out1 = INPUT_COUNT;
  linkOutputs1And3(table);
  const int gain1 = indexOf(ChannelFunction::PeqGain, out1, 2);
  const int gain3 = indexOf(ChannelFunction::PeqGain, out1 + 2, 2);
  const int before = table.value(gain1);
  const MenuActions& actions = f.window->actions();
  EXPECT_FALSE(actions.undo->isEnabled());
  EXPECT_EQ(actions.undo->text(), "Undo");

  f.window->edits().apply({out1, ChannelFunction::PeqGain, 2, EditSource::Page},
                          {{gain1, before + 30}});
  EXPECT_TRUE(actions.undo->isEnabled());
  EXPECT_EQ(actions.undo->text(), QStringLiteral("Undo OUT 1 · PEQ 3 · Gain"));
  WindowFixture::settle();
  clearMarks(table);
  f.page(PageSlot::Output).calls.clear();

  actions.undo->trigger();
  EXPECT_EQ(table.value(gain1), before);
  EXPECT_EQ(table.value(gain3), before);
  EXPECT_TRUE(table.mustSend(gain1)); // the device gets the old value back
  EXPECT_TRUE(table.mustSend(gain3));
  EXPECT_FALSE(actions.undo->isEnabled());
  EXPECT_EQ(actions.redo->text(), QStringLiteral("Redo OUT 1 · PEQ 3 · Gain"));
  // The pages are told at once.
  EXPECT_THAT(
      f.page(PageSlot::Output).calls,
      ::testing::UnorderedElementsAre(test::call(ChannelFunction::PeqGain, out1, before, 2),
                                      test::call(ChannelFunction::PeqGain, out1 + 2, before, 2)));

  actions.redo->trigger();
  EXPECT_EQ(table.value(gain1), before + 30);
  EXPECT_EQ(table.value(gain3), before + 30);

  // Chinese names the step in Chinese.
  actions.languages[0]->trigger();
  WindowFixture::settle();
  EXPECT_TRUE(actions.undo->text().startsWith(QStringLiteral("撤销 输出1 · ")))
      << actions.undo->text().toStdString();
  actions.languages[2]->trigger();
  WindowFixture::settle();
}

TEST(MainWindow, ShortcutsOfUndoAndRedo) {
  WindowFixture f;
  const MenuActions& actions = f.window->actions();
  EXPECT_EQ(actions.undo->shortcuts(), QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Z"))});
  EXPECT_EQ(actions.redo->shortcuts(),
            (QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Shift+Z")),
                                 QKeySequence(QStringLiteral("Ctrl+Y"))}));
  EXPECT_EQ(plain(f.window->menuAt(MainWindow::MENU_EDIT)->title()), "Edit");
}

// A full read (reconnect, preset recall) and an import replace the table: the history is
// forgotten and the status line says so once.
TEST(MainWindow, AFullReadClearsTheHistoryAndSaysSoOnce) {
  WindowFixture f;
  const int mute = indexOf(ChannelFunction::Mute, 0);
  f.window->edits().apply({0, ChannelFunction::Mute, -1, EditSource::Page}, {{mute, 1}});
  f.window->actions().undo->trigger();
  ASSERT_TRUE(f.window->edits().canRedo());

  f.window->handleNotify(Notify::ReadDone, 0);
  EXPECT_FALSE(f.window->edits().canUndo());
  EXPECT_FALSE(f.window->edits().canRedo());
  EXPECT_FALSE(f.window->actions().redo->isEnabled());
  EXPECT_EQ(f.window->statusText(2), "Undo history cleared");

  f.window->showNotice(QString());
  f.window->handleNotify(Notify::ReadDone, 0); // nothing left to forget: no second notice
  EXPECT_EQ(f.window->statusText(2), QString());
}

TEST(MainWindow, LanguageSwitchRelabelsMenuTabsAndStatus) {
  WindowFixture f;
  test::SilentEvents events;
  f.session->settings().writeSetting(CONFIGURATION_FILE, key::DEMO_DEVICE, 1);
  ASSERT_TRUE(f.session->start(events));
  f.window->handleNotify(Notify::LinkStatus, LINK_FOUND);
  EXPECT_EQ(f.window->statusText(0), "Link Status:Successful");
  EXPECT_EQ(f.window->statusText(1), "Communication:USB");
  EXPECT_EQ(plain(f.window->menuAt(MainWindow::MENU_SYSTEM)->title()), "System");

  f.window->actions().languages[1]->trigger();
  WindowFixture::settle();
  EXPECT_EQ(plain(f.window->menuAt(MainWindow::MENU_SYSTEM)->title()), QStringLiteral("系統"));
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
