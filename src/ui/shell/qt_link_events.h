#pragma once
// The program's LinkEvents: how the connection worker reaches the main window.
//
// - post(): a queued call into the main window; returns at once.
// - send(): a queued call the caller waits for (link status, modules found).
// - showMessage(): a modal message box owned by the main window; the caller waits for the
//   button.
// - progress(): every call is marshalled to the progress window on the GUI thread.
// Any thread may call. Called on the GUI thread itself, send() and showMessage() run
// directly instead of queueing, so they cannot deadlock there. After shutDown() waiting
// callers are released at once (send returns, showMessage answers Cancel/No), so a worker
// that is being stopped never waits on a GUI thread that waits on it.

#include "link/link_events.h"

#include <QObject>
#include <QPointer>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace kv816 {

class MainWindow;
class ProgressWindow;

class QtLinkEvents : public QObject, public LinkEvents {
  Q_OBJECT
public:
  // Construct on the GUI thread. Both windows must outlive the worker's use of this object.
  QtLinkEvents(MainWindow& window, ProgressWindow& progress);
  ~QtLinkEvents() override;

  void post(Notify what, int arg) override;
  void send(Notify what, int arg) override;
  MessageButton showMessage(MessageKind kind, const std::string& text,
                            const std::string& caption) override;
  ProgressView& progress() override;

  // Releases every waiting caller and makes later blocking calls return at once.
  void shutDown();

private:
  class Progress;
  struct PendingCall;

  bool onGuiThread() const;
  // Runs `call` on the GUI thread and waits for its result; `fallback` after shutDown().
  int runBlocking(const std::function<int()>& call, int fallback);

  QPointer<MainWindow> window_;
  std::unique_ptr<Progress> progress_;
  std::mutex mutex_;
  std::condition_variable finished_;
  std::atomic<bool> closed_{false};
};

} // namespace kv816
