// kv816ctl serve as a program: on the real kv816-sim over a pseudo-terminal, a set from a
// WebSocket client reaches the device, and an interrupt ends it cleanly.

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <thread>

#include "edit/param_names.h"
#include "model/encodings.h"
#include "sim/sim_process.h"
#include "sim/state_json.h"
#include "support/child_process.h"
#include "ws_test_client.h"

namespace kv816 {
namespace {

using namespace std::chrono_literals;
using nlohmann::json;

uint16_t listeningPort(const std::string& outPath) {
  const std::string marker = "listening on ws://127.0.0.1:";
  for (auto end = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < end;
       std::this_thread::sleep_for(20ms)) {
    const std::string out = testing::readFile(outPath);
    const size_t at = out.find(marker);
    if (at != std::string::npos && out.find('/', at + marker.size()) != std::string::npos)
      return static_cast<uint16_t>(std::stoi(out.substr(at + marker.size())));
  }
  return 0;
}

int waitExit(pid_t pid) {
  int status = 0;
  for (auto end = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < end;
       std::this_thread::sleep_for(10ms))
    if (::waitpid(pid, &status, WNOHANG) == pid)
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  return -1;
}

TEST(ServeCommandTest, SetsReachTheDeviceAndAnInterruptEndsIt) {
  const std::string config = testing::uniqueTempPath("serve-config");
  ::setenv("KV816_CONFIG_DIR", config.c_str(), 1);
  const std::string pty = testing::uniqueTempPath("serve-pty");
  const std::string statePath = testing::uniqueTempPath("serve-state");
  testing::SimProcess sim;
  ASSERT_TRUE(sim.start({"--pty", pty, "--state-file", statePath}) && sim.waitReady());
  const std::string out = testing::uniqueTempPath("serve-out");
  const pid_t serve = testing::spawnProgram(
      KV816CTL_PATH, {"--link", "serial", "--port", pty, "serve", "--listen", "127.0.0.1:0"}, out,
      out + ".err");
  const uint16_t port = listeningPort(out);
  ASSERT_NE(port, 0) << testing::readFile(out + ".err");
  {
    test::WsTestClient client;
    ASSERT_TRUE(client.connect(port));
    std::optional<json> reply;
    for (auto end = std::chrono::steady_clock::now() + 30s; std::chrono::steady_clock::now() < end;
         std::this_thread::sleep_for(200ms)) {
      reply = client.call(1, "set", {{"values", {{"out2.peq3.gain", "-3dB"}}}});
      if (reply && !reply->contains("error"))
        break; // -32002 until the link is up
    }
    ASSERT_TRUE(reply && reply->contains("result")) << (reply ? reply->dump() : "no reply");
  }
  ::kill(serve, SIGTERM);
  EXPECT_EQ(waitExit(serve), 0);
  sim.stop();
  DeviceState device;
  std::string error;
  ASSERT_TRUE(stateFromJson(testing::readFile(statePath), device, error)) << error;
  EXPECT_EQ(device.table[parseParamName("out2.peq3.gain")->index], encodeEqGain(-3.0));
  std::filesystem::remove_all(config);
}

TEST(ServeCommandTest, RefusesAnAddressBeyondLoopbackWhenLoopbackOnly) {
  ::setenv("KV816_LOOPBACK_ONLY", "1", 1);
  const std::string out = testing::uniqueTempPath("serve-refused");
  const pid_t serve = testing::spawnProgram(
      KV816CTL_PATH, {"--demo", "serve", "--listen", "0.0.0.0:0", "--show-token"}, out,
      out + ".err");
  EXPECT_EQ(waitExit(serve), 1);
  EXPECT_NE(testing::readFile(out + ".err").find("KV816_LOOPBACK_ONLY"), std::string::npos);
}

} // namespace
} // namespace kv816
