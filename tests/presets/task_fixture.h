#pragma once
// A worker against the in-process simulated device with the four preset tasks installed,
// each reporting to a TaskOutcome the test waits on.

#include <gtest/gtest.h>

#include "link/packet.h"
#include "link/preset_tasks.h"
#include "link/worker_fixture.h"
#include "link/worker_session.h"
#include "model/channel_layout.h"
#include "presets/export_task.h"
#include "presets/import_task.h"
#include "presets/preset_task_inputs.h"
#include "temp_folder.h"

namespace kv816::test {

class TaskFixture : public WorkerFixture {
protected:
  static constexpr int LEARN_DEVICE = 15;

  void SetUp() override {
    WorkerFixture::SetUp();
    tasks[TASK_EXPORT] = [this](WorkerSession& s) { exportTask(s, inputs, &outcome); };
    tasks[TASK_IMPORT] = [this](WorkerSession& s) { importTask(s, inputs, &outcome); };
    tasks[TASK_RECALL] = [this](WorkerSession& s) { recallTask(s, &outcome); };
    tasks[TASK_STORE_NAME] = [this](WorkerSession& s) { storeNameTask(s, &outcome); };
  }
  // Without the start-up read; the identity and the running preset's lock (which the
  // tasks check) are asked for as the command-line tool does.
  void start(SimConfig config = {}) {
    WorkerOptions options;
    options.skipFullRead = true;
    tasks[LEARN_DEVICE] = [this](WorkerSession& s) {
      const uint8_t info[] = {0x00};
      const uint8_t currentPreset[] = {IDX_CURRENT_PRESET >> 8, IDX_CURRENT_PRESET & 0xFF};
      s.request(cmd::INFO, info, 500);
      s.sleepFor(std::chrono::milliseconds(50)); // the lock form follows the identity
      s.request(cmd::READ, currentPreset, 500);
      outcome.finish(TaskResult::Done);
    };
    startWorker(config, options);
    ASSERT_TRUE(waitRunning());
    ASSERT_EQ(run(LEARN_DEVICE), TaskResult::Done);
  }
  Link& link() { return worker->link(); }
  // Raises `task` (after the host's own preparation) and waits for its result.
  std::optional<TaskResult> run(int task) {
    messagesBefore = events.messages().size();
    outcome.begin();
    link().taskFlags().set(task, 1);
    return outcome.waitFor(std::chrono::seconds(20));
  }
  // The messages the last task showed.
  std::vector<std::string> messageTexts() const {
    std::vector<std::string> texts;
    const auto all = events.messages();
    for (size_t i = messagesBefore; i < all.size(); ++i)
      texts.push_back(all[i].text);
    return texts;
  }

  TempFolder folder;
  PresetTaskInputs inputs{
      SettingsFolders{folder.path() / "FileData", folder.path() / "fallback", "kv816"}};
  TaskOutcome outcome;
  size_t messagesBefore = 0;
};

// Indexes whose device value changes on its own or that a read leaves to the device.
inline bool deviceHeld(int index) {
  return index >= IDX_METER_FIRST && index < IDX_METER_FIRST + METER_WORD_COUNT;
}

} // namespace kv816::test
