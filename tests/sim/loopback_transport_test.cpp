#include "link/transports/loopback_transport.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "link/link.h"
#include "link/packet.h"
#include "model/parameter_table.h"
#include "sim/sim_loopback.h"

namespace kv816 {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

template <typename Pred> bool waitUntil(Pred done, std::chrono::milliseconds limit = 2000ms) {
  const auto end = Clock::now() + limit;
  while (!done()) {
    if (Clock::now() > end)
      return false;
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

struct LoopbackFixture {
  explicit LoopbackFixture(SimConfig config = {}) : sim(link, config) {
    link.setTransport(&sim.transport());
  }
  ~LoopbackFixture() { sim.transport().close(); }
  ParameterTable table;
  Link link{table};
  SimLoopback sim;
};

TEST(LoopbackTransport, OpensAndCarriesABulkDumpIntoTheTable) {
  LoopbackFixture f;
  ASSERT_TRUE(f.sim.transport().open());
  EXPECT_TRUE(f.link.state().connected.load());
  EXPECT_EQ(f.table.value(IDX_DEVICE_ID), DEVICE_ID);
  f.table.beginFullRead();
  f.link.sendPacket(cmd::BULK_DUMP, std::vector<uint8_t>{0x00});
  ASSERT_TRUE(waitUntil([&] { return f.table.countRefreshed() == PARAM_COUNT; }));
  const DeviceState state = f.sim.device().state();
  for (int i = 0; i < PARAM_COUNT; ++i)
    ASSERT_EQ(f.table.wireValue(i), state.table[i]) << "index " << i;
}

TEST(LoopbackTransport, NamesAndRecallReachTheLink) {
  LoopbackFixture f;
  ASSERT_TRUE(f.sim.transport().open());
  for (uint8_t p = 1; p <= 12; ++p)
    f.link.sendPacket(cmd::NAME, std::vector<uint8_t>{p});
  ASSERT_TRUE(waitUntil([&] { return f.link.presetNames().received(11); }));
  EXPECT_EQ(f.link.presetNames().name(0), u"Flat");
  EXPECT_EQ(f.link.presetNames().name(11), u"Night Mode");
  EXPECT_TRUE(f.link.sendAndWait(cmd::RECALL, std::vector<uint8_t>{9}, 1000));
  EXPECT_EQ(f.link.taskFlags().get(FLAG_RECALL_CONFIRMED), 1);
  EXPECT_EQ(f.sim.device().value(IDX_CURRENT_PRESET), 9);
}

TEST(LoopbackTransport, FactoryTransportKeepsItsDeviceAlive) {
  ParameterTable table;
  Link link(table);
  auto device = std::make_shared<SimulatedDevice>();
  std::weak_ptr<SimulatedDevice> watch = device;
  auto transport = makeSimTransport(link, std::move(device));
  link.setTransport(transport.get());
  ASSERT_TRUE(transport->open());
  EXPECT_FALSE(watch.expired());
  link.setTransport(nullptr);
  transport.reset();
  EXPECT_TRUE(watch.expired());
}

TEST(LoopbackTransport, RepliesArriveAfterTheDelayFault) {
  SimConfig config;
  config.faults.delay = 150ms;
  LoopbackFixture f(config);
  ASSERT_TRUE(f.sim.transport().open());
  const std::vector<uint8_t> read0{0x00, 0x00};
  const auto start = Clock::now();
  EXPECT_FALSE(f.link.sendAndWait(cmd::READ, read0, 50));
  EXPECT_TRUE(f.link.sendAndWait(cmd::READ, read0, 1000));
  EXPECT_GE(Clock::now() - start, 150ms);
}

TEST(LoopbackTransport, CloseIsPromptAndDropsWhatIsStillHeldBack) {
  SimConfig config;
  config.faults.delay = 2000ms;
  LoopbackFixture f(config);
  // A silent device keeps open() probing until the worker stops.
  std::promise<bool> opened;
  auto result = opened.get_future();
  std::thread opener([&] { opened.set_value(f.sim.transport().open()); });
  std::this_thread::sleep_for(100ms);
  f.link.state().workerRun.store(false);
  EXPECT_EQ(result.wait_for(1500ms), std::future_status::ready);
  opener.join();
  EXPECT_FALSE(result.get());
  EXPECT_TRUE(f.sim.transport().isOpen());
  f.link.sendPacket(cmd::READ, std::vector<uint8_t>{0x00, 0x00});
  const auto start = Clock::now();
  f.sim.transport().close();
  EXPECT_LT(Clock::now() - start, 100ms);
  EXPECT_FALSE(f.sim.transport().isOpen());
  f.sim.transport().write(buildFrame(cmd::READ, std::vector<uint8_t>{0x00, 0x00}));
  EXPECT_FALSE(f.table.uiRefresh(IDX_DEVICE_ID));
}

} // namespace
} // namespace kv816
