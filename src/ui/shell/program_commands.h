#pragma once
// The Program menu: Load and Save open the device preset list; Import and Export choose a
// preset file and raise the worker's import (2) or export (1) task. GUI thread only.

#include <QObject>
#include <QString>

namespace kv816 {

class DeviceSession;
class MainWindow;

class ProgramCommands : public QObject {
  Q_OBJECT
public:
  ProgramCommands(MainWindow& window, DeviceSession& session);

  void openPresetList();
  void importFile();
  void exportFile();

  // The file dialog filter of the current language, e.g. "The default file(*.jib)".
  static QString fileFilter();

  // Shows "No Device!" and returns true unless a device is online: a device request is
  // refused at once rather than left to run after a later connection.
  bool refuseWhileOffline();

private:
  // Runs the file dialog; returns false when cancelled, else the chosen path (maybe empty).
  bool chooseFile(bool save, QString& path);

  MainWindow& window_;
  DeviceSession& session_;
};

} // namespace kv816
