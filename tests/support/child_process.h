#pragma once
// Starting one of the real programs from a test: a unique scratch file name, reading a file
// whole, and a spawn whose standard output (and optionally standard error) go to files.

#include <fcntl.h>
#include <spawn.h>
#include <sys/types.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace kv816::testing {

inline std::string uniqueTempPath(const std::string& stem) {
  static int counter = 0;
  return "/tmp/kv816-" + stem + "-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
}

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs `program` with `args`, its standard output written to `outPath` and, when
// `errPath` is not empty, its standard error to `errPath`. Returns the child's id, or -1
// when it could not be started.
inline pid_t spawnProgram(const std::string& program, const std::vector<std::string>& args,
                          const std::string& outPath, const std::string& errPath = {}) {
  std::vector<std::string> all{program};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  const int flags = O_WRONLY | O_CREAT | O_TRUNC;
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), flags, 0600);
  if (!errPath.empty())
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), flags, 0600);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

} // namespace kv816::testing
