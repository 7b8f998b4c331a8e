// The main window's Edit menu: Undo and Redo, named after the step they take back or again.

#include "ui/controls/ui_text.h"
#include "ui/shell/main_window.h"

#include <QAction>
#include <QMenu>

namespace kv816 {

void MainWindow::buildEditMenu() {
  QMenu* menu = menus_[MENU_EDIT];
  actions_.undo = menu->addAction(QString());
  actions_.undo->setShortcut(QKeySequence::Undo);
  actions_.redo = menu->addAction(QString());
  actions_.redo->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  actions_.undo->setEnabled(false);
  actions_.redo->setEnabled(false);
}

void MainWindow::relabelEditActions() {
  actions_.undo->setText(uiText(Text::Undo));
  actions_.redo->setText(uiText(Text::Redo));
}

} // namespace kv816
