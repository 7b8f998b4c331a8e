#pragma once
// Runs the real kv816-sim for end-to-end tests: starts it with arguments, its standard
// output going to a file, and stops it with a signal.

#include <chrono>
#include <csignal>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

#include "support/child_process.h"

namespace kv816::testing {

class SimProcess {
public:
  ~SimProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    ::unlink(outPath_.c_str());
  }

  bool start(const std::vector<std::string>& args, const std::string& program = KV816_SIM_PATH) {
    outPath_ = uniqueTempPath("sim-out");
    pid_ = spawnProgram(program, args, outPath_);
    return pid_ > 0;
  }

  // Waits until the program has printed "ready"; false if it exited or took too long.
  bool waitReady(std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      if (output().find("kv816-sim: ready") != std::string::npos)
        return true;
      if (::waitpid(pid_, &status_, WNOHANG) == pid_) {
        pid_ = -1;
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  std::string output() const { return readFile(outPath_); }

  // Sends the signal and returns the exit code (-1 when it did not exit normally in time).
  int stop(int signal = SIGTERM) {
    if (pid_ > 0)
      ::kill(pid_, signal);
    return wait();
  }

  int wait(std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (pid_ > 0 && std::chrono::steady_clock::now() < end) {
      if (::waitpid(pid_, &status_, WNOHANG) == pid_)
        pid_ = -1;
      else
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return pid_ < 0 && WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
  }

private:
  pid_t pid_ = -1;
  int status_ = 0;
  std::string outPath_;
};

} // namespace kv816::testing
