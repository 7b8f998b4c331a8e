// The JSON-RPC methods that run a device task: presets, recall, export and import.

#include "api/preset_file_name.h"
#include "api/rpc_handler.h"
#include "edit/param_names.h"
#include "model/parameter_table.h"

namespace kv816 {

using nlohmann::json;

namespace {
std::string success(const json& id, const json& result) {
  return json{{"jsonrpc", "2.0"}, {"id", id}, {"result", result}}.dump();
}

RpcAnswer invalid(std::string message) {
  return RpcAnswer::fail(rpc::INVALID_PARAMS, std::move(message));
}

const char* taskResultName(TaskResult result) {
  switch (result) {
  case TaskResult::Done:
    return "done";
  case TaskResult::EmptyName:
    return "no file name";
  case TaskResult::NoFile:
    return "the file is missing or damaged";
  case TaskResult::Password:
    return "the file's data has a password";
  case TaskResult::WrongModel:
    return "the file comes from another device model";
  case TaskResult::LinkDown:
    return "the link to the device is down";
  case TaskResult::ReadFailed:
    return "the device's table could not be read";
  case TaskResult::Locked:
    return "the device's current preset is locked";
  case TaskResult::SaveFailed:
    return "the file could not be written";
  case TaskResult::NotConfirmed:
    return "the device did not confirm";
  case TaskResult::NotKept:
    return "the device holds other values than the file";
  }
  return "failed";
}

} // namespace

RpcHandler::Answer RpcHandler::presets(const Call& call) {
  return runTask(
      call, ApiTask{ApiTaskKind::ReadPresetNames, 0, {}}, [this](const ApiTaskReply& reply) {
        const ApiLinkStatus status = host_.linkStatus();
        json list = json::array();
        for (size_t i = 0; i < reply.presetNames.size(); ++i) {
          const int number = static_cast<int>(i) + 1;
          list.push_back({{"number", number},
                          {"name", reply.presetNames[i]},
                          {"locked", (status.lockMask & (1u << number)) != 0}});
        }
        return json{{"current", host_.table().value(IDX_CURRENT_PRESET) & 0xFF}, {"presets", list}};
      });
}

RpcHandler::Answer RpcHandler::recall(const Call& call) {
  const auto preset = call.params.find("preset");
  if (preset == call.params.end() || !preset->is_number_integer() || *preset < 1 || *preset > 12)
    return invalid("recall takes {\"preset\": N} with N from 1 to 12");
  const int number = preset->get<int>();
  return runTask(call, ApiTask{ApiTaskKind::Recall, number, {}}, [number](const ApiTaskReply&) {
    return json{{"preset", number}};
  });
}

RpcHandler::Answer RpcHandler::fileTask(const Call& call, ApiTaskKind kind) {
  const auto file = call.params.find("file");
  if (file == call.params.end() || !file->is_string())
    return invalid("takes {\"file\": \"NAME\"}, a file name in the preset folder");
  const std::optional<std::filesystem::path> path =
      presetFilePath(host_.presetFolder(), file->get<std::string>());
  if (!path)
    return invalid("the file name must be a plain name inside the preset folder (no folders, "
                   "no \"..\")");
  const std::string name = file->get<std::string>();
  return runTask(call, ApiTask{kind, 0, *path}, [name](const ApiTaskReply&) {
    return json{{"file", name}};
  });
}

RpcHandler::Answer RpcHandler::runTask(const Call& call, const ApiTask& task,
                                       std::function<json(const ApiTaskReply&)> result) {
  if (!online())
    return Answer::fail(rpc::LINK_DOWN, "no device is connected");
  const int client = call.client;
  const json id = call.id;
  const TaskStart started = host_.startTask(task, [this, client, id, result](ApiTaskReply outcome) {
    if (outcome.result == TaskResult::Done) {
      reply(client, success(id, result(outcome)));
      return;
    }
    json differing = json::array();
    for (int index : outcome.differing)
      differing.push_back(paramName(index));
    json data{{"result", static_cast<int>(outcome.result)}};
    if (!differing.empty())
      data["differing"] = differing;
    reply(client, rpcError(id, rpc::TASK_FAILED, taskResultName(outcome.result), data));
  });
  if (started == TaskStart::Unavailable)
    return Answer::fail(rpc::UNAVAILABLE,
                        "this program does not run device tasks for remote clients; kv816ctl "
                        "serve does");
  if (started == TaskStart::Busy)
    return Answer::fail(rpc::BUSY,
                        "another device task is running; try again when it has finished");
  return Answer::deferred();
}

} // namespace kv816
