#include "api/rpc_handler.h"

#include <bit>

#include "api/api_values.h"
#include "edit/edit_session.h"
#include "model/meter.h"
#include "model/parameter_table.h"

namespace kv816 {

using nlohmann::json;

namespace {
constexpr int API_VERSION = 1;
constexpr const char* METHODS[] = {"info",        "state",   "get",    "set",
                                   "dump",        "presets", "recall", "subscribe",
                                   "unsubscribe", "export",  "import"};

std::string success(const json& id, const json& result) {
  return json{{"jsonrpc", "2.0"}, {"id", id}, {"result", result}}.dump();
}

std::string notification(std::string_view method, const json& params) {
  return json{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}}.dump();
}

// Meters go by their own subscription; the keep-alive word is the link's, not a setting.
bool isNotified(int index) {
  return index != IDX_HOST_ALIVE &&
         (index < IDX_METER_FIRST || index >= IDX_METER_FIRST + METER_WORD_COUNT);
}

const char* phaseName(ApiLinkPhase phase) {
  switch (phase) {
  case ApiLinkPhase::Online:
    return "online";
  case ApiLinkPhase::Searching:
    return "searching";
  default:
    return "offline";
  }
}

// A name from get's list: a parameter name, or a whole number for an index.
std::optional<ParamRef> refOfNameValue(const json& name) {
  if (name.is_string())
    return parseParamName(name.get<std::string>());
  if (name.is_number_unsigned() && ParameterTable::isValidIndex(name.get<int>()))
    return paramOfIndex(name.get<int>());
  return std::nullopt;
}

std::string keyOf(const json& name) {
  return name.is_string() ? name.get<std::string>() : name.dump();
}
} // namespace

std::string rpcError(const json& id, int code, std::string_view message, const json& data) {
  json error{{"code", code}, {"message", message}};
  if (!data.is_null())
    error["data"] = data;
  return json{{"jsonrpc", "2.0"}, {"id", id}, {"error", error}}.dump();
}

RpcHandler::RpcHandler(ApiHost& host) : host_(host) {
  listenerId_ =
      host_.editSession().addListener([this](const std::vector<int>& indexes, EditOrigin) {
        for (int index : indexes)
          if (isNotified(index))
            changed_.insert(index);
      });
}

RpcHandler::~RpcHandler() {
  host_.editSession().removeListener(listenerId_);
}

void RpcHandler::addClient(int client, Sender send) {
  clients_[client] = {std::move(send)};
}

void RpcHandler::removeClient(int client) {
  clients_.erase(client);
  confirmations_.dropClient(client);
  updateMetersWanted();
}

std::string RpcHandler::handle(int client, std::string_view text, Clock::time_point now) {
  const json request = json::parse(text, nullptr, false);
  if (request.is_discarded())
    return rpcError(nullptr, rpc::PARSE_ERROR, "the message is not valid JSON");
  if (!request.is_object())
    return rpcError(nullptr, rpc::INVALID_REQUEST, "a request is one JSON object (no batches)");
  const auto idIt = request.find("id");
  const bool hasId = idIt != request.end();
  const json id = hasId ? *idIt : json(nullptr);
  if (hasId && !id.is_string() && !id.is_number() && !id.is_null())
    return rpcError(nullptr, rpc::INVALID_REQUEST, "\"id\" must be a string, a number or null");
  const auto method = request.find("method");
  if (request.value("jsonrpc", json()) != "2.0" || method == request.end() || !method->is_string())
    return rpcError(id, rpc::INVALID_REQUEST,
                    "a request needs \"jsonrpc\": \"2.0\" and a \"method\" string");
  static const json NO_PARAMS = json::object();
  const auto params = request.find("params");
  if (params != request.end() && !params->is_object())
    return rpcError(id, rpc::INVALID_PARAMS, "\"params\" must be an object");
  const Call call{client, id, params == request.end() ? NO_PARAMS : *params, now};
  const Answer answer = dispatch(method->get<std::string>(), call);
  if (answer.later || !hasId)
    return {};
  if (answer.code != 0)
    return rpcError(id, answer.code, answer.message, answer.data);
  return success(id, answer.result);
}

