// The JSON-RPC handling on its own: replies, errors that change nothing, sets held until
// the device confirms, and notifications to subscribed clients.

#include <gtest/gtest.h>

#include <array>
#include <map>

#include <nlohmann/json.hpp>

#include "api/rpc_handler.h"
#include "fake_api_host.h"
#include "model/channel_layout.h"
#include "model/encodings.h"

namespace kv816 {
namespace {

using nlohmann::json;
using namespace std::chrono_literals;
using Clock = RpcHandler::Clock;

constexpr int OUT2 = 5;

class RpcHandlerTest : public ::testing::Test {
protected:
  void SetUp() override {
    handler.addClient(1, [this](const std::string& t) { sent[1].push_back(json::parse(t)); });
    handler.addClient(2, [this](const std::string& t) { sent[2].push_back(json::parse(t)); });
  }

  json call(const std::string& text, int client = 1) {
    const std::string reply = handler.handle(client, text, now);
    return reply.empty() ? json() : json::parse(reply);
  }
  std::array<int32_t, PARAM_COUNT> values() {
    std::array<int32_t, PARAM_COUNT> v{};
    for (int i = 0; i < PARAM_COUNT; ++i)
      v[static_cast<size_t>(i)] = host.table().value(i);
    return v;
  }
  // The device echoes every marked entry with the table's value.
  void echoAll() {
    for (int i = 0; i < PARAM_COUNT; ++i)
      if (host.table().mustSend(i))
        host.table().applyEcho(i, host.table().wireValue(i));
  }
  void advance(std::chrono::milliseconds step) {
    now += step;
    handler.poll(now);
  }

