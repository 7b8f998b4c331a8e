#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "link/transports/device_lock.h"

namespace kv816 {

std::string DeviceLock::defaultFolder() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
    return runtime;
  if (const char* tmp = std::getenv("TMPDIR"); tmp && *tmp)
    return tmp;
  return "/tmp";
}

namespace {
std::string lockPath(const std::string& name, const std::string& folder) {
  return (folder.empty() ? DeviceLock::defaultFolder() : folder) + "/kv816-" + name + ".lock";
}
} // namespace

bool DeviceLock::tryAcquire(const std::string& name, const std::string& folder) {
  release();
  const int fd = ::open(lockPath(name, folder).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0)
    return false;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  const std::string pid = std::to_string(::getpid()) + "\n";
  if (::ftruncate(fd, 0) == 0) [[maybe_unused]]
    const ssize_t ignored = ::pwrite(fd, pid.data(), pid.size(), 0);
  fd_ = fd;
  return true;
}

int DeviceLock::holderPid(const std::string& name, const std::string& folder) {
  const int fd = ::open(lockPath(name, folder).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return 0;
  int pid = 0;
  if (::flock(fd, LOCK_SH | LOCK_NB) != 0) { // held: the file names the holder
    char text[16] = {};
    if (::read(fd, text, sizeof text - 1) > 0)
      pid = std::atoi(text);
  } else {
    ::flock(fd, LOCK_UN);
  }
  ::close(fd);
  return pid;
}

void DeviceLock::release() {
  if (fd_ < 0)
    return;
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
}

} // namespace kv816
