#include "ui/shell/gui_api_host.h"

#include "api/api_service.h"
#include "api/api_token.h"
#include "api/listen_address.h"
#include "api/osc_server.h"
#include "i18n/text.h"
#include "ui/controls/ui_text.h"
#include "ui/shell/device_session.h"
#include "ui/shell/main_window.h"
#include "ui/shell/show_controller.h"
#include "ui/shell/tab_layout.h"

namespace kv816 {

namespace {
constexpr auto relaxed = std::memory_order_relaxed;
// OSC has no token: it stays on loopback whatever address the WebSocket side uses.
constexpr const char* OSC_HOST = "127.0.0.1";

QString notStarted(const std::string& reason) {
  return uiText(Text::ApiNotStarted) + QLatin1Char(' ') + QString::fromStdString(reason);
}

QString hostForUrl(const std::string& host) {
  const QString text = QString::fromStdString(host);
  return text.contains(QLatin1Char(':')) ? QLatin1Char('[') + text + QLatin1Char(']') : text;
}
} // namespace

GuiApiHost::GuiApiHost(MainWindow& window, DeviceSession& session)
    : window_(window), session_(session) {
  poll_.setInterval(POLL_INTERVAL_MS);
  connect(&poll_, &QTimer::timeout, this, [this] {
    if (service_)
      service_->poll();
  });
  // Clients are let go before the link stops, not left waiting on a device that is gone.
  connect(&window, &MainWindow::aboutToStopLink, this, &GuiApiHost::stop);
}

GuiApiHost::~GuiApiHost() {
  stop();
}

bool GuiApiHost::startFromSettings(QString& error) {
  const ApiSettings settings = ApiSettings::read(session_.settings());
  return !settings.enabled || start(settings, error);
}

bool GuiApiHost::start(const ApiSettings& settings, QString& error) {
  stop();
  const std::optional<ListenAddress> where =
      parseListenAddress(settings.address + ":" + std::to_string(settings.port));
  if (!where) {
    error = uiText(Text::ApiBadAddress);
    return false;
  }
  if (loopbackOnly() && !isLoopbackAddress(where->host)) {
    error = uiText(Text::ApiLoopbackOnly);
    return false;
  }
  WebSocketOptions options;
  options.address = where->host;
  options.port = where->port;
  if (!isLoopbackAddress(where->host)) {
    std::string reason;
    options.token = token(reason);
    if (options.token.empty()) {
      error = notStarted(reason);
      return false;
    }
  }
  calls_ = new QObject(this);
  QObject* calls = calls_;
  service_ = std::make_unique<ApiService>(*this, options, [calls](std::function<void()> job) {
    QMetaObject::invokeMethod(calls, std::move(job), Qt::QueuedConnection);
  });
  std::string reason;
  if (!service_->start(reason)) {
    stop();
    error = notStarted(reason);
    return false;
  }
  address_ = where->host;
  if (settings.oscEnabled && !startOsc(settings.oscPort, error)) {
    stop();
    return false;
  }
  poll_.start();
  return true;
}

bool GuiApiHost::startOsc(uint16_t port, QString& error) {
  QObject* calls = calls_;
  osc_ = std::make_unique<OscServer>(service_->handler(), [calls](std::function<void()> job) {
    QMetaObject::invokeMethod(calls, std::move(job), Qt::QueuedConnection);
  });
  std::string reason;
  if (!osc_->start(OSC_HOST, port, reason)) {
    error = notStarted("OSC: " + reason);
    return false;
  }
  oscPort_ = osc_->port();
  return true;
}

void GuiApiHost::stop() {
  poll_.stop();
  if (osc_)
    osc_->stop();
  if (service_)
    service_->stop();
  // No thread posts any more: the calls still queued go with their context.
  delete calls_;
  calls_ = nullptr;
  osc_.reset();
  service_.reset();
  oscPort_ = 0;
  if (metersWanted_)
    setMetersWanted(false);
}

uint16_t GuiApiHost::port() const {
  return service_ ? service_->port() : 0;
}

QString GuiApiHost::endpoints() const {
  if (!service_)
    return {};
  QString text = QStringLiteral("ws://%1:%2/").arg(hostForUrl(address_)).arg(port());
  if (osc_)
    text += QStringLiteral("\nOSC udp://%1:%2").arg(QLatin1String(OSC_HOST)).arg(oscPort_);
  return text;
}

std::string GuiApiHost::token(std::string& error) const {
  return loadOrCreateApiToken(session_.settings().folders(), error);
}

void GuiApiHost::onDeviceReported(int index) {
  if (service_)
    service_->onDeviceChanged(index);
}

ParameterTable& GuiApiHost::table() {
  return session_.table();
}

EditSession& GuiApiHost::editSession() {
  return window_.edits();
}

// Online as the window shows it: the device's table has been read since the link came up,
// and the link still holds. (The worker's own running phase follows only after the preset
// names settle, up to a second later; sets made meanwhile go out once it runs.)
ApiLinkStatus GuiApiHost::linkStatus() {
  ApiLinkStatus status;
  const bool connected = session_.link().state().connected.load(relaxed);
  const bool shownOnline = window_.showController().state() == ShowController::State::Online;
  status.phase = !session_.isRunning()      ? ApiLinkPhase::Offline
                 : shownOnline && connected ? ApiLinkPhase::Online
                                            : ApiLinkPhase::Searching;
  status.link = apiLinkName(session_.linkType(), session_.isDemo());
  const DeviceInfo& info = session_.link().deviceInfo();
  status.deviceId = info.deviceId.load(relaxed);
  status.presetCount = info.presetCount.load(relaxed);
  status.lockMask = info.lockMask.load(relaxed);
  return status;
}

std::filesystem::path GuiApiHost::presetFolder() {
  return session_.settings().folders().presetFolder;
}

TaskStart GuiApiHost::startTask(const ApiTask&, std::function<void(ApiTaskReply)>) {
  return TaskStart::Unavailable;
}

// The gain page's view asks the device for every level; without remote wishes the shown
// page decides.
void GuiApiHost::setMetersWanted(bool wanted) {
  metersWanted_ = wanted;
  session_.link().state().meterView.store(wanted ? PAGE_GAIN : window_.shownPageNumber(), relaxed);
}

} // namespace kv816
