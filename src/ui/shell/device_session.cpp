#include "ui/shell/device_session.h"

#include "i18n/text.h"
#include "link/connection_worker.h"
#include "link/link_events.h"
#include "link/task_flags.h"
#include "link/worker_session.h"
#include "presets/device_tasks.h"
#include "sim/simulated_device.h"
#include "ui/shell/transport_choice.h"

namespace kv816 {

DeviceSession::DeviceSession(SettingsFolders folders)
    : link_(table_), settings_(folders), taskInputs_(std::move(folders)) {
  table_.loadDefaults();
}

DeviceSession::~DeviceSession() {
  stop();
}

LinkConfig DeviceSession::resolveConfig() const {
  LinkConfig config = settings_.readLinkConfig();
  const bool configured = settings_.readSetting(CONFIGURATION_FILE, key::LINK_TYPE) >= 0 ||
                          settings_.readSetting(CONFIGURATION_FILE, key::DEMO_DEVICE) >= 0;
  if (demoByDefault_ && !configured)
    config.demoDevice = true;
  return config;
}

bool DeviceSession::start(LinkEvents& events) {
  if (worker_)
    return false;
  config_ = resolveConfig();
  WorkerOptions options;
  options.config = config_;
  options.dropTasksWhenDown = true;
  link_.state().linkType.store(config_.linkType, std::memory_order_relaxed);
  demo_ = config_.demoDevice ? std::make_shared<SimulatedDevice>() : nullptr;
  auto worker = std::make_unique<ConnectionWorker>(link_, events,
                                                   makeTransportFactory(hooks_, demo_), options);
  // The desktop says when an import is done; failures have said so already.
  installDeviceTasks(*worker, taskInputs_, nullptr,
                     [this](WorkerSession& s, int task, TaskResult result) {
                       if (task == TASK_IMPORT && result == TaskResult::Done)
                         s.events().showMessage(MessageKind::Ok, taskInputs_.name(),
                                                std::string(langText(Text::ImportSuccessful)));
                     });
  if (!worker->start())
    return false;
  worker_ = std::move(worker);
  return true;
}

void DeviceSession::stop() {
  if (!worker_)
    return;
  worker_->stop();
  worker_.reset();
}

void DeviceSession::wakeWorker() {
  if (worker_)
    worker_->wake();
}

ModuleCommands* DeviceSession::modules() {
  return worker_ ? &worker_->modules() : nullptr;
}

bool DeviceSession::isConnected() const {
  return worker_ && worker_->phase() == WorkerPhase::Running &&
         link_.state().connected.load(std::memory_order_relaxed);
}

} // namespace kv816
