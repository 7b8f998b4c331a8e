#pragma once
// How the link reports to its host (the GUI, the command-line tool, the tests).

#include <string>

namespace kv816 {

// The wparam values of the device notification (the lparam travels as `arg`).
enum class Notify : int {
  ParameterChanged = 0, // arg: the index whose value changed
  ReadDone = 1,         // a full read has finished
  TaskDone = 2,         // a task or a full read has finished: pages refresh
  LinkStatus = 4,       // arg: LINK_FOUND, LINK_LOST or LINK_STARTING
  ProgressHidden = 8,
  ModulesFound = 10, // arg: number of network modules that answered
};

inline constexpr int LINK_FOUND = 0;
inline constexpr int LINK_LOST = 1;
inline constexpr int LINK_STARTING = 3;

// Message box types and the buttons they return.
enum class MessageKind : int { Ok = 0, OkCancel = 1, YesNo = 4 };
enum class MessageButton : int { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

// The progress window as the link drives it. Calls come from the worker thread.
class ProgressView {
public:
  virtual ~ProgressView() = default;
  virtual void show() = 0;
  virtual void hide() = 0;
  virtual void setRange(int low, int high) = 0;
  virtual void setPosition(int position) = 0;
  // `text` is the already formatted line, e.g. "Read Data:   42 %".
  virtual void setText(const std::string& text) = 0;
};

class LinkEvents {
public:
  virtual ~LinkEvents() = default;
  // Asynchronous: returns at once; the host handles it later on its own thread.
  virtual void post(Notify what, int arg) = 0;
  // Synchronous: returns when the host has handled it.
  virtual void send(Notify what, int arg) = 0;
  // Modal message; blocks the caller until answered. An empty caption means the main
  // window's title. Texts arrive already in the current language.
  virtual MessageButton showMessage(MessageKind kind, const std::string& text,
                                    const std::string& caption) = 0;
  virtual ProgressView& progress() = 0;
};

} // namespace kv816
