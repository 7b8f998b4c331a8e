#include "presets/support_bundle.h"

#include "i18n/utf8.h"
#include "presets/preset_codec.h"

#include <archive.h>
#include <archive_entry.h>
#if __has_include(<sys/utsname.h>)
#include <sys/utsname.h>
#endif

#include <algorithm>
#include <cctype>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>

namespace kv816 {

namespace fs = std::filesystem;

namespace {

std::string readWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string lockedPresets(uint32_t mask) {
  std::string list;
  for (int p = 1; p <= PRESET_SLOTS; ++p)
    if (mask & (1u << p))
      list += (list.empty() ? "" : ", ") + std::to_string(p);
  return list.empty() ? "none" : list;
}

using ArchivePtr = std::unique_ptr<archive, decltype(&archive_write_free)>;

bool writeEntry(archive* zip, const SupportBundle::Entry& e) {
  std::unique_ptr<archive_entry, decltype(&archive_entry_free)> entry(archive_entry_new(),
                                                                      archive_entry_free);
  archive_entry_set_pathname(entry.get(), e.name.c_str());
  archive_entry_set_size(entry.get(), static_cast<la_int64_t>(e.data.size()));
  archive_entry_set_filetype(entry.get(), AE_IFREG);
  archive_entry_set_perm(entry.get(), 0644);
  return archive_write_header(zip, entry.get()) == ARCHIVE_OK &&
         archive_write_data(zip, e.data.data(), e.data.size()) ==
             static_cast<la_ssize_t>(e.data.size());
}

std::string reasonOf(archive* zip) {
  const char* text = archive_error_string(zip);
  return text ? text : "the file could not be written";
}

} // namespace

std::string maskPasswords(const std::string& ini) {
  std::istringstream in(ini);
  std::string line, out;
  while (std::getline(in, line)) {
    const size_t equals = line.find('=');
    std::string key = line.substr(0, equals);
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (equals != std::string::npos &&
        (key.find("pass") != std::string::npos || key.find("pw") != std::string::npos))
      line = line.substr(0, equals + 1) + "********";
    out += line + "\n";
  }
  return out;
}

DeviceSnapshot DeviceSnapshot::of(const DeviceInfo& info, const PresetNames& names, bool connected,
                                  int currentPreset) {
  constexpr auto relaxed = std::memory_order_relaxed;
  DeviceSnapshot s;
  s.connected = connected;
  s.deviceId = info.deviceId.load(relaxed);
  s.presetCount = info.presetCount.load(relaxed);
  s.lockMask = info.lockMask.load(relaxed);
  s.currentPreset = currentPreset;
  for (int slot = 0; slot < PRESET_SLOTS; ++slot)
    s.presetNames.push_back(names.received(slot) ? toUtf8(names.name(slot)) : std::string());
  return s;
}

void SupportBundle::add(std::string name, std::string data) {
  entries_.push_back({std::move(name), std::move(data)});
}

void SupportBundle::addLogs(const fs::path& folder) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec))
    if (entry.path().extension() == ".log")
      add("log/" + entry.path().filename().string(), readWhole(entry.path()));
}

void SupportBundle::addFileIfPresent(const fs::path& file, std::string name) {
  std::error_code ec;
  if (!file.empty() && fs::is_regular_file(file, ec))
    add(std::move(name), readWhole(file));
}

void SupportBundle::addSettings(const SettingsFolders& folders) {
  std::error_code ec;
  for (const fs::path& folder : {folders.presetFolder, folders.fallbackFolder})
    for (const char* name : {"Configuration.ini", "Language.ini"})
      if (fs::is_regular_file(folder / name, ec) &&
          (folder == folders.presetFolder || !fs::equivalent(folder, folders.presetFolder, ec)))
        add("settings/" + folder.filename().string() + "/" + name,
            maskPasswords(readWhole(folder / name)));
}

void SupportBundle::addVersions(const std::string& programLine) {
  std::string text = programLine + "\n" + archive_version_string() + "\n";
#if __has_include(<sys/utsname.h>)
  utsname system{};
  if (::uname(&system) == 0)
    text += std::string(system.sysname) + " " + system.release + " " + system.machine + "\n";
#endif
  add("versions.txt", text);
}

void SupportBundle::addDevice(const DeviceSnapshot& d) {
  if (!d.connected || d.deviceId == 0) {
    add("device.txt", "no device connected\n");
    return;
  }
  std::string text = "device id: " + std::to_string(d.deviceId) + "\n";
  text += "current preset: " + std::to_string(d.currentPreset) + "\n";
  text += "presets: " + std::to_string(d.presetCount) + "\n";
  text += "locked presets: " + lockedPresets(d.lockMask) + "\n";
  for (size_t slot = 0; slot < d.presetNames.size(); ++slot) {
    const int number = static_cast<int>(slot) + 1;
    text += (number == d.currentPreset ? "*" : " ") + std::string(number < 10 ? " " : "") +
            std::to_string(number) + "  " + d.presetNames[slot] + "\n";
  }
  add("device.txt", text);
}

void SupportBundle::addTable(std::span<const int32_t> values, int32_t modelId) {
  PresetHeader header;
  header.modelId = modelId;
  header.time = localTimeNow();
  std::mt19937 random(std::random_device{}());
  const std::vector<uint8_t> plain = buildPresetImage(header, values, random);
  const std::vector<uint8_t> file = encodePresetImage(plain, random);
  add("table.jib", std::string(file.begin(), file.end()));
}

bool SupportBundle::write(const fs::path& path, std::string& error) const {
  ArchivePtr zip(archive_write_new(), archive_write_free);
  archive_write_set_format_zip(zip.get());
  const bool opened = archive_write_open_filename(zip.get(), path.c_str()) == ARCHIVE_OK;
  bool ok = opened;
  for (const Entry& entry : entries_)
    ok = ok && writeEntry(zip.get(), entry);
  if (!ok)
    error = reasonOf(zip.get());
  if (opened && archive_write_close(zip.get()) != ARCHIVE_OK && ok) {
    ok = false;
    error = reasonOf(zip.get());
  }
  if (opened && !ok) {
    std::error_code ec;
    fs::remove(path, ec);
  }
  return ok;
}

} // namespace kv816
