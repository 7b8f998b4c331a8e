// Module commands through the device (command 0x57) in the worker's cycle.

#include <gtest/gtest.h>

#include "worker_fixture.h"

namespace kv816::test {
namespace {

using namespace std::chrono_literals;

class ModuleWorker : public WorkerFixture {
protected:
  void SetUp() override {
    WorkerFixture::SetUp();
    manualClock = true;
    WorkerOptions options;
    options.skipFullRead = true;
    startWorker({}, options);
    ASSERT_TRUE(waitRunning());
  }
};

TEST_F(ModuleWorker, AHotspotChangeIsSentThroughTheDeviceAndConfirmed) {
  ModuleCommands& modules = worker->modules();
  modules.queueModuleCommand(module_slot::SET_HOT_SSID, "Set_HotSSID:Stage");
  modules.queueModuleCommand(module_slot::SET_HOT_PW, "Set_HotPW:abcdefgh");
  ASSERT_TRUE(runUntil([&] { return events.messageCount("Set Hot:OK") == 1; }, 2s));
  EXPECT_EQ(device->state().module.hotSsid, "Stage");
  EXPECT_EQ(device->state().module.hotPassword, "abcdefgh");
  EXPECT_EQ(countSent(cmd::MODULE_TEXT), 2);

  modules.queueModuleReads();
  ASSERT_TRUE(runUntil([&] { return modules.received(module_slot::GET_HOT_PW); }, 2s));
  EXPECT_EQ(modules.text(module_slot::GET_HOT_SSID), "Get_HotSSID:Stage");
}

TEST_F(ModuleWorker, ACommandWithoutReplyGoesOutNineTimesThenIsDropped) {
  setFrameFilter([](const SentFrame& f) { return f.command != cmd::MODULE_TEXT; });
  worker->modules().queueModuleCommand(module_slot::SET_WIFI_MODE, "Set_WiFiMode:2");
  ASSERT_TRUE(runUntil([&] { return !worker->modules().pending(10); }, 5s));
  EXPECT_EQ(countSent(cmd::MODULE_TEXT), 9);
  EXPECT_TRUE(events.messages().empty());
  EXPECT_EQ(worker->phase(), WorkerPhase::Running); // module silence is not link silence
}

} // namespace
} // namespace kv816::test
