#pragma once
// The program's --screenshots mode: once the link is up and the device has been read (or
// after a time-out), save a PNG of the main window in each language into a folder, plus
// one of the progress window if it was seen during the read, then one of every kind of page
// in English, one of the screen with the Edit menu open after an edit, one of output 1
// with a measurement over its graph, one of the EQ fit dialog over it and one of the remote
// API dialog, and quit. Used by scripts/screenshot. GUI thread only.

#include <QObject>
#include <QString>

namespace kv816 {

class MainWindow;
class ProgressWindow;

class ScreenshotRun : public QObject {
  Q_OBJECT
public:
  // Starts watching `window`; gives up waiting for the link after `timeoutMs`.
  ScreenshotRun(MainWindow& window, ProgressWindow& progress, const QString& folder, int timeoutMs);

private:
  void poll();
  void capture();
  bool saveLanguage(int language);
  bool savePages();
  bool saveEditMenu();
  bool saveMeasurement();
  bool saveEqFit();
  bool saveApiDialog();

  MainWindow& window_;
  ProgressWindow& progress_;
  bool readDone_ = false;
  QString folder_;
  int waitedMs_ = 0;
  int timeoutMs_;
};

} // namespace kv816
