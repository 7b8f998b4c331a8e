// The soak: the connection worker against kv816-sim dropping, corrupting and delaying its
// replies, over the pseudo-terminal (serial link) and over loopback TCP (network link).
// A user edits the whole table at a reading pace, in bursts and by dragging; after the
// link settles the device's table must hold every edit made while the link was up.
//
// The short form runs each link for KV816_SOAK_SECONDS (default 12); set it to 600 for
// the long form.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <memory>
#include <ostream>

#include "e2e/soak_support.h"
#include "i18n/language.h"
#include "sim/sim_process.h"

namespace kv816 {
namespace {

using namespace soak;
using testing::SimProcess;
using testing::uniqueTempPath;

const std::vector<std::string> FAULTS = {"--drop", "0.05", "--corrupt", "0.01", "--delay-ms", "20"};

struct SoakLink {
  const char* name;
  int linkType;
};

std::ostream& operator<<(std::ostream& out, const SoakLink& link) {
  return out << link.name;
}

class SoakTest : public ::testing::TestWithParam<SoakLink> {
protected:
  void SetUp() override { setCurrentLanguage(LanguageIndex::English); }
  void TearDown() override {
    ::unlink(statePath.c_str());
    ::unlink(logPath.c_str());
  }

  std::vector<std::string> simArguments() {
    std::vector<std::string> args = FAULTS;
    args.insert(args.end(), {"--seed", "816", "--state-file", statePath, "--log", logPath});
    if (GetParam().linkType == LINK_NETWORK) {
      const std::string tcp = "127.0.0.1:" + std::to_string(tcpPort);
      const std::string udp = "127.0.0.1:" + std::to_string(udpPort);
      args.insert(args.end(), {"--tcp", tcp, "--udp", udp});
    } else {
      args.insert(args.end(), {"--pty", ptyPath});
    }
    return args;
  }

  TransportFactory factory() {
    return testLinkFactory(GetParam().linkType, ptyPath, udpPort, tcpPort);
  }

  std::string ptyPath = uniqueTempPath("soak-pty");
  std::string statePath = uniqueTempPath("soak-state");
  std::string logPath = uniqueTempPath("soak-log");
  uint16_t tcpPort = freeLoopbackPort(SOCK_STREAM);
  uint16_t udpPort = freeLoopbackPort(SOCK_DGRAM);
};

TEST_P(SoakTest, EveryEditMadeWhileTheLinkIsUpReachesTheDevice) {
  const int seconds = positiveFromEnv("KV816_SOAK_SECONDS", 12);
  SimProcess sim;
  ASSERT_TRUE(sim.start(simArguments()) && sim.waitReady());

  ParameterTable table;
  CountingEvents events;
  WorkerOptions options;
  options.config.linkType = GetParam().linkType;
  ConnectionWorker worker(table, events, factory(), options);
  worker.meterView().store(1); // the gain page: all six meter words every 30 ms
  ASSERT_TRUE(worker.start());
  ASSERT_TRUE(worker.waitUntilRunning(30s)) << "no connection through the faults";

  // The network settings dialog reads the WiFi module meanwhile: through the device
  // (command 0x57) on the serial link, over UDP on the network link.
  worker.modules().queueModuleReads();
  Editor editor(worker, events, 1234);
  editor.run(Clock::now() + std::chrono::seconds(seconds));
  const bool settled = waitSettled(worker, 30s);
  const bool moduleRead = waitUntil([&] { return moduleReadsAnswered(worker.modules()); }, 10s);
  worker.stop();
  ASSERT_EQ(sim.stop(SIGTERM), 0);

  const std::optional<DeviceState> device = readDeviceState(statePath);
  ASSERT_TRUE(device.has_value());
  const FaultFigures faults = faultFigures(logPath);
  const int lost = lostEdits(editor, events.losses.load(), *device);
  const int mismatches = tableMismatches(table, *device);
  std::printf("soak %s %d s: edits %d (%d while up), device frames %d, dropped %d, corrupted %d, "
              "link losses %d, lost edits %d, table mismatches %d\n",
              GetParam().name, seconds, editor.edits(), editor.editsWhileUp(), faults.out,
              faults.dropped, faults.corrupted, events.losses.load(), lost, mismatches);
  EXPECT_TRUE(settled);
  EXPECT_TRUE(moduleRead);
  EXPECT_GT(editor.editsWhileUp(), 0);
  EXPECT_GT(faults.dropped + faults.corrupted, 0) << "the faults were not switched on";
  EXPECT_EQ(lost, 0);
  EXPECT_EQ(mismatches, 0);
}

INSTANTIATE_TEST_SUITE_P(Links, SoakTest,
                         ::testing::Values(SoakLink{"serial", LINK_SERIAL},
                                           SoakLink{"tcp", LINK_NETWORK}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace kv816
