#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <future>

#include "link/link.h"
#include "link/packet.h"
#include "link/transport_support.h"
#include "link/transports/serial_port_list.h"
#include "link/transports/serial_transport.h"
#include "model/parameter_table.h"
#include "sim/sim_process.h"

namespace kv816 {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(SerialPortList, PreferredFirstThenSystemOrderEachNameOnce) {
  struct Case {
    std::vector<std::string> preferred, system, merged;
  };
  const Case cases[] = {
      {{}, {"/dev/ttyS3", "/dev/ttyS10"}, {"/dev/ttyS3", "/dev/ttyS10"}},
      {{"/tmp/pty"},
       {"/dev/ttyS3", "/dev/ttyS3", "/dev/ttyUSB0"},
       {"/tmp/pty", "/dev/ttyS3", "/dev/ttyUSB0"}},
      {{"/dev/ttyUSB0", "", "/dev/ttyUSB0"},
       {"/dev/ttyS0", "/dev/ttyUSB0"},
       {"/dev/ttyUSB0", "/dev/ttyS0"}},
      {{}, {}, {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(mergePortLists(c.preferred, c.system), c.merged);
}

// A pseudo-terminal nobody answers on: it opens, takes the probe and stays silent.
class SilentPty {
public:
  SilentPty() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0)
      path_ = ptsname(master_);
  }
  ~SilentPty() {
    if (master_ >= 0)
      ::close(master_);
  }
  const std::string& path() const { return path_; }

private:
  int master_ = -1;
  std::string path_;
};

class SerialTransportTest : public ::testing::Test {
protected:
  std::unique_ptr<SerialTransport> makeTransport(std::vector<std::string> ports) {
    SerialSettings settings;
    settings.preferredPorts = std::move(ports);
    settings.listSystemPorts = [this] {
      ++listings;
      return std::vector<std::string>{}; // never touch the machine's real ports
    };
    auto transport = std::make_unique<SerialTransport>(link, &events, settings);
    link.setTransport(transport.get());
    return transport;
  }

  bool startSim(testing::SimProcess& sim) {
    return sim.start({"--pty", simPath}) && sim.waitReady();
  }

  ParameterTable table;
  Link link{table};
  test::RecordingEvents events;
  std::atomic<int> listings{0};
  std::string simPath = testing::uniqueTempPath("serial-pty");
};

TEST_F(SerialTransportTest, FindsTheDeviceOnTheSecondPortAfterOneProbeWait) {
  testing::SimProcess sim;
  ASSERT_TRUE(startSim(sim));
  SilentPty silent;
  auto transport = makeTransport({silent.path(), simPath});
  const auto start = Clock::now();
  ASSERT_TRUE(transport->open());
  const auto took = Clock::now() - start;
  EXPECT_GE(took, 500ms);
  EXPECT_LT(took, 1500ms);
  EXPECT_EQ(transport->currentPort(), simPath);
  EXPECT_TRUE(link.state().connected.load());
  EXPECT_EQ(events.count(Notify::LinkStatus, LINK_FOUND), 1);
  EXPECT_EQ(table.value(IDX_DEVICE_ID), DEVICE_ID);

  // Frames carried both ways: a write is echoed and its mark cleared.
  table.setParameter(1100, 7);
  ASSERT_TRUE(link.sendAndWait(cmd::WRITE, std::vector<uint8_t>{0x04, 0x4C, 0x00, 0x07}, 1000));
  EXPECT_EQ(table.record(1100).mustSend.load(), 0);

  const auto closing = Clock::now();
  transport->close();
  EXPECT_LT(Clock::now() - closing, 200ms) << "the reader ends promptly on close";
  EXPECT_FALSE(transport->isOpen());
  EXPECT_FALSE(link.state().connected.load());
}

TEST_F(SerialTransportTest, PortThatDisappearsClosesItselfAndIsFoundAgain) {
  auto sim = std::make_unique<testing::SimProcess>();
  ASSERT_TRUE(startSim(*sim));
  auto transport = makeTransport({simPath});
  ASSERT_TRUE(transport->open());

  sim->stop(SIGKILL);
  EXPECT_TRUE(test::waitFor([&] { return !transport->isOpen(); }, 2000ms));
  EXPECT_FALSE(link.state().connected.load());
  link.sendPacket(cmd::READ, std::vector<uint8_t>{0x00, 0x00}); // dropped quietly

  // The simulator comes back on the same path; the next open finds it.
  sim = std::make_unique<testing::SimProcess>();
  ASSERT_TRUE(startSim(*sim));
  ASSERT_TRUE(transport->open());
  EXPECT_TRUE(link.state().connected.load());
}

TEST_F(SerialTransportTest, WithoutAnAnswerKeepsListingUntilStopped) {
  SilentPty silent;
  auto transport = makeTransport({silent.path(), "/nonexistent/kv816-port"});
  auto opened = std::async(std::launch::async, [&] { return transport->open(); });
  ASSERT_TRUE(test::waitFor([&] { return listings.load() >= 3; }, 5000ms));
  link.state().workerRun.store(false);
  link.replySemaphore().release();
  transport->close();
  ASSERT_EQ(opened.wait_for(700ms), std::future_status::ready);
  EXPECT_FALSE(opened.get());
  EXPECT_EQ(events.count(Notify::LinkStatus, LINK_FOUND), 0);
}

} // namespace
} // namespace kv816
