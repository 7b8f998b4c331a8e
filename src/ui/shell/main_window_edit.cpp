// The main window's Edit menu and its side of the edit session: Undo and Redo named after
// the step they take back or again, pages refreshed from what an edit wrote.

#include "ui/controls/ui_text.h"
#include "ui/shell/edit_step_name.h"
#include "ui/shell/main_window.h"
#include "ui/shell/show_controller.h"

#include <QAction>
#include <QMenu>

namespace kv816 {

void MainWindow::buildEditMenu() {
  QMenu* menu = menus_[MENU_EDIT];
  actions_.undo = addCommand(menu, [this] { undo(); });
  actions_.undo->setShortcut(QKeySequence::Undo);
  actions_.redo = addCommand(menu, [this] { redo(); });
  actions_.redo->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
}

void MainWindow::relabelEditActions() {
  const auto label = [](Text verb, const std::optional<EditSubject>& step) {
    return step ? uiText(verb) + QLatin1Char(' ') + editStepName(*step) : uiText(verb);
  };
  actions_.undo->setText(label(Text::Undo, edits_.undoSubject()));
  actions_.redo->setText(label(Text::Redo, edits_.redoSubject()));
  actions_.undo->setEnabled(edits_.canUndo());
  actions_.redo->setEnabled(edits_.canRedo());
}

void MainWindow::undo() {
  edits_.undo();
}

void MainWindow::redo() {
  edits_.redo();
}

void MainWindow::clearEditHistory() {
  if (edits_.canUndo() || edits_.canRedo())
    edits_.clearHistory();
}

void MainWindow::editsApplied(const std::vector<int>& indexes, EditOrigin origin) {
  switch (origin) {
  case EditOrigin::Edit:
    show_->edited();
    // The editing control already shows its value; the others (linked channels, other
    // pages) follow once the control's own handling is over.
    for (int index : indexes)
      postRefresh(index);
    break;
  case EditOrigin::Undo:
  case EditOrigin::Redo:
    show_->edited();
    for (int index : indexes)
      routeParameter(index);
    break;
  case EditOrigin::HistoryCleared:
    showNotice(uiText(Text::HistoryCleared));
    break;
  }
  relabelEditActions();
}

} // namespace kv816
