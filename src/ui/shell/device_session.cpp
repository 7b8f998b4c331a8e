#include "ui/shell/device_session.h"

#include "i18n/text.h"
#include "link/connection_worker.h"
#include "link/link_events.h"
#include "link/task_flags.h"
#include "link/worker_session.h"
#include "presets/device_tasks.h"
#include "sim/simulated_device.h"
#include "ui/shell/transport_choice.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace kv816 {

namespace {
constexpr int STOP_PUMP_MS = 20;
// A worker that does not end within this long is left to stop() and its own time-out,
// so the window never hangs in this loop.
constexpr int STOP_PUMP_LIMIT_MS = 2000;
} // namespace

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
  events_ = &events;
  config_ = resolveConfig();
  WorkerOptions options;
  options.config = config_;
  options.dropTasksWhenDown = true;
  link_.state().linkType.store(config_.linkType, std::memory_order_relaxed);
  // The same simulated unit across a stop and a new start, as a real device would be.
  if (!config_.demoDevice)
    demo_ = nullptr;
  else if (!demo_)
    demo_ = std::make_shared<SimulatedDevice>();
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

void DeviceSession::stopServingEvents() {
  if (!worker_)
    return;
  // A status the worker is still reporting waits for this thread; answering it lets the
  // worker end instead of the stop timing out.
  worker_->requestStop();
  QElapsedTimer pumping;
  pumping.start();
  while (worker_->phase() != WorkerPhase::Stopped && pumping.elapsed() < STOP_PUMP_LIMIT_MS)
    QCoreApplication::processEvents(QEventLoop::AllEvents, STOP_PUMP_MS);
  stop();
}

bool DeviceSession::restart() {
  return events_ && start(*events_);
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
