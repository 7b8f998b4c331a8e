// The receive thread handles an echo or a report of the previous value while the user stores
// a new one. The new value must keep both its value and its send mark: otherwise it is
// never sent, or the old value is sent in its place, and the device keeps the old one.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "model/parameter_table.h"

namespace kv816 {
namespace {

// Rounds of: `prepare` on the GUI thread, then the receiver's `receive` racing the edit of
// value 2, for up to 1.5 s or until an edit is lost. Returns the rounds that lost it.
int lostEdits(ParameterTable& table, int index, const std::function<void()>& prepare,
              const std::function<void()>& receive) {
  std::atomic<int> round{0};
  std::atomic<int> handled{0};
  std::atomic<bool> stop{false};
  std::thread receiver([&] {
    for (int r = 1;; ++r) {
      while (round.load() < r)
        if (stop.load())
          return;
      receive();
      handled.store(r);
    }
  });
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
  int lost = 0;
  int rounds = 0;
  while (lost == 0 && std::chrono::steady_clock::now() < end) {
    prepare();
    round.store(++rounds);
    for (int spin = rounds % 97; spin > 0; --spin)
      std::atomic_signal_fence(std::memory_order_seq_cst); // vary the moment of the edit
    table.setParameter(index, 2);
    while (handled.load() < rounds)
      std::this_thread::yield();
    lost += table.value(index) != 2 || !table.mustSend(index);
  }
  stop.store(true);
  receiver.join();
  return lost;
}

TEST(ParameterTableEchoRace, AnEditDuringTheEchoOfTheOldValueStaysMarked) {
  ParameterTable table;
  // Value 1 is on its way; its echo comes back while 2 is typed.
  EXPECT_EQ(lostEdits(
                table, 100, [&] { table.setParameter(100, 1); }, [&] { table.applyEcho(100, 1); }),
            0);
}

TEST(ParameterTableEchoRace, AnEditDuringAReportOfTheOldValueKeepsItsValue) {
  ParameterTable table;
  // Value 1 is settled; a read answered with it arrives while 2 is typed.
  const auto settle = [&] {
    table.setParameter(200, 1);
    table.applyEcho(200, 1);
  };
  EXPECT_EQ(lostEdits(table, 200, settle, [&] { table.applyReport(200, 1); }), 0);
}

} // namespace
} // namespace kv816
