#pragma once
// A support bundle: one zip with what support needs to see a problem, kept on this
// computer (nothing is sent anywhere). kv816 and kv816ctl fill it the same way: the log
// files, the packet traces, the settings files with passwords masked, versions, the
// device's identity and presets list, and the current table as a preset file.
//
// Plain object; fill and write it on one thread at a time (any thread, file reads block).

#include "link/device_info.h"
#include "link/preset_names.h"
#include "presets/settings_folders.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace kv816 {

// Settings lines whose key names a password keep the key and lose the value.
std::string maskPasswords(const std::string& ini);

// What a program knew of the device when the bundle was asked for.
struct DeviceSnapshot {
  bool connected = false;
  int32_t deviceId = 0;
  int32_t presetCount = PRESET_COUNT_DEFAULT;
  uint32_t lockMask = 0;
  int currentPreset = 0;
  std::vector<std::string> presetNames; // UTF-8, slot 0 first; empty when never received

  static DeviceSnapshot of(const DeviceInfo& info, const PresetNames& names, bool connected,
                           int currentPreset);
};

class SupportBundle {
public:
  struct Entry {
    std::string name;
    std::string data;
  };

  void add(std::string name, std::string data);
  // Every .log file of the folder, as log/<name>.
  void addLogs(const std::filesystem::path& folder);
  // The file under `name` when it exists (a trace may never have been started).
  void addFileIfPresent(const std::filesystem::path& file, std::string name);
  // Language.ini and Configuration.ini of both settings folders, passwords masked.
  void addSettings(const SettingsFolders& folders);
  // versions.txt: the program's line, the archive library and the system.
  void addVersions(const std::string& programLine);
  // device.txt in the words kv816ctl info and presets use.
  void addDevice(const DeviceSnapshot& device);
  // table.jib: the values as a preset file of the model `modelId`.
  void addTable(std::span<const int32_t> values, int32_t modelId);

  // Writes the zip (replacing a file of that name); on failure removes what was written
  // and puts the reason into `error`.
  bool write(const std::filesystem::path& path, std::string& error) const;

  const std::vector<Entry>& entries() const { return entries_; }

private:
  std::vector<Entry> entries_;
};

} // namespace kv816
