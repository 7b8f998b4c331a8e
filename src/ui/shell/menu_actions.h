#pragma once
// The main window's menu commands, one QAction each. Triggering an action runs its command
// (the modes 4IN6OUT and 4IN8OUT too, though only the two-input modes stay in the menu).

#include <array>

class QAction;
class QMenu;

namespace kv816 {

struct MenuActions {
  QAction* network = nullptr;
  QAction* api = nullptr;
  std::array<QAction*, 4> modes{}; // 2IN4OUT, 2IN6OUT, 4IN6OUT, 4IN8OUT
  QAction* load = nullptr;
  QAction* save = nullptr;
  QAction* importFile = nullptr;
  QAction* exportFile = nullptr;
  QAction* undo = nullptr;
  QAction* redo = nullptr;
  QAction* configure = nullptr;
  std::array<QAction*, 3> languages{}; // Simplified Chinese, Traditional Chinese, English
  QMenu* appearance = nullptr;
  std::array<QAction*, 3> appearances{}; // light, dark, follow the system
  QAction* about = nullptr;
};

} // namespace kv816
