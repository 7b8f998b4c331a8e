#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "link/transports/lock_holder.h"

namespace kv816 {

// /proc/locks lines: "1: FLOCK  ADVISORY  WRITE 4242 00:19:1234 0 EOF" (major:minor in hex).
int flockHolderPid(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0)
    return 0;
  std::ifstream locks("/proc/locks");
  std::string line;
  while (std::getline(locks, line)) {
    std::istringstream in(line);
    std::string ordinal, kind, mode, access, device;
    int pid = 0;
    if (!(in >> ordinal >> kind) || kind != "FLOCK" || !(in >> mode >> access >> pid >> device))
      continue;
    unsigned major = 0, minor = 0;
    unsigned long inode = 0;
    if (std::sscanf(device.c_str(), "%x:%x:%lu", &major, &minor, &inode) == 3 &&
        inode == st.st_ino && major == ::major(st.st_dev) && minor == ::minor(st.st_dev))
      return pid;
  }
  return 0;
}

} // namespace kv816
