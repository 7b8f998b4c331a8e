#pragma once
// The show the pages edit: the file it came from (none while untitled), whether it holds
// changes not yet saved, whether it was edited while no device was online, and the recent
// files. The values themselves live in the parameter table. Host thread only.

#include <string>
#include <vector>

namespace kv816 {

class ShowSession {
public:
  static constexpr size_t RECENT_LIMIT = 8;

  // The open file's full path; empty while the show is untitled.
  const std::string& path() const { return path_; }
  // The file name without its folder ("show.jib"); empty while untitled.
  std::string fileName() const;
  bool modified() const { return modified_; }
  // Edits made while no device was online: a connection compares before it takes over.
  bool offlineEdits() const { return offlineEdits_; }
  // A show file is open or offline edits exist: the device must not simply replace them.
  bool needsCompare() const { return !path_.empty() || offlineEdits_; }

  // An edit reached the show; `online` tells whether a device took it as well.
  void noteEdited(bool online);
  // A new untitled show (factory defaults or the device's values).
  void startUntitled();
  // The show now is the file at `path`, as read or as just written.
  void opened(const std::string& path);
  void saved(const std::string& path);
  // The show and the device agree again (one took the other's values).
  void synced(bool keepModified);

  // Most recent first, at most RECENT_LIMIT, each path once.
  const std::vector<std::string>& recent() const { return recent_; }
  void setRecent(std::vector<std::string> paths);

private:
  void remember(const std::string& path);

  std::string path_;
  bool modified_ = false;
  bool offlineEdits_ = false;
  std::vector<std::string> recent_;
};

} // namespace kv816
