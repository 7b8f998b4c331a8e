// The whole program against the in-process simulated device: the link comes up, the full
// read reaches the window for every index, and closing stops the worker promptly.

#include "ui_test_support.h"

#include "presets/settings.h"
#include "ui/dialogs/progress_window.h"
#include "ui/shell/qt_link_events.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <array>
#include <atomic>

namespace kv816 {
namespace {

using test::MessageCatcher;
using test::WindowFixture;

// Counts the parameter notifications the worker posts, then hands everything on.
class CountingEvents : public LinkEvents {
public:
  explicit CountingEvents(LinkEvents& inner) : inner_(inner) {}
  void post(Notify what, int arg) override {
    if (what == Notify::ParameterChanged && arg >= 0 && arg < PARAM_COUNT)
      posted[static_cast<size_t>(arg)].fetch_add(1);
    if (what == Notify::TaskDone)
      readsDone.fetch_add(1);
    inner_.post(what, arg);
  }
  void send(Notify what, int arg) override { inner_.send(what, arg); }
  MessageButton showMessage(MessageKind kind, const std::string& text,
                            const std::string& caption) override {
    return inner_.showMessage(kind, text, caption);
  }
  ProgressView& progress() override { return inner_.progress(); }

  std::array<std::atomic<int>, PARAM_COUNT> posted{};
  std::atomic<int> readsDone{0};

private:
  LinkEvents& inner_;
};

using test::waitFor;

TEST(DemoDevice, FullReadReachesTheWindowAndCloseStopsTheWorker) {
  WindowFixture f;
  f.session->settings().writeSetting(CONFIGURATION_FILE, key::DEMO_DEVICE, 1);
  ProgressWindow progress(f.window.get());
  QtLinkEvents qtEvents(*f.window, progress);
  CountingEvents events(qtEvents);
  QObject::connect(f.window.get(), &MainWindow::aboutToStopLink, &qtEvents,
                   &QtLinkEvents::shutDown);
  f.window->show();
  ASSERT_TRUE(f.session->start(events));
  EXPECT_TRUE(f.session->isDemo());

  ASSERT_TRUE(waitFor([&] { return events.readsDone.load() > 0; }, 30000));
  WindowFixture::settle();
  EXPECT_EQ(f.window->statusText(0), "Link Status:Successful");
  EXPECT_FALSE(f.window->statusText(2).isEmpty()); // the demo device says so
  int missing = 0;
  for (int index = 0; index < PARAM_COUNT; ++index)
    missing += events.posted[static_cast<size_t>(index)].load() == 0;
  EXPECT_EQ(missing, 0);
  EXPECT_TRUE(waitFor([&] { return progress.isHiddenFlag(); }, 2000));
  // The gain page has been told the device's gains.
  EXPECT_FALSE(f.page(PageSlot::Gain).calls.empty());

  MessageCatcher catcher;
  catcher.answerNext(QMessageBox::Yes);
  QElapsedTimer clock;
  clock.start();
  EXPECT_TRUE(f.window->close());
  EXPECT_LT(clock.elapsed(), 2500);
  EXPECT_FALSE(f.session->isRunning());
}

} // namespace
} // namespace kv816
