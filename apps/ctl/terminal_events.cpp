#include "ctl/terminal_events.h"

#include <algorithm>

namespace kv816 {

namespace {
constexpr int BAR_WIDTH = 30;
}

void TerminalProgress::show() {
  std::lock_guard lock(mutex_);
  shown_ = true;
  draw();
}

void TerminalProgress::hide() {
  std::lock_guard lock(mutex_);
  if (shown_ && enabled_) {
    std::fputs("\r\033[K", out_); // clears the bar's line
    std::fflush(out_);
  }
  shown_ = false;
}

void TerminalProgress::setRange(int low, int high) {
  std::lock_guard lock(mutex_);
  low_ = low;
  high_ = high > low ? high : low + 1;
}

// The line is drawn when its text follows: the link writes both at every step.
void TerminalProgress::setPosition(int position) {
  std::lock_guard lock(mutex_);
  position_ = position;
}

void TerminalProgress::setText(const std::string& text) {
  std::lock_guard lock(mutex_);
  text_ = text;
  draw();
}

void TerminalProgress::draw() {
  if (!shown_ || !enabled_)
    return;
  const int filled = std::clamp((position_ - low_) * BAR_WIDTH / (high_ - low_), 0, BAR_WIDTH);
  const std::string bar = std::string(static_cast<size_t>(filled), '#') +
                          std::string(static_cast<size_t>(BAR_WIDTH - filled), '.');
  std::fprintf(out_, "\r\033[K[%s] %s", bar.c_str(), text_.c_str());
  std::fflush(out_);
}

TerminalEvents::TerminalEvents(bool progressBar) : progress_(stderr, progressBar) {}

MessageButton TerminalEvents::showMessage(MessageKind kind, const std::string& text,
                                          const std::string& caption) {
  {
    std::lock_guard lock(mutex_);
    messages_.push_back(text);
    if (!quiet_) {
      progress_.hide();
      if (caption.empty())
        std::fprintf(stderr, "%s\n", text.c_str());
      else
        std::fprintf(stderr, "%s %s\n", caption.c_str(), text.c_str());
    }
  }
  changed_.notify_all();
  return kind == MessageKind::YesNo ? MessageButton::Yes : MessageButton::Ok;
}

void TerminalEvents::record(Notify what, int arg) {
  {
    std::lock_guard lock(mutex_);
    if (what == Notify::ParameterChanged)
      changedIndexes_.insert(arg);
    if (what == Notify::LinkStatus && arg == LINK_FOUND)
      linkFound_ = true;
  }
  changed_.notify_all();
}

void TerminalEvents::clearChanged() {
  std::lock_guard lock(mutex_);
  changedIndexes_.clear();
}

bool TerminalEvents::waitUntil(const std::function<bool()>& condition,
                               std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, condition);
}

bool TerminalEvents::waitChanged(const std::vector<int>& indexes,
                                 std::chrono::milliseconds timeout) {
  return waitUntil(
      [&] {
        return std::all_of(indexes.begin(), indexes.end(),
                           [&](int i) { return changedIndexes_.count(i) > 0; });
      },
      timeout);
}

bool TerminalEvents::waitMessage(const std::string& text, std::chrono::milliseconds timeout) {
  return waitUntil(
      [&] { return std::find(messages_.begin(), messages_.end(), text) != messages_.end(); },
      timeout);
}

bool TerminalEvents::linkFound() const {
  std::lock_guard lock(mutex_);
  return linkFound_;
}

std::vector<std::string> TerminalEvents::messages() const {
  std::lock_guard lock(mutex_);
  return messages_;
}

void TerminalEvents::setQuiet(bool quiet) {
  std::lock_guard lock(mutex_);
  quiet_ = quiet;
}

} // namespace kv816
