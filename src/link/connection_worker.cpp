#include "link/connection_worker.h"

#include <string>
#include <system_error>

#include "i18n/fixed_texts.h"
#include "i18n/text.h"
#include "link/event_log.h"
#include "link/full_read.h"
#include "link/link_events.h"
#include "link/main_loop.h"
#include "link/packet.h"
#include "link/transport.h"
#include "link/worker_session.h"
#include "model/parameter_table.h"

namespace kv816 {

namespace {
using std::chrono::milliseconds;
constexpr auto relaxed = std::memory_order_relaxed;

constexpr int HANDSHAKE_ATTEMPTS = 12;
// Information requests made for the identity form once index 0 has identified the device.
constexpr int IDENTITY_REQUESTS = 3;
constexpr uint32_t INFO_WAIT_MS = 500;
constexpr milliseconds STOP_WAIT{2000};
// The longest wait for the preset names after the start-up read.
constexpr milliseconds NAMES_SETTLE{1000};
constexpr uint8_t INFO_REQUEST[] = {0x00};
constexpr uint8_t READ_INDEX_0[] = {0x00, 0x00};

enum class Handshake { Passed, Retry };

// Asks for the identity form a few times; index 0 reading DEVICE_ID has identified the
// device already, so a device that answers only in the lock form, or whose replies were
// lost, is known as DEVICE_ID all the same.
void settleIdentity(WorkerSession& s) {
  DeviceInfo& info = s.link().deviceInfo();
  for (int i = 0; i < IDENTITY_REQUESTS && s.running(); ++i) {
    if (info.deviceId.load(relaxed) == DEVICE_ID)
      return;
    s.request(cmd::INFO, INFO_REQUEST, INFO_WAIT_MS);
  }
  info.deviceId.store(DEVICE_ID, relaxed);
}

// Asks for the identity until index 0 reads DEVICE_ID. Twelve attempts without it show
// "Equipment model is wrong!" and retry the connection after a pause.
Handshake handshake(WorkerSession& s) {
  ParameterTable& table = s.table();
  DeviceInfo& info = s.link().deviceInfo();
  const LinkState& st = s.state();
  // This device's identity, not one a previous device reported.
  info.deviceId.store(0, relaxed);
  int attempts = 0;
  while (table.value(IDX_DEVICE_ID) != DEVICE_ID) {
    if (!s.running())
      return Handshake::Retry;
    s.request(cmd::INFO, INFO_REQUEST, INFO_WAIT_MS);
    s.send(cmd::READ, READ_INDEX_0);
    s.sleepFor(milliseconds(40));
    if (attempts++ >= HANDSHAKE_ATTEMPTS - 1) {
      s.events().showMessage(MessageKind::Ok, std::string(langText(Text::WrongModel)), {});
      s.sleepFor(milliseconds(2000));
      return Handshake::Retry;
    }
    if (info.deviceId.load(relaxed) == DEVICE_ID)
      return Handshake::Passed;
    if (!s.transportOpen() || st.missCount.load(relaxed) >= st.missLimit.load(relaxed) - 2)
      return Handshake::Retry;
    if (!st.connected.load(relaxed))
      return Handshake::Passed; // the full read that follows fails and drops the link
  }
  settleIdentity(s);
  return Handshake::Passed;
}
} // namespace

ConnectionWorker::ConnectionWorker(ParameterTable& table, LinkEvents& events,
                                   TransportFactory factory, WorkerOptions options)
    : ownedLink_(std::make_unique<Link>(table, options.clock ? *options.clock : steadyClock())),
      link_(*ownedLink_), table_(table), events_(events), factory_(std::move(factory)),
      options_(std::move(options)), stopSignal_(link_.clock()) {
  link_.setModuleReplyHandler([this](std::string_view text) { modules_.onModuleReply(text); });
}

ConnectionWorker::ConnectionWorker(Link& link, LinkEvents& events, TransportFactory factory,
                                   WorkerOptions options)
    : link_(link), table_(link.table()), events_(events), factory_(std::move(factory)),
      options_(std::move(options)), stopSignal_(link_.clock()) {
  link_.setModuleReplyHandler([this](std::string_view text) { modules_.onModuleReply(text); });
}

ConnectionWorker::~ConnectionWorker() {
  stop();
  if (thread_.joinable())
    thread_.join();
  link_.setModuleReplyHandler({});
}

void ConnectionWorker::setTask(int index, WorkerTask task) {
  if (index >= WORKER_TASK_FIRST && index <= WORKER_TASK_LAST)
    tasks_[index] = std::move(task);
}

bool ConnectionWorker::start() {
  if (thread_.joinable()) {
    std::lock_guard lock(phaseMutex_);
    if (!finished_)
      return false;
  }
  if (thread_.joinable())
    thread_.join();
  table_.loadDefaults();
  modules_.clear();
  link_.replySemaphore().tryAcquire();
  link_.state().workerRun.store(true, relaxed);
  stopSignal_.reset();
  {
    std::lock_guard lock(phaseMutex_);
    finished_ = false;
  }
  setPhase(WorkerPhase::Starting);
  link_.clock().threadStarted();
  try {
    thread_ = std::thread([this] {
      threadMain();
      link_.clock().threadEnded();
    });
  } catch (const std::system_error&) {
    link_.clock().threadEnded();
    setPhase(WorkerPhase::Stopped);
    std::lock_guard lock(phaseMutex_);
    finished_ = true;
    events_.showMessage(MessageKind::Ok, std::string(WORKER_START_FAILED), {});
    return false;
  }
  return true;
}

bool ConnectionWorker::stop() {
  requestStop();
  if (!thread_.joinable())
    return true;
  std::unique_lock lock(phaseMutex_);
  const bool ended = phaseChanged_.wait_for(lock, STOP_WAIT, [this] { return finished_; });
  lock.unlock();
  if (ended)
    thread_.join();
  return ended;
}

void ConnectionWorker::requestStop() {
  LinkState& st = link_.state();
  st.connected.store(false, relaxed);
  st.workerRun.store(false, relaxed);
  // The flag first, then the release: a wait that begins after the flag check still sees
  // the release, so no wait outlasts the stop.
  stopSignal_.request();
  link_.replySemaphore().release();
  phaseChanged_.notify_all();
}

bool ConnectionWorker::waitUntilRunning(std::chrono::milliseconds timeout) {
  std::unique_lock lock(phaseMutex_);
  phaseChanged_.wait_for(lock, timeout, [this] {
    return phase() == WorkerPhase::Running || stopSignal_.requested() || finished_;
  });
  return phase() == WorkerPhase::Running;
}

void ConnectionWorker::setPhase(WorkerPhase phase) {
  static constexpr const char* NAMES[] = {"stopped", "starting", "opening", "handshaking",
                                          "reading", "running",  "lost"};
  logInfo(std::string("link: ") + NAMES[static_cast<int>(phase)]);
  {
    std::lock_guard lock(phaseMutex_);
    phase_.store(phase, relaxed);
  }
  phaseChanged_.notify_all();
}

void ConnectionWorker::threadMain() {
  LinkState& st = link_.state();
  WorkerSession session(link_, events_, modules_, stopSignal_);
  MainLoop mainLoop(session, tasks_);
  // workerRun is set by construction and cleared only by stop(); setting it here again
  // would undo a stop that came before the thread got going.
  if (st.workerRun.load(relaxed))
    events_.send(Notify::LinkStatus, LINK_STARTING);
  if (!options_.skipFullRead)
    session.sleepFor(milliseconds(500));

  const LinkConfig config = options_.readConfig ? options_.readConfig() : options_.config;
  st.linkType.store(config.linkType < 0 ? LINK_USB : config.linkType, relaxed);
  mainLoop.notePass(link_.now());
  std::unique_ptr<Transport> transport;
  if (session.running()) {
    events_.send(Notify::LinkStatus, LINK_STARTING);
    if (factory_)
      transport = factory_(TransportContext{link_, modules_, events_, config});
  }
  if (transport) {
    link_.setTransport(transport.get());
    runConnections(session, mainLoop);
    transport->close();
    link_.setTransport(nullptr);
  } else {
    while (session.sleepFor(milliseconds(1000)) && session.running()) {
    }
  }
  setPhase(WorkerPhase::Stopped);
  std::lock_guard lock(phaseMutex_);
  finished_ = true;
  phaseChanged_.notify_all();
}

void ConnectionWorker::runConnections(WorkerSession& session, MainLoop& mainLoop) {
  LinkState& st = link_.state();
  while (session.running()) {
    setPhase(WorkerPhase::Opening);
    st.applyTimings(LinkTimings::forLinkType(st.linkType.load(relaxed)));
    st.lastRxTick.store(link_.now(), relaxed);
    if (!link_.transport()->open() || !session.running())
      return;
    st.connected.store(true, relaxed);
    setPhase(WorkerPhase::Handshaking);
    if (handshake(session) == Handshake::Retry)
      continue;
    if (!session.running())
      return;
    setPhase(WorkerPhase::Reading);
    if (readAfterHandshake(session, mainLoop)) {
      setPhase(WorkerPhase::Running);
      mainLoop.notePass(link_.now());
      mainLoop.run();
    }
    setPhase(WorkerPhase::Lost);
    st.connected.store(false, relaxed);
    const bool dropped = dropPendingTasks();
    if (session.running())
      events_.send(Notify::LinkStatus, LINK_LOST);
    if (dropped && session.running())
      events_.showMessage(MessageKind::Ok, std::string(langText(Text::NoDevice)), {});
  }
}

// True when a task was pending and has been dropped (only with dropTasksWhenDown).
bool ConnectionWorker::dropPendingTasks() {
  if (!options_.dropTasksWhenDown)
    return false;
  TaskFlags& flags = link_.taskFlags();
  bool dropped = false;
  for (int t = WORKER_TASK_FIRST; t <= WORKER_TASK_LAST; ++t) {
    dropped = dropped || flags.pending(t);
    flags.clear(t);
  }
  return dropped;
}

// Keep-alive, discarding what the pages did without a device, the full read and the
// preset names. True when the link is still up for the main loop.
bool ConnectionWorker::readAfterHandshake(WorkerSession& session, MainLoop& mainLoop) {
  LinkState& st = link_.state();
  sendKeepAlive(session);
  mainLoop.noteKeepAlive(link_.now());
  session.sleepFor(milliseconds(20));
  table_.discardPendingMarks();
  dropPendingTasks();
  if (!options_.skipFullRead) {
    fullReadWithNotification(session);
    readPresetNames(session, table_.value(IDX_CURRENT_PRESET) & 0xFF);
    waitForPresetNames(session, NAMES_SETTLE);
  }
  return st.missCount.load(relaxed) < st.missLimit.load(relaxed) && st.connected.load(relaxed) &&
         session.running();
}

} // namespace kv816
