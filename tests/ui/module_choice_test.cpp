#include "ui_test_support.h"

#include "ui/dialogs/module_choice_dialog.h"
#include "ui/shell/gui_transport_hooks.h"

#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace kv816 {
namespace {

using test::WindowFixture;

const std::vector<uint32_t> MODULES{0x7F000002, 0xC0A80164, 0x0A000001};

void spinUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < timeoutMs)
    QApplication::processEvents(QEventLoop::AllEvents, 10);
}

QStringList rowsOf(const ModuleChoiceDialog& dialog) {
  QStringList rows;
  for (int i = 0; i < dialog.list()->topLevelItemCount(); ++i)
    rows << dialog.list()->topLevelItem(i)->text(0);
  return rows;
}

// How the user leaves the dialog, and the address the link gets.
struct Answer {
  const char* name;
  int row;          // the row selected before leaving; -1 none
  bool ok;          // OK button, else Cancel
  bool doubleClick; // a double click on `row` instead of a button
  uint32_t expected;
};

void answer(ModuleChoiceDialog& dialog, const Answer& a) {
  QTreeWidgetItem* item = a.row >= 0 ? dialog.list()->topLevelItem(a.row) : nullptr;
  if (item)
    dialog.list()->setCurrentItem(item);
  if (a.doubleClick) {
    emit dialog.list()->itemDoubleClicked(item, 0);
    return;
  }
  auto* box = dialog.findChild<QDialogButtonBox*>();
  box->button(a.ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
}

TEST(ModuleChoiceDialog, ListsTheModulesAndReturnsTheChosenOne) {
  const Answer answers[] = {
      {"ok on the first row", 0, true, false, 0x7F000002},
      {"double click on the middle row", 1, false, true, 0xC0A80164},
      {"cancel after picking a row keeps the last", 0, false, false, 0x0A000001},
      {"ok untouched is the last", -1, true, false, 0x0A000001},
  };
  for (const Answer& a : answers) {
    SCOPED_TRACE(a.name);
    ModuleChoiceDialog dialog(MODULES);
    EXPECT_EQ(rowsOf(dialog), (QStringList{"127.0.0.2", "192.168.1.100", "10.0.0.1"}));
    EXPECT_EQ(dialog.list()->headerItem()->text(0), "Client IP");
    EXPECT_EQ(dialog.chosenAddress(), 0x0A000001u); // the last one until the user acts
    QTimer::singleShot(0, &dialog, [&] { answer(dialog, a); });
    dialog.exec();
    EXPECT_EQ(dialog.chosenAddress(), a.expected);
  }
}

TEST(GuiTransportHooks, WorkerWaitsForTheChoiceAndNoticesReachTheStatusLine) {
  WindowFixture f;
  GuiTransportHooks gui(f.window.get(), [&](const QString& text) { f.window->showNotice(text); });
  const TransportHooks hooks = gui.hooks();
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (auto* dialog = qobject_cast<ModuleChoiceDialog*>(QApplication::activeModalWidget())) {
      poll.stop();
      answer(*dialog, {"ok", 1, true, false, 0});
    }
  });
  poll.start();
  std::atomic<uint32_t> chosen{0};
  std::thread worker([&] {
    hooks.notice("Network link: local UDP port 1010 refused; using 40000");
    chosen = hooks.chooseModule(MODULES);
  });
  spinUntil([&] { return chosen.load() != 0; });
  worker.join();
  WindowFixture::settle();
  EXPECT_EQ(chosen.load(), 0xC0A80164u);
  EXPECT_EQ(f.window->statusText(2), "Network link: local UDP port 1010 refused; using 40000");
}

TEST(GuiTransportHooks, ShutDownReleasesAWaitingWorkerWithTheLastModule) {
  WindowFixture f;
  GuiTransportHooks gui(f.window.get(), {});
  std::atomic<bool> returned{false};
  std::atomic<uint32_t> chosen{0};
  // The GUI thread runs no event loop here: only shutDown can end the call.
  std::thread worker([&] {
    chosen = gui.chooseModule(MODULES);
    returned = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(returned.load());
  gui.shutDown();
  worker.join();
  EXPECT_EQ(chosen.load(), 0x0A000001u);
  WindowFixture::settle(); // the stale queued call shows no dialog after shutDown
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(GuiTransportHooks, ShutDownClosesAnOpenChoice) {
  WindowFixture f;
  GuiTransportHooks gui(f.window.get(), {});
  QTimer::singleShot(20, &gui, [&] { gui.shutDown(); });
  EXPECT_EQ(gui.chooseModule(MODULES), 0x0A000001u); // on the GUI thread: runs the dialog
}

} // namespace
} // namespace kv816
