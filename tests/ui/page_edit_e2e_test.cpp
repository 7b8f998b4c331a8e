// The whole program with its real pages against the in-process simulated device: a click on
// a page reaches the device (its echo confirms the value) and the channels linked with it;
// Undo and Redo of a graph drag do too.

#include "ui_test_support.h"

#include "model/channel_layout.h"
#include "presets/settings.h"
#include "ui/controls/response_graph.h"
#include "ui/controls/skin_button.h"
#include "ui/dialogs/progress_window.h"
#include "ui/pages/gain_page.h"
#include "ui/pages/home_page.h"
#include "ui/shell/qt_link_events.h"
#include "ui/shell/tab_layout.h"

#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace kv816 {
namespace {

using test::waitFor;

// The program on the simulated device after its first full read.
struct DemoProgram {
  QTemporaryDir dir;
  DeviceSession session;
  MainWindow window;
  ProgressWindow progress{&window};
  QtLinkEvents events{window, progress};
  bool readDone = false;

  DemoProgram()
      : session(SettingsFolders{dir.path().toStdString(), dir.path().toStdString(), "kv816"}),
        window(demoSession(session)) {
    window.initialise();
    QObject::connect(&window, &MainWindow::aboutToStopLink, &events, &QtLinkEvents::shutDown);
    QObject::connect(&window, &MainWindow::deviceReadDone, [this] { readDone = true; });
    window.show();
  }
  ~DemoProgram() { window.closeWithoutAsking(); }

  static DeviceSession& demoSession(DeviceSession& session) {
    setCurrentLanguage(LanguageIndex::English);
    session.settings().writeSetting(CONFIGURATION_FILE, key::DEMO_DEVICE, 1);
    return session;
  }
  bool start() {
    return session.start(events) && waitFor([this] { return readDone; }, 30000);
  }
  // Every entry of the channels' blocks holds `values` and the device's echo confirmed it.
  bool confirmed(const std::vector<int>& channels, const std::vector<int>& values) {
    const ParameterTable& table = session.table();
    return waitFor(
        [&] {
          size_t k = 0;
          for (int channel : channels)
            for (int index = blockStart(channel); index <= blockEnd(channel); ++index, ++k)
              if (table.value(index) != values[k] || table.mustSend(index))
                return false;
          return true;
        },
        10000);
  }
  std::vector<int> blocks(const std::vector<int>& channels) {
    std::vector<int> values;
    for (int channel : channels)
      for (int index = blockStart(channel); index <= blockEnd(channel); ++index)
        values.push_back(session.table().value(index));
    return values;
  }
};

void mouse(QWidget* widget, QEvent::Type type, QPoint at) {
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  const Qt::MouseButtons held =
      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
  QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), button, held,
                    Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
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
  auto* home = static_cast<HomePage*>(window.pages().home());
  ASSERT_EQ(home->linkGroup(0), home->linkGroup(1));

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

// One drag of a PEQ point is one step: Undo gives both linked outputs and the device back
// exactly what they held before it, Redo the dragged values.
TEST(PageEditEndToEnd, UndoOfAPeqDragRestoresTheDeviceAndTheLinkedChannel) {
  DemoProgram program;
  ASSERT_TRUE(program.start());
  test::WindowFixture::settle();
  ParameterTable& table = program.session.table();
  const int out1 = INPUT_COUNT;
  const int out2 = INPUT_COUNT + 1;
  table.setParameter(indexOf(ChannelFunction::LinkMask, out2),
                     table.value(indexOf(ChannelFunction::LinkMask, out1)));
  const std::vector<int> channels{out1, out2};
  const std::vector<int> before = program.blocks(channels);
  ASSERT_TRUE(program.confirmed(channels, before));

  program.window.showPageNumber(PAGE_OUTPUT_FIRST + 1);
  test::WindowFixture::settle();
  auto* graph = program.window.pages().output()->findChild<ResponseGraph*>("graph");
  ASSERT_NE(graph, nullptr);
  const int point = 2 + 2; // PEQ 3
  const QPoint from(graph->model().markerX(point), graph->model().markerY(point));
  mouse(graph, QEvent::MouseButtonPress, from);
  for (int step = 1; step <= 5; ++step)
    mouse(graph, QEvent::MouseMove, from + QPoint(12 * step, -8 * step));
  mouse(graph, QEvent::MouseButtonRelease, from + QPoint(60, -40));
  test::WindowFixture::settle();

  const std::vector<int> dragged = program.blocks(channels);
  ASSERT_NE(dragged, before);
  const size_t half = before.size() / 2;
  EXPECT_TRUE(std::equal(dragged.begin(), dragged.begin() + half, dragged.begin() + half))
      << "output 1 follows output 2";
  ASSERT_TRUE(program.confirmed(channels, dragged));
  EXPECT_EQ(program.window.edits().undoDepth(), 1u);
  EXPECT_EQ(program.window.actions().undo->text(), QStringLiteral("Undo OUT 2 · PEQ 3 · Gain"));

  program.window.actions().undo->trigger();
  EXPECT_TRUE(program.confirmed(channels, before));
  program.window.actions().redo->trigger();
  EXPECT_TRUE(program.confirmed(channels, dragged));
}

} // namespace
} // namespace kv816
