#include "sim/pty_endpoint.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "sim/simulated_device.h"

namespace kv816 {
namespace {

constexpr int POLL_MS = 100;

std::string systemError(const char* what) {
  return std::string(what) + ": " + std::strerror(errno);
}

void closeFd(int& fd) {
  if (fd >= 0)
    ::close(fd);
  fd = -1;
}

// A stale link from an earlier run is replaced; anything else at the path is left alone.
bool placeLink(const std::string& target, const std::string& path, std::string& error) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0) {
    if (!S_ISLNK(st.st_mode)) {
      error = path + " exists and is not a symbolic link";
      return false;
    }
    ::unlink(path.c_str());
  }
  if (::symlink(target.c_str(), path.c_str()) != 0) {
    error = systemError(("symlink " + path).c_str());
    return false;
  }
  return true;
}

} // namespace

PtyEndpoint::PtyEndpoint(SimulatedDevice& device) : device_(device) {}

PtyEndpoint::~PtyEndpoint() {
  stop();
}

bool PtyEndpoint::start(const std::string& linkPath, std::string& error) {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
    error = systemError("posix_openpt");
    closeFd(master_);
    return false;
  }
  slaveName_ = ::ptsname(master_);
  slave_ = ::open(slaveName_.c_str(), O_RDWR | O_NOCTTY);
  termios tio{};
  if (slave_ < 0 || ::tcgetattr(slave_, &tio) != 0) {
    error = systemError("open slave");
    stop();
    return false;
  }
  ::cfmakeraw(&tio);
  ::tcsetattr(slave_, TCSANOW, &tio);
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  int wake[2];
  if (::pipe(wake) != 0 || !placeLink(slaveName_, linkPath, error)) {
    if (error.empty())
      error = systemError("pipe");
    stop();
    return false;
  }
  wakeRead_ = wake[0];
  wakeWrite_ = wake[1];
  linkPath_ = linkPath;
  writer_ = std::make_unique<DelayedQueue>([this](std::span<const uint8_t> b) { writeAll(b); });
  writer_->start();
  running_ = true;
  reader_ = std::thread([this] { readLoop(); });
  return true;
}

void PtyEndpoint::stop() {
  running_ = false;
  if (wakeWrite_ >= 0)
    (void)!::write(wakeWrite_, "x", 1);
  if (reader_.joinable())
    reader_.join();
  if (writer_)
    writer_->stop();
  writer_.reset();
  if (!linkPath_.empty()) {
    char target[256] = {};
    const ssize_t n = ::readlink(linkPath_.c_str(), target, sizeof target - 1);
    if (n > 0 && slaveName_ == std::string(target, static_cast<size_t>(n)))
      ::unlink(linkPath_.c_str());
    linkPath_.clear();
  }
  closeFd(wakeRead_);
  closeFd(wakeWrite_);
  closeFd(slave_);
  closeFd(master_);
}

void PtyEndpoint::readLoop() {
  uint8_t buffer[4096];
  while (running_) {
    pollfd fds[2] = {{master_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
    if (::poll(fds, 2, POLL_MS) <= 0 || !running_)
      continue;
    if (!(fds[0].revents & POLLIN))
      continue;
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n <= 0)
      continue;
    for (const Frame& frame : parser_.feed(std::span(buffer, static_cast<size_t>(n))))
      writer_->push(device_.handleFrame(frame));
  }
}

// The terminal's buffer fills when nobody reads the other side; then replies are dropped,
// as a serial line without a listener loses them.
void PtyEndpoint::writeAll(std::span<const uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size() && running_) {
    const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR)
      return;
    pollfd out{master_, POLLOUT, 0};
    if (::poll(&out, 1, POLL_MS) <= 0)
      return;
  }
}

} // namespace kv816
