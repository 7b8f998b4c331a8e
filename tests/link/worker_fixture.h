#pragma once
// A connection worker wired to the simulated device in-process: real threads, and real time
// unless the test sets manualClock, when the worker's link runs on `clock` and time moves
// only as the test advances it. Every frame the worker writes is recorded with its time on
// the link's clock; the device can be silenced and a test may act on a frame as it goes out
// (on the worker thread, before the reply).

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "fake_link_events.h"
#include "i18n/language.h"
#include "link/connection_worker.h"
#include "link/packet.h"
#include "link/transports/loopback_transport.h"
#include "manual_clock.h"
#include "model/parameter_table.h"
#include "sim/sim_loopback.h"
#include "sim/simulated_device.h"

namespace kv816::test {

struct SentFrame {
  std::chrono::steady_clock::time_point at;
  uint8_t command;
  std::vector<uint8_t> payload;
  bool connected = true; // the link's flag once this send's silence accounting ran
};

class WorkerFixture : public ::testing::Test {
protected:
  using Clock = std::chrono::steady_clock;

  void SetUp() override { setCurrentLanguage(LanguageIndex::English); }
  void TearDown() override {
    if (worker && manualClock) {
      EXPECT_TRUE(stopWorker());
    }
    worker.reset();
  }

  // Builds and starts the worker against a device made from `config`.
  void startWorker(SimConfig config = {}, WorkerOptions options = {}) {
    device = std::make_unique<SimulatedDevice>(config);
    options.config.linkType = LINK_USB;
    if (manualClock)
      options.clock = &clock;
    worker = std::make_unique<ConnectionWorker>(table, events, factory(), std::move(options));
    for (auto& [index, task] : tasks)
      worker->setTask(index, task);
    startedAt = worker->link().clock().now();
    ASSERT_TRUE(worker->start());
  }

  // Until `done` holds: on the manual clock, moving it by up to `limit`; else waiting as
  // long in real time.
  bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    return manualClock ? clock.runUntil(done, limit) : events.waitFor(done, limit);
  }

  bool waitRunning(std::chrono::milliseconds timeout = std::chrono::seconds(8)) {
    if (manualClock)
      return clock.runUntil([this] { return worker->phase() == WorkerPhase::Running; }, timeout);
    return worker->waitUntilRunning(timeout);
  }

  // Stops the worker; true when it ended at once. On the manual clock no sleep may need the
  // clock to move; when one does, the clock is moved until the worker has ended, so that the
  // test fails instead of hanging.
  bool stopWorker() {
    if (worker->stop())
      return true;
    if (manualClock)
      clock.runUntil([this] { return worker->phase() == WorkerPhase::Stopped; },
                     std::chrono::minutes(10));
    return false;
  }

  // Time on the worker's clock since startWorker.
  std::chrono::milliseconds elapsed() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(worker->link().clock().now() -
                                                                 startedAt);
  }

  std::vector<SentFrame> sent() const {
    std::lock_guard lock(framesMutex);
    return frames;
  }
  std::vector<SentFrame> sent(uint8_t command) const {
    std::vector<SentFrame> out;
    for (SentFrame& f : sent())
      if (f.command == command)
        out.push_back(std::move(f));
    return out;
  }
  int countSent(uint8_t command) const { return static_cast<int>(sent(command).size()); }

  // Set before startWorker to run the worker on `clock`.
  bool manualClock = false;
  ManualClock clock;
  ParameterTable table;
  FakeLinkEvents events;
  std::unique_ptr<SimulatedDevice> device;
  std::unique_ptr<ConnectionWorker> worker;
  Clock::time_point startedAt;
  // While set, the device hears nothing and answers nothing.
  std::atomic<bool> silent{false};
  // `filter` is called on the worker thread for every frame, before the device answers
  // it; a false return drops the frame. May be set while the worker runs.
  void setFrameFilter(std::function<bool(const SentFrame&)> filter) {
    std::lock_guard lock(framesMutex);
    frameFilter = std::move(filter);
  }
  // `editor` is called on the worker thread with the device's replies to every frame it
  // answered; it may change or remove them. May be set while the worker runs.
  void setReplyEditor(std::function<void(const SentFrame&, std::vector<LoopbackReply>&)> editor) {
    std::lock_guard lock(framesMutex);
    replyEditor = std::move(editor);
  }
  // Installed on the worker before it starts.
  std::map<int, WorkerTask> tasks;

private:
  TransportFactory factory() {
    return [this](const TransportContext& ctx) {
      auto respond = deviceResponder(*device);
      auto recording = [this, respond, &link = ctx.link](std::span<const uint8_t> frame) {
        SentFrame f{link.clock().now(),
                    frame[2],
                    {frame.begin() + 3, frame.end() - 2},
                    link.state().connected.load()};
        std::function<bool(const SentFrame&)> filter;
        std::function<void(const SentFrame&, std::vector<LoopbackReply>&)> editor;
        {
          std::lock_guard lock(framesMutex);
          frames.push_back(f);
          filter = frameFilter;
          editor = replyEditor;
        }
        if (silent.load() || (filter && !filter(f)))
          return std::vector<LoopbackReply>{};
        std::vector<LoopbackReply> replies = respond(frame);
        if (editor)
          editor(f, replies);
        return replies;
      };
      return std::make_unique<LoopbackTransport>(ctx.link, recording, &ctx.events);
    };
  }

  mutable std::mutex framesMutex;
  std::vector<SentFrame> frames;
  std::function<bool(const SentFrame&)> frameFilter;
  std::function<void(const SentFrame&, std::vector<LoopbackReply>&)> replyEditor;
};

} // namespace kv816::test
