#pragma once
// An API host that holds the device link itself, as the desktop program does: one
// connection worker with the full read at start and after every reconnection, the preset
// tasks installed, and its own table and edit session. kv816ctl serve and the API's
// end-to-end tests run on it.
//
// Threads: construct, destroy and every ApiHost member on the editing thread, the one that
// runs `queue`. The link's notifications reach that thread through the queue; a device
// task waits on a helper thread and hands its end back the same way.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "api/api_host.h"
#include "api/job_queue.h"
#include "edit/edit_session.h"
#include "link/connection_worker.h"
#include "link/link_events.h"
#include "model/parameter_table.h"
#include "presets/preset_task_inputs.h"

namespace kv816 {

class WorkerApiHost : public ApiHost, public LinkEvents {
public:
  // Worker task slot for the host's own jobs on the worker thread.
  static constexpr int TASK_HOST_JOB = 15;
  static constexpr std::chrono::seconds TASK_TIMEOUT{180};

  WorkerApiHost(JobQueue& queue, LinkConfig config, TransportFactory factory,
                SettingsFolders folders);
  ~WorkerApiHost() override;

  // Starts the worker; false when its thread could not be created.
  bool start();
  // Who hears of values the device reported (normally ApiService::onDeviceChanged);
  // called on the editing thread.
  void setDeviceChangeSink(std::function<void(int index)> sink) { sink_ = std::move(sink); }
  ConnectionWorker& worker() { return *worker_; }

  // ApiHost
  ParameterTable& table() override { return table_; }
  EditSession& editSession() override { return session_; }
  ApiLinkStatus linkStatus() override;
  std::filesystem::path presetFolder() override { return inputs_.folders().presetFolder; }
  TaskStart startTask(const ApiTask& task, std::function<void(ApiTaskReply)> done) override;
  void setMetersWanted(bool wanted) override;

  // LinkEvents, from the worker thread
  void post(Notify what, int arg) override;
  void send(Notify what, int arg) override { post(what, arg); }
  MessageButton showMessage(MessageKind kind, const std::string& text,
                            const std::string& caption) override;
  ProgressView& progress() override;

private:
  ApiTaskReply runTask(const ApiTask& task);
  std::optional<TaskResult> await(int flag);

  JobQueue& queue_;
  LinkConfig config_;
  ParameterTable table_;
  EditSession session_{table_};
  PresetTaskInputs inputs_;
  TaskOutcome outcome_;
  std::unique_ptr<ProgressView> progress_;
  std::unique_ptr<ConnectionWorker> worker_;
  std::function<void(int)> sink_;
  std::mutex jobMutex_;
  std::function<void(WorkerSession&)> job_;
  std::thread taskThread_;
  std::atomic<bool> taskRunning_{false};
  std::atomic<bool> stopping_{false};
};

} // namespace kv816
