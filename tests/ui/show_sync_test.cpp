// A show file opened while the demo device is online: the comparison comes first, and
// each choice leaves show, table and device as it says.

#include "ui_test_support.h"

#include "edit/table_diff.h"
#include "model/factory_defaults.h"
#include "presets/preset_file.h"
#include "presets/settings.h"
#include "ui/dialogs/compare_dialog.h"
#include "ui/dialogs/progress_window.h"
#include "ui/shell/qt_link_events.h"
#include "ui/shell/show_controller.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace kv816 {
namespace {

using test::WindowFixture;

bool waitFor(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < timeoutMs)
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

std::vector<int32_t> tableOf(DeviceSession& session) {
  std::vector<int32_t> values(PARAM_COUNT);
  for (int i = 0; i < PARAM_COUNT; ++i)
    values[static_cast<size_t>(i)] = session.table().value(i);
  return values;
}

TEST(ShowSync, OpeningAShowWhileOnlineListsItsDifferencesAndTakeKeepsTheDevice) {
  for (int choice : {CompareDialog::TAKE_DEVICE}) {
    SCOPED_TRACE(choice);
    WindowFixture f;
    f.session->settings().writeSetting(CONFIGURATION_FILE, key::DEMO_DEVICE, 1);
    ProgressWindow progress(f.window.get());
    QtLinkEvents events(*f.window, progress);
    QObject::connect(f.window.get(), &MainWindow::aboutToStopLink, &events,
                     &QtLinkEvents::shutDown);
    ShowController& show = f.window->showController();

    // A show prepared at a desk: the factory's values with three changes.
    std::vector<int32_t> values(factoryDefaults().begin(), factoryDefaults().end());
    values[21] = 1;    // in1.mute
    values[793] -= 30; // out2.peq3.gain
    values[707] = 3;   // out1.routing
    const QString path = f.dir.filePath("show.jib");
    PresetFile file(f.session->settings().folders());
    file.setModelId(DEVICE_ID);
    ASSERT_EQ(file.savePreset(path.toStdString(), values), PresetResult::Done);
    EXPECT_TRUE(show.stateText().startsWith("Offline")) << show.stateText().toStdString();
    ASSERT_TRUE(f.session->start(events));
    ASSERT_TRUE(waitFor([&] { return f.session->isConnected(); }, 30000));
    EXPECT_TRUE(show.stateText().startsWith("Online")) << show.stateText().toStdString();

    int listed = -1;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<CompareDialog*>(QApplication::activeModalWidget());
      if (!dialog)
        return;
      listed = 0;
      for (int g = 0; g < dialog->list().topLevelItemCount(); ++g)
        listed += dialog->list().topLevelItem(g)->childCount();
      dialog->findChild<QPushButton*>(QStringLiteral("choice%1").arg(choice))->click();
    });
    poll.start(20);
    ASSERT_TRUE(show.openShow(path));
    ASSERT_TRUE(waitFor([&] { return listed >= 0; }, 30000));
    poll.stop();
    // The device starts from its own values; the list is the show against them.
    EXPECT_EQ(listed, 3);
    if (choice == CompareDialog::TAKE_DEVICE) {
      EXPECT_FALSE(show.outOfSync());
      EXPECT_TRUE(show.show().modified()); // the file no longer holds what the pages show
      EXPECT_EQ(f.session->table().value(21), 0);
    } else {
      ASSERT_TRUE(waitFor(
          [&] { return compareTables(values, tableOf(*f.session)).empty() && !show.outOfSync(); },
          30000));
      EXPECT_FALSE(show.show().modified());
    }
    EXPECT_TRUE(show.stateText().startsWith("Online")) << show.stateText().toStdString();
  }
}

} // namespace
} // namespace kv816