RpcHandler::Answer RpcHandler::dispatch(const std::string& method, const Call& call) {
  if (method == "info")
    return info();
  if (method == "state")
    return state();
  if (method == "get")
    return get(call);
  if (method == "set")
    return set(call);
  if (method == "dump")
    return dump();
  if (method == "subscribe")
    return subscribe(call);
  if (method == "unsubscribe")
    return unsubscribe(call);
  if (method == "presets")
    return presets(call);
  if (method == "recall")
    return recall(call);
  if (method == "export")
    return fileTask(call, ApiTaskKind::Export);
  if (method == "import")
    return fileTask(call, ApiTaskKind::Import);
  return Answer::fail(rpc::METHOD_NOT_FOUND, "unknown method " + method, {{"methods", METHODS}});
}

namespace {
RpcAnswer invalid(std::string message, json data = nullptr) {
  return RpcAnswer::fail(rpc::INVALID_PARAMS, std::move(message), std::move(data));
}
} // namespace

RpcHandler::Answer RpcHandler::info() const {
  return Answer::ok({{"program", "kv816"},
                     {"api", API_VERSION},
                     {"parameters", PARAM_COUNT},
                     {"methods", METHODS},
                     {"max_meter_rate", MAX_METER_RATE_HZ}});
}

RpcHandler::Answer RpcHandler::state() {
  const ApiLinkStatus status = host_.linkStatus();
  json locked = json::array();
  for (int p = 1; p <= 31; ++p)
    if (status.lockMask & (1u << p))
      locked.push_back(p);
  json result{{"state", phaseName(status.phase)}, {"link", status.link}};
  if (status.deviceId != 0) {
    result["device_id"] = status.deviceId;
    result["presets"] = status.presetCount;
    result["current_preset"] = host_.table().value(IDX_CURRENT_PRESET) & 0xFF;
    result["locked_presets"] = locked;
  }
  return Answer::ok(result);
}

RpcHandler::Answer RpcHandler::get(const Call& call) {
  const auto names = call.params.find("names");
  if (names == call.params.end() || !names->is_array() || names->empty())
    return invalid("get takes {\"names\": [...]}, a non-empty list of parameter names");
  json result = json::object();
  json unknown = json::array();
  for (const json& name : *names) {
    const std::optional<ParamRef> ref = refOfNameValue(name);
    if (!ref) {
      unknown.push_back(name);
      continue;
    }
    result[keyOf(name)] = describeValue(ref->kind, host_.table().wireValue(ref->index));
  }
  if (!unknown.empty())
    return invalid("unknown parameter names", {{"unknown", unknown}});
  return Answer::ok(result);
}

RpcHandler::Answer RpcHandler::set(const Call& call) {
  const auto values = call.params.find("values");
  if (values == call.params.end() || !values->is_object() || values->empty())
    return invalid("set takes {\"values\": {\"name\": value, ...}} with at least one value");
  std::vector<SetConfirmation::Entry> entries;
  json errors = json::object();
  for (const auto& [name, value] : values->items()) {
    const std::optional<ParamRef> ref = parseParamName(name);
    if (!ref) {
      errors[name] = "unknown parameter name";
      continue;
    }
    const ParsedValue parsed = parseJsonValue(ref->kind, value);
    if (!parsed.raw) {
      errors[name] = parsed.error;
      continue;
    }
    entries.push_back({name, *ref, *parsed.raw});
  }
  if (!errors.empty())
    return invalid("nothing was set: some values are not valid", {{"errors", errors}});
  if (!online())
    return Answer::fail(rpc::LINK_DOWN, "no device is connected; nothing was set");
  std::vector<ParameterEdit> edits;
  for (const SetConfirmation::Entry& e : entries)
    edits.push_back({e.ref.index, e.raw});
  const EditSubject subject = edits.size() == 1 ? subjectOfIndex(edits[0].index, EditSource::Remote)
                                                : EditSubject{-1, {}, -1, EditSource::Remote};
  host_.editSession().apply(subject, edits);
  confirmations_.add(call.client, call.id, std::move(entries), call.now);
  return Answer::deferred();
}

