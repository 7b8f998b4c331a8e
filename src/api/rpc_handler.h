#pragma once
// JSON-RPC 2.0 for remote control: one request text in, one reply text out, against the
// host's table, edit session and device tasks. Requests that wait for the device (set and
// the device tasks) are answered later through the client's sender; notifications
// ("changed", "meters") go to subscribed clients the same way.
//
// Nothing changes on an error: set parses and range-checks every value before it applies
// any, and applies them as one edit step.
//
// Threads: the editing thread only (the one that owns the host's EditSession). Senders are
// called on that thread and must not block.

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "api/api_host.h"
#include "api/set_confirmation.h"

namespace kv816 {

namespace rpc {
inline constexpr int PARSE_ERROR = -32700;
inline constexpr int INVALID_REQUEST = -32600;
inline constexpr int METHOD_NOT_FOUND = -32601;
inline constexpr int INVALID_PARAMS = -32602;
inline constexpr int NOT_CONFIRMED = -32001; // the device did not confirm in time
inline constexpr int LINK_DOWN = -32002;     // no device; nothing was changed
inline constexpr int BUSY = -32003;          // another device task runs
inline constexpr int TASK_FAILED = -32004;   // a device task ended without success
inline constexpr int RATE_LIMITED = -32005;
inline constexpr int UNAUTHORIZED = -32006;
inline constexpr int UNAVAILABLE = -32007; // this host does not run the method
} // namespace rpc

// The error reply for `id` (null when the request's id is unknown).
std::string rpcError(const nlohmann::json& id, int code, std::string_view message,
                     const nlohmann::json& data = nullptr);

// A method's outcome: a result, an error, or a reply that comes later.
struct RpcAnswer {
  nlohmann::json result;
  int code = 0; // 0: no error
  std::string message;
  nlohmann::json data;
  bool later = false;

  static RpcAnswer ok(nlohmann::json result) { return {std::move(result), 0, {}, nullptr, false}; }
  static RpcAnswer fail(int code, std::string message, nlohmann::json data = nullptr) {
    return {nullptr, code, std::move(message), std::move(data), false};
  }
  static RpcAnswer deferred() { return {nullptr, 0, {}, nullptr, true}; }
};

class RpcHandler {
public:
  using Clock = std::chrono::steady_clock;
  using Sender = std::function<void(const std::string& text)>;

  static constexpr int MAX_METER_RATE_HZ = 20;
  // Parameter changes are gathered and sent at most this often.
  static constexpr std::chrono::milliseconds CHANGE_INTERVAL{50};

  explicit RpcHandler(ApiHost& host);
  ~RpcHandler();
  RpcHandler(const RpcHandler&) = delete;
  RpcHandler& operator=(const RpcHandler&) = delete;

  void addClient(int client, Sender send);
  // Drops the client's subscriptions; its pending replies are discarded.
  void removeClient(int client);

  // The reply to one message; empty for a notification (no id) and for a request that
  // is answered later.
  std::string handle(int client, std::string_view text, Clock::time_point now = Clock::now());

  // The device reported a value (the link's parameter-changed notification).
  void onDeviceChanged(int index);

  // Confirms pending sets, sends gathered changes and due meters. Call every 10-20 ms.
  void poll(Clock::time_point now = Clock::now());

private:
  struct Client {
    Sender send;
    bool parameters = false;
    int meterHz = 0;
    Clock::time_point lastMeters{};
  };
  struct Call {
    int client;
    nlohmann::json id;
    const nlohmann::json& params;
    Clock::time_point now;
  };
  using Answer = RpcAnswer;

  Answer dispatch(const std::string& method, const Call& call);
  Answer info() const;
  Answer state();
  Answer get(const Call& call);
  Answer set(const Call& call);
  Answer dump();
  Answer subscribe(const Call& call);
  Answer unsubscribe(const Call& call);
  Answer presets(const Call& call);
  Answer recall(const Call& call);
  Answer fileTask(const Call& call, ApiTaskKind kind);
  Answer runTask(const Call& call, const ApiTask& task,
                 std::function<nlohmann::json(const ApiTaskReply&)> result);

  void reply(int client, const std::string& text);
  void sendChanges();
  void sendMeters(Clock::time_point now);
  void updateMetersWanted();
  bool online();

  ApiHost& host_;
  int listenerId_ = 0;
  std::map<int, Client> clients_;
  std::set<int> changed_;
  Clock::time_point lastChanges_{};
  SetConfirmation confirmations_;
};

} // namespace kv816
