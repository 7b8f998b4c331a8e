#pragma once
// Help -> Save support bundle…: asks where (kv816-support-<date>.zip in the documents
// folder, else the preset folder), takes what the window knows of the device and its
// table on the GUI thread, writes the zip on a thread of its own and says where it went or
// why it failed. The zip holds what kv816ctl support-bundle writes; nothing is sent.
// GUI thread only.

#include <QObject>
#include <QString>

class QAction;
class QMenu;
class QThread;

namespace kv816 {

class DeviceSession;
class MainWindow;

class SupportBundleSaver : public QObject {
  Q_OBJECT
public:
  SupportBundleSaver(MainWindow& window, DeviceSession& session);
  // Waits for a bundle still being written.
  ~SupportBundleSaver() override;

  // Adds the Help menu after the others.
  void buildMenu();
  void relabel();
  QAction* action() const { return action_; }

  QString defaultPath() const;
  // Starts the bundle into `path`; finished() reports the outcome.
  void save(const QString& path);

signals:
  // `text` is the path on success, else the reason.
  void finished(bool ok, const QString& text);

private:
  void askAndSave();
  void report(bool ok, const QString& text);

  MainWindow& window_;
  DeviceSession& session_;
  QMenu* menu_ = nullptr;
  QAction* action_ = nullptr;
  QThread* thread_ = nullptr;
};

} // namespace kv816
