#include "api/set_confirmation.h"

#include <algorithm>

#include "api/api_values.h"
#include "api/rpc_handler.h"
#include "model/parameter_table.h"

namespace kv816 {

namespace {
constexpr auto relaxed = std::memory_order_relaxed;

std::string success(const nlohmann::json& id, const nlohmann::json& result) {
  return nlohmann::json{{"jsonrpc", "2.0"}, {"id", id}, {"result", result}}.dump();
}
} // namespace

void SetConfirmation::add(int client, nlohmann::json id, std::vector<Entry> entries,
                          Clock::time_point now) {
  for (Entry& e : entries)
    e.generation = ++generations_[e.ref.index];
  pending_.push_back({client, std::move(id), std::move(entries), now + TIMEOUT, {}, {}, false});
}

void SetConfirmation::dropClient(int client) {
  std::erase_if(pending_, [client](const Pending& p) { return p.client == client; });
}

void SetConfirmation::onReport(int index) {
  for (Pending& p : pending_)
    p.awaitingReport.erase(index);
}

std::vector<SetConfirmation::Reply> SetConfirmation::poll(ParameterTable& table, bool online,
                                                          Clock::time_point now) {
  std::vector<Reply> replies;
  for (auto it = pending_.begin(); it != pending_.end();) {
    std::string text = check(*it, table, online, now);
    if (text.empty()) {
      ++it;
      continue;
    }
    replies.push_back({it->client, std::move(text)});
    it = pending_.erase(it);
  }
  return replies;
}

std::string SetConfirmation::check(Pending& p, ParameterTable& table, bool online,
                                   Clock::time_point now) {
  if (!online)
    return rpcError(p.id, rpc::LINK_DOWN, "the link to the device went down before it confirmed");
  if (now > p.deadline) {
    nlohmann::json names = nlohmann::json::array();
    for (const Entry& e : p.entries)
      if (table.mustSend(e.ref.index) || p.awaitingReport.contains(e.ref.index))
        names.push_back(e.name);
    return rpcError(p.id, rpc::NOT_CONFIRMED, "the device did not confirm the new values in time",
                    {{"names", names}});
  }
  if (p.reading)
    return p.awaitingReport.empty() ? verdict(p, table) : std::string();
  bool sending = false;
  for (const Entry& e : p.entries) {
    if (!table.mustSend(e.ref.index) || superseded(e))
      continue;
    sending = true;
    if (table.retryCount(e.ref.index) > 1)
      p.resent.insert(e.ref.index);
  }
  if (sending)
    return {};
  if (p.resent.empty())
    return verdict(p, table);
  p.reading = true;
  p.awaitingReport = p.resent;
  for (int index : p.resent)
    table.record(index).mustRead.store(1, relaxed);
  return {};
}

bool SetConfirmation::superseded(const Entry& e) const {
  const auto it = generations_.find(e.ref.index);
  return it != generations_.end() && it->second != e.generation;
}

std::string SetConfirmation::verdict(const Pending& p, const ParameterTable& table) const {
  nlohmann::json values = nlohmann::json::object();
  nlohmann::json kept = nlohmann::json::object();
  for (const Entry& e : p.entries) {
    if (superseded(e)) {
      values[e.name] = describeValue(e.ref.kind, e.raw);
      values[e.name]["superseded"] = true;
      continue;
    }
    const int held = table.wireValue(e.ref.index);
    values[e.name] = describeValue(e.ref.kind, held);
    if (p.resent.contains(e.ref.index) && held != (e.raw & 0xFFFF) && !table.mustSend(e.ref.index))
      kept[e.name] = values[e.name];
  }
  if (!kept.empty())
    return rpcError(p.id, rpc::NOT_CONFIRMED, "the device kept other values", {{"kept", kept}});
  return success(p.id, values);
}

} // namespace kv816
