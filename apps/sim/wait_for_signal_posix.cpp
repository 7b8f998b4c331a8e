#include "wait_for_signal.h"

#include <csignal>
#include <pthread.h>

namespace kv816 {
namespace {

sigset_t terminationSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  return set;
}

} // namespace

void blockTerminationSignals() {
  const sigset_t set = terminationSignals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

int waitForTerminationSignal() {
  const sigset_t set = terminationSignals();
  int signal = 0;
  while (sigwait(&set, &signal) != 0) {
  }
  return signal;
}

} // namespace kv816
