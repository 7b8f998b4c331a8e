#include "ui/device_session.h"

#include "link/link_events.h"

namespace kv816 {

DeviceSession::DeviceSession(SettingsFolders folders)
    : link_(table_), settings_(std::move(folders)) {
  table_.loadDefaults();
}

DeviceSession::~DeviceSession() {
  stop();
}

void DeviceSession::start(LinkEvents& events) {
  (void)events;
  if (running_)
    return;
  table_.loadDefaults();
  const LinkConfig config = settings_.readLinkConfig();
  const bool configured = settings_.readSetting(CONFIGURATION_FILE, key::LINK_TYPE) >= 0 ||
                          settings_.readSetting(CONFIGURATION_FILE, key::DEMO_DEVICE) >= 0;
  demo_ = config.demoDevice || (demoByDefault_ && !configured);
  link_.state().linkType.store(config.linkType, std::memory_order_relaxed);
  link_.state().workerRun.store(true, std::memory_order_relaxed);
  running_ = true;
}

void DeviceSession::stop() {
  if (!running_)
    return;
  link_.state().workerRun.store(false, std::memory_order_relaxed);
  link_.state().connected.store(false, std::memory_order_relaxed);
  running_ = false;
}

bool DeviceSession::isConnected() const {
  return link_.state().connected.load(std::memory_order_relaxed);
}

int DeviceSession::linkType() const {
  return link_.state().linkType.load(std::memory_order_relaxed);
}

void DeviceSession::setPresetFileName(const std::string& name) {
  const std::lock_guard lock(nameMutex_);
  presetFileName_ = name;
}

std::string DeviceSession::presetFileName() const {
  const std::lock_guard lock(nameMutex_);
  return presetFileName_;
}

} // namespace kv816
