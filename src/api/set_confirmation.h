#pragma once
// Holds the reply to a remote set until the device has confirmed every value: its echo of
// the value clears the entry's send mark. An entry that had to be sent again (whose mark
// may also have been given up after the last retry) is read back from the device before
// it counts. A value a later remote set of the same entry replaced before the device
// confirmed it counts as superseded: that later set answers for the entry. A set is refused
// when the link goes down or the device has not confirmed it within TIMEOUT.
//
// Threads: the editing thread only.

#include <chrono>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "edit/param_names.h"

namespace kv816 {

class ParameterTable;

class SetConfirmation {
public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::seconds TIMEOUT{5};

  struct Entry {
    std::string name; // as the client wrote it: the key of the reply
    ParamRef ref;
    int raw = 0;
    uint64_t generation = 0; // set by add: the entry's count of remote sets
  };
  struct Reply {
    int client = 0;
    std::string text;
  };

  void add(int client, nlohmann::json id, std::vector<Entry> entries, Clock::time_point now);
  void dropClient(int client);
  // The device reported the entry's value.
  void onReport(int index);
  // The replies of the sets that are now confirmed or refused.
  std::vector<Reply> poll(ParameterTable& table, bool online, Clock::time_point now);
  bool empty() const { return pending_.empty(); }

private:
  struct Pending {
    int client;
    nlohmann::json id;
    std::vector<Entry> entries;
    Clock::time_point deadline;
    std::set<int> resent;         // entries seen with a retry count above 1
    std::set<int> awaitingReport; // read back, report not yet in
    bool reading = false;
  };

  // Empty while the set is still waiting.
  std::string check(Pending& p, ParameterTable& table, bool online, Clock::time_point now);
  std::string verdict(const Pending& p, const ParameterTable& table) const;

  bool superseded(const Entry& e) const;

  std::vector<Pending> pending_;
  std::map<int, uint64_t> generations_; // index -> remote sets of it so far
};

} // namespace kv816
