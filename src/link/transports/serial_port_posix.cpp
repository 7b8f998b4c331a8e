#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <utility>

#include "link/transports/lock_holder.h"
#include "link/transports/serial_port.h"

namespace kv816 {
namespace {

constexpr int WRITE_WAIT_MS = 1000;

bool speedFor(int baudRate, speed_t& speed) {
  static constexpr std::array<std::pair<int, speed_t>, 14> RATES = {{
      {1200, B1200},
      {2400, B2400},
      {4800, B4800},
      {9600, B9600},
      {19200, B19200},
      {38400, B38400},
      {57600, B57600},
      {115200, B115200},
      {230400, B230400},
      {460800, B460800},
      {500000, B500000},
      {921600, B921600},
      {1000000, B1000000},
      {2000000, B2000000},
  }};
  for (const auto& [rate, value] : RATES)
    if (rate == baudRate) {
      speed = value;
      return true;
    }
  return false;
}

// Raw bytes, 8N1, receiver on, modem lines ignored, no flow control of either kind.
bool configure(int fd, int baudRate) {
  speed_t speed;
  termios tio{};
  if (!speedFor(baudRate, speed) || tcgetattr(fd, &tio) != 0)
    return false;
  cfmakeraw(&tio);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  tio.c_cflag |= CS8 | CREAD | CLOCAL;
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  if (cfsetispeed(&tio, speed) != 0 || cfsetospeed(&tio, speed) != 0)
    return false;
  if (tcsetattr(fd, TCSANOW, &tio) != 0)
    return false;
  tcflush(fd, TCIOFLUSH);
  return true;
}

} // namespace

SerialPort::SerialPort() {
  int fds[2];
  if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
    wakeRead_ = fds[0];
    wakeWrite_ = fds[1];
  }
}

SerialPort::~SerialPort() {
  close();
  if (wakeRead_ >= 0)
    ::close(wakeRead_);
  if (wakeWrite_ >= 0)
    ::close(wakeWrite_);
}

LinkFailure SerialPort::open(const std::string& path, int baudRate) {
  close();
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return {linkErrorFromErrno(errno), path};
  LinkFailure failure;
  if (!isatty(fd))
    failure = {LinkError::NotSerialDevice, path};
  else if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
    failure = {LinkError::Busy, path, flockHolderPid(fd)};
  else if (!configure(fd, baudRate))
    failure = {LinkError::Unsupported, path};
  if (failure) {
    ::close(fd);
    return failure;
  }
  drainWake();
  std::lock_guard lock(mutex_);
  fd_ = fd;
  return {};
}

void SerialPort::close() {
  std::lock_guard lock(mutex_);
  if (fd_ >= 0)
    ::close(fd_);
  fd_ = -1;
}

bool SerialPort::isOpen() const {
  std::lock_guard lock(mutex_);
  return fd_ >= 0;
}

bool SerialPort::write(std::span<const uint8_t> bytes) {
  std::lock_guard lock(mutex_);
  size_t done = 0;
  while (fd_ >= 0 && done < bytes.size()) {
    const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR)
      return false;
    pollfd out{fd_, POLLOUT, 0};
    if (::poll(&out, 1, WRITE_WAIT_MS) <= 0 || (out.revents & (POLLERR | POLLHUP)))
      return false;
  }
  return fd_ >= 0;
}

int SerialPort::read(std::span<uint8_t> buffer, int timeoutMs) {
  int fd;
  {
    std::lock_guard lock(mutex_);
    fd = fd_;
  }
  if (fd < 0)
    return -1;
  pollfd fds[2] = {{fd, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
  const int ready = ::poll(fds, 2, timeoutMs);
  if (ready < 0)
    return errno == EINTR ? 0 : -1;
  if (fds[1].revents & POLLIN) {
    drainWake();
    return 0;
  }
  if (ready == 0)
    return 0;
  if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
    const ssize_t n = ::read(fd, buffer.data(), buffer.size());
    if (n > 0)
      return static_cast<int>(n);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
      return 0;
    return -1; // end of file or EIO: the port or its other end has gone
  }
  return (fds[0].revents & POLLNVAL) ? -1 : 0;
}

void SerialPort::wake() {
  const uint8_t one = 1;
  if (wakeWrite_ >= 0) [[maybe_unused]]
    const ssize_t ignored = ::write(wakeWrite_, &one, 1);
}

void SerialPort::drainWake() {
  uint8_t sink[16];
  while (wakeRead_ >= 0 && ::read(wakeRead_, sink, sizeof sink) > 0) {
  }
}

} // namespace kv816
