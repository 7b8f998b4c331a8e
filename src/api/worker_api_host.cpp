#include "api/worker_api_host.h"

#include <cstdio>
#include <utility>

#include "i18n/utf8.h"
#include "link/full_read.h"
#include "link/preset_tasks.h"
#include "link/worker_session.h"
#include "presets/device_tasks.h"

namespace kv816 {

namespace {
using namespace std::chrono_literals;
constexpr auto relaxed = std::memory_order_relaxed;

class SilentProgress : public ProgressView {
public:
  void show() override {}
  void hide() override {}
  void setRange(int, int) override {}
  void setPosition(int) override {}
  void setText(const std::string&) override {}
};

} // namespace

WorkerApiHost::WorkerApiHost(JobQueue& queue, LinkConfig config, TransportFactory factory,
                             SettingsFolders folders)
    : queue_(queue), config_(config), inputs_(std::move(folders)),
      progress_(std::make_unique<SilentProgress>()) {
  WorkerOptions options;
  options.config = config;
  worker_ = std::make_unique<ConnectionWorker>(table_, *this, std::move(factory), options);
  installDeviceTasks(*worker_, inputs_, &outcome_);
  worker_->setTask(TASK_HOST_JOB, [this](WorkerSession& s) {
    std::function<void(WorkerSession&)> job;
    {
      std::lock_guard lock(jobMutex_);
      job = std::exchange(job_, nullptr);
    }
    if (job)
      job(s);
  });
  // An edit goes out at once instead of after the worker's meter phase.
  session_.addListener([this](const std::vector<int>&, EditOrigin) { worker_->wake(); });
}

WorkerApiHost::~WorkerApiHost() {
  stopping_ = true;
  worker_->stop();
  if (taskThread_.joinable())
    taskThread_.join();
  worker_.reset();
}

bool WorkerApiHost::start() {
  return worker_->start();
}

ApiLinkStatus WorkerApiHost::linkStatus() {
  ApiLinkStatus status;
  const WorkerPhase phase = worker_->phase();
  const bool connected = worker_->link().state().connected.load(relaxed);
  status.phase = phase == WorkerPhase::Stopped                ? ApiLinkPhase::Offline
                 : phase == WorkerPhase::Running && connected ? ApiLinkPhase::Online
                                                              : ApiLinkPhase::Searching;
  status.link = apiLinkName(config_.linkType, config_.demoDevice);
  const DeviceInfo& info = worker_->link().deviceInfo();
  status.deviceId = info.deviceId.load(relaxed);
  status.presetCount = info.presetCount.load(relaxed);
  status.lockMask = info.lockMask.load(relaxed);
  return status;
}

void WorkerApiHost::setMetersWanted(bool wanted) {
  worker_->meterView().store(wanted ? 1 : 0, relaxed);
}

void WorkerApiHost::post(Notify what, int arg) {
  if (what == Notify::ParameterChanged) {
    queue_.post([this, arg] {
      if (sink_)
        sink_(arg);
    });
  } else if (what == Notify::ReadDone) {
    // A full read brought values the history does not know.
    queue_.post([this] { session_.clearHistory(); });
  }
}

MessageButton WorkerApiHost::showMessage(MessageKind kind, const std::string& text,
                                         const std::string&) {
  std::fprintf(stderr, "kv816: %s\n", text.c_str());
  return kind == MessageKind::YesNo ? MessageButton::Yes : MessageButton::Ok;
}

ProgressView& WorkerApiHost::progress() {
  return *progress_;
}

TaskStart WorkerApiHost::startTask(const ApiTask& task, std::function<void(ApiTaskReply)> done) {
  if (taskRunning_.exchange(true))
    return TaskStart::Busy;
  if (taskThread_.joinable())
    taskThread_.join();
  taskThread_ = std::thread([this, task, done = std::move(done)] {
    ApiTaskReply reply = runTask(task);
    queue_.post([this, reply = std::move(reply), done] {
      if (reply.result == TaskResult::Done || reply.result == TaskResult::NotKept)
        session_.clearHistory();
      taskRunning_ = false;
      done(reply);
    });
  });
  return TaskStart::Started;
}

// Helper thread: raises the task and waits for its end.
ApiTaskReply WorkerApiHost::runTask(const ApiTask& task) {
  ApiTaskReply reply;
  outcome_.begin();
  switch (task.kind) {
  case ApiTaskKind::ReadPresetNames: {
    {
      std::lock_guard lock(jobMutex_);
      job_ = [this](WorkerSession& s) {
        readPresetNames(s, 0);
        outcome_.finish(waitForPresetNames(s, 2s) ? TaskResult::Done : TaskResult::NotConfirmed);
      };
    }
    reply.result = await(TASK_HOST_JOB).value_or(TaskResult::LinkDown);
    for (int slot = 0; slot < PRESET_SLOTS; ++slot)
      reply.presetNames.push_back(toUtf8(worker_->link().presetNames().name(slot)));
    return reply;
  }
  case ApiTaskKind::Recall:
    requestRecall(worker_->link(), task.preset);
    reply.result = await(TASK_RECALL).value_or(TaskResult::LinkDown);
    return reply;
  case ApiTaskKind::Export:
  case ApiTaskKind::Import:
    inputs_.setName(task.file.string());
    reply.result = await(task.kind == ApiTaskKind::Export ? TASK_EXPORT : TASK_IMPORT)
                       .value_or(TaskResult::LinkDown);
    if (reply.result == TaskResult::NotKept)
      reply.differing = inputs_.differing();
    return reply;
  }
  return reply;
}

// Raises the flag and waits; a task that never ran (link down, host stopping) is withdrawn.
std::optional<TaskResult> WorkerApiHost::await(int flag) {
  TaskFlags& flags = worker_->link().taskFlags();
  flags.set(flag, 1);
  const auto end = std::chrono::steady_clock::now() + TASK_TIMEOUT;
  while (!stopping_ && std::chrono::steady_clock::now() < end)
    if (const std::optional<TaskResult> result = outcome_.waitFor(100ms))
      return result;
  flags.clear(flag);
  return std::nullopt;
}

} // namespace kv816
