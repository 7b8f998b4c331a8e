// The connection worker over the real transports: kv816-sim on a pseudo-terminal and on
// loopback sockets, and the simulator behind the fake HID back end.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "link/connection_worker.h"
#include "link/fake_hid_backend.h"
#include "link/transport_support.h"
#include "link/transports/hid_transport.h"
#include "link/transports/net_transport.h"
#include "link/transports/serial_transport.h"
#include "model/parameter_table.h"
#include "sim/sim_process.h"

namespace kv816 {
namespace {

using namespace std::chrono_literals;

// Writes an edit the way a page does and waits until the device's echo cleared its mark.
bool editEchoed(ParameterTable& table, int index, int value) {
  table.setParameter(index, value);
  return test::waitFor([&] { return table.record(index).mustSend.load() == 0; }, 3000ms);
}

uint16_t freePort(int type) {
  const int fd = ::socket(AF_INET, type, 0);
  sockaddr_in in{};
  in.sin_family = AF_INET;
  in.sin_addr.s_addr = htonl(0x7F000001);
  socklen_t size = sizeof in;
  ::bind(fd, reinterpret_cast<sockaddr*>(&in), sizeof in);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&in), &size);
  ::close(fd);
  return ntohs(in.sin_port);
}

class TransportWorker : public ::testing::Test {
protected:
  void start(int linkType, TransportFactory factory) {
    WorkerOptions options;
    options.config.linkType = linkType;
    worker = std::make_unique<ConnectionWorker>(table, events, std::move(factory), options);
    ASSERT_TRUE(worker->start());
  }
  void TearDown() override {
    if (worker)
      worker->stop();
  }

  ParameterTable table;
  test::RecordingEvents events;
  // The USB test's device outlives the worker that talks to it.
  SimulatedDevice device;
  std::shared_ptr<test::FakeHidBus> bus = std::make_shared<test::FakeHidBus>(&device);
  test::ScratchFolder lockFolder;
  std::unique_ptr<ConnectionWorker> worker;
};

TEST_F(TransportWorker, SerialReadsEditsLosesTheDeviceAndFindsItAgain) {
  const std::string path = testing::uniqueTempPath("worker-pty");
  auto sim = std::make_unique<testing::SimProcess>();
  ASSERT_TRUE(sim->start({"--pty", path}) && sim->waitReady());
  start(LINK_SERIAL, [path](const TransportContext& c) {
    SerialSettings settings;
    settings.preferredPorts = {path};
    settings.listSystemPorts = [] { return std::vector<std::string>{}; };
    return std::make_unique<SerialTransport>(c.link, &c.events, settings);
  });
  ASSERT_TRUE(worker->waitUntilRunning(10s));
  EXPECT_EQ(table.value(IDX_DEVICE_ID), DEVICE_ID);
  EXPECT_TRUE(editEchoed(table, 1100, 3));

  sim->stop(SIGKILL);
  ASSERT_TRUE(test::waitFor([&] { return worker->phase() != WorkerPhase::Running; }, 3000ms));
  sim = std::make_unique<testing::SimProcess>();
  ASSERT_TRUE(sim->start({"--pty", path}) && sim->waitReady());
  ASSERT_TRUE(worker->waitUntilRunning(10s));
  EXPECT_TRUE(editEchoed(table, 1100, 4));
}

// kv816-sim behind its WiFi module on loopback, with `extra` options, and the worker's
// network transport pointed at it.
TransportFactory startNetworkSim(testing::SimProcess& sim, std::vector<std::string> extra = {}) {
  const uint16_t tcp = freePort(SOCK_STREAM), udp = freePort(SOCK_DGRAM);
  std::vector<std::string> args{"--tcp", "127.0.0.1:" + std::to_string(tcp), "--udp",
                                "127.0.0.1:" + std::to_string(udp)};
  args.insert(args.end(), extra.begin(), extra.end());
  EXPECT_TRUE(sim.start(args) && sim.waitReady());
  return [tcp, udp](const TransportContext& c) {
    NetSettings settings;
    settings.broadcastAddress = "127.0.0.1";
    settings.sweep = false;
    settings.udpPort = udp;
    settings.localUdpPort = 0;
    settings.tcpPort = tcp;
    return std::make_unique<NetTransport>(c.link, c.modules, &c.events, settings);
  };
}

TEST_F(TransportWorker, NetworkDiscoversReadsAndEdits) {
  testing::SimProcess sim;
  start(LINK_NETWORK, startNetworkSim(sim));
  ASSERT_TRUE(worker->waitUntilRunning(15s));
  EXPECT_EQ(table.value(IDX_DEVICE_ID), DEVICE_ID);
  EXPECT_TRUE(editEchoed(table, 1100, 5));
}

// A module that accepts the TCP connection while the device behind it says nothing (from
// the start, or after the first replies): every send then waits in the silence
// accounting's reconnect probe, and the desktop program still closes promptly.
TEST_F(TransportWorker, NetworkDeviceThatFallsSilentLetsTheWorkerStopWithinTwoSeconds) {
  for (const char* answered : {"0", "3"}) {
    SCOPED_TRACE(answered);
    testing::SimProcess sim;
    start(LINK_NETWORK, startNetworkSim(sim, {"--silent-after", answered}));
    // Long enough for the silence accounting to start probing.
    std::this_thread::sleep_for(4500ms);
    const auto before = std::chrono::steady_clock::now();
    worker.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 2s);
  }
}

TEST_F(TransportWorker, UsbThroughTheFakeBackEnd) {
  start(LINK_USB, [this](const TransportContext& c) {
    HidSettings settings;
    settings.lockFolder = lockFolder.path();
    return std::make_unique<HidTransport>(c.link, std::make_unique<test::FakeHidBackend>(bus),
                                          &c.events, settings);
  });
  ASSERT_TRUE(worker->waitUntilRunning(10s));
  for (int i = 100; i < 200; ++i)
    ASSERT_EQ(table.wireValue(i), device.value(i)) << i;
  EXPECT_TRUE(editEchoed(table, 1100, 6));
  EXPECT_EQ(device.value(1100), 6);
}

} // namespace
} // namespace kv816
