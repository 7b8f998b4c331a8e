// kv816ctl when the device cannot be reached: the message names the cause and its fix,
// and the exit code is 2, for each way an open fails.

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ctl_process.h"

namespace kv816::testing {
namespace {

namespace fs = std::filesystem;

// A pseudo-terminal this test process holds locked, as another program using the port.
class HeldPty {
public:
  HeldPty() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
      return;
    path_ = ptsname(master_);
    slave_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0 || ::flock(slave_, LOCK_EX | LOCK_NB) != 0)
      path_.clear();
  }
  ~HeldPty() {
    if (slave_ >= 0)
      ::close(slave_);
    if (master_ >= 0)
      ::close(master_);
  }
  const std::string& path() const { return path_; }

private:
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
};

TEST(CtlOpenFailure, EachCauseIsNamedWithItsFixAndExitsTwo) {
  ::setenv("KV816_LOOPBACK_ONLY", "1", 1);
  const fs::path folder = uniqueTempPath("ctl-open");
  fs::create_directories(folder);
  ::setenv("KV816_CONFIG_DIR", (folder / "FileData").c_str(), 1);
  const std::string plainFile = (folder / "not-a-port").string();
  std::ofstream(plainFile) << "text";
  HeldPty held;
  ASSERT_FALSE(held.path().empty());
  const std::string holder = "PID " + std::to_string(::getpid());

  struct Case {
    std::vector<std::string> link;
    std::vector<std::string> expected; // every one appears in the message
  };
  const Case cases[] = {
      {{"--link", "serial", "--port", "/nonexistent/kv816-port"},
       {"/nonexistent/kv816-port: not found"}},
      {{"--link", "serial", "--port", plainFile}, {plainFile + ": not a serial device"}},
      {{"--link", "serial", "--port", held.path()}, {held.path() + ": busy", holder}},
      {{"--link", "net", "--net-address", "192.0.2.40", "--local-udp-port", "0"},
       {"192.0.2.40: address not allowed", "KV816_LOOPBACK_ONLY"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.link;
    args.insert(args.end(), {"--timeout", "1", "info"});
    const CtlRun run = runCtl(args);
    SCOPED_TRACE(c.expected.front());
    EXPECT_EQ(run.exitCode, 2) << run.err;
    for (const std::string& text : c.expected)
      EXPECT_NE(run.err.find(text), std::string::npos) << run.err;
  }
  fs::remove_all(folder);
}

} // namespace
} // namespace kv816::testing
