#include "presets/file_system.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace kv816 {
namespace {

namespace fs = std::filesystem;

class FileDescriptor {
public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  // Closes now and reports whether the close (which may flush) succeeded.
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

private:
  int fd_;
};

bool writeAll(int fd, std::span<const uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// Creates a fresh temporary file in the target's folder, so the rename stays on one file
// system. The name is unique per process and call; O_EXCL refuses any name already taken.
// Returns the open descriptor (mode 0666 less the umask) and fills `tempPath`.
int createTemporary(const fs::path& target, std::string& tempPath) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = target.string() + ".tmp-" + std::to_string(::getpid()) + "-" +
               std::to_string(counter.fetch_add(1, std::memory_order_relaxed));
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) {
      return fd;
    }
  }
  return -1;
}

// Moves the finished temporary file to `target` without ever replacing an existing file:
// link() refuses an existing name. File systems without hard links get a checked rename.
FileWriteStatus placeWithoutReplacing(const std::string& temp, const fs::path& target) {
  if (::link(temp.c_str(), target.c_str()) == 0) {
    ::unlink(temp.c_str());
    return FileWriteStatus::Ok;
  }
  const int linkError = errno;
  if (linkError == EEXIST) {
    ::unlink(temp.c_str());
    return FileWriteStatus::Exists;
  }
  struct stat st {};
  if (::lstat(target.c_str(), &st) == 0) {
    ::unlink(temp.c_str());
    return FileWriteStatus::Exists;
  }
  if (::rename(temp.c_str(), target.c_str()) == 0) {
    return FileWriteStatus::Ok;
  }
  ::unlink(temp.c_str());
  return FileWriteStatus::Failed;
}

} // namespace

FileReadStatus readWholeFile(const fs::path& path, std::vector<uint8_t>& out, size_t limit) {
  out.clear();
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat st {};
  if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    return FileReadStatus::CannotOpen;
  }
  uint8_t chunk[16384];
  for (;;) {
    const ssize_t n = ::read(fd.get(), chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0) {
      out.clear();
      return FileReadStatus::CannotOpen;
    }
    if (n == 0) {
      return FileReadStatus::Ok;
    }
    if (out.size() + static_cast<size_t>(n) > limit) {
      out.clear();
      return FileReadStatus::TooLarge;
    }
    out.insert(out.end(), chunk, chunk + n);
  }
}

FileWriteStatus writeFileAtomically(const fs::path& path, std::span<const uint8_t> bytes,
                                    bool keepExisting) {
  if (keepExisting && regularFileExists(path)) {
    return FileWriteStatus::Exists;
  }
  std::string temp;
  FileDescriptor fd(createTemporary(path, temp));
  if (fd.get() < 0) {
    return FileWriteStatus::Failed;
  }
  const bool written = writeAll(fd.get(), bytes) && ::fsync(fd.get()) == 0;
  if (!fd.close() || !written) {
    ::unlink(temp.c_str());
    return FileWriteStatus::Failed;
  }
  if (keepExisting) {
    return placeWithoutReplacing(temp, path);
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    return FileWriteStatus::Failed;
  }
  return FileWriteStatus::Ok;
}

bool regularFileExists(const fs::path& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool folderExists(const fs::path& folder) {
  struct stat st {};
  return !folder.empty() && ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace kv816
