#pragma once
// A progress view that shows nothing, and link events that drop everything, for hosts that
// do not watch the link.

#include <string>

#include "link/link_events.h"

namespace kv816::test {

class NullProgress : public ProgressView {
public:
  void show() override {}
  void hide() override {}
  void setRange(int, int) override {}
  void setPosition(int) override {}
  void setText(const std::string&) override {}
};

class SilentEvents : public LinkEvents {
public:
  void post(Notify, int) override {}
  void send(Notify, int) override {}
  MessageButton showMessage(MessageKind, const std::string&, const std::string&) override {
    return MessageButton::Ok;
  }
  ProgressView& progress() override { return progress_; }

private:
  NullProgress progress_;
};

} // namespace kv816::test
