#include "edit/show_session.h"

#include <algorithm>
#include <filesystem>

namespace kv816 {

std::string ShowSession::fileName() const {
  return std::filesystem::path(path_).filename().string();
}

void ShowSession::noteEdited(bool online) {
  modified_ = modified_ || !path_.empty() || !online;
  offlineEdits_ = offlineEdits_ || !online;
}

void ShowSession::startUntitled() {
  path_.clear();
  modified_ = false;
  offlineEdits_ = false;
}

void ShowSession::opened(const std::string& path) {
  path_ = path;
  modified_ = false;
  offlineEdits_ = false;
  remember(path);
}

void ShowSession::saved(const std::string& path) {
  path_ = path;
  modified_ = false;
  remember(path);
}

void ShowSession::synced(bool keepModified) {
  modified_ = keepModified;
  offlineEdits_ = false;
}

void ShowSession::setRecent(std::vector<std::string> paths) {
  recent_.clear();
  for (auto it = paths.rbegin(); it != paths.rend(); ++it)
    remember(*it);
}

void ShowSession::remember(const std::string& path) {
  if (path.empty())
    return;
  recent_.erase(std::remove(recent_.begin(), recent_.end(), path), recent_.end());
  recent_.insert(recent_.begin(), path);
  if (recent_.size() > RECENT_LIMIT)
    recent_.resize(RECENT_LIMIT);
}

} // namespace kv816
