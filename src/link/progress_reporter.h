#pragma once
// Drives the host's progress window for the link: shows it with a range and a format from
// the language table ("Read Device Data:%5.0f %%"), and rewrites the formatted line with
// the percentage at every position. The format is looked up at every update, so a
// language switch shows at the next step.
//
// Threads: the worker thread (and the tasks it runs).

#include "i18n/text.h"

namespace kv816 {

class LinkEvents;

class ProgressReporter {
public:
  explicit ProgressReporter(LinkEvents& events) : events_(events) {}

  // Shows the window with range 0..`range`, position 0 and `format` at 0 %.
  void show(Text format, int range);
  // Moves the bar and rewrites the line with position / range as a percentage.
  void setPosition(int position);
  // Keeps range and position but writes a plain text from the table (e.g. "Call...").
  void showText(Text text, const char* suffix = "");
  // Hides the window and posts the progress-hidden notification (8, 0).
  void hide();

  int position() const { return position_; }

private:
  LinkEvents& events_;
  Text format_ = Text::ReadDataProgress;
  int range_ = 100;
  int position_ = 0;
};

} // namespace kv816
