// The whole program with its real pages against the in-process simulated device: a click on
// a page reaches the device (its echo confirms the value) and the channels linked with it.

#include "ui_test_support.h"

#include "model/channel_layout.h"
#include "presets/settings.h"
#include "ui/controls/skin_button.h"
#include "ui/dialogs/progress_window.h"
#include "ui/pages/gain_page.h"
#include "ui/shell/qt_link_events.h"

#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

namespace kv816 {
namespace {

bool waitFor(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < timeoutMs)
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

TEST(PageEditEndToEnd, AClickOnThePageReachesTheDeviceAndTheLinkedChannel) {
  setCurrentLanguage(LanguageIndex::English);
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString();
  DeviceSession session(SettingsFolders{path, path, "kv816"});
  session.settings().writeSetting(CONFIGURATION_FILE, key::DEMO_DEVICE, 1);
  MainWindow window(session);
  window.initialise();
  ProgressWindow progress(&window);
  QtLinkEvents events(window, progress);
  QObject::connect(&window, &MainWindow::aboutToStopLink, &events, &QtLinkEvents::shutDown);
  bool readDone = false;
  QObject::connect(&window, &MainWindow::deviceReadDone, [&readDone] { readDone = true; });
  window.show();
  ASSERT_TRUE(session.start(events));
  ASSERT_TRUE(waitFor([&] { return readDone; }, 30000));
  test::WindowFixture::settle();

  // Inputs A and B in one link group, and the home page told so.
  ParameterTable& table = session.table();
  const int linkA = indexOf(ChannelFunction::LinkMask, 0);
  const int linkB = indexOf(ChannelFunction::LinkMask, 1);
  table.setParameter(linkB, table.value(linkA));
  window.handleNotify(Notify::ParameterChanged, linkB);
  ASSERT_EQ(window.pages().home()->linkGroup(0), window.pages().home()->linkGroup(1));

  window.showPageNumber(1);
  test::WindowFixture::settle();
  auto* gain = static_cast<GainPage*>(window.pages().gain());
  const int muteA = indexOf(ChannelFunction::Mute, 0);
  const int muteB = indexOf(ChannelFunction::Mute, 1);
  const int before = table.value(muteA);
  QTest::mouseClick(gain->muteButton(0), Qt::LeftButton);
  const auto confirmed = [&](int index) {
    return table.value(index) != before && !table.mustSend(index);
  };
  EXPECT_TRUE(waitFor([&] { return confirmed(muteA) && confirmed(muteB); }, 10000))
      << "input A " << table.value(muteA) << (table.mustSend(muteA) ? " unconfirmed" : "")
      << ", input B " << table.value(muteB) << (table.mustSend(muteB) ? " unconfirmed" : "");
  EXPECT_EQ(gain->muteButton(1)->checkState(), gain->muteButton(0)->checkState());

  window.closeWithoutAsking();
  EXPECT_FALSE(session.isRunning());
}

} // namespace
} // namespace kv816
