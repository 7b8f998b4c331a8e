// Edits, undo and redo through the connection worker to the simulated device in-process:
// what the device ends up holding, not only the table.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "edit/edit_session.h"
#include "link/connection_worker.h"
#include "model/encodings.h"
#include "sim/sim_loopback.h"
#include "sim/simulated_device.h"
#include "support/null_progress.h"

namespace kv816 {
namespace {

using F = ChannelFunction;
using namespace std::chrono_literals;

constexpr int OUT1 = 4;
constexpr int OUT3 = 6;

class EditDeviceTest : public ::testing::Test {
protected:
  void SetUp() override {
    WorkerOptions options;
    options.config.linkType = LINK_USB;
    options.skipFullRead = true;
    table.loadDefaults();
    worker = std::make_unique<ConnectionWorker>(
        table, events,
        [this](const TransportContext& ctx) {
          return std::make_unique<LoopbackTransport>(ctx.link, deviceResponder(device));
        },
        options);
    ASSERT_TRUE(worker->start());
    ASSERT_TRUE(worker->waitUntilRunning(10s));
  }
  void TearDown() override { worker.reset(); }

  // True once the device has echoed every marked entry.
  bool waitSynced() {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
      bool pending = false;
      for (int i = 0; i < PARAM_COUNT && !pending; ++i)
        pending = table.mustSend(i);
      if (!pending)
        return true;
      std::this_thread::sleep_for(10ms);
    }
    return false;
  }
  // The device's channel entries (headers and routing included).
  std::vector<uint16_t> deviceChannels() const {
    std::vector<uint16_t> values;
    for (int i = indexOf(F::NoiseGate, 0); i <= IDX_CHANNELS_LAST; ++i)
      values.push_back(device.value(i));
    return values;
  }
  void drag(double hz, double db, int atMs) {
    const std::vector<ParameterEdit> edits = {{indexOf(F::PeqFreq, OUT1, 3), encodeFrequency(hz)},
                                              {indexOf(F::PeqQ, OUT1, 3), encodeQ(4.0, false)},
                                              {indexOf(F::PeqGain, OUT1, 3), encodeEqGain(db)}};
    session.apply({OUT1, F::PeqGain, 3, EditSource::Graph}, edits, 9,
                  EditClock::time_point{} + std::chrono::milliseconds(atMs));
  }

  ParameterTable table;
  test::SilentEvents events;
  SimulatedDevice device;
  std::unique_ptr<ConnectionWorker> worker;
  EditSession session{table};
};

TEST_F(EditDeviceTest, DragUndoRedoReachTheDeviceAndItsLinkedOutput) {
  const int mask = indexOf(F::LinkMask, OUT3);
  session.apply({OUT3, F::LinkMask, -1, EditSource::LinkGroup}, {{mask, maskOfGroup(0)}});
  ASSERT_TRUE(waitSynced());
  session.clearHistory();
  const std::vector<uint16_t> before = deviceChannels();

  drag(900, 2.0, 0);
  drag(1200, 4.0, 60);
  drag(1500, 6.5, 120);
  session.endGesture();
  ASSERT_TRUE(waitSynced());
  const std::vector<uint16_t> after = deviceChannels();
  EXPECT_EQ(device.value(indexOf(F::PeqGain, OUT3, 3)), encodeEqGain(6.5));
  EXPECT_EQ(device.value(indexOf(F::PeqFreq, OUT3, 3)), 1500);

  session.undo();
  ASSERT_TRUE(waitSynced());
  EXPECT_EQ(deviceChannels(), before);

  session.redo();
  ASSERT_TRUE(waitSynced());
  EXPECT_EQ(deviceChannels(), after);
}

} // namespace
} // namespace kv816
