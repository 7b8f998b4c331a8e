#pragma once
// Everything the program shares with the device link: the parameter table, the link's
// shared state (meterView, task flags, preset names), the preset task inputs and the
// connection worker. This is the one place where the worker is started and stopped.
//
// GUI thread only, except the accessors of the objects it hands out, which state their
// own thread rules.

#include "link/link.h"
#include "link/transports/device_transports.h"
#include "model/parameter_table.h"
#include "presets/preset_task_inputs.h"
#include "presets/settings.h"

#include <memory>
#include <string>
#include <utility>

namespace kv816 {

class ConnectionWorker;
class LinkEvents;
class ModuleCommands;
class SimulatedDevice;

class DeviceSession {
public:
  explicit DeviceSession(SettingsFolders folders);
  ~DeviceSession();
  DeviceSession(const DeviceSession&) = delete;
  DeviceSession& operator=(const DeviceSession&) = delete;

  ParameterTable& table() { return table_; }
  Link& link() { return link_; }
  const Settings& settings() const { return settings_; }

  // Before start(): use the simulated device when Configuration.ini names neither a link
  // type nor the DemoDevice setting.
  void setDemoByDefault(bool on) { demoByDefault_ = on; }
  // Before start(): what the network link asks of the host (module choice, notices). The
  // functions are called on the worker's threads and must stay valid until stop().
  void setTransportHooks(TransportHooks hooks) { hooks_ = std::move(hooks); }

  // Reads the link settings, loads the factory defaults and starts the connection worker,
  // which reports to `events` from its own thread. Returns false when the worker could not
  // start (it has said so) or runs already.
  bool start(LinkEvents& events);
  // Stops the worker: clears its run flag, closes the link and waits at most 2000 ms.
  // Blocking calls the worker makes meanwhile must be released (QtLinkEvents::shutDown).
  void stop();
  // Stops the worker as stop() does, while the GUI thread goes on answering the calls it
  // makes meanwhile; for a stop the user asked for, not the program's exit. GUI thread.
  void stopServingEvents();
  // Starts the worker again with the events of the last start(); false when there was none.
  bool restart();
  bool isRunning() const { return worker_ != nullptr; }
  // After an edit: the worker sends it at once instead of after its meter phase.
  void wakeWorker();

  // The WiFi module's command slots while the worker runs; nullptr otherwise.
  ModuleCommands* modules();
  // True while the main loop runs with a device that answered (the only time a device task
  // can run); a request made otherwise is refused at once.
  bool isConnected() const;
  // 1 USB, 2 network, 3 Bluetooth COM, anything else a plain COM port.
  int linkType() const { return config_.linkType; }
  // Whether the simulated device answers in-process instead of a real link.
  bool isDemo() const { return config_.demoDevice; }
  // The simulated device of the demo (its table, its frames, its cable), the same unit
  // after a stop and a restart; null without the demo. Any thread may use it.
  SimulatedDevice* demoDevice() const { return demo_.get(); }

  // The preset file the export and import tasks use; written by the GUI before it raises
  // the task, read by the worker.
  void setPresetFileName(const std::string& name) { taskInputs_.setName(name); }
  std::string presetFileName() const { return taskInputs_.name(); }

private:
  LinkConfig resolveConfig() const;

  ParameterTable table_;
  mutable Link link_; // mutable: its shared words are read by const queries
  Settings settings_;
  PresetTaskInputs taskInputs_;
  LinkConfig config_;
  bool demoByDefault_ = false;
  TransportHooks hooks_;
  LinkEvents* events_ = nullptr;
  std::shared_ptr<SimulatedDevice> demo_;
  std::unique_ptr<ConnectionWorker> worker_;
};

} // namespace kv816
