#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <future>

#include "link/link.h"
#include "link/module_commands.h"
#include "link/packet.h"
#include "link/transport_support.h"
#include "link/transports/net_address.h"
#include "link/transports/net_discovery.h"
#include "link/transports/net_transport.h"
#include "model/parameter_table.h"
#include "sim/sim_process.h"

namespace kv816 {
namespace {

using namespace std::chrono_literals;

// A socket bound to a free loopback port; the port stays taken while the object lives.
class BoundPort {
public:
  BoundPort(int type, uint32_t address = LOOPBACK_ADDRESS) {
    fd_ = ::socket(AF_INET, type, 0);
    sockaddr_in in{};
    in.sin_family = AF_INET;
    in.sin_addr.s_addr = htonl(address);
    socklen_t size = sizeof in;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&in), sizeof in) == 0 &&
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&in), &size) == 0)
      port_ = ntohs(in.sin_port);
  }
  ~BoundPort() { ::close(fd_); }
  uint16_t port() const { return port_; }

private:
  int fd_ = -1;
  uint16_t port_ = 0;
};

uint16_t freePort(int type) {
  return BoundPort(type).port();
}

TEST(NetAddress, ParseFormatAndLocalAddressChoice) {
  EXPECT_EQ(parseIpv4("192.168.1.100"), 0xC0A80164u);
  EXPECT_EQ(parseIpv4("127.0.0.3"), 0x7F000003u);
  EXPECT_FALSE(parseIpv4("192.168.1"));
  EXPECT_FALSE(parseIpv4("host"));
  EXPECT_EQ(formatIpv4(0xC0A80164u), "192.168.1.100");
  // The host-name lookup's 127.0.1.1 is not this computer's network address.
  EXPECT_EQ(primaryLocalAddress({0x7F000001u, 0x7F000101u, 0x0A000005u, 0xC0A80002u}), 0x0A000005u);
  EXPECT_EQ(primaryLocalAddress({0x7F000001u}), LOOPBACK_ADDRESS);
  // getifaddrs sees the loopback interface at least.
  const auto mine = localIpv4Addresses();
  EXPECT_NE(std::find(mine.begin(), mine.end(), LOOPBACK_ADDRESS), mine.end());
}

// Restores KV816_LOOPBACK_ONLY after a test changed it.
class LoopbackOnlyEnv {
public:
  LoopbackOnlyEnv() {
    if (const char* v = std::getenv("KV816_LOOPBACK_ONLY"))
      saved_ = v;
  }
  ~LoopbackOnlyEnv() {
    if (saved_.empty())
      ::unsetenv("KV816_LOOPBACK_ONLY");
    else
      ::setenv("KV816_LOOPBACK_ONLY", saved_.c_str(), 1);
  }

private:
  std::string saved_;
};

TEST(NetAddress, LoopbackOnlyModeAllowsOnly127Slash8) {
  LoopbackOnlyEnv restore;
  struct Case {
    const char* env;
    uint32_t address;
    bool allowed;
  };
  const Case cases[] = {
      {"1", 0x7F000001u, true},  {"1", 0x7FFFFFFEu, true},  {"1", 0xFFFFFFFFu, false},
      {"1", 0xC0A80001u, false}, {"1", 0x00000000u, false}, {"1", 0x80000001u, false},
      {"0", 0xC0A80001u, true},  {"", 0xC0A80001u, true},
  };
  for (const Case& c : cases) {
    ::setenv("KV816_LOOPBACK_ONLY", c.env, 1);
    EXPECT_EQ(destinationAllowed(c.address), c.allowed) << c.env << " " << formatIpv4(c.address);
  }
}

class NetTransportTest : public ::testing::Test {
protected:
  NetTransportTest() {
    settings.broadcastAddress = "127.0.0.1";
    settings.sweep = false;
    settings.udpPort = udpPort;
    settings.localUdpPort = 0;
    settings.tcpPort = tcpPort;
    settings.notice = [this](const std::string& text) {
      std::lock_guard lock(noticeMutex);
      notices.push_back(text);
    };
  }

