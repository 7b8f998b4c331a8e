#pragma once
// An API host over a bare table and edit session: the device is played by the test
// (echoes through the table, reports through the handler).

#include <filesystem>
#include <functional>
#include <vector>

#include "api/api_host.h"
#include "edit/edit_session.h"
#include "model/parameter_table.h"

namespace kv816::test {

class FakeApiHost : public ApiHost {
public:
  explicit FakeApiHost(std::filesystem::path folder) : folder_(std::move(folder)) {
    table_.loadDefaults();
  }

  ParameterTable& table() override { return table_; }
  EditSession& editSession() override { return session_; }
  ApiLinkStatus linkStatus() override { return status; }
  std::filesystem::path presetFolder() override { return folder_; }
  TaskStart startTask(const ApiTask& task, std::function<void(ApiTaskReply)> done) override {
    if (taskDone)
      return TaskStart::Busy;
    tasks.push_back(task);
    taskDone = std::move(done);
    return TaskStart::Started;
  }
  void setMetersWanted(bool wanted) override { metersWanted = wanted; }

  ApiLinkStatus status{ApiLinkPhase::Online, "usb", DEVICE_ID, 12, 0};
  std::vector<ApiTask> tasks;
  std::function<void(ApiTaskReply)> taskDone;
  bool metersWanted = false;

private:
  std::filesystem::path folder_;
  ParameterTable table_;
  EditSession session_{table_};
};

} // namespace kv816::test
