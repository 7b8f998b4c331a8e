#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

#include "link/transports/device_lock.h"

namespace kv816 {

std::string DeviceLock::defaultFolder() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
    return runtime;
  if (const char* tmp = std::getenv("TMPDIR"); tmp && *tmp)
    return tmp;
  return "/tmp";
}

bool DeviceLock::tryAcquire(const std::string& name, const std::string& folder) {
  release();
  const std::string path = (folder.empty() ? defaultFolder() : folder) + "/kv816-" + name + ".lock";
  const int fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0)
    return false;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

void DeviceLock::release() {
  if (fd_ < 0)
    return;
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
}

} // namespace kv816
