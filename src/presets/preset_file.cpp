#include "presets/preset_file.h"

#include "presets/file_system.h"

#include <filesystem>

namespace kv816 {
namespace {

namespace fs = std::filesystem;

uint32_t nondeterministicSeed() {
  std::random_device device;
  return device();
}

} // namespace

PresetFile::PresetFile(SettingsFolders folders)
    : folders_(std::move(folders)), saveTime_(localTimeNow()), random_(nondeterministicSeed()) {}

std::string PresetFile::withExtension(std::string_view path) {
  std::string result(path);
  if (result.find(EXTENSION) == std::string::npos) {
    result += EXTENSION;
  }
  return result;
}

bool PresetFile::isFullPath(std::string_view name) {
  // Where '\' is the separator, a drive path keeps its historic test: ":\" anywhere.
  constexpr bool backslashSeparator = fs::path::preferred_separator == '\\';
  return fs::path(name).is_absolute() ||
         (backslashSeparator && name.find(":\\") != std::string_view::npos);
}

std::string PresetFile::inFolder(const fs::path& folder, std::string_view name) const {
  return (folder / fs::path(name)).string();
}

PresetResult PresetFile::write(const std::string& path, std::span<const int32_t> values,
                               bool replace) {
  PresetHeader header = header_;
  header.time = saveTime_;
  const std::vector<uint8_t> plain = buildPresetImage(header, values, random_);
  const std::vector<uint8_t> file = encodePresetImage(plain, random_);
  switch (writeFileAtomically(withExtension(path), file, !replace)) {
  case FileWriteStatus::Ok:
    return PresetResult::Done;
  case FileWriteStatus::Exists:
    return PresetResult::Exists;
  case FileWriteStatus::Failed:
    break;
  }
  return PresetResult::CannotCreate;
}

PresetResult PresetFile::writePreset(std::string_view path, std::span<const int32_t> values) {
  if (path.empty()) {
    return PresetResult::EmptyName;
  }
  return write(std::string(path), values, false);
}

PresetResult PresetFile::savePreset(std::string_view name, std::span<const int32_t> values) {
  if (name.empty()) {
    return PresetResult::EmptyName;
  }
  // Replacing by rename stands in for "delete the old file, then write": the old file stays
  // until the new one is complete.
  if (isFullPath(name)) {
    lastPath_ = withExtension(name);
    return write(lastPath_, values, true);
  }
  ensureFolder(folders_.presetFolder);
  lastPath_ = withExtension(inFolder(folders_.presetFolder, name));
  const PresetResult first = write(lastPath_, values, true);
  if (first != PresetResult::CannotCreate) {
    return first;
  }
  ensureFolder(folders_.fallbackFolder);
  lastPath_ = withExtension(inFolder(folders_.fallbackFolder, name));
  return write(lastPath_, values, true);
}

PresetResult PresetFile::readPreset(std::string_view path) {
  if (path.empty()) {
    return PresetResult::EmptyName;
  }
  std::vector<uint8_t> bytes;
  switch (readWholeFile(withExtension(path), bytes, MAX_FILE_SIZE)) {
  case FileReadStatus::Ok:
    break;
  case FileReadStatus::CannotOpen:
    return PresetResult::CannotOpen;
  case FileReadStatus::TooLarge:
    return PresetResult::BadData;
  }
  return parsePresetImage(decodePresetBytes(bytes), header_, values_);
}

PresetResult PresetFile::loadPreset(std::string_view name) {
  PresetResult result = readPreset(name);
  if (result != PresetResult::CannotOpen || isFullPath(name)) {
    return result;
  }
  result = readPreset(inFolder(folders_.presetFolder, name));
  if (result != PresetResult::CannotOpen) {
    return result;
  }
  return readPreset(inFolder(folders_.fallbackFolder, name));
}

bool PresetFile::presetExists(std::string_view name) const {
  if (name.empty()) {
    return false;
  }
  if (regularFileExists(withExtension(name))) {
    return true;
  }
  return !isFullPath(name) &&
         (regularFileExists(withExtension(inFolder(folders_.presetFolder, name))) ||
          regularFileExists(withExtension(inFolder(folders_.fallbackFolder, name))));
}

} // namespace kv816