RpcHandler::Answer RpcHandler::dump() {
  json values = json::object();
  for (int i = 0; i < PARAM_COUNT; ++i) {
    const ParamRef ref = paramOfIndex(i);
    values[paramName(i)] = describeValue(ref.kind, host_.table().wireValue(i));
  }
  return Answer::ok({{"values", values}});
}

RpcHandler::Answer RpcHandler::subscribe(const Call& call) {
  const json& p = call.params;
  const auto parameters = p.find("parameters");
  const auto meters = p.find("meters");
  if (parameters == p.end() && meters == p.end())
    return invalid("subscribe takes {\"parameters\": true} and/or {\"meters\": HZ}");
  if (parameters != p.end() && !parameters->is_boolean())
    return invalid("\"parameters\" must be true or false");
  if (meters != p.end() &&
      (!meters->is_number_integer() || *meters < 0 || *meters > MAX_METER_RATE_HZ))
    return invalid("\"meters\" is a rate in Hz, 0 to " + std::to_string(MAX_METER_RATE_HZ));
  Client& c = clients_[call.client];
  if (parameters != p.end())
    c.parameters = parameters->get<bool>();
  if (meters != p.end())
    c.meterHz = meters->get<int>();
  updateMetersWanted();
  return Answer::ok({{"parameters", c.parameters}, {"meters", c.meterHz}});
}

RpcHandler::Answer RpcHandler::unsubscribe(const Call& call) {
  const json& p = call.params;
  for (const char* key : {"parameters", "meters"})
    if (p.contains(key) && !p[key].is_boolean())
      return invalid(std::string("\"") + key + "\" must be true or false");
  Client& c = clients_[call.client];
  const bool all = p.empty();
  if (all || p.value("parameters", false))
    c.parameters = false;
  if (all || p.value("meters", false))
    c.meterHz = 0;
  updateMetersWanted();
  return Answer::ok({{"parameters", c.parameters}, {"meters", c.meterHz}});
}

void RpcHandler::reply(int client, const std::string& text) {
  const auto it = clients_.find(client);
  if (it != clients_.end() && it->second.send && !text.empty())
    it->second.send(text);
}

void RpcHandler::onDeviceChanged(int index) {
  confirmations_.onReport(index);
  if (isNotified(index))
    changed_.insert(index);
}

void RpcHandler::poll(Clock::time_point now) {
  for (const SetConfirmation::Reply& r : confirmations_.poll(host_.table(), online(), now))
    reply(r.client, r.text);
  if (!changed_.empty() && now - lastChanges_ >= CHANGE_INTERVAL) {
    sendChanges();
    lastChanges_ = now;
  }
  sendMeters(now);
}

void RpcHandler::sendChanges() {
  json values = json::object();
  for (int index : changed_)
    values[paramName(index)] =
        describeValue(paramOfIndex(index).kind, host_.table().wireValue(index));
  changed_.clear();
  const std::string text = notification("changed", {{"values", values}});
  for (auto& [id, c] : clients_)
    if (c.parameters && c.send)
      c.send(text);
}

void RpcHandler::sendMeters(Clock::time_point now) {
  std::string text;
  for (auto& [id, c] : clients_) {
    if (c.meterHz <= 0 || !c.send ||
        now - c.lastMeters < std::chrono::milliseconds(1000) / c.meterHz)
      continue;
    if (text.empty()) {
      json levels = json::object();
      for (int channel = 0; channel < 12; ++channel) {
        const int byte = meterByteOf(host_.table().value(meterWordIndex(channel)), channel);
        levels[channelName(channel)] = {
            {"level", std::popcount(static_cast<unsigned>(byte & ((1 << METER_LEVEL_STEPS) - 1)))},
            {"clip", (byte & METER_TOP_FLAG) != 0}};
      }
      text = notification("meters", levels);
    }
    c.lastMeters = now;
    c.send(text);
  }
}

void RpcHandler::updateMetersWanted() {
  bool wanted = false;
  for (const auto& [id, c] : clients_)
    wanted = wanted || c.meterHz > 0;
  host_.setMetersWanted(wanted);
}

bool RpcHandler::online() {
  return host_.linkStatus().phase == ApiLinkPhase::Online;
}

} // namespace kv816
