#include "sim/frame_log.h"

namespace kv816 {
namespace {

const char* directionName(FrameDirection d) {
  switch (d) {
  case FrameDirection::In:
    return "in";
  case FrameDirection::Out:
    return "out";
  case FrameDirection::Dropped:
    return "dropped";
  }
  return "?";
}

} // namespace

std::string jsonEscape(std::string_view text) {
  std::string out;
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(ch);
    } else if (c < 0x20 || c > 0x7E) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\u%04X", c);
      out += esc;
    } else {
      out.push_back(ch);
    }
  }
  return out;
}

FrameLog::~FrameLog() {
  if (file_)
    std::fclose(file_);
}

bool FrameLog::open(const std::string& path) {
  std::lock_guard lock(mutex_);
  file_ = std::fopen(path.c_str(), "w");
  return file_ != nullptr;
}

int64_t FrameLog::elapsedMs() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start_)
      .count();
}

std::string FrameLog::frameLine(int64_t ms, FrameDirection direction,
                                std::span<const uint8_t> bytes) {
  std::string hex;
  for (uint8_t b : bytes) {
    char two[4];
    std::snprintf(two, sizeof two, hex.empty() ? "%02X" : " %02X", b);
    hex += two;
  }
  char command[8];
  std::snprintf(command, sizeof command, "0x%02X", bytes.size() > 2 ? bytes[2] : 0);
  return "{\"t_ms\":" + std::to_string(ms) + ",\"dir\":\"" + directionName(direction) +
         "\",\"cmd\":\"" + command + "\",\"len\":" + std::to_string(bytes.size()) + ",\"hex\":\"" +
         hex + "\"}";
}

void FrameLog::frame(FrameDirection direction, std::span<const uint8_t> bytes) {
  write(frameLine(elapsedMs(), direction, bytes));
}

void FrameLog::datagram(bool incoming, std::string_view text) {
  write("{\"t_ms\":" + std::to_string(elapsedMs()) + ",\"dir\":\"" +
        (incoming ? "udp_in" : "udp_out") + "\",\"text\":\"" + jsonEscape(text) + "\"}");
}

void FrameLog::write(const std::string& line) {
  std::lock_guard lock(mutex_);
  if (!file_)
    return;
  std::fputs(line.c_str(), file_);
  std::fputc('\n', file_);
  std::fflush(file_);
}

} // namespace kv816
