#include <windows.h>

#include <algorithm>
#include <string>

#include "link/transports/serial_port.h"

// The port handle is opened for overlapped I/O, so a read can wait on the receive event
// and on the wake event at once, and close() can cancel it. Handles are kept in the int
// members: kernel handles keep their value in 32 bits. wakeRead_ holds the wake event;
// wakeWrite_ is not used here.

namespace kv816 {
namespace {

constexpr DWORD WRITE_WAIT_MS = 1000;

HANDLE asHandle(int value) {
  return value < 0 ? INVALID_HANDLE_VALUE : ::LongToHandle(value);
}

// "COM10" and above open only through the device namespace, which takes COM1..COM9 too;
// a path given in full is kept.
std::wstring devicePath(const std::string& path) {
  std::wstring wide(path.begin(), path.end());
  const bool bareName = path.size() > 3 && path.find_first_of("\\/:") == std::string::npos;
  return bareName ? L"\\\\.\\" + wide : wide;
}

LinkError openError(DWORD error) {
  switch (error) {
  case ERROR_FILE_NOT_FOUND:
  case ERROR_PATH_NOT_FOUND:
    return LinkError::NotFound;
  case ERROR_ACCESS_DENIED: // COM ports open exclusively: another program has it
  case ERROR_SHARING_VIOLATION:
    return LinkError::Busy;
  default:
    return LinkError::NotFound;
  }
}

// Raw bytes, 8N1, no flow control of either kind, DTR and RTS raised as adapters expect.
bool configure(HANDLE port, int baudRate) {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (baudRate <= 0 || !::GetCommState(port, &dcb))
    return false;
  dcb.BaudRate = static_cast<DWORD>(baudRate);
  dcb.fBinary = TRUE;
  dcb.fParity = FALSE;
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  dcb.fErrorChar = FALSE;
  dcb.fNull = FALSE;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  dcb.fAbortOnError = FALSE;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  if (!::SetCommState(port, &dcb))
    return false;
  // A read returns at once with the bytes already there; read() waits for the receive
  // event instead, which a wake can cut short.
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = MAXDWORD;
  timeouts.WriteTotalTimeoutConstant = WRITE_WAIT_MS;
  if (!::SetCommTimeouts(port, &timeouts) || !::SetCommMask(port, EV_RXCHAR))
    return false;
  ::PurgeComm(port, PURGE_RXCLEAR | PURGE_TXCLEAR | PURGE_RXABORT | PURGE_TXABORT);
  return true;
}

// One overlapped operation with its own event, closed when done.
struct Overlapped {
  OVERLAPPED ov{};
  Overlapped() { ov.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr); }
  ~Overlapped() {
    if (ov.hEvent)
      ::CloseHandle(ov.hEvent);
  }
  Overlapped(const Overlapped&) = delete;
  Overlapped& operator=(const Overlapped&) = delete;
};

// The bytes waiting in the driver: -1 when the port has gone (unplugged or closed).
int queued(HANDLE port) {
  DWORD errors = 0;
  COMSTAT status{};
  if (!::ClearCommError(port, &errors, &status))
    return -1;
  return static_cast<int>(std::min<DWORD>(status.cbInQue, 1u << 30));
}

// Reads what is waiting, without waiting: the count, 0 when nothing is there, -1 when gone.
int readWaiting(HANDLE port, std::span<uint8_t> buffer) {
  const int waiting = queued(port);
  if (waiting <= 0)
    return waiting;
  Overlapped op;
  DWORD n = 0;
  const DWORD size = static_cast<DWORD>(std::min<size_t>(buffer.size(), size_t(waiting)));
  if (!::ReadFile(port, buffer.data(), size, &n, &op.ov) &&
      (::GetLastError() != ERROR_IO_PENDING || !::GetOverlappedResult(port, &op.ov, &n, TRUE)))
    return -1;
  return static_cast<int>(n);
}

} // namespace

SerialPort::SerialPort() {
  const HANDLE wake = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (wake)
    wakeRead_ = ::HandleToLong(wake);
}

SerialPort::~SerialPort() {
  close();
  if (wakeRead_ >= 0)
    ::CloseHandle(asHandle(wakeRead_));
}

LinkFailure SerialPort::open(const std::string& path, int baudRate) {
  close();
  const HANDLE port = ::CreateFileW(devicePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  if (port == INVALID_HANDLE_VALUE)
    return {openError(::GetLastError()), path};
  DCB probe{};
  probe.DCBlength = sizeof probe;
  LinkFailure failure;
  if (!::GetCommState(port, &probe))
    failure = {LinkError::NotSerialDevice, path};
  else if (!configure(port, baudRate))
    failure = {LinkError::Unsupported, path};
  if (failure) {
    ::CloseHandle(port);
    return failure;
  }
  drainWake();
  std::lock_guard lock(mutex_);
  fd_ = ::HandleToLong(port);
  return {};
}

// Cancels a read or write in progress first, so that closing never waits on the driver.
void SerialPort::close() {
  std::lock_guard lock(mutex_);
  if (fd_ >= 0) {
    const HANDLE port = asHandle(fd_);
    ::CancelIoEx(port, nullptr);
    ::CloseHandle(port);
  }
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
    const HANDLE port = asHandle(fd_);
    Overlapped op;
    DWORD n = 0;
    const DWORD size = static_cast<DWORD>(bytes.size() - done);
    if (!::WriteFile(port, bytes.data() + done, size, &n, &op.ov)) {
      if (::GetLastError() != ERROR_IO_PENDING)
        return false;
      if (::WaitForSingleObject(op.ov.hEvent, WRITE_WAIT_MS) != WAIT_OBJECT_0)
        ::CancelIoEx(port, &op.ov);
      if (!::GetOverlappedResult(port, &op.ov, &n, TRUE))
        return false;
    }
    if (n == 0)
      return false;
    done += n;
  }
  return fd_ >= 0;
}

int SerialPort::read(std::span<uint8_t> buffer, int timeoutMs) {
  HANDLE port;
  {
    std::lock_guard lock(mutex_);
    port = asHandle(fd_);
  }
  if (port == INVALID_HANDLE_VALUE)
    return -1;
  if (const int n = readWaiting(port, buffer); n != 0)
    return n;
  Overlapped op;
  DWORD events = 0;
  bool woken = false;
  if (!::WaitCommEvent(port, &events, &op.ov)) {
    if (::GetLastError() != ERROR_IO_PENDING)
      return -1;
    // Bytes that came in just before the wait began raise no event of their own.
    if (queued(port) == 0) {
      const HANDLE waits[2] = {op.ov.hEvent, asHandle(wakeRead_)};
      const DWORD waited = ::WaitForMultipleObjects(wakeRead_ >= 0 ? 2 : 1, waits, FALSE,
                                                    timeoutMs < 0 ? INFINITE : DWORD(timeoutMs));
      woken = waited == WAIT_OBJECT_0 + 1;
    }
    ::CancelIoEx(port, &op.ov);
    DWORD ignored = 0;
    ::GetOverlappedResult(port, &op.ov, &ignored, TRUE);
  }
  if (woken)
    return isOpen() ? 0 : -1;
  return readWaiting(port, buffer);
}

void SerialPort::wake() {
  if (wakeRead_ >= 0)
    ::SetEvent(asHandle(wakeRead_));
}

void SerialPort::drainWake() {
  if (wakeRead_ >= 0)
    ::ResetEvent(asHandle(wakeRead_));
}

} // namespace kv816
