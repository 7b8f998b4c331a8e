#include "wait_for_signal.h"

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <thread>

namespace kv816 {
namespace {

std::mutex mutex;
std::condition_variable arrived;
int received = 0;

// Runs on a thread the console starts. Ctrl+C and Ctrl+Break stand for SIGINT; closing the
// window, logging off and shutting down for SIGTERM.
BOOL WINAPI onConsoleEvent(DWORD event) {
  {
    std::lock_guard lock(mutex);
    received = (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) ? SIGINT : SIGTERM;
  }
  arrived.notify_all();
  // Windows ends the process as soon as this returns from a close, log-off or shutdown
  // event: hold on so the main thread can save its state first; its exit ends this wait.
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
    std::this_thread::sleep_for(std::chrono::seconds(4));
  return TRUE;
}

} // namespace

void blockTerminationSignals() {
  SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

int waitForTerminationSignal() {
  std::unique_lock lock(mutex);
  arrived.wait(lock, [] { return received != 0; });
  return received;
}

} // namespace kv816
