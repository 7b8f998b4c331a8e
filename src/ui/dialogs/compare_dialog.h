#pragma once
// The differences between two tables, grouped by channel, with both values in
// engineering units and "Export CSV". In sync mode (a device connected while a show was
// open) it also offers Send file to device, Take device values and Stay offline.
// GUI thread only.

#include "edit/table_diff.h"

#include <QDialog>
#include <QString>

#include <vector>

class QDialogButtonBox;
class QTreeWidget;

namespace kv816 {

class CompareDialog : public QDialog {
  Q_OBJECT
public:
  enum class Mode { Compare, Sync };
  enum Choice : int { CLOSED = 0, SEND_FILE, TAKE_DEVICE, STAY_OFFLINE };

  CompareDialog(std::vector<TableDifference> differences, QString aName, QString bName, Mode mode,
                QWidget* parent = nullptr);

  const QTreeWidget& list() const { return *list_; }
  // Writes the list as CSV; false when the file could not be written.
  bool exportCsv(const QString& path) const;

private:
  void fillList();
  void addChoice(QDialogButtonBox* box, const QString& text, Choice choice);
  void chooseCsvFile();

  std::vector<TableDifference> differences_;
  QString aName_;
  QString bName_;
  QTreeWidget* list_;
};

} // namespace kv816
