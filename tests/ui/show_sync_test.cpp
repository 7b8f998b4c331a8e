// A show file against the demo device: the comparison lists exactly the entries the file
// changed, and each choice leaves show, table and device as it says; requests made while
// the device is unplugged are refused at once and none of them reaches it later.

#include "ui_test_support.h"

#include "edit/param_names.h"
#include "edit/param_values.h"
#include "edit/table_diff.h"
#include "i18n/text.h"
#include "link/packet.h"
#include "model/channel_layout.h"
#include "presets/preset_file.h"
#include "presets/settings.h"
#include "sim/frame_parser.h"
#include "sim/net_endpoints.h"
#include "sim/simulated_device.h"
#include "ui/controls/level_meter.h"
#include "ui/controls/ui_text.h"
#include "ui/dialogs/compare_dialog.h"
#include "ui/dialogs/progress_window.h"
#include "ui/shell/qt_link_events.h"
#include "ui/shell/show_controller.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

namespace kv816 {
namespace {

using test::MessageCatcher;
using test::WindowFixture;

using test::waitFor;

void runEventsFor(int ms) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms)
    QApplication::processEvents(QEventLoop::AllEvents, 20);
}

std::vector<int32_t> deviceTable(SimulatedDevice& device) {
  const DeviceValues table = device.state().table;
  return {table.begin(), table.end()};
}

std::vector<int32_t> tableOf(DeviceSession& session) {
  std::vector<int32_t> values(PARAM_COUNT);
  for (int i = 0; i < PARAM_COUNT; ++i)
    values[static_cast<size_t>(i)] = session.table().value(i);
  return values;
}

// The worker's messages answered Ok without a box, so that a test waiting in its own event
// loop is never held by a modal one; everything else goes to the window.
class AnsweringEvents : public LinkEvents {
public:
  explicit AnsweringEvents(LinkEvents& inner) : inner_(inner) {}
  void post(Notify what, int arg) override { inner_.post(what, arg); }
  void send(Notify what, int arg) override { inner_.send(what, arg); }
  MessageButton showMessage(MessageKind, const std::string&, const std::string& caption) override {
    const std::lock_guard lock(mutex_);
    captions_.push_back(caption);
    return MessageButton::Ok;
  }
  ProgressView& progress() override { return inner_.progress(); }
  std::vector<std::string> captions() {
    const std::lock_guard lock(mutex_);
    return captions_;
  }

private:
  LinkEvents& inner_;
  std::mutex mutex_;
  std::vector<std::string> captions_;
};

// The window with the demo device connected and read.
struct DemoWindow {
  WindowFixture f;
  ProgressWindow progress{f.window.get()};
  QtLinkEvents qtEvents{*f.window, progress};
  AnsweringEvents events{qtEvents};

  DemoWindow() {
    f.session->settings().writeSetting(CONFIGURATION_FILE, key::DEMO_DEVICE, 1);
    QObject::connect(f.window.get(), &MainWindow::aboutToStopLink, &qtEvents,
                     &QtLinkEvents::shutDown);
  }
  // The worker stops before the events it reports to go away.
  ~DemoWindow() { f.window->closeWithoutAsking(); }
  bool start() { return f.session->start(events) && waitUntilOnline(); }
  bool waitUntilOnline() {
    // The read reaches the window just before the worker's main loop takes requests.
    return waitFor(
        [&] { return show().state() == ShowController::State::Online && f.session->isConnected(); },
        30000);
  }
  ShowController& show() { return f.window->showController(); }
  SimulatedDevice& device() { return *f.session->demoDevice(); }
};

// The device's values with three entries changed, as `kv816ctl jib set` would write them.
std::vector<int32_t> showOf(std::vector<int32_t> values) {
  for (const auto& [name, text] : {std::pair{"in1.mute", "on"}, std::pair{"out2.peq3.gain", "-3dB"},
                                   std::pair{"out8.hpf.freq", "80Hz"}}) {
    const ParamRef ref = *parseParamName(name);
    values[static_cast<size_t>(ref.index)] = *parseParamValue(ref.kind, text).raw;
  }
  return values;
}

