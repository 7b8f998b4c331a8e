#include "link/frame_trace.h"

#include <chrono>
#include <cstdio>

namespace kv816 {
namespace {

// UTC with microseconds, from <chrono>'s calendar: the same on every system, where the C
// library's reentrant gmtime differs between them.
std::string timestamp() {
  using namespace std::chrono;
  const auto now = time_point_cast<microseconds>(system_clock::now());
  const auto day = floor<days>(now);
  const year_month_day date{day};
  const hh_mm_ss time{now - day};
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%06lld", int(date.year()),
                unsigned(date.month()), unsigned(date.day()), int(time.hours().count()),
                int(time.minutes().count()), int(time.seconds().count()),
                static_cast<long long>(time.subseconds().count()));
  return text;
}

std::string traceLine(TraceDirection direction, std::span<const uint8_t> bytes) {
  std::string line = timestamp() + (direction == TraceDirection::Out ? " OUT" : " IN");
  static constexpr char HEX[] = "0123456789ABCDEF";
  for (uint8_t b : bytes) {
    line += ' ';
    line += HEX[b >> 4];
    line += HEX[b & 0x0F];
  }
  return line + '\n';
}

} // namespace

bool FrameTrace::open(const std::string& path, size_t maxBytes) {
  close();
  std::FILE* file = std::fopen(path.c_str(), "we");
  if (!file)
    return false;
  std::lock_guard lock(mutex_);
  file_ = file;
  path_ = path;
  written_ = 0;
  maxBytes_ = maxBytes;
  return true;
}

void FrameTrace::close() {
  std::lock_guard lock(mutex_);
  if (file_)
    std::fclose(file_);
  file_ = nullptr;
}

bool FrameTrace::active() const {
  std::lock_guard lock(mutex_);
  return file_ != nullptr;
}

std::string FrameTrace::path() const {
  std::lock_guard lock(mutex_);
  return path_;
}

void FrameTrace::record(TraceDirection direction, std::span<const uint8_t> bytes) {
  std::lock_guard lock(mutex_);
  if (!file_ || written_ >= maxBytes_)
    return;
  // Room is kept for the closing note, so the file never passes its cap.
  static const std::string STOPPED = "# trace stopped at its size cap\n";
  std::string line = traceLine(direction, bytes);
  if (written_ + line.size() + STOPPED.size() > maxBytes_)
    line = STOPPED;
  std::fputs(line.c_str(), file_);
  std::fflush(file_);
  written_ += line.size();
  if (line[0] == '#')
    written_ = maxBytes_;
}

} // namespace kv816
