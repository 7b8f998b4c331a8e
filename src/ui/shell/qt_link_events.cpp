#include "ui/shell/qt_link_events.h"

#include "ui/dialogs/progress_window.h"
#include "ui/shell/gui_api_host.h"
#include "ui/shell/main_window.h"

#include <QThread>

namespace kv816 {

struct QtLinkEvents::PendingCall {
  bool done = false;
  int result = 0;
};

// Marshals the worker's progress calls to the progress window, in order.
class QtLinkEvents::Progress : public ProgressView {
public:
  Progress(QtLinkEvents& owner, ProgressWindow& window) : owner_(owner), window_(&window) {}

  void show() override {
    run([](ProgressWindow& w) { w.showProgress(); });
  }
  void hide() override {
    run([](ProgressWindow& w) { w.hideProgress(); });
  }
  void setRange(int low, int high) override {
    low_.store(low, std::memory_order_relaxed);
    run([range = high - low](ProgressWindow& w) { w.setRange(range); });
  }
  void setPosition(int position) override {
    const int low = low_.load(std::memory_order_relaxed);
    run([position, low](ProgressWindow& w) { w.setPosition(position - low); });
  }
  void setText(const std::string& text) override {
    run([line = QString::fromStdString(text)](ProgressWindow& w) { w.setLine(line); });
  }

private:
  template <class Fn> void run(Fn fn) {
    if (owner_.onGuiThread()) {
      if (window_)
        fn(*window_);
      return;
    }
    QMetaObject::invokeMethod(
        &owner_,
        [fn, window = window_] {
          if (window)
            fn(*window);
        },
        Qt::QueuedConnection);
  }

  QtLinkEvents& owner_;
  QPointer<ProgressWindow> window_;
  std::atomic<int> low_{0};
};

QtLinkEvents::QtLinkEvents(MainWindow& window, ProgressWindow& progress)
    : window_(&window), progress_(std::make_unique<Progress>(*this, progress)) {}

QtLinkEvents::~QtLinkEvents() {
  shutDown();
}

bool QtLinkEvents::onGuiThread() const {
  return QThread::currentThread() == thread();
}

void QtLinkEvents::post(Notify what, int arg) {
  QMetaObject::invokeMethod(
      this,
      [this, what, arg] {
        if (!window_)
          return;
        window_->handleNotify(what, arg);
        // Remote clients hear of the device's reports, not of the window's own refreshes.
        if (what == Notify::ParameterChanged)
          window_->apiHost().onDeviceReported(arg);
      },
      Qt::QueuedConnection);
}

void QtLinkEvents::send(Notify what, int arg) {
  runBlocking(
      [this, what, arg] {
        if (window_)
          window_->handleNotify(what, arg);
        return 0;
      },
      0);
}

MessageButton QtLinkEvents::showMessage(MessageKind kind, const std::string& text,
                                        const std::string& caption) {
  const int fallback =
      static_cast<int>(kind == MessageKind::YesNo ? MessageButton::No : MessageButton::Cancel);
  const int button = runBlocking(
      [this, kind, text, caption, fallback] {
        if (!window_)
          return fallback;
        return static_cast<int>(window_->showMessage(kind, QString::fromStdString(text),
                                                     QString::fromStdString(caption)));
      },
      fallback);
  return static_cast<MessageButton>(button);
}

ProgressView& QtLinkEvents::progress() {
  return *progress_;
}

int QtLinkEvents::runBlocking(const std::function<int()>& call, int fallback) {
  if (closed_.load(std::memory_order_relaxed))
    return fallback;
  if (onGuiThread())
    return call();
  auto pending = std::make_shared<PendingCall>();
  QMetaObject::invokeMethod(
      this,
      [this, pending, call, fallback] {
        const int result = closed_.load(std::memory_order_relaxed) ? fallback : call();
        const std::lock_guard lock(mutex_);
        pending->done = true;
        pending->result = result;
        finished_.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock lock(mutex_);
  finished_.wait(lock, [&] { return pending->done || closed_.load(std::memory_order_relaxed); });
  return pending->done ? pending->result : fallback;
}

void QtLinkEvents::shutDown() {
  {
    const std::lock_guard lock(mutex_);
    closed_.store(true, std::memory_order_relaxed);
  }
  finished_.notify_all();
}

} // namespace kv816
