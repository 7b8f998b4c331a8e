// End to end: the real kv816-sim over a real pseudo-terminal and loopback sockets.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <set>
#include <sys/socket.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "sim/state_json.h"
#include "sim_process.h"
#include "sim_test_util.h"

namespace kv816 {
namespace {

using namespace std::chrono_literals;
using testing::frame;
using testing::hex;
using testing::readFile;
using testing::SimProcess;
using testing::text;
using testing::uniqueTempPath;
using testing::valueItems;

// Writes a request on a file descriptor and collects reply frames until `count` arrived
// or a second has passed.
class FrameClient {
public:
  explicit FrameClient(int fd) : fd_(fd) {}
  ~FrameClient() {
    if (fd_ >= 0)
      ::close(fd_);
  }
  std::vector<Frame> ask(uint8_t command, std::vector<uint8_t> payload, size_t count) {
    const auto bytes = frame(command, std::move(payload));
    EXPECT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    std::vector<Frame> frames;
    const auto end = std::chrono::steady_clock::now() + 1s;
    uint8_t buffer[4096];
    while (frames.size() < count && std::chrono::steady_clock::now() < end) {
      pollfd in{fd_, POLLIN, 0};
      if (::poll(&in, 1, 50) <= 0)
        continue;
      const ssize_t n = ::read(fd_, buffer, sizeof buffer);
      if (n <= 0)
        break;
      for (Frame& f : parser_.feed(std::span(buffer, static_cast<size_t>(n))))
        frames.push_back(std::move(f));
    }
    return frames;
  }

private:
  int fd_;
  FrameParser parser_;
};

int openRawTerminal(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
  termios tio{};
  if (fd >= 0 && ::tcgetattr(fd, &tio) == 0) {
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
  }
  return fd;
}

std::string moduleReply(const std::vector<Frame>& frames) {
  if (frames.size() != 1 || frames[0].payload.size() < 2)
    return "(no reply)";
  return std::string(frames[0].payload.begin(), frames[0].payload.end() - 2);
}

TEST(SimProgram, ScriptedSessionOverAPseudoTerminal) {
  const std::string link = uniqueTempPath("pty");
  const std::string statePath = uniqueTempPath("state");
  const std::string logPath = uniqueTempPath("log");
  SimProcess sim;
  ASSERT_TRUE(sim.start({"--pty", link, "--state-file", statePath, "--log", logPath}));
  ASSERT_TRUE(sim.waitReady()) << sim.output();
  FrameClient device(openRawTerminal(link));

  const auto info = device.ask(cmd::INFO, {0x00}, 1);
  ASSERT_EQ(info.size(), 1u);
  EXPECT_EQ(info[0].payload, hex("4E 2F 01 00"));
  const auto echo = device.ask(cmd::WRITE, hex("00 64 12 34"), 1);
  ASSERT_EQ(echo.size(), 1u);
  EXPECT_EQ(echo[0].payload, hex("00 64 12 34"));

  const auto dump = valueItems(device.ask(cmd::BULK_DUMP, {0x00}, 47));
  ASSERT_EQ(dump.size(), static_cast<size_t>(PARAM_COUNT));
  EXPECT_EQ(dump.at(0), DEVICE_ID);
  EXPECT_EQ(dump.at(100), 0x1234);

  std::set<std::vector<uint8_t>> names;
  for (uint8_t p = 1; p <= 12; ++p)
    for (const Frame& f : device.ask(cmd::NAME, {p}, 1))
      names.insert(f.payload);
  EXPECT_EQ(names.size(), 12u);

  ASSERT_EQ(device.ask(cmd::RECALL, {4}, 1).size(), 1u);
  const auto afterRecall = valueItems(device.ask(cmd::READ, hex("04 8D 02 CE"), 1));
  EXPECT_EQ(afterRecall.at(IDX_CURRENT_PRESET), 4);
  EXPECT_EQ(afterRecall.at(716 + 2), 330); // output 1 gain of preset 4: -3.0 dB

  EXPECT_EQ(moduleReply(device.ask(cmd::MODULE_TEXT, text("Set_HotSSID:E2E"), 1)),
            "Set_HotSSID:OK");
  EXPECT_EQ(moduleReply(device.ask(cmd::MODULE_TEXT, text("Get_HotSSID:"), 1)), "Get_HotSSID:E2E");

  EXPECT_EQ(sim.stop(SIGTERM), 0);
  struct stat st {};
  EXPECT_NE(::lstat(link.c_str(), &st), 0) << "the link must be removed at exit";
  DeviceState state;
  std::string error;
  ASSERT_TRUE(stateFromJson(readFile(statePath), state, error)) << error;
  EXPECT_EQ(state.currentPreset, 4);
  EXPECT_EQ(state.module.hotSsid, "E2E");
  EXPECT_EQ(state.presets[0].values[100], 0x1234);
  EXPECT_NE(readFile(logPath).find(R"("dir":"in","cmd":"0xF0")"), std::string::npos);
  ::unlink(statePath.c_str());
  ::unlink(logPath.c_str());
}

uint16_t portFrom(const std::string& output, const std::string& what) {
  const size_t at = output.find("kv816-sim: " + what + " 127.0.0.1:");
  if (at == std::string::npos)
    return 0;
  return static_cast<uint16_t>(std::stoi(output.substr(output.find(':', at + 11) + 1)));
}

sockaddr_in loopback(uint16_t port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return a;
}

std::string udpAsk(uint16_t port, const std::string& command) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  const sockaddr_in to = loopback(port);
  const std::string datagram = command + '\0';
  ::sendto(fd, datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&to),
           sizeof to);
  pollfd in{fd, POLLIN, 0};
  char buffer[1500];
  ssize_t n = 0;
  if (::poll(&in, 1, 1000) > 0)
    n = ::recv(fd, buffer, sizeof buffer, 0);
  ::close(fd);
  return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : "(no reply)";
}

