#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "link/transports/device_lock.h"

// The lock is the lock file itself, held open for writing with other writers shut out: the
// system closes it when the holder exits or crashes, and unlike a named mutex it does not
// belong to the thread that took it, so the device stays locked when that thread ends.
// Others may still open the file to read the holder's PID.

namespace kv816 {

std::string DeviceLock::defaultFolder() {
  std::error_code ec;
  const std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
  return ec ? std::string(".") : temp.string();
}

namespace {

std::wstring lockPath(const std::string& name, const std::string& folder) {
  const std::filesystem::path base(folder.empty() ? DeviceLock::defaultFolder() : folder);
  return (base / ("kv816-" + name + ".lock")).wstring();
}

HANDLE openForWriting(const std::string& name, const std::string& folder) {
  return ::CreateFileW(lockPath(name, folder).c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

bool DeviceLock::tryAcquire(const std::string& name, const std::string& folder) {
  release();
  const HANDLE file = openForWriting(name, folder);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  const std::string pid = std::to_string(::GetCurrentProcessId()) + "\n";
  DWORD written = 0;
  ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  ::SetEndOfFile(file);
  ::WriteFile(file, pid.data(), static_cast<DWORD>(pid.size()), &written, nullptr);
  fd_ = ::HandleToLong(file); // kernel handles keep their value in 32 bits
  return true;
}

int DeviceLock::holderPid(const std::string& name, const std::string& folder) {
  const HANDLE probe = openForWriting(name, folder);
  if (probe != INVALID_HANDLE_VALUE) { // nobody holds it
    ::CloseHandle(probe);
    return 0;
  }
  const HANDLE file = ::CreateFileW(lockPath(name, folder).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return 0;
  char text[16] = {};
  DWORD read = 0;
  const int pid = ::ReadFile(file, text, sizeof text - 1, &read, nullptr) ? std::atoi(text) : 0;
  ::CloseHandle(file);
  return pid;
}

void DeviceLock::release() {
  if (fd_ < 0)
    return;
  ::CloseHandle(::LongToHandle(fd_));
  fd_ = -1;
}

} // namespace kv816
