#include "link/progress_reporter.h"

#include <cstdio>
#include <string>

#include "link/link_events.h"

namespace kv816 {

void ProgressReporter::show(Text format, int range) {
  format_ = format;
  range_ = range > 0 ? range : 1;
  ProgressView& view = events_.progress();
  view.setRange(0, range_);
  setPosition(0);
  view.show();
}

void ProgressReporter::setPosition(int position) {
  position_ = position;
  ProgressView& view = events_.progress();
  view.setPosition(position);
  // The table's formats are NUL-terminated literals with one %5.0f conversion.
  char line[128];
  const double percent = 100.0 * position / range_;
  std::snprintf(line, sizeof line, langText(format_).data(), percent);
  view.setText(line);
}

void ProgressReporter::showText(Text text, const char* suffix) {
  events_.progress().setText(std::string(langText(text)) + suffix);
}

void ProgressReporter::hide() {
  events_.progress().hide();
  events_.post(Notify::ProgressHidden, 0);
}

} // namespace kv816
