// An edit that lands while the receive thread handles the echo of the previous value must
// keep its send mark: otherwise the new value is never sent and the device keeps the old one.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "model/parameter_table.h"

namespace kv816 {
namespace {

TEST(ParameterTableEchoRace, AnEditDuringTheEchoOfTheOldValueStaysMarked) {
  constexpr int INDEX = 100;
  ParameterTable table;
  std::atomic<int> round{0};
  std::atomic<int> echoed{0};
  std::atomic<bool> stop{false};
  // The receive thread: one echo of value 1 per round.
  std::thread receiver([&] {
    for (int r = 1;; ++r) {
      while (round.load() < r)
        if (stop.load())
          return;
      table.applyEcho(INDEX, 1);
      echoed.store(r);
    }
  });
  // The GUI thread: value 1 is on its way, value 2 is typed while its echo comes back.
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
  int lost = 0;
  int rounds = 0;
  while (lost == 0 && std::chrono::steady_clock::now() < end) {
    table.setParameter(INDEX, 1);
    round.store(++rounds);
    for (int spin = rounds % 97; spin > 0; --spin)
      std::atomic_signal_fence(std::memory_order_seq_cst); // vary the moment of the edit
    table.setParameter(INDEX, 2);
    while (echoed.load() < rounds)
      std::this_thread::yield();
    lost += table.value(INDEX) == 2 && !table.mustSend(INDEX);
  }
  stop.store(true);
  receiver.join();
  EXPECT_EQ(lost, 0) << "after " << rounds << " rounds";
}

// A report of the device's old word handled while the user stores a new value must neither
// replace the value nor leave it unmarked: either would send the old word back.
TEST(ParameterTableEchoRace, AnEditDuringAReportOfTheOldValueKeepsItsValue) {
  constexpr int INDEX = 200;
  ParameterTable table;
  std::atomic<int> round{0};
  std::atomic<int> reported{0};
  std::atomic<bool> stop{false};
  std::thread receiver([&] {
    for (int r = 1;; ++r) {
      while (round.load() < r)
        if (stop.load())
          return;
      table.applyReport(INDEX, 1);
      reported.store(r);
    }
  });
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
  int lost = 0;
  int rounds = 0;
  while (lost == 0 && std::chrono::steady_clock::now() < end) {
    table.setParameter(INDEX, 1);
    table.applyEcho(INDEX, 1); // settled: the report may now be taken
    round.store(++rounds);
    for (int spin = rounds % 97; spin > 0; --spin)
      std::atomic_signal_fence(std::memory_order_seq_cst);
    table.setParameter(INDEX, 2);
    while (reported.load() < rounds)
      std::this_thread::yield();
    lost += table.value(INDEX) != 2 || !table.mustSend(INDEX);
  }
  stop.store(true);
  receiver.join();
  EXPECT_EQ(lost, 0) << "after " << rounds << " rounds";
}

} // namespace
} // namespace kv816
