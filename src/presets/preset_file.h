#pragma once
// Reads and writes one preset (.jib) file. Make one object per export or import and drop
// it afterwards; it owns the values it read. One thread at a time.
//
// Names: every path gets ".jib" appended unless ".jib" already occurs anywhere in it.
// A full path (absolute on this platform) is used as it is; a relative name is saved into
// the preset folder, or the fallback folder when the preset folder cannot take the file,
// and is looked up as given, then in the preset folder, then in the fallback folder.

#include "presets/preset_codec.h"
#include "presets/settings_folders.h"

#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kv816 {

class PresetFile {
public:
  static constexpr std::string_view EXTENSION = ".jib";
  // Files larger than this are not preset files; reading one gives BadData.
  static constexpr size_t MAX_FILE_SIZE = 16u << 20;

  // Captures the local time as the save time; filler and code bytes come from a
  // nondeterministic seed unless setRandomSeed is called.
  explicit PresetFile(SettingsFolders folders);

  void setRandomSeed(uint32_t seed) { random_.seed(seed); }
  void setSaveTime(const PresetTime& time) { saveTime_ = time; }
  // Written into the file: the device's model identifier (20015 for this device).
  void setModelId(int32_t id) { header_.modelId = id; }

  // Writes a new file (values in index order, PARAM_COUNT of them). Done, Exists (a file is
  // already there; it is left untouched), EmptyName, CannotCreate. The file appears whole
  // or not at all.
  PresetResult writePreset(std::string_view path, std::span<const int32_t> values);
  // Resolves the name (see above), replaces any file already at the target (the caller has
  // asked the user) and records the target as lastPath(). Same result codes; the old file
  // survives a failed write.
  PresetResult savePreset(std::string_view name, std::span<const int32_t> values);

  // Reads a file: Done (header() and values() are the file's), EmptyName, CannotOpen,
  // BadData (header and values stay as they were).
  PresetResult readPreset(std::string_view path);
  // readPreset at each location of the name in turn while the result is CannotOpen.
  PresetResult loadPreset(std::string_view name);
  // Whether savePreset would replace an existing file: the name itself, or the name in the
  // preset or fallback folder.
  bool presetExists(std::string_view name) const;

  // After a successful read: the file's header, its time included. Before: the model id
  // set for writing, other fields 0.
  const PresetHeader& header() const { return header_; }
  const std::vector<int32_t>& values() const { return values_; }
  // The full path (extension included) of the most recent savePreset attempt.
  const std::string& lastPath() const { return lastPath_; }

  static std::string withExtension(std::string_view path);
  static bool isFullPath(std::string_view name);

private:
  PresetResult write(const std::string& path, std::span<const int32_t> values, bool replace);
  std::string inFolder(const std::filesystem::path& folder, std::string_view name) const;

  SettingsFolders folders_;
  PresetHeader header_;
  PresetTime saveTime_;
  std::vector<int32_t> values_;
  std::string lastPath_;
  std::mt19937 random_;
};

} // namespace kv816
