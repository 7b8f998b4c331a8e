#pragma once
// The remote API served by the desktop program (Remote -> API): the WebSocket server and,
// when asked, OSC, inside this process against the main window's table and edit session,
// so a remote set is one more step of the window's undo history ("Remote: ..."). Messages
// reach the GUI thread as queued calls and a timer polls the handler there; nothing here
// waits on the network or the link. Device tasks (presets, recall, export, import) stay
// with the person at the desktop: remote clients are told the method is not served here.
//
// GUI thread only.

#include "api/api_host.h"
#include "api/api_settings.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

namespace kv816 {

class ApiService;
class DeviceSession;
class MainWindow;
class OscServer;

class GuiApiHost : public QObject, public ApiHost {
  Q_OBJECT
public:
  static constexpr int POLL_INTERVAL_MS = 10;

  GuiApiHost(MainWindow& window, DeviceSession& session);
  ~GuiApiHost() override;

  // Serves as `settings` say (their `enabled` is not looked at), after stopping what ran.
  // False, with the reason in the current language in `error`, when the address is refused
  // or a port cannot be bound; nothing is served then.
  bool start(const ApiSettings& settings, QString& error);
  // Starts when the stored settings enable the API; true when they do not.
  bool startFromSettings(QString& error);
  void stop();
  bool isRunning() const { return service_ != nullptr; }
  // Where clients reach the server ("ws://127.0.0.1:18160/", OSC on a line of its own);
  // empty when stopped.
  QString endpoints() const;
  uint16_t port() const;
  // The token clients must send when the address is beyond loopback (created once);
  // empty, with `error` set, when it can be neither read nor written.
  std::string token(std::string& error) const;
  bool metersWanted() const { return metersWanted_; }

  // The device reported a value (not the window's own refreshes).
  void onDeviceReported(int index);

  // ApiHost
  ParameterTable& table() override;
  EditSession& editSession() override;
  ApiLinkStatus linkStatus() override;
  std::filesystem::path presetFolder() override;
  TaskStart startTask(const ApiTask& task, std::function<void(ApiTaskReply)> done) override;
  void setMetersWanted(bool wanted) override;

private:
  bool startOsc(uint16_t port, QString& error);

  MainWindow& window_;
  DeviceSession& session_;
  QTimer poll_;
  // The context of the queued calls: deleted after the servers stopped, it takes the calls
  // that have not run yet with it.
  QObject* calls_ = nullptr;
  std::unique_ptr<ApiService> service_;
  std::unique_ptr<OscServer> osc_;
  std::string address_;
  uint16_t oscPort_ = 0;
  bool metersWanted_ = false;
};

} // namespace kv816
