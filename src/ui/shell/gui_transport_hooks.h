#pragma once
// GuiTransportHooks answers the network link's questions on the GUI thread: which module
// to connect to when several answered (ModuleChoiceDialog), and where its one-off notices
// go. The hooks it hands out may be called from any thread; a call from the worker waits
// for the GUI thread. After shutDown() waiting callers are released at once (the module
// that answered last is kept, notices are dropped) and an open choice dialog is closed,
// so a worker that is being stopped never waits on a GUI thread that waits on it.

#include "link/transports/device_transports.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

class QWidget;

namespace kv816 {

class ModuleChoiceDialog;

class GuiTransportHooks : public QObject {
  Q_OBJECT
public:
  using NoticeSink = std::function<void(const QString& text)>;

  // Construct on the GUI thread. `dialogParent` owns the choice dialog; `showNotice` runs
  // on the GUI thread. This object must outlive the worker's use of hooks().
  GuiTransportHooks(QWidget* dialogParent, NoticeSink showNotice);
  ~GuiTransportHooks() override;

  TransportHooks hooks();
  void shutDown();

  // The choice itself; runs the dialog when called on the GUI thread, else waits for it.
  uint32_t chooseModule(const std::vector<uint32_t>& modules);
  void notice(const std::string& text);

private:
  struct PendingChoice;

  bool onGuiThread() const;
  uint32_t runDialog(const std::vector<uint32_t>& modules);

  QPointer<QWidget> dialogParent_;
  NoticeSink showNotice_;
  QPointer<ModuleChoiceDialog> dialog_;
  std::mutex mutex_;
  std::condition_variable finished_;
  std::atomic<bool> closed_{false};
};

} // namespace kv816
