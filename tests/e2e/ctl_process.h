#pragma once
// Runs the real kv816ctl and collects its exit code, standard output and standard error.

#include <chrono>
#include <csignal>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

#include "sim/sim_process.h"

namespace kv816::testing {

struct CtlRun {
  int exitCode = -1; // -1: killed after the time limit
  std::string out;
  std::string err;
};

inline CtlRun runCtl(const std::vector<std::string>& args,
                     std::chrono::seconds limit = std::chrono::seconds(60),
                     const std::string& program = KV816CTL_PATH) {
  const std::string outPath = uniqueTempPath("ctl-out");
  const std::string errPath = uniqueTempPath("ctl-err");
  CtlRun run;
  const pid_t pid = spawnProgram(program, args, outPath, errPath);
  if (pid < 0)
    return run;
  int status = 0;
  const auto end = std::chrono::steady_clock::now() + limit;
  while (::waitpid(pid, &status, WNOHANG) != pid) {
    if (std::chrono::steady_clock::now() > end) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      status = -1;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (status != -1 && WIFEXITED(status))
    run.exitCode = WEXITSTATUS(status);
  run.out = readFile(outPath);
  run.err = readFile(errPath);
  ::unlink(outPath.c_str());
  ::unlink(errPath.c_str());
  return run;
}

// The port the simulator printed for an endpoint ("kv816-sim: tcp 127.0.0.1:40123").
inline std::string endpointPort(const std::string& output, const std::string& kind) {
  const std::string key = "kv816-sim: " + kind + " 127.0.0.1:";
  const size_t at = output.find(key);
  if (at == std::string::npos)
    return {};
  const size_t start = at + key.size();
  return output.substr(start, output.find('\n', start) - start);
}

} // namespace kv816::testing
