#pragma once
// kv816ctl's host for the link: messages go to stderr as lines, the progress window
// becomes a one-line bar on stderr when stderr is a terminal (nothing otherwise), and the
// notifications the commands wait for are recorded.
//
// Threads: the LinkEvents calls come from the worker thread; the wait functions are for
// the main thread. Message boxes answer at once (Ok, or Yes for a question).

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "link/link_events.h"

namespace kv816 {

class TerminalProgress : public ProgressView {
public:
  explicit TerminalProgress(std::FILE* out, bool enabled) : out_(out), enabled_(enabled) {}
  void show() override;
  void hide() override;
  void setRange(int low, int high) override;
  void setPosition(int position) override;
  void setText(const std::string& text) override;

private:
  void draw();

  std::mutex mutex_;
  std::FILE* out_;
  bool enabled_;
  bool shown_ = false;
  int low_ = 0;
  int high_ = 100;
  int position_ = 0;
  std::string text_;
};

class TerminalEvents : public LinkEvents {
public:
  // `progressBar`: draw the bar (normally: stderr is a terminal).
  explicit TerminalEvents(bool progressBar);

  void post(Notify what, int arg) override { record(what, arg); }
  void send(Notify what, int arg) override { record(what, arg); }
  MessageButton showMessage(MessageKind kind, const std::string& text,
                            const std::string& caption) override;
  ProgressView& progress() override { return progress_; }

  // Forget the indexes reported so far (before asking for new values).
  void clearChanged();
  // Waits until every index in `indexes` was reported changed; false on time-out.
  bool waitChanged(const std::vector<int>& indexes, std::chrono::milliseconds timeout);
  // Waits until a message with this text was shown; false on time-out.
  bool waitMessage(const std::string& text, std::chrono::milliseconds timeout);
  // Whether the link reported itself found at least once.
  bool linkFound() const;
  std::vector<std::string> messages() const;
  // Messages go to stderr unless quiet (the commands then print their own result).
  void setQuiet(bool quiet);

private:
  void record(Notify what, int arg);
  bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::set<int> changedIndexes_;
  std::vector<std::string> messages_;
  bool linkFound_ = false;
  bool quiet_ = false;
  TerminalProgress progress_;
};

} // namespace kv816