// Collects the rows of the next comparison dialog and answers it with `choice`.
struct SyncAnswer {
  bool seen = false;
  std::vector<std::string> rows; // "OUT 2 · PEQ 3 · Gain"
  QTimer poll;

  explicit SyncAnswer(int choice) {
    QObject::connect(&poll, &QTimer::timeout, [this, choice] {
      auto* dialog = qobject_cast<CompareDialog*>(QApplication::activeModalWidget());
      if (!dialog)
        return;
      poll.stop();
      seen = true;
      for (int g = 0; g < dialog->list().topLevelItemCount(); ++g) {
        const QTreeWidgetItem* group = dialog->list().topLevelItem(g);
        for (int c = 0; c < group->childCount(); ++c)
          rows.push_back((group->text(0) + " · " + group->child(c)->text(0)).toStdString());
      }
      dialog->findChild<QPushButton*>(QStringLiteral("choice%1").arg(choice))->click();
    });
    poll.start(20);
  }
};

TEST(ShowSync, OpeningAShowWhileOnlineListsItsDifferencesAndEachChoiceDoesWhatItSays) {
  for (int choice : {CompareDialog::SEND_FILE, CompareDialog::TAKE_DEVICE}) {
    SCOPED_TRACE(choice);
    DemoWindow w;
    ShowController& show = w.show();
    EXPECT_TRUE(show.stateText().startsWith("Offline")) << show.stateText().toStdString();
    ASSERT_TRUE(w.start());
    EXPECT_TRUE(show.stateText().startsWith("Online")) << show.stateText().toStdString();

    const std::vector<int32_t> values = showOf(deviceTable(w.device()));
    const QString path = w.f.dir.filePath("show.jib");
    PresetFile file(w.f.session->settings().folders());
    file.setModelId(DEVICE_ID);
    ASSERT_EQ(file.savePreset(path.toStdString(), values), PresetResult::Done);

    SyncAnswer answer(choice);
    ASSERT_TRUE(show.openShow(path));
    ASSERT_TRUE(answer.seen);
    EXPECT_EQ(answer.rows, (std::vector<std::string>{"IN A · Mute", "OUT 2 · PEQ 3 · Gain",
                                                     "OUT 8 · HPF · Freq"}));

    if (choice == CompareDialog::SEND_FILE) {
      // The import's read-back: the device holds the file, and the pages show it.
      ASSERT_TRUE(waitFor(
          [&] {
            return compareTables(values, deviceTable(w.device())).empty() && !show.outOfSync() &&
                   !w.events.captions().empty();
          },
          30000));
      EXPECT_TRUE(compareTables(values, tableOf(*w.f.session)).empty());
      EXPECT_EQ(w.events.captions().front(), langText(Text::ImportSuccessful));
      EXPECT_FALSE(show.show().modified());
    } else {
      EXPECT_FALSE(show.outOfSync());
      EXPECT_TRUE(show.show().modified()); // the file no longer holds what the pages show
      EXPECT_EQ(w.f.session->table().value(parseParamName("in1.mute")->index), 0);
      // Saved, the show is the device's table word for word.
      const QString taken = w.f.dir.filePath("taken.jib");
      ASSERT_TRUE(show.saveShow(taken));
      PresetFile saved(w.f.session->settings().folders());
      ASSERT_EQ(saved.readPreset(taken.toStdString()), PresetResult::Done);
      const std::vector<int32_t> device = deviceTable(w.device());
      for (int i = 0; i < PARAM_COUNT; ++i) {
        if (isComparedEntry(i)) {
          ASSERT_EQ(saved.values()[static_cast<size_t>(i)] & 0xFFFF, device[size_t(i)])
              << "index " << i;
        }
      }
      EXPECT_FALSE(show.show().modified());
    }
    EXPECT_TRUE(show.stateText().startsWith("Online")) << show.stateText().toStdString();
  }
}

// Frames from the program that would change the device: writes other than the keep-alive,
// recalls and name stores.
struct ChangeCounter {
  std::atomic<int> changes{0};

