#include "ui_test_support.h"

#include "ui/dialogs/progress_window.h"
#include "ui/shell/qt_link_events.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace kv816 {
namespace {

using test::MessageCatcher;
using test::PageCall;
using test::WindowFixture;

void spinUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < timeoutMs)
    QApplication::processEvents(QEventLoop::AllEvents, 10);
}

TEST(QtLinkEvents, WorkerCallsReachTheWindowOnTheGuiThread) {
  WindowFixture f;
  ProgressWindow progress(f.window.get());
  QtLinkEvents events(*f.window, progress);
  const int muteA = indexOf(ChannelFunction::Mute, 0);
  f.session->table().setParameter(muteA, 321);
  std::atomic<bool> sent{false};
  std::thread worker([&] {
    events.post(Notify::ParameterChanged, muteA);
    events.progress().setRange(0, 1175);
    events.progress().setPosition(1175);
    events.progress().setText("Read Device Data:  100 %");
    events.progress().show();
    events.send(Notify::LinkStatus, LINK_FOUND); // waits until the window has handled it
    sent = true;
  });
  spinUntil([&] { return sent.load(); });
  worker.join();
  EXPECT_EQ(f.window->statusText(0), "Link Status:Successful");
  EXPECT_EQ(f.page(PageSlot::Gain).calls,
            (std::vector<PageCall>{test::call(ChannelFunction::Mute, 0, 321)}));
  EXPECT_EQ(progress.fillRight(), 516);
  EXPECT_EQ(progress.line(), "Read Device Data:  100 %");
  EXPECT_FALSE(progress.isHiddenFlag());
}

TEST(QtLinkEvents, MessageFromTheWorkerReturnsTheButton) {
  WindowFixture f;
  ProgressWindow progress(f.window.get());
  QtLinkEvents events(*f.window, progress);
  MessageCatcher catcher;
  catcher.answerNext(QMessageBox::Yes);
  std::atomic<int> button{0};
  std::thread worker([&] {
    button = static_cast<int>(events.showMessage(MessageKind::YesNo, "Read Data Failed!", ""));
  });
  spinUntil([&] { return button.load() != 0; });
  worker.join();
  EXPECT_EQ(button.load(), static_cast<int>(MessageButton::Yes));
  EXPECT_EQ(catcher.text, "Read Data Failed!");
  EXPECT_EQ(catcher.caption, "T509"); // an empty caption is the window's title
}

TEST(QtLinkEvents, ShutDownReleasesAWaitingWorker) {
  WindowFixture f;
  ProgressWindow progress(f.window.get());
  QtLinkEvents events(*f.window, progress);
  std::atomic<bool> returned{false};
  // The GUI thread does not run its event loop here: the call can only end by shutDown.
  std::thread worker([&] {
    events.send(Notify::LinkStatus, LINK_LOST);
    returned = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(returned.load());
  events.shutDown();
  worker.join();
  EXPECT_TRUE(returned.load());
  EXPECT_EQ(events.showMessage(MessageKind::YesNo, "x", "y"), MessageButton::No);
}

TEST(QtLinkEvents, BlockingCallsOnTheGuiThreadRunDirectly) {
  WindowFixture f;
  ProgressWindow progress(f.window.get());
  QtLinkEvents events(*f.window, progress);
  events.send(Notify::LinkStatus, LINK_FOUND);
  EXPECT_EQ(f.window->statusText(0), "Link Status:Successful");
}

} // namespace
} // namespace kv816
