#pragma once
// What the export and import tasks take from their host: the current preset file name and
// the folders a relative name resolves into. The host sets the name before it raises the
// task's flag; the task reads it when it runs. The import leaves behind the entries whose
// read-back differed from the file, for a host that reports them.
//
// Threads: setName on the host thread, name() on the worker thread; the mutex makes the
// hand-over safe whatever order the flag and the name are seen in.

#include <mutex>
#include <string>
#include <vector>

#include "presets/settings_folders.h"

namespace kv816 {

class PresetTaskInputs {
public:
  explicit PresetTaskInputs(SettingsFolders folders) : folders_(std::move(folders)) {}

  void setName(std::string name) {
    std::lock_guard lock(mutex_);
    name_ = std::move(name);
  }
  std::string name() const {
    std::lock_guard lock(mutex_);
    return name_;
  }
  const SettingsFolders& folders() const { return folders_; }

  void setDiffering(std::vector<int> indexes) {
    std::lock_guard lock(mutex_);
    differing_ = std::move(indexes);
  }
  std::vector<int> differing() const {
    std::lock_guard lock(mutex_);
    return differing_;
  }

private:
  mutable std::mutex mutex_;
  std::string name_;
  std::vector<int> differing_;
  const SettingsFolders folders_;
};

} // namespace kv816