  std::filesystem::path folder = std::filesystem::temp_directory_path() / "kv816_rpc_test";
  test::FakeApiHost host{folder};
  RpcHandler handler{host};
  Clock::time_point now = Clock::now();
  std::map<int, std::vector<json>> sent;
  const int peqGain = indexOf(ChannelFunction::PeqGain, OUT2, 2);
};

TEST_F(RpcHandlerTest, BadRequestsAreAnsweredWithTheirErrorAndChangeNothing) {
  std::filesystem::create_directories(folder);
  std::filesystem::create_symlink("/etc/passwd", folder / "escape.jib");
  struct Case {
    const char* request;
    int code;
  };
  const Case cases[] = {
      {R"({"jsonrpc":"2.0","id":1,"method":"set","params":{"values":{"out2.peq3.gain":)", -32700},
      {R"([{"jsonrpc":"2.0","id":1,"method":"info"}])", -32600},
      {R"({"id":1,"method":"info"})", -32600},
      {R"({"jsonrpc":"2.0","id":{},"method":"info"})", -32600},
      {R"({"jsonrpc":"2.0","id":1,"method":"reboot"})", -32601},
      {R"({"jsonrpc":"2.0","id":1,"method":"get","params":[1]})", -32602},
      {R"({"jsonrpc":"2.0","id":1,"method":"get","params":{"names":"out2.peq3.gain"}})", -32602},
      {R"({"jsonrpc":"2.0","id":1,"method":"get","params":{"names":["out9.gain"]}})", -32602},
      {R"({"jsonrpc":"2.0","id":1,"method":"set","params":{"values":{"out2.peq3.gain":"+40dB"}}})",
       -32602},
      {R"({"jsonrpc":"2.0","id":1,"method":"set","params":{"values":{"in1.gain":"-6dB","out2.peq3.gain":"loud"}}})",
       -32602},
      {R"({"jsonrpc":"2.0","id":1,"method":"set","params":{"values":{"in1.gain":[1]}}})", -32602},
      {R"({"jsonrpc":"2.0","id":1,"method":"set","params":{"values":{"idx99999":1}}})", -32602},
      {R"({"jsonrpc":"2.0","id":1,"method":"set","params":{"values":{"idx12":{"raw":70000}}}})",
       -32602},
      {R"({"jsonrpc":"2.0","id":1,"method":"subscribe","params":{"meters":50}})", -32602},
      {R"({"jsonrpc":"2.0","id":1,"method":"recall","params":{"preset":13}})", -32602},
      {R"({"jsonrpc":"2.0","id":1,"method":"export","params":{"file":"../outside"}})", -32602},
      {R"({"jsonrpc":"2.0","id":1,"method":"import","params":{"file":"/etc/passwd"}})", -32602},
      {R"({"jsonrpc":"2.0","id":1,"method":"import","params":{"file":"escape"}})", -32602},
      {R"({"jsonrpc":"2.0","id":1,"method":"export","params":{"file":"a/b"}})", -32602},
  };
  const auto before = values();
  for (const Case& c : cases) {
    const json reply = call(c.request);
    EXPECT_EQ(reply["error"]["code"], c.code) << c.request << " -> " << reply.dump();
    EXPECT_FALSE(reply["error"]["message"].get<std::string>().empty()) << c.request;
  }
  EXPECT_EQ(values(), before);
  EXPECT_FALSE(host.editSession().canUndo());
  EXPECT_TRUE(host.tasks.empty());
  EXPECT_EQ(call(R"({"jsonrpc":"2.0","id":7,"method":"info"})")["result"]["program"], "kv816");
  std::filesystem::remove_all(folder);
}

TEST_F(RpcHandlerTest, GetAnswersRawAndTextUnderTheNamesAsked) {
  host.table().setParameter(peqGain, encodeEqGain(-3.0));
  const json reply = call(
      R"({"jsonrpc":"2.0","id":"a","method":"get","params":{"names":["OUT2.peq3.gain", 1165]}})");
  EXPECT_EQ(reply["id"], "a");
  EXPECT_EQ(reply["result"]["OUT2.peq3.gain"],
            (json{{"raw", encodeEqGain(-3.0)}, {"text", "-3.0dB"}}));
  EXPECT_TRUE(reply["result"]["1165"].contains("raw"));
}

TEST_F(RpcHandlerTest, SetIsOneRemoteStepAnsweredOnceTheDeviceEchoedIt) {
  EXPECT_TRUE(
      call(
          R"({"jsonrpc":"2.0","id":3,"method":"set","params":{"values":{"out2.peq3.gain":"-3dB","in1.mute":true}}})")
          .is_null());
  EXPECT_EQ(host.table().value(peqGain), encodeEqGain(-3.0));
  ASSERT_NE(host.editSession().lastStep(), nullptr);
  EXPECT_EQ(host.editSession().lastStep()->subject.source, EditSource::Remote);
  advance(20ms);
  EXPECT_TRUE(sent[1].empty()) << "answered before the device echoed";
  echoAll();
  advance(20ms);
  ASSERT_EQ(sent[1].size(), 1u);
  EXPECT_EQ(sent[1][0]["id"], 3);
  EXPECT_EQ(sent[1][0]["result"]["out2.peq3.gain"]["text"], "-3.0dB");
  EXPECT_EQ(sent[1][0]["result"]["in1.mute"]["text"], "on");
}

TEST_F(RpcHandlerTest, ASetReplacedByALaterOneIsAnsweredAsSupersededTheLaterOneWhenEchoed) {
  call(R"({"jsonrpc":"2.0","id":1,"method":"set","params":{"values":{"out2.peq3.gain":"-3dB"}}})");
  call(R"({"jsonrpc":"2.0","id":2,"method":"set","params":{"values":{"out2.peq3.gain":"-4dB"}}})",
       2);
  advance(20ms);
  ASSERT_EQ(sent[1].size(), 1u);
  EXPECT_EQ(sent[1][0]["result"]["out2.peq3.gain"]["superseded"], true);
  EXPECT_TRUE(sent[2].empty());
  echoAll();
  advance(20ms);
  ASSERT_EQ(sent[2].size(), 1u);
  EXPECT_EQ(sent[2][0]["result"]["out2.peq3.gain"]["text"], "-4.0dB");
  EXPECT_FALSE(sent[2][0]["result"]["out2.peq3.gain"].contains("superseded"));
}

TEST_F(RpcHandlerTest, SetThatWasResentIsReadBackAndRefusedWhenTheDeviceKeptAnotherValue) {
  call(R"({"jsonrpc":"2.0","id":4,"method":"set","params":{"values":{"out2.peq3.gain":"-3dB"}}})");
  host.table().countTransmission(peqGain);
  host.table().countTransmission(peqGain);
  advance(20ms);
  for (int i = 0; i <= RETRY_LIMIT; ++i)
    host.table().countTransmission(peqGain); // given up: the mark is gone, unconfirmed
  advance(20ms);
  EXPECT_TRUE(sent[1].empty());
  EXPECT_EQ(host.table().record(peqGain).mustRead.load(), 1) << "not read back";
  host.table().applyReport(peqGain, static_cast<uint16_t>(encodeEqGain(0.0)));
  handler.onDeviceChanged(peqGain);
  advance(20ms);
  ASSERT_EQ(sent[1].size(), 1u);
  EXPECT_EQ(sent[1][0]["error"]["code"], rpc::NOT_CONFIRMED);
  EXPECT_EQ(sent[1][0]["error"]["data"]["kept"]["out2.peq3.gain"]["text"], "0.0dB");
}

TEST_F(RpcHandlerTest, SetIsRefusedWithoutADeviceOrWhenItNeverConfirms) {
  host.status.phase = ApiLinkPhase::Searching;
  const auto before = values();
  EXPECT_EQ(
      call(R"({"jsonrpc":"2.0","id":5,"method":"set","params":{"values":{"in1.gain":"-6dB"}}})")
          ["error"]["code"],
      rpc::LINK_DOWN);
  EXPECT_EQ(values(), before);

  host.status.phase = ApiLinkPhase::Online;
  call(R"({"jsonrpc":"2.0","id":6,"method":"set","params":{"values":{"in1.gain":"-6dB"}}})");
  advance(SetConfirmation::TIMEOUT + 1s);
  ASSERT_EQ(sent[1].size(), 1u);
  EXPECT_EQ(sent[1][0]["error"]["code"], rpc::NOT_CONFIRMED);
  EXPECT_EQ(sent[1][0]["error"]["data"]["names"], json::array({"in1.gain"}));
}

TEST_F(RpcHandlerTest, SubscribersSeeEditsFromAnySourceOthersDoNot) {
  call(R"({"jsonrpc":"2.0","id":1,"method":"subscribe","params":{"parameters":true}})", 2);
  host.editSession().apply({OUT2, ChannelFunction::PeqGain, 2, EditSource::Page},
                           {{peqGain, encodeEqGain(-4.5)}});
  host.table().applyReport(indexOf(ChannelFunction::Gain, 0), 5);
  handler.onDeviceChanged(indexOf(ChannelFunction::Gain, 0));
  handler.onDeviceChanged(IDX_METER_FIRST); // meters go by their own subscription
  advance(RpcHandler::CHANGE_INTERVAL);
  EXPECT_TRUE(sent[1].empty());
  ASSERT_EQ(sent[2].size(), 1u);
  const json& values = sent[2][0]["params"]["values"];
  EXPECT_EQ(sent[2][0]["method"], "changed");
  EXPECT_EQ(values["out2.peq3.gain"]["text"], "-4.5dB");
  EXPECT_TRUE(values.contains("in1.gain"));
  EXPECT_EQ(values.size(), 2u);
}

TEST_F(RpcHandlerTest, MetersGoAtTheRequestedRateUntilUnsubscribed) {
  EXPECT_EQ(
      call(R"({"jsonrpc":"2.0","id":1,"method":"subscribe","params":{"meters":10}})")["result"]
                                                                                     ["meters"],
      10);
  EXPECT_TRUE(host.metersWanted);
  for (int i = 0; i < 20; ++i)
    advance(50ms); // one second
  EXPECT_GE(sent[1].size(), 9u);
  EXPECT_LE(sent[1].size(), 11u);
  EXPECT_TRUE(sent[1].back()["params"].contains("out8"));
  call(R"({"jsonrpc":"2.0","id":2,"method":"unsubscribe"})");
  EXPECT_FALSE(host.metersWanted);
  sent[1].clear();
  advance(500ms);
  EXPECT_TRUE(sent[1].empty());
}

TEST_F(RpcHandlerTest, DeviceTasksAnswerWhenDoneOneAtATime) {
  call(R"({"jsonrpc":"2.0","id":8,"method":"export","params":{"file":"show1"}})");
  ASSERT_EQ(host.tasks.size(), 1u);
  EXPECT_EQ(host.tasks[0].file, std::filesystem::weakly_canonical(folder) / "show1");
  EXPECT_EQ(call(R"({"jsonrpc":"2.0","id":9,"method":"recall","params":{"preset":2}})",
                 2)["error"]["code"],
            rpc::BUSY);
  auto done = std::move(host.taskDone);
  host.taskDone = nullptr;
  done({TaskResult::Locked, {}, {}});
  ASSERT_EQ(sent[1].size(), 1u);
  EXPECT_EQ(sent[1][0]["id"], 8);
  EXPECT_EQ(sent[1][0]["error"]["code"], rpc::TASK_FAILED);
}

} // namespace
} // namespace kv816
