// The remote API served by the desktop program, end to end: WebSocket clients on loopback,
// the program's real pages and edit session, the in-process simulated device.

#include "ui_test_support.h"

#include "api/api_settings.h"
#include "api/ws_test_client.h"
#include "model/channel_layout.h"
#include "model/encodings.h"
#include "presets/settings.h"
#include "sim/simulated_device.h"
#include "ui/controls/skin_button.h"
#include "ui/controls/slider.h"
#include "ui/dialogs/progress_window.h"
#include "ui/pages/gain_page.h"
#include "ui/shell/gui_api_host.h"
#include "ui/shell/qt_link_events.h"
#include "ui/shell/tab_layout.h"

#include <QAction>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTest>
#include <gtest/gtest.h>

namespace kv816 {
namespace {

using nlohmann::json;
using test::WsTestClient;

using test::waitFor;

uint16_t freeLoopbackPort() {
  QTcpServer probe;
  return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

// The whole program on the simulated device, serving the API on a free loopback port.
struct RemoteProgram {
  QTemporaryDir dir;
  DeviceSession session;
  MainWindow window;
  ProgressWindow progress{&window};
  QtLinkEvents events{window, progress};

  RemoteProgram()
      : session(SettingsFolders{dir.path().toStdString(), dir.path().toStdString(), "kv816"}),
        window(demoSession(session)) {
    window.initialise();
    QObject::connect(&window, &MainWindow::aboutToStopLink, &events, &QtLinkEvents::shutDown);
    window.show();
  }
  ~RemoteProgram() { window.closeWithoutAsking(); }

  static DeviceSession& demoSession(DeviceSession& session) {
    setCurrentLanguage(LanguageIndex::English);
    session.settings().writeSetting(CONFIGURATION_FILE, key::DEMO_DEVICE, 1);
    return session;
  }
  // Serving, and the API says the device is online.
  bool start() {
    ApiSettings settings;
    settings.port = freeLoopbackPort();
    QString error;
    if (!window.apiHost().start(settings, error) || !session.start(events))
      return false;
    auto probe = client();
    // Asked every 100 ms: well inside a client's message rate.
    for (int id = 1; probe && id <= 300; ++id) {
      const auto state = call(*probe, id, "state");
      if (state && (*state)["result"]["state"] == "online")
        return true;
      QTest::qWait(100);
    }
    return false;
  }
  std::unique_ptr<WsTestClient> client() {
    auto c = std::make_unique<WsTestClient>();
    return c->connect(window.apiHost().port()) ? std::move(c) : nullptr;
  }
  // The first message that matches, while the GUI thread runs the server's jobs.
  static std::optional<json> next(WsTestClient& c,
                                  const std::function<bool(const json&)>& matches) {
    QElapsedTimer clock;
    clock.start();
    std::optional<json> found;
    while (!(found = c.next(matches, std::chrono::milliseconds(0))) && clock.elapsed() < 10000)
      QApplication::processEvents(QEventLoop::AllEvents, 10);
    return found;
  }
  static std::optional<json> call(WsTestClient& c, int id, const std::string& method,
                                  const json& params = json::object()) {
    c.send(json{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}}.dump());
    return next(c, [id](const json& m) { return m.value("id", json()) == id; });
  }
  GainPage& gainPage() {
    window.showPageNumber(PAGE_GAIN);
    test::WindowFixture::settle();
    return *static_cast<GainPage*>(window.pages().gain());
  }
};

auto changedFrom(const std::string& name, int raw) {
  return [name, raw](const json& m) {
    return m.value("method", "") == "changed" && m["params"]["values"].contains(name) &&
           m["params"]["values"][name]["raw"] != raw;
  };
}

TEST(ApiInTheDesktop, RemoteSetReachesTheDeviceThePageAndTheUndoMenu) {
  RemoteProgram program;
  ASSERT_TRUE(program.start());
  GainPage& gain = program.gainPage();
  auto c = program.client();
  ASSERT_TRUE(c);
  const int in1Gain = indexOf(ChannelFunction::Gain, 0);
  const int in1Mute = indexOf(ChannelFunction::Mute, 0);
  const SimulatedDevice& device = *program.session.demoDevice();
  const int original = device.value(in1Gain);
  const int muteShown = gain.muteButton(0)->checkState();

  const auto reply =
      RemoteProgram::call(*c, 2, "set", {{"values", {{"in1.gain", "-6dB"}, {"in1.mute", "on"}}}});
  ASSERT_TRUE(reply && reply->contains("result")) << (reply ? reply->dump() : "no reply");
  EXPECT_EQ((*reply)["result"]["in1.gain"]["text"], "-6.0dB");
  EXPECT_EQ(device.value(in1Gain), encodeChannelGain(-6.0));
  EXPECT_EQ(device.value(in1Mute), (*reply)["result"]["in1.mute"]["raw"]);
  test::WindowFixture::settle();
  EXPECT_EQ(gain.fader(0)->value(), encodeChannelGain(-6.0) - CHANNEL_GAIN_ZERO);
  EXPECT_NE(gain.muteButton(0)->checkState(), muteShown);
  EXPECT_TRUE(program.window.actions().undo->text().startsWith(QStringLiteral("Undo Remote: ")))
      << program.window.actions().undo->text().toStdString();

  // Undo is the desktop's: the device gets the old value back.
  program.window.actions().undo->trigger();
  EXPECT_TRUE(waitFor([&] { return device.value(in1Gain) == original; }));
}

TEST(ApiInTheDesktop, AnEditOnThePageReachesSubscribedClients) {
  RemoteProgram program;
  ASSERT_TRUE(program.start());
  GainPage& gain = program.gainPage();
  auto c = program.client();
  ASSERT_TRUE(c);
  ASSERT_TRUE(RemoteProgram::call(*c, 1, "subscribe", {{"parameters", true}}));
  const int out1Mute = indexOf(ChannelFunction::Mute, INPUT_COUNT);
  const int before = program.session.table().wireValue(out1Mute);

  QTest::mouseClick(gain.muteButton(INPUT_COUNT), Qt::LeftButton);
  EXPECT_TRUE(RemoteProgram::next(*c, changedFrom("out1.mute", before)));
}

// The delay page has the device read no levels; a client that asked for them still gets
// fresh ones, and the page's own choice returns when it no longer asks.
TEST(ApiInTheDesktop, RemoteMetersMoveWhateverPageTheWindowShows) {
  RemoteProgram program;
  ASSERT_TRUE(program.start());
  auto c = program.client();
  ASSERT_TRUE(c);
  ASSERT_TRUE(RemoteProgram::call(*c, 1, "subscribe", {{"meters", 20}}));
  program.window.showPageNumber(PAGE_DELAY);
  const auto meters = [](const json& m) { return m.value("method", "") == "meters"; };
  const std::optional<json> first = RemoteProgram::next(*c, meters);
  ASSERT_TRUE(first);
  EXPECT_TRUE(RemoteProgram::next(*c, [&](const json& m) {
    return meters(m) && m["params"] != (*first)["params"];
  })) << "the levels are read from the device, not left as they were";
  ASSERT_TRUE(RemoteProgram::call(*c, 2, "unsubscribe", {{"meters", true}}));
  EXPECT_EQ(program.session.link().state().meterView.load(), PAGE_DELAY);
}

} // namespace
} // namespace kv816
