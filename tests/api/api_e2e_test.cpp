// The remote API end to end: WebSocket clients and OSC over loopback, the service on an
// editing-thread loop, the link worker and the simulated device in-process.

#include <gtest/gtest.h>

#include <asio.hpp>

#include <atomic>
#include <cstdlib>
#include <thread>

#include "api/api_service.h"
#include "api/listen_address.h"
#include "api/osc_codec.h"
#include "api/osc_server.h"
#include "api/worker_api_host.h"
#include "link/transports/loopback_transport.h"
#include "model/channel_layout.h"
#include "model/encodings.h"
#include "sim/sim_loopback.h"
#include "ws_test_client.h"

namespace kv816 {
namespace {

using nlohmann::json;
using namespace std::chrono_literals;
using test::WsTestClient;

constexpr int OUT2 = 5;

bool hasError(const std::optional<json>& reply, int code) {
  return reply && reply->contains("error") && (*reply)["error"]["code"] == code;
}

class ApiEndToEndTest : public ::testing::Test {
protected:
  void SetUp() override { start({}); }
  void TearDown() override { finish(); }

  void start(const std::string& token) {
    std::filesystem::create_directories(folder);
    LinkConfig config;
    config.linkType = LINK_USB;
    host = std::make_unique<WorkerApiHost>(
        queue, config,
        [this](const TransportContext& ctx) {
          return std::make_unique<LoopbackTransport>(ctx.link, deviceResponder(device));
        },
        SettingsFolders{folder, folder, "kv816"});
    WebSocketOptions options;
    options.port = 0;
    options.token = token;
    service = std::make_unique<ApiService>(
        *host, options, [this](std::function<void()> job) { queue.post(std::move(job)); });
    host->setDeviceChangeSink([this](int index) { service->onDeviceChanged(index); });
    std::string error;
    ASSERT_TRUE(service->start(error)) << error;
    ASSERT_TRUE(host->start());
    editing = std::thread([this] {
      while (!stopping) {
        queue.runFor(10ms);
        service->poll();
      }
    });
    ASSERT_TRUE(host->worker().waitUntilRunning(20s));
    WsTestClient probe;
    ASSERT_TRUE(probe.connect(service->port(), {{"Authorization", "Bearer " + token}}));
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < deadline) {
      const std::optional<json> state = probe.call(1, "state");
      if (state && (*state)["result"]["state"] == "online")
        return;
      std::this_thread::sleep_for(100ms);
    }
    FAIL() << "the device never came online";
  }
  void finish() {
    if (osc)
      queueAndWait([this] { osc.reset(); });
    stopping = true;
    if (editing.joinable())
      editing.join();
    service.reset();
    queue.clear();
    host.reset();
    std::filesystem::remove_all(folder);
  }
  // Runs `job` on the editing thread and waits for it.
  void queueAndWait(std::function<void()> job) {
    std::atomic<bool> done{false};
    queue.post([&] {
      job();
      done = true;
    });
    while (!done)
      std::this_thread::sleep_for(1ms);
  }
  std::unique_ptr<WsTestClient> client() {
    auto c = std::make_unique<WsTestClient>();
    EXPECT_TRUE(c->connect(service->port()));
    return c;
  }