  bool startSim(testing::SimProcess& sim, const std::string& host) {
    return sim.start({"--tcp", host + ":" + std::to_string(tcpPort), "--udp",
                      host + ":" + std::to_string(udpPort)}) &&
           sim.waitReady();
  }
  std::unique_ptr<NetTransport> makeTransport() {
    auto transport = std::make_unique<NetTransport>(link, modules, &events, settings);
    link.setTransport(transport.get());
    link.state().applyTimings(LinkTimings::forLinkType(LINK_NETWORK));
    return transport;
  }
  std::vector<std::string> noticesSeen() {
    std::lock_guard lock(noticeMutex);
    return notices;
  }

  uint16_t tcpPort = freePort(SOCK_STREAM);
  uint16_t udpPort = freePort(SOCK_DGRAM);
  NetSettings settings;
  ParameterTable table;
  Link link{table};
  ModuleCommands modules;
  test::RecordingEvents events;
  std::mutex noticeMutex;
  std::vector<std::string> notices;
};

TEST_F(NetTransportTest, DiscoversConnectsCarriesFramesAndModuleCommands) {
  testing::SimProcess sim;
  ASSERT_TRUE(startSim(sim, "127.0.0.1"));
  auto transport = makeTransport();
  ASSERT_TRUE(transport->open());
  EXPECT_TRUE(transport->isOpen());
  EXPECT_EQ(transport->discovery().moduleAddress(), LOOPBACK_ADDRESS);
  EXPECT_EQ(table.value(IDX_DEVICE_ID), DEVICE_ID);
  EXPECT_EQ(events.count(Notify::LinkStatus, LINK_FOUND), 1);
  EXPECT_EQ(events.count(Notify::ModulesFound, 1), 0);

  table.setParameter(1100, 9);
  ASSERT_TRUE(link.sendAndWait(cmd::WRITE, std::vector<uint8_t>{0x04, 0x4C, 0x00, 0x09}, 1000));
  EXPECT_EQ(table.record(1100).mustSend.load(), 0);

  // Module commands travel over UDP from the discovery thread; both hotspot replies
  // are needed for the confirmation.
  modules.queueModuleCommand(module_slot::SET_HOT_SSID, "Set_HotSSID:Stage-Left");
  modules.queueModuleCommand(module_slot::SET_HOT_PW, "Set_HotPW:secret99");
  ASSERT_TRUE(test::waitFor([&] {
    const auto m = events.messages();
    return std::find(m.begin(), m.end(), "Set Hot:OK") != m.end();
  }));
  modules.queueModuleReads();
  ASSERT_TRUE(test::waitFor([&] { return modules.received(module_slot::GET_HOT_SSID); }));
  EXPECT_EQ(modules.text(module_slot::GET_HOT_SSID), "Get_HotSSID:Stage-Left");
  // Nothing went anywhere but loopback.
  EXPECT_EQ(transport->discovery().datagramsRefused(), 0);

  transport->close();
  EXPECT_FALSE(transport->isOpen());
}

TEST_F(NetTransportTest, TwoModulesAreReportedOnceAndTheChosenOneIsConnected) {
  testing::SimProcess simA, simB;
  ASSERT_TRUE(startSim(simA, "127.0.0.2"));
  ASSERT_TRUE(startSim(simB, "127.0.0.3"));
  settings.broadcastAddress = "127.0.0.1";
  settings.sweep = true;
  settings.sweepBase = "127.0.0.1"; // .2-.254 of 127.0.0.0/24: loopback only
  std::vector<uint32_t> offered;
  settings.chooseModule = [&](const std::vector<uint32_t>& found) {
    offered = found;
    return 0x7F000002u;
  };
  auto transport = makeTransport();
  ASSERT_TRUE(transport->open());
  EXPECT_EQ(events.count(Notify::ModulesFound, 2), 1);
  ASSERT_EQ(offered.size(), 2u);
  EXPECT_EQ(transport->discovery().moduleAddress(), 0x7F000002u);
  // The chosen simulator carries the link: stopping the other changes nothing.
  simB.stop(SIGKILL);
  EXPECT_TRUE(link.sendAndWait(cmd::READ, std::vector<uint8_t>{0x00, 0x00}, 1000));
  EXPECT_EQ(transport->discovery().datagramsRefused(), 0);
}