  void watch(SimulatedDevice& device) {
    device.setFrameObserver([this](FrameDirection direction, std::span<const uint8_t> bytes) {
      if (direction != FrameDirection::In)
        return;
      FrameParser parser;
      for (const Frame& frame : parser.feed(bytes)) {
        const bool keepAlive = frame.command == cmd::WRITE && frame.payload.size() == 4 &&
                               (frame.payload[0] << 8 | frame.payload[1]) == IDX_HOST_ALIVE;
        if ((frame.command == cmd::WRITE && !keepAlive) || frame.command == cmd::RECALL ||
            frame.command == cmd::STORE_NAME)
          changes.fetch_add(1);
      }
    });
  }
};

TEST(ShowSync, StayOfflineStopsTheLinkAndGoingOnlineComparesAgainWithTheEditsMadeMeanwhile) {
  DemoWindow w;
  ASSERT_TRUE(w.start());
  ShowController& show = w.show();
  const QString path = w.f.dir.filePath("show.jib");
  PresetFile file(w.f.session->settings().folders());
  file.setModelId(DEVICE_ID);
  ASSERT_EQ(file.savePreset(path.toStdString(), showOf(deviceTable(w.device()))),
            PresetResult::Done);
  {
    SyncAnswer stay(CompareDialog::STAY_OFFLINE);
    ASSERT_TRUE(show.openShow(path));
    ASSERT_TRUE(stay.seen);
  }
  EXPECT_FALSE(w.f.session->isRunning());
  EXPECT_EQ(show.state(), ShowController::State::Offline);
  EXPECT_TRUE(show.stateText().startsWith("Offline: show.jib")) << show.stateText().toStdString();
  EXPECT_EQ(w.f.window->statusText(0), uiText(Text::StateOffline));

  std::atomic<int> frames{0};
  w.device().setFrameObserver([&](FrameDirection direction, std::span<const uint8_t>) {
    if (direction == FrameDirection::In)
      frames.fetch_add(1);
  });
  const int out4 = INPUT_COUNT + 3;
  const int mute = indexOf(ChannelFunction::Mute, out4);
  const int32_t deviceMute = deviceTable(w.device())[static_cast<size_t>(mute)];
  w.f.window->edits().apply({out4, ChannelFunction::Mute, -1, EditSource::Page},
                            {{mute, deviceMute == 0 ? 1 : 0}});
  runEventsFor(600); // several cycles of a main loop, were one running
  EXPECT_EQ(frames.load(), 0);
  EXPECT_EQ(deviceTable(w.device())[static_cast<size_t>(mute)], deviceMute);
  w.device().setFrameObserver({});

  SyncAnswer take(CompareDialog::TAKE_DEVICE);
  show.goOnline();
  ASSERT_TRUE(waitFor([&] { return take.seen; }, 30000));
  EXPECT_EQ(take.rows, (std::vector<std::string>{"IN A · Mute", "OUT 2 · PEQ 3 · Gain",
                                                 "OUT 4 · Mute", "OUT 8 · HPF · Freq"}));
  ASSERT_TRUE(w.waitUntilOnline());
  EXPECT_EQ(w.f.session->table().value(mute), deviceMute);
}

TEST(ShowSync, RequestsWhileUnpluggedAreRefusedAtOnceAndNothingRunsWhenTheCableReturns) {
  DemoWindow w;
  ASSERT_TRUE(w.start());
  ChangeCounter counter;
  counter.watch(w.device());
  w.device().setUnplugged(true);
  ASSERT_TRUE(waitFor(
      [&] {
        return !w.f.session->isConnected() && w.show().state() != ShowController::State::Online;
      },
      30000));
  // The worker searches for the device again: not simply offline.
  EXPECT_EQ(w.show().state(), ShowController::State::Connecting);
  EXPECT_TRUE(w.show().indicator().text().startsWith("Connecting"))
      << w.show().indicator().text().toStdString();

  const MenuActions& actions = w.f.window->actions();
  for (QAction* request : {actions.importFile, actions.exportFile, actions.load}) {
    SCOPED_TRACE(request->text().toStdString());
    MessageCatcher catcher;
    catcher.answerNext(QMessageBox::Ok);
    request->trigger();
    EXPECT_EQ(catcher.shown, 1);
    EXPECT_EQ(catcher.text, uiText(Text::NoDevice));
  }

  w.device().setUnplugged(false);
  ASSERT_TRUE(w.waitUntilOnline());
  runEventsFor(600); // several main-loop cycles with their task passes
  EXPECT_EQ(counter.changes.load(), 0);
}

