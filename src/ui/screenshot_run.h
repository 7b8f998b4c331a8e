#pragma once
// The program's --screenshots mode: once the link is up (or after a time-out), save a PNG
// of the main window in each language into a folder and quit. Used by scripts/screenshot.
// GUI thread only.

#include <QObject>
#include <QString>

namespace kv816 {

class MainWindow;

class ScreenshotRun : public QObject {
  Q_OBJECT
public:
  // Starts watching `window`; gives up waiting for the link after `timeoutMs`.
  ScreenshotRun(MainWindow& window, const QString& folder, int timeoutMs);

private:
  void poll();
  void capture();
  bool saveLanguage(int language);

  MainWindow& window_;
  QString folder_;
  int waitedMs_ = 0;
  int timeoutMs_;
};

} // namespace kv816