TEST(SimProgram, WifiModuleAnswersOnLoopbackUdpAndCarriesFramesOverTcp) {
  SimProcess sim;
  ASSERT_TRUE(sim.start({"--tcp", "127.0.0.1:0", "--udp", "127.0.0.1:0"}));
  ASSERT_TRUE(sim.waitReady()) << sim.output();
  const uint16_t tcpPort = portFrom(sim.output(), "tcp");
  const uint16_t udpPort = portFrom(sim.output(), "udp");
  ASSERT_NE(tcpPort, 0);
  ASSERT_NE(udpPort, 0);

  EXPECT_EQ(udpAsk(udpPort, "Get_IP:"), "Get_IP:7F000001");
  EXPECT_EQ(udpAsk(udpPort, "Get_LinkIP:"), "Get_LinkIP:00000000");
  const int tcp = ::socket(AF_INET, SOCK_STREAM, 0);
  const sockaddr_in to = loopback(tcpPort);
  ASSERT_EQ(::connect(tcp, reinterpret_cast<const sockaddr*>(&to), sizeof to), 0);
  FrameClient device(tcp);
  const auto read0 = device.ask(cmd::READ, {0x00, 0x00}, 1);
  ASSERT_EQ(read0.size(), 1u);
  EXPECT_EQ(read0[0].payload, hex("00 00 4E 2F"));
  EXPECT_EQ(udpAsk(udpPort, "Get_LinkIP:"), "Get_LinkIP:7F000001");
  EXPECT_EQ(sim.stop(SIGINT), 0);
}

TEST(SimProgram, RefusesAddressesOutsideLoopback) {
  SimProcess sim;
  ASSERT_TRUE(sim.start({"--udp", "192.168.1.10:1010"}));
  EXPECT_EQ(sim.wait(), 2);
}

} // namespace
} // namespace kv816