  std::filesystem::path folder = std::filesystem::temp_directory_path() / "kv816_api_e2e";
  SimulatedDevice device;
  JobQueue queue;
  std::unique_ptr<WorkerApiHost> host;
  std::unique_ptr<ApiService> service;
  std::unique_ptr<OscServer> osc;
  std::thread editing;
  std::atomic<bool> stopping{false};
  const int peqGain = indexOf(ChannelFunction::PeqGain, OUT2, 2);
  const int in1Gain = indexOf(ChannelFunction::Gain, 0);
};

TEST_F(ApiEndToEndTest, SetFromTheApiIsAnsweredWithTheValuesTheDeviceHolds) {
  auto c = client();
  const std::optional<json> reply =
      c->call(2, "set", {{"values", {{"out2.peq3.gain", "-3dB"}, {"in1.gain", -6.5}}}});
  ASSERT_TRUE(reply && reply->contains("result")) << (reply ? reply->dump() : "no reply");
  EXPECT_EQ((*reply)["result"]["out2.peq3.gain"]["text"], "-3.0dB");
  EXPECT_EQ(device.value(peqGain), encodeEqGain(-3.0));
  EXPECT_EQ(device.value(in1Gain), host->table().wireValue(in1Gain));
  const std::optional<json> got = c->call(3, "get", {{"names", {"out2.peq3.gain"}}});
  EXPECT_EQ((*got)["result"]["out2.peq3.gain"]["raw"], encodeEqGain(-3.0));
}

TEST_F(ApiEndToEndTest, ClientsSeeEachOthersEditsAndEditsFromTheEditSession) {
  auto a = client();
  auto b = client();
  for (WsTestClient* c : {a.get(), b.get()})
    ASSERT_TRUE(c->call(1, "subscribe", {{"parameters", true}}));
  auto changedTo = [](const std::string& name, const std::string& text) {
    return [name, text](const json& m) {
      return m.value("method", "") == "changed" && m["params"]["values"].contains(name) &&
             m["params"]["values"][name]["text"] == text;
    };
  };
  queueAndWait([this] {
    host->editSession().apply({OUT2, ChannelFunction::PeqGain, 2, EditSource::Page},
                              {{peqGain, encodeEqGain(-4.5)}});
  });
  EXPECT_TRUE(a->next(changedTo("out2.peq3.gain", "-4.5dB")));
  EXPECT_TRUE(b->next(changedTo("out2.peq3.gain", "-4.5dB")));
  ASSERT_TRUE(a->call(2, "set", {{"values", {{"in1.gain", "-2dB"}}}}));
  EXPECT_TRUE(b->next(changedTo("in1.gain", "-2.0dB")));
}

TEST_F(ApiEndToEndTest, BadInputsAreAnsweredAndTheServerKeepsServing) {
  auto c = client();
  struct Case {
    std::string text;
    int code;
  };
  const Case cases[] = {
      {"{not json", -32700},
      {R"({"jsonrpc":"2.0","id":5,"method":"shutdown"})", -32601},
      {R"({"jsonrpc":"2.0","id":5,"method":"set","params":{"values":{"out2.peq3.gain":"+99dB"}}})",
       -32602},
      {R"({"jsonrpc":"2.0","id":5,"method":"export","params":{"file":"../../etc/x"}})", -32602},
      {R"({"jsonrpc":"2.0","id":5,"method":"get","params":{"names":[true]}})", -32602},
  };
  const uint16_t before = device.value(peqGain);
  for (const Case& k : cases) {
    c->send(k.text);
    const std::optional<json> reply = c->next([](const json& m) { return m.contains("error"); });
    EXPECT_TRUE(hasError(reply, k.code)) << k.text << " -> " << (reply ? reply->dump() : "none");
  }
  EXPECT_EQ(device.value(peqGain), before);
  EXPECT_FALSE(c->waitClosed(10ms));

  auto big = client();
  big->send(std::string(WebSocketServer::MAX_MESSAGE + 1, ' '));
  EXPECT_EQ(big->waitClosed(), 1009) << "an over-size frame closes that client";

  std::vector<std::unique_ptr<WsTestClient>> more;
  for (int i = 0; i < WebSocketServer::MAX_CLIENTS - 1; ++i)
    more.push_back(client());
  WsTestClient ninth;
  EXPECT_FALSE(ninth.connect(service->port()));
  more.clear();

  for (int i = 0; i < 300; ++i)
    c->send(R"({"jsonrpc":"2.0","method":"info"})");
  EXPECT_TRUE(hasError(c->next([](const json& m) { return m.contains("error"); }), -32005))
      << "a client over its rate is told so";
  std::this_thread::sleep_for(1s);
  EXPECT_TRUE(c->call(6, "info")) << "the first client is still served";
}

TEST(ApiListenTest, OnlyLoopbackWithoutATokenAndNothingElseWhenLoopbackOnly) {
  struct Case {
    const char* host;
    bool token;
    bool loopbackOnly;
    bool allowed;
  };
  const Case cases[] = {
      {"127.0.0.1", false, true, true}, {"127.5.6.7", false, false, true},
      {"::1", false, true, true},       {"0.0.0.0", false, false, false},
      {"0.0.0.0", true, false, true},   {"0.0.0.0", true, true, false},
      {"192.0.2.4", true, true, false}, // a documentation address: never bound
  };
  for (const Case& c : cases)
    EXPECT_EQ(listenRefusal(c.host, c.token, c.loopbackOnly).empty(), c.allowed) << c.host;
  ::setenv(LOOPBACK_ONLY_ENV, "1", 1);
  WebSocketServer server({"0.0.0.0", 0, "0123456789abcdef0123456789abcdef", 200, 200}, {});
  std::string error;
  EXPECT_FALSE(server.start(error));
  EXPECT_NE(error.find(LOOPBACK_ONLY_ENV), std::string::npos);
}

class ApiTokenTest : public ApiEndToEndTest {
protected:
  void SetUp() override { start(TOKEN); }
  static constexpr const char* TOKEN = "00112233445566778899aabbccddeeff";
};

TEST_F(ApiTokenTest, ClientsWithoutTheTokenAreClosed) {
  WsTestClient wrongHeader;
  EXPECT_FALSE(wrongHeader.connect(service->port(), {{"Authorization", "Bearer nope"}}));

  WsTestClient wrongFirst;
  ASSERT_TRUE(wrongFirst.connect(service->port()));
  wrongFirst.send(R"({"jsonrpc":"2.0","id":1,"method":"info"})");
  EXPECT_TRUE(hasError(wrongFirst.reply(1), -32006));
  EXPECT_EQ(wrongFirst.waitClosed(), 1008);

  WsTestClient byMessage;
  ASSERT_TRUE(byMessage.connect(service->port()));
  EXPECT_TRUE(byMessage.call(1, "auth", {{"token", TOKEN}}));
  const std::optional<json> info = byMessage.call(2, "info");
  EXPECT_TRUE(info && info->contains("result"));
}

TEST_F(ApiEndToEndTest, OscSetsAndAsksWithTheSameNamesAndChecks) {
  queueAndWait([this] {
    osc = std::make_unique<OscServer>(
        service->handler(), [this](std::function<void()> job) { queue.post(std::move(job)); });
    std::string error;
    EXPECT_TRUE(osc->start("127.0.0.1", 0, error)) << error;
  });
  asio::io_context io;
  asio::ip::udp::socket socket(io, asio::ip::udp::endpoint(asio::ip::make_address("127.0.0.1"), 0));
  const asio::ip::udp::endpoint server(asio::ip::make_address("127.0.0.1"), osc->port());
  auto exchange = [&](const std::vector<uint8_t>& datagram) {
    socket.send_to(asio::buffer(datagram), server);
    std::vector<uint8_t> reply(4096);
    asio::ip::udp::endpoint from;
    socket.non_blocking(false);
    ::timeval wait{10, 0};
    ::setsockopt(socket.native_handle(), SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    asio::error_code ec;
    reply.resize(socket.receive_from(asio::buffer(reply), from, 0, ec));
    return decodeOsc(reply);
  };
  // liblo writes float arguments; a hand-made ",f -3.5" datagram.
  const std::vector<uint8_t> setGain = {'/', 'k', 'v', '8', '1', '6', '/',  'o',  'u', 't', '2',
                                        '/', 'p', 'e', 'q', '3', '/', 'g',  'a',  'i', 'n', 0,
                                        0,   0,   ',', 'f', 0,   0,   0xC0, 0x60, 0,   0};
  std::optional<OscMessage> reply = exchange(setGain);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->path, "/kv816/out2/peq3/gain");
  EXPECT_EQ(reply->args.at(0), "-3.5dB");
  EXPECT_EQ(device.value(peqGain), encodeEqGain(-3.5));

  reply = exchange(encodeOsc("/kv816/in1/gain", {}));
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->args.at(1), host->table().wireValue(in1Gain));

  reply = exchange(encodeOsc("/kv816/out2/peq3/gain", {"+99dB"}));
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->path, "/kv816/error");
  EXPECT_EQ(device.value(peqGain), encodeEqGain(-3.5));
}

} // namespace
} // namespace kv816
