#pragma once
// A progress view that shows nothing, for hosts that do not care about progress.

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

} // namespace kv816::test
