#pragma once
// Runs the real kv816ctl and collects its exit code, standard output and standard error.

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
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
                     std::chrono::seconds limit = std::chrono::seconds(60)) {
  const std::string outPath = uniqueTempPath("ctl-out");
  const std::string errPath = uniqueTempPath("ctl-err");
  std::vector<std::string> all{KV816CTL_PATH};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  pid_t pid = -1;
  CtlRun run;
  const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0)
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

} // namespace kv816::testing
