#pragma once
// The few file operations the settings and preset files need, behind one small interface.
// The platform halves live in file_system_posix.cpp and file_system_win.cpp. Any thread may call
// these; they share no state.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace kv816 {

enum class FileReadStatus {
  Ok,
  CannotOpen, // missing, unreadable, or not a regular file
  TooLarge,   // longer than the caller's limit; nothing is returned
};

enum class FileWriteStatus {
  Ok,
  Exists, // keepExisting was asked and a file is already there; it is left untouched
  Failed, // the temporary file could not be created, written or renamed into place
};

// Reads the whole file into `out` (cleared first). Reads at most `limit` bytes.
FileReadStatus readWholeFile(const std::filesystem::path& path, std::vector<uint8_t>& out,
                             size_t limit);

// Writes the bytes to a temporary file beside `path`, flushes it and renames it into place,
// so a failed write never leaves a half-written file or destroys the old one. With
// keepExisting, an existing file at `path` is never replaced (result Exists).
FileWriteStatus writeFileAtomically(const std::filesystem::path& path,
                                    std::span<const uint8_t> bytes, bool keepExisting);

// True when `path` names an existing regular file.
bool regularFileExists(const std::filesystem::path& path);

// Creates the folder (and missing parents) when no folder of that name exists. Returns
// whether it was created; false also when it existed already or cannot be made.
bool ensureFolder(const std::filesystem::path& folder);

// True when `folder` exists as a folder.
bool folderExists(const std::filesystem::path& folder);

// The running executable's full path; empty when the platform cannot tell.
std::filesystem::path executablePath();

} // namespace kv816
