#pragma once
// What the remote API needs from the program that hosts it (the desktop program or
// kv816ctl serve): the table and the one edit path, the link's state and the device tasks.
//
// Threads: every member is called on the editing thread (the thread that owns the
// EditSession). startTask returns at once; its `done` runs later on the editing thread.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "link/link_state.h"
#include "link/task_outcome.h"

namespace kv816 {

class EditSession;
class ParameterTable;

enum class ApiLinkPhase { Online, Searching, Offline };

struct ApiLinkStatus {
  ApiLinkPhase phase = ApiLinkPhase::Offline;
  std::string link; // usb, net, serial, bt or demo
  int deviceId = 0; // 0 until the device identified itself
  int presetCount = 0;
  uint32_t lockMask = 0; // bit p set: preset p is locked
};

enum class ApiTaskKind { ReadPresetNames, Recall, Export, Import };

// The link's name as kv816ctl's --link spells it, as `state` reports it.
inline const char* apiLinkName(int linkType, bool demo) {
  if (demo)
    return "demo";
  switch (linkType) {
  case LINK_USB:
    return "usb";
  case LINK_NETWORK:
    return "net";
  case LINK_BLUETOOTH:
    return "bt";
  default:
    return "serial";
  }
}

struct ApiTask {
  ApiTaskKind kind = ApiTaskKind::ReadPresetNames;
  int preset = 0;             // Recall: 1..12
  std::filesystem::path file; // Export and Import: a path inside the preset folder
};

struct ApiTaskReply {
  TaskResult result = TaskResult::Done;
  std::vector<std::string> presetNames; // ReadPresetNames: one per preset, UTF-8
  std::vector<int> differing;           // Import NotKept: entries that differ from the file
};

enum class TaskStart { Started, Busy, Unavailable };

class ApiHost {
public:
  virtual ~ApiHost() = default;

  virtual ParameterTable& table() = 0;
  virtual EditSession& editSession() = 0;
  virtual ApiLinkStatus linkStatus() = 0;
  // Where export and import file names live.
  virtual std::filesystem::path presetFolder() = 0;
  // Starts one device task; `done` runs later on the editing thread. Busy while another
  // task runs, Unavailable where the host does not run tasks for the API; `done` is then
  // never called.
  virtual TaskStart startTask(const ApiTask& task, std::function<void(ApiTaskReply)> done) = 0;
  // Whether some client wants the level meters polled.
  virtual void setMetersWanted(bool wanted) = 0;
};

} // namespace kv816
