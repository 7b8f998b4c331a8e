#pragma once
// Shared helpers of the widget tests: a page that records what the main window tells it,
// a main window over a session in a temporary settings folder, and a message box catcher.

#include "edit/edit_session.h"
#include "model/channel_layout.h"
#include "support/null_progress.h"
#include "ui/pages/page.h"
#include "ui/shell/device_session.h"
#include "ui/shell/main_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

namespace kv816::test {

// Runs the event loop until `done` holds or `timeoutMs` passes; returns done().
inline bool waitFor(const std::function<bool()>& done, int timeoutMs = 10000) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < timeoutMs)
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  return done();
}

// One parameter the main window told a page: what it is and its value.
struct PageCall {
  IndexLocation where;
  int value;
  bool operator==(const PageCall&) const = default;
};

inline PageCall call(ChannelFunction function, int channel, int value, int band = 0) {
  return {{channel, function, band}, value};
}

class RecordingPage : public Page {
public:
  RecordingPage(PageSlot slot, int firstPage, QWidget* parent)
      : Page(firstPage, parent), slot_(slot) {}

  void setIoMode(int mode) override { ioModes.push_back(mode); }
  void refreshTexts() override { ++refreshes; }
  int showChannel(int page) override {
    setShownPageNumber(page);
    return page;
  }
  void showParameter(const IndexLocation& where, int value) override {
    calls.push_back({where, value});
  }
  void showMeter(int channel, int level) override { meters.push_back({channel, level}); }

  PageSlot slot_;
  std::vector<int> ioModes;
  int refreshes = 0;
  std::vector<PageCall> calls;
  std::vector<std::pair<int, int>> meters; // channel, level
};

// Records the first index of every user edit an edit session applied: the entry the
// control asked for (the linked channels' copies come after it).
struct EditRecorder {
  std::vector<int> edits;

  explicit EditRecorder(EditSession& session) {
    session.addListener([this](const std::vector<int>& indexes, EditOrigin origin) {
      if (origin == EditOrigin::Edit && !indexes.empty())
        edits.push_back(indexes.front());
    });
  }
  // The channel of each recorded edit (-1 for a global entry).
  std::vector<int> channels() const {
    std::vector<int> result;
    for (int index : edits)
      result.push_back(locateIndex(index).channel);
    return result;
  }
  int count() const { return static_cast<int>(edits.size()); }
  void clear() { edits.clear(); }
};

// A main window over recording pages and a session whose settings live in a temporary
// folder; the worker is not started.
struct WindowFixture {
  QTemporaryDir dir;
  std::unique_ptr<DeviceSession> session;
  std::unique_ptr<MainWindow> window;
  std::array<RecordingPage*, 6> pages{};

  explicit WindowFixture(LanguageIndex language = LanguageIndex::English) {
    setCurrentLanguage(language);
    const std::string path = dir.path().toStdString();
    session = std::make_unique<DeviceSession>(SettingsFolders{path, path, "kv816"});
    window = std::make_unique<MainWindow>(
        *session, [this](QWidget* parent, ParameterTable&, EditSession&) {
          static constexpr int FIRST[6] = {0, 1, 2, 3, 7, 11};
          PageSet set;
          for (int slot = 0; slot < 6; ++slot) {
            pages[slot] = new RecordingPage(static_cast<PageSlot>(slot), FIRST[slot], parent);
            set.pages[static_cast<size_t>(slot)] = pages[slot];
          }
          return set;
        });
    window->initialise();
    settle();
  }
  RecordingPage& page(PageSlot slot) { return *pages[static_cast<size_t>(slot)]; }
  ~WindowFixture() { window->closeWithoutAsking(); }

  // Runs the queued calls (posted notifications, page requests, the language refresh).
  static void settle() {
    for (int i = 0; i < 3; ++i)
      QApplication::processEvents();
  }
};

// Answers the next modal message box with `button` and remembers its text and caption.
// It looks for the box every few milliseconds, so it may be armed before the box opens.
struct MessageCatcher {
  QString text;
  QString caption;
  QString buttonText; // the text of the button pressed
  int shown = 0;
  QTimer poll;

  void answerNext(QMessageBox::StandardButton button) {
    poll.disconnect();
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [this, button] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box)
        return;
      poll.stop();
      text = box->text();
      caption = box->windowTitle();
      ++shown;
      if (QAbstractButton* answer = box->button(button)) {
        buttonText = answer->text();
        answer->click();
      } else
        box->reject();
    });
    poll.start();
  }
};

} // namespace kv816::test
