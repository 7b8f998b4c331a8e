#include "presets/file_system.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>

namespace kv816 {
namespace {

namespace fs = std::filesystem;

class FileHandle {
public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() { close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  // Closes now and reports whether the close succeeded.
  bool close() {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return handle == INVALID_HANDLE_VALUE || ::CloseHandle(handle);
  }

private:
  HANDLE handle_;
};

DWORD attributesOf(const fs::path& path) {
  return path.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(path.c_str());
}

bool writeAll(HANDLE file, std::span<const uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD n = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    if (!::WriteFile(file, bytes.data() + done, chunk, &n, nullptr) || n == 0) {
      return false;
    }
    done += n;
  }
  return true;
}

// A fresh temporary file in the target's folder, so the move stays on one volume; the name
// is unique per process and call, and CREATE_NEW refuses any name already taken.
HANDLE createTemporary(const fs::path& target, fs::path& tempPath) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = target;
    tempPath += ".tmp-" + std::to_string(::GetCurrentProcessId()) + "-" +
                std::to_string(counter.fetch_add(1, std::memory_order_relaxed));
    const HANDLE file = ::CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) {
      return file;
    }
  }
  return INVALID_HANDLE_VALUE;
}

} // namespace

FileReadStatus readWholeFile(const fs::path& path, std::vector<uint8_t>& out, size_t limit) {
  out.clear();
  FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid() || ::GetFileType(file.get()) != FILE_TYPE_DISK || !regularFileExists(path)) {
    return FileReadStatus::CannotOpen;
  }
  uint8_t chunk[16384];
  for (;;) {
    DWORD n = 0;
    if (!::ReadFile(file.get(), chunk, sizeof chunk, &n, nullptr)) {
      out.clear();
      return FileReadStatus::CannotOpen;
    }
    if (n == 0) {
      return FileReadStatus::Ok;
    }
    if (out.size() + n > limit) {
      out.clear();
      return FileReadStatus::TooLarge;
    }
    out.insert(out.end(), chunk, chunk + n);
  }
}

// MoveFileEx without MOVEFILE_REPLACE_EXISTING refuses an existing name, which is exactly
// the keepExisting rule; write-through makes the rename durable before it returns.
FileWriteStatus writeFileAtomically(const fs::path& path, std::span<const uint8_t> bytes,
                                    bool keepExisting) {
  if (keepExisting && regularFileExists(path)) {
    return FileWriteStatus::Exists;
  }
  fs::path temp;
  FileHandle file(createTemporary(path, temp));
  if (!file.valid()) {
    return FileWriteStatus::Failed;
  }
  const bool written = writeAll(file.get(), bytes) && ::FlushFileBuffers(file.get());
  if (!file.close() || !written) {
    ::DeleteFileW(temp.c_str());
    return FileWriteStatus::Failed;
  }
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (keepExisting ? 0 : MOVEFILE_REPLACE_EXISTING);
  if (::MoveFileExW(temp.c_str(), path.c_str(), flags)) {
    return FileWriteStatus::Ok;
  }
  const DWORD error = ::GetLastError();
  ::DeleteFileW(temp.c_str());
  const bool taken = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
  return keepExisting && taken ? FileWriteStatus::Exists : FileWriteStatus::Failed;
}

bool regularFileExists(const fs::path& path) {
  const DWORD attributes = attributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool folderExists(const fs::path& folder) {
  const DWORD attributes = attributesOf(folder);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

fs::path executablePath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) {
      return {};
    }
    if (n < buffer.size()) {
      buffer.resize(n);
      return fs::path(buffer);
    }
    buffer.resize(buffer.size() * 2);
  }
}

} // namespace kv816
