#include "ui/dialogs/compare_dialog.h"

#include "i18n/text.h"
#include "ui/controls/ui_text.h"
#include "ui/dialogs/message_box.h"
#include "ui/shell/edit_step_name.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kv816 {

CompareDialog::CompareDialog(std::vector<TableDifference> differences, QString aName, QString bName,
                             Mode mode, QWidget* parent)
    : QDialog(parent), differences_(std::move(differences)), aName_(std::move(aName)),
      bName_(std::move(bName)), list_(new QTreeWidget(this)) {
  setWindowTitle(uiText(Text::CompareTitle));
  auto* layout = new QVBoxLayout(this);
  const QString count = differences_.empty() ? uiText(Text::NoDifferences)
                                             : uiText(Text::DifferenceCount)
                                                   .replace(QStringLiteral("%d"),
                                                            QString::number(differences_.size()));
  layout->addWidget(new QLabel(count, this));
  list_->setColumnCount(3);
  list_->setHeaderLabels({QString(), aName_, bName_});
  list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  layout->addWidget(list_);
  fillList();

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* csv = buttons->addButton(uiText(Text::ExportCsv), QDialogButtonBox::ActionRole);
  connect(csv, &QPushButton::clicked, this, &CompareDialog::chooseCsvFile);
  if (mode == Mode::Sync) {
    addChoice(buttons, uiText(Text::SendFileToDevice), SEND_FILE);
    addChoice(buttons, uiText(Text::TakeDeviceValues), TAKE_DEVICE);
    addChoice(buttons, uiText(Text::StayOffline), STAY_OFFLINE);
  } else {
    buttons->addButton(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  }
  layout->addWidget(buttons);
  resize(640, 480);
}

void CompareDialog::addChoice(QDialogButtonBox* box, const QString& text, Choice choice) {
  QPushButton* button = box->addButton(text, QDialogButtonBox::AcceptRole);
  button->setObjectName(QStringLiteral("choice%1").arg(int(choice)));
  connect(button, &QPushButton::clicked, this, [this, choice] { done(choice); });
}

namespace {

// Channel and function as the pages and the undo steps name them, in the program's
// language; device-wide entries keep the table's own names.
QString groupText(const TableDifference& d) {
  const QString name = channelDisplayName(d.channel);
  return name.isEmpty() ? QString::fromStdString(channelLabel(d)) : name;
}

QString rowText(const TableDifference& d) {
  const QString name = d.channel < 0 ? QString() : functionDisplayName(d.index);
  return name.isEmpty() ? QString::fromStdString(functionLabel(d)) : name;
}

} // namespace

// One top-level row per channel, its differences below it in table order.
void CompareDialog::fillList() {
  QTreeWidgetItem* group = nullptr;
  int groupChannel = -2;
  for (const TableDifference& d : differences_) {
    if (!group || d.channel != groupChannel) {
      group = new QTreeWidgetItem(list_, {groupText(d)});
      group->setFirstColumnSpanned(true);
      group->setExpanded(true);
      groupChannel = d.channel;
    }
    new QTreeWidgetItem(group,
                        {rowText(d), QString::fromStdString(d.a), QString::fromStdString(d.b)});
  }
}

bool CompareDialog::exportCsv(const QString& path) const {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    return false;
  const std::string csv = differencesCsv(differences_, aName_.toStdString(), bName_.toStdString());
  return file.write(csv.data(), qint64(csv.size())) == qint64(csv.size());
}

void CompareDialog::chooseCsvFile() {
  QFileDialog dialog(this, uiText(Text::ExportCsv), QString(), QStringLiteral("CSV (*.csv)"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("csv"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return;
  if (!exportCsv(dialog.selectedFiles().first()))
    showMessageBox(this, MessageKind::Ok, uiText(Text::SaveFailed), QString());
}

} // namespace kv816