TEST_F(NetTransportTest, LoopbackOnlyRefusesOtherDestinationsBeforeAnySocketCall) {
  LoopbackOnlyEnv restore;
  ::setenv("KV816_LOOPBACK_ONLY", "1", 1);
  // The gate itself first: nothing below runs unless it refuses these addresses.
  ASSERT_FALSE(destinationAllowed(0xC0000201u));
  ASSERT_FALSE(destinationAllowed(0xC00002FFu));

  settings.broadcastAddress = "192.0.2.255";
  settings.sweep = true;
  settings.sweepBase = "192.0.2.1";
  NetDiscovery discovery(modules, nullptr, settings);
  discovery.start();
  ASSERT_TRUE(test::waitFor([&] { return discovery.datagramsRefused() >= 254; }));
  discovery.stop();
  EXPECT_EQ(discovery.datagramsSent(), 0);

  auto transport = makeTransport();
  EXPECT_FALSE(transport->connectTo(0xC0000201u));

  // One notice for the broadcast, one for the whole /24 (not one per host), one for the
  // refused connection.
  const auto seen = noticesSeen();
  const std::vector<std::string> expected = {
      "KV816_LOOPBACK_ONLY is set: refusing to reach 192.0.2.255 (only 127.0.0.0/8 is allowed)",
      "KV816_LOOPBACK_ONLY is set: refusing to sweep 192.0.2.0/24 (only 127.0.0.0/8 is allowed)",
      "KV816_LOOPBACK_ONLY is set: refusing to reach 192.0.2.1 (only 127.0.0.0/8 is allowed)"};
  EXPECT_EQ(seen, expected);
}

TEST_F(NetTransportTest, EveryDiscoveryDatagramArrivesAtTheConfiguredLoopbackAddress) {
  // A socket stands where the module would be; no module answers, so discovery repeats.
  const int listener = ::socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in in{};
  in.sin_family = AF_INET;
  in.sin_addr.s_addr = htonl(0x7F000005);
  in.sin_port = htons(udpPort);
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&in), sizeof in), 0);
  settings.broadcastAddress = "127.0.0.5";
  NetDiscovery discovery(modules, nullptr, settings);
  discovery.start();
  ASSERT_TRUE(test::waitFor([&] { return discovery.datagramsSent() >= 2; }));
  discovery.stop();
  int arrived = 0;
  char text[64];
  while (::recv(listener, text, sizeof text, MSG_DONTWAIT) > 0) {
    EXPECT_EQ(std::string(text, 7), "Get_IP:");
    ++arrived;
  }
  ::close(listener);
  EXPECT_EQ(arrived, discovery.datagramsSent());
  EXPECT_EQ(discovery.datagramsRefused(), 0);
}

TEST_F(NetTransportTest, TakenLocalPortFallsBackToAFreeOneAndSaysSoOnce) {
  BoundPort taken(SOCK_DGRAM, 0); // any address, like the discovery socket
  ASSERT_NE(taken.port(), 0);
  settings.localUdpPort = taken.port();
  NetDiscovery discovery(modules, nullptr, settings);
  discovery.start();
  ASSERT_TRUE(test::waitFor([&] { return discovery.boundPort() != 0; }));
  discovery.stop();
  EXPECT_NE(discovery.boundPort(), taken.port());
  const auto seen = noticesSeen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_NE(seen[0].find("local UDP port " + std::to_string(taken.port()) + " is not available"),
            std::string::npos)
      << seen[0];
}

TEST_F(NetTransportTest, ASimulatorThatDiesEndsTheLinkAtOnceWithTheReason) {
  testing::SimProcess sim;
  ASSERT_TRUE(startSim(sim, "127.0.0.1"));
  auto transport = makeTransport();
  // Closing from this side is not a loss.
  ASSERT_TRUE(transport->open());
  transport->close();
  EXPECT_FALSE(link.lastFailure().get());

  link.state().workerRun.store(true);
  ASSERT_TRUE(transport->open());
  sim.stop(SIGKILL);
  EXPECT_TRUE(test::waitFor([&] { return !link.state().connected.load(); }, 1000ms))
      << "the closed connection ends the link without counting misses";
  EXPECT_EQ(link.lastFailure().get().error, LinkError::Gone);
}

TEST_F(NetTransportTest, StopEndsAnOpenThatFindsNoModule) {
  auto transport = makeTransport();
  auto opened = std::async(std::launch::async, [&] { return transport->open(); });
  std::this_thread::sleep_for(300ms);
  link.state().workerRun.store(false);
  transport->close();
  ASSERT_EQ(opened.wait_for(1s), std::future_status::ready);
  EXPECT_FALSE(opened.get());
}

} // namespace
} // namespace kv816
