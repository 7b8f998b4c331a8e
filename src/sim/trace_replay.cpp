#include "sim/trace_replay.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace kv816 {
namespace {

// "TIMESTAMP OUT|IN HH HH ..."; false for comments and lines of another shape.
bool parseLine(const std::string& line, bool& out, std::vector<uint8_t>& bytes) {
  std::istringstream in(line);
  std::string stamp, direction;
  if (line.empty() || line[0] == '#' || !(in >> stamp >> direction))
    return false;
  if (direction != "OUT" && direction != "IN")
    return false;
  out = direction == "OUT";
  bytes.clear();
  std::string hex;
  while (in >> hex) {
    if (hex.size() != 2 || !std::isxdigit(hex[0]) || !std::isxdigit(hex[1]))
      return false;
    bytes.push_back(static_cast<uint8_t>(std::stoi(hex, nullptr, 16)));
  }
  return true;
}

} // namespace

bool TraceReplay::load(const std::string& path, std::string& error) {
  std::ifstream file(path);
  if (!file) {
    error = "cannot read " + path;
    return false;
  }
  std::lock_guard lock(mutex_);
  answers_.clear();
  std::string line;
  std::vector<uint8_t> request, bytes;
  std::vector<uint8_t>* answer = nullptr;
  bool out = false;
  while (std::getline(file, line)) {
    if (!parseLine(line, out, bytes))
      continue;
    if (out) {
      Answers& answers = answers_[bytes];
      answers.inTurn.emplace_back();
      answer = &answers.inTurn.back();
    } else if (answer) {
      answer->insert(answer->end(), bytes.begin(), bytes.end());
    }
  }
  if (answers_.empty()) {
    error = path + " holds no traced frame";
    return false;
  }
  return true;
}

std::vector<uint8_t> TraceReplay::answerTo(std::span<const uint8_t> frame) {
  std::lock_guard lock(mutex_);
  const auto it = answers_.find(std::vector<uint8_t>(frame.begin(), frame.end()));
  if (it == answers_.end())
    return {};
  Answers& a = it->second;
  const size_t turn = a.next < a.inTurn.size() ? a.next++ : a.inTurn.size() - 1;
  return a.inTurn[turn];
}

size_t TraceReplay::requestCount() const {
  std::lock_guard lock(mutex_);
  return answers_.size();
}

} // namespace kv816
