#pragma once
// The device's twelve presets: recall one (Load), rename the selected one in place and
// store its name (Save, or Yes to the rename question). The dialog only marks what it wants
// in the parameter table and raises the worker's recall (4) or name-store (13) task; the
// worker reports the outcome. The list is filled once, when the dialog opens.
// GUI thread only.

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;
class QTableWidget;

namespace kv816 {

class Link;

class PresetListDialog : public QDialog {
  Q_OBJECT
public:
  static constexpr int ROWS = 12;
  using MessageFn = std::function<int(int kind, const QString& text, const QString& caption)>;

  // `message` shows a modal message (kind and result as in LinkEvents) and returns the
  // button pressed.
  // `link` gives the table, the preset names and the task flags.
  PresetListDialog(Link& link, MessageFn message, QWidget* parent = nullptr);

  int selectedPreset() const { return selected_; }
  QTableWidget& list() const { return *list_; }
  QString selectionText() const;

  // A click in the list, as the user makes it (row 0..11, column 0 or 1).
  void clickCell(int row, int column);
  void load();
  void save();

private:
  void fill();
  void showSelection();
  void editorClosed();
  void retranslate();
  void showAllRows();

  Link& link_;
  MessageFn message_;
  QLabel* selection_;
  QTableWidget* list_;
  QPushButton* loadButton_;
  QPushButton* saveButton_;
  int selected_ = 0;
  int editRow_ = -1;
};

} // namespace kv816
