#pragma once
// The main window's show files and connection state: the File menu (New, Open, Save,
// Save As, recent files), Tools -> Compare, the coloured state indicator, the window
// title with the show's name and unsaved mark, and the comparison when a device connects
// while a show file is open or offline edits exist. GUI thread only.

#include "edit/show_session.h"
#include "edit/table_diff.h"

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

class QAction;
class QLabel;
class QMenu;

namespace kv816 {

class DeviceSession;
class MainWindow;

class ShowController : public QObject {
  Q_OBJECT
public:
  enum class State { Connecting, Online, Offline };

  ShowController(MainWindow& window, DeviceSession& session);

  // Adds the File menu in front of the others and the Tools menu after them.
  void buildMenus();
  void relabel();

  // From the main window: an edit reached the table; the link reported its status; a full
  // read finished.
  void edited();
  void linkStatus(int status);
  void readDone();

  // Asks Save / Discard / Cancel when the show has unsaved changes; false means stay.
  bool confirmDiscard();

  // Stops the link: the pages edit the show alone and nothing reaches the device until
  // goOnline(), which starts it again and compares as on any connect.
  void goOffline();
  void goOnline();

  void newShow();
  bool openShow(const QString& path);
  bool saveShow(const QString& path);
  // Device (or session) against a file, and file against file, in the compare dialog.
  void compareWithFile(const QString& path);
  void compareFiles(const QString& a, const QString& b);

  const ShowSession& show() const { return show_; }
  State state() const { return state_; }
  bool outOfSync() const { return outOfSync_; }
  QString stateText() const;
  QLabel& indicator() const { return *indicator_; }
  QAction* saveAction() const { return save_; }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  std::vector<int32_t> tableValues() const;
  void loadIntoTable(const std::vector<int32_t>& values);
  void syncWithDevice(const std::vector<int32_t>& showValues);
  void sendToDevice(const std::vector<int32_t>& values);
  bool chooseFile(bool save, QString& path);
  void save(bool askName);
  void rebuildRecentMenu();
  void storeRecent();
  void updateIndicator();
  void greyMeters();
  void dropMeters();

  MainWindow& window_;
  DeviceSession& session_;
  ShowSession show_;
  State state_ = State::Offline;
  bool outOfSync_ = false;
  bool snapshotTaken_ = false;
  std::vector<int32_t> snapshot_;
  QLabel* indicator_;
  QMenu* fileMenu_ = nullptr;
  QMenu* recentMenu_ = nullptr;
  QMenu* toolsMenu_ = nullptr;
  QAction* new_ = nullptr;
  QAction* open_ = nullptr;
  QAction* save_ = nullptr;
  QAction* saveAs_ = nullptr;
  QAction* online_ = nullptr;
  QAction* compareFile_ = nullptr;
  QAction* compareTwo_ = nullptr;
};

} // namespace kv816