// The real pages over the demo device: their meters move while it answers; unplugged, they
// drop to zero and grey out instead of freezing at the last level.
TEST(ShowSync, MetersDropToZeroAndGreyOutWhenTheDeviceIsLost) {
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString();
  DeviceSession session(SettingsFolders{folder, folder, "kv816"});
  session.settings().writeSetting(CONFIGURATION_FILE, key::DEMO_DEVICE, 1);
  MainWindow window(session);
  window.initialise();
  ProgressWindow progress(&window);
  QtLinkEvents qtEvents(window, progress);
  AnsweringEvents events(qtEvents);
  QObject::connect(&window, &MainWindow::aboutToStopLink, &qtEvents, &QtLinkEvents::shutDown);
  const struct StopFirst {
    MainWindow& window;
    ~StopFirst() { window.closeWithoutAsking(); }
  } stopFirst{window};
  window.showPageNumber(1); // the gain page: every channel's meter
  const QList<LevelMeter*> meters = window.findChildren<LevelMeter*>();
  ASSERT_FALSE(meters.isEmpty());
  WindowFixture::settle();
  for (const LevelMeter* meter : meters)
    EXPECT_FALSE(meter->isEnabled()); // no device yet

  ASSERT_TRUE(session.start(events));
  const auto anyLit = [&] {
    return std::any_of(meters.begin(), meters.end(),
                       [](const LevelMeter* m) { return m->isEnabled() && m->mask() != 0; });
  };
  ASSERT_TRUE(waitFor(anyLit, 30000));

  session.demoDevice()->setUnplugged(true);
  ASSERT_TRUE(waitFor(
      [&] { return window.showController().state() != ShowController::State::Online; }, 30000));
  WindowFixture::settle();
  for (const LevelMeter* meter : meters) {
    EXPECT_FALSE(meter->isEnabled());
    EXPECT_EQ(meter->mask(), 0u);
  }
}

// Online over the network, the indicator names the link, the device and the module's
// address; the module is the simulated one on loopback.
TEST(ShowSync, OnlineOverTheNetworkTheIndicatorShowsTheModuleAddress) {
  SimulatedDevice device;
  TcpEndpoint tcp(device);
  UdpEndpoint udp(device);
  std::string error;
  ASSERT_TRUE(tcp.start("127.0.0.1", 0, error)) << error;
  ASSERT_TRUE(udp.start("127.0.0.1", 0, error)) << error;
  DemoWindow w;
  const Settings& settings = w.f.session->settings();
  settings.writeSetting(CONFIGURATION_FILE, key::DEMO_DEVICE, 0);
  settings.writeSetting(CONFIGURATION_FILE, key::LINK_TYPE, LINK_NETWORK);
  settings.writeText(CONFIGURATION_FILE, key::NET_BROADCAST_ADDRESS, "127.0.0.1");
  settings.writeSetting(CONFIGURATION_FILE, key::NET_SWEEP, 0);
  settings.writeSetting(CONFIGURATION_FILE, key::NET_UDP_PORT, udp.port());
  settings.writeSetting(CONFIGURATION_FILE, key::NET_LOCAL_UDP_PORT, 0);
  settings.writeSetting(CONFIGURATION_FILE, key::NET_TCP_PORT, tcp.port());
  ASSERT_TRUE(w.start());
  EXPECT_EQ(w.show().stateText(),
            QStringLiteral("Online · Network · KV816 · 127.0.0.1:%1").arg(tcp.port()));
  EXPECT_EQ(w.show().indicator().text(), w.show().stateText());
}

} // namespace
} // namespace kv816
