#pragma once
// The program's only top-level window: menu, tab row, the six pages and the three status
// cells. It owns the edit session every user edit goes through, routes every changed
// parameter to the page that shows it, and runs the pages' page requests and the menu
// commands, Undo and Redo among them.
//
// GUI thread only. The link reaches it through QtLinkEvents (handleNotify, showMessage).

#include "edit/edit_session.h"
#include "i18n/language.h"
#include "link/link_events.h"
#include "ui/pages/page_set.h"
#include "ui/shell/menu_actions.h"

#include <QMainWindow>
#include <QString>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QFrame;
class QLabel;
class QMenu;

namespace kv816 {

class DeviceSession;
class GuiApiHost;
class ProgramCommands;
class ShowController;
class SupportBundleSaver;
class TabRow;

class MainWindow : public QMainWindow {
  Q_OBJECT
public:
  static constexpr int DESIGN_WIDTH = 1100;
  static constexpr int DESIGN_HEIGHT = 768;
  static constexpr const char* TITLE = "T509";

  MainWindow(DeviceSession& session, const PageFactory& pages = createPages,
             QWidget* parent = nullptr);
  ~MainWindow() override;

  // Sizes the window to 1100 x 768, centres it on its screen and posts the first language
  // refresh. Call once, before show().
  void initialise();

  // The menu's top-level positions, left to right.
  enum MenuPosition : int { MENU_REMOTE, MENU_DEVICE, MENU_PROGRAM, MENU_EDIT, MENU_SYSTEM };
  static constexpr int MENU_COUNT = 5;

  // Every menu command; trigger() runs it (also the modes no longer in the menu).
  const MenuActions& actions() const { return actions_; }

  // The link's notification; ParameterChanged routes the index with its current value.
  void handleNotify(Notify what, int arg);
  // The one message box routine: modal, owned by this window; an empty caption is "T509".
  MessageButton showMessage(MessageKind kind, const QString& text, const QString& caption = {});

  // A page's request to show a page (also arrives from the pages' signal as a queued call).
  void showPageNumber(int pageNumber);
  // Undo or redo one step; the pages show the restored values at once.
  void undo();
  void redo();
  // Forgets the undo history (values the history does not know replaced the table); the
  // status line says so when there was something to forget.
  void clearEditHistory();
  // Re-labels menu, tabs, pages and status line in the current language.
  void refreshLanguage();
  // The language commands: store the choice, switch Qt's own texts, post the refresh.
  void setLanguage(LanguageIndex language);

  int ioMode() const { return ioMode_; }
  const PageSet& pages() const { return pages_; }
  TabRow& tabRow() const { return *tabs_; }
  QString statusText(int cell) const;
  // A one-line notice of the link (a refused address, another local port) in the third
  // status cell; it stays until the next notice. The demo device's name takes precedence.
  void showNotice(const QString& text);
  // The user stopped the link (true) or started it again: the status line says offline
  // instead of the last state the worker reported.
  void setLinkStopped(bool stopped);
  QMenu* menuAt(int position) const; // a MenuPosition
  // The page number on show (the value written into meterView).
  int shownPageNumber() const { return shownPage_; }
  DeviceSession& session() { return session_; }
  EditSession& edits() { return edits_; }
  // The show files, the connection state indicator and the comparisons.
  ShowController& showController() { return *show_; }
  // Help -> Save support bundle…
  SupportBundleSaver& supportBundle() { return *bundle_; }
  // The remote API served by this program (Remote -> API).
  GuiApiHost& apiHost() { return *api_; }
  // Closes as if the exit question had been answered Yes (the screenshot mode).
  void closeWithoutAsking();

signals:
  // The network transport found several modules; the chooser dialog answers synchronously.
  void modulesFound(int count);
  // The worker finished a full read or a task and has refreshed the pages.
  void deviceReadDone();
  // Emitted after the exit was confirmed, right before the worker is stopped.
  void aboutToStopLink();

protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void buildMenus();
  QAction* addCommand(QMenu* menu, const std::function<void()>& command);
  void buildEditMenu();
  void relabelEditActions();
  void editsApplied(const std::vector<int>& indexes, EditOrigin origin);
  void openDeployDialog();
  void openNetworkDialog();
  void openApiDialog();
  void relabelMenus();
  void updateMenuChecks();
  void applyIoMode(int mode);
  void rebuildTabs();
  void showTab(int tab);
  void requestGainRefresh();
  void requestDelayRefresh();
  void hideAllPagesBut(Page* shown);
  void layoutClient();
  void showLinkStatus(int status);
  void showStatusCells();
  void routeParameter(int index);
  void routeMeters(int word, int value);
  void postRefresh(int index);
  void showAbout();
  void connectPage(Page* page);
  bool confirmExit();

  DeviceSession& session_;
  EditSession edits_;
  PageSet pages_;
  ProgramCommands* commands_;
  ShowController* show_;
  SupportBundleSaver* bundle_;
  int ioMode_ = 1;
  int shownPage_ = 0;
  int lastLinkStatus_ = LINK_STARTING;
  bool linkStopped_ = false;
  QString notice_;
  bool layoutReady_ = false;
  bool exitConfirmed_ = false;
  QWidget* client_;
  QFrame* frame_;
  QWidget* tabArea_;
  TabRow* tabs_;
  std::array<QLabel*, 3> status_{};
  std::array<QMenu*, MENU_COUNT> menus_{};
  MenuActions actions_;
  // Last member: it goes first, while the edit session it listens to still exists.
  std::unique_ptr<GuiApiHost> api_;
};

} // namespace kv816
