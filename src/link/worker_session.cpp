#include "link/worker_session.h"

#include "link/link.h"
#include "link/stop_signal.h"
#include "link/transport.h"

namespace kv816 {

namespace {
constexpr auto relaxed = std::memory_order_relaxed;
}

WorkerSession::WorkerSession(Link& link, LinkEvents& events, ModuleCommands& modules,
                             StopSignal& stop)
    : link_(link), events_(events), modules_(modules), stop_(stop), progress_(events) {}

ParameterTable& WorkerSession::table() {
  return link_.table();
}

LinkState& WorkerSession::state() {
  return link_.state();
}

bool WorkerSession::running() const {
  return link_.state().workerRun.load(relaxed) && !stop_.requested();
}

bool WorkerSession::sleepFor(std::chrono::milliseconds duration) {
  return stop_.sleepFor(duration);
}

bool WorkerSession::sleepUntilWoken(std::chrono::milliseconds duration) {
  return stop_.sleepUntilWoken(duration);
}

bool WorkerSession::transportOpen() const {
  const Transport* t = link_.transport();
  return t != nullptr && t->isOpen();
}

uint32_t WorkerSession::now() const {
  return link_.now();
}

void WorkerSession::send(uint8_t command, std::span<const uint8_t> payload) {
  link_.sendPacket(command, payload);
}

bool WorkerSession::request(uint8_t command, std::span<const uint8_t> payload, uint32_t timeoutMs) {
  LinkState& s = link_.state();
  ReplySemaphore& reply = link_.replySemaphore();
  // A reply that came after an earlier wait gave up must not answer this request. The stop
  // request is checked after the drain, so the stop's own release is never lost.
  reply.tryAcquire();
  s.waitingForReply.store(1, relaxed);
  link_.sendPacket(command, payload);
  bool answered = true;
  if (transportOpen() && !stop_.requested())
    answered = reply.waitFor(std::chrono::milliseconds(timeoutMs));
  s.waitingForReply.store(0, relaxed);
  return answered;
}

void WorkerSession::dropIfClosed() {
  if (transportOpen())
    return;
  progress_.hide();
  link_.state().connected.store(false, relaxed);
}

} // namespace kv816
