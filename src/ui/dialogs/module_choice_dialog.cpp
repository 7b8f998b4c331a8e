#include "ui/dialogs/module_choice_dialog.h"

#include "i18n/text.h"
#include "ui/controls/ui_text.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kv816 {

namespace {

constexpr int ADDRESS_ROLE = Qt::UserRole;

} // namespace

QString ModuleChoiceDialog::dottedAddress(uint32_t address) {
  return QStringLiteral("%1.%2.%3.%4")
      .arg(address >> 24)
      .arg((address >> 16) & 0xFF)
      .arg((address >> 8) & 0xFF)
      .arg(address & 0xFF);
}

ModuleChoiceDialog::ModuleChoiceDialog(const std::vector<uint32_t>& modules, QWidget* parent)
    : QDialog(parent), list_(new QTreeWidget(this)) {
  setWindowTitle(QStringLiteral("WIFI"));
  setModal(true);
  list_->setColumnCount(1);
  list_->setHeaderLabels({QStringLiteral("Client IP")});
  list_->header()->setStretchLastSection(true);
  list_->setRootIsDecorated(false);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  QTreeWidgetItem* row = nullptr;
  for (const uint32_t address : modules) {
    row = new QTreeWidgetItem(list_, {dottedAddress(address)});
    row->setData(0, ADDRESS_ROLE, QVariant::fromValue(address));
    last_ = address;
  }
  chosen_ = last_;
  if (row)
    list_->setCurrentItem(row);
  connect(list_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
    chooseRow(item);
    QDialog::accept();
  });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(uiText(Text::Ok));
  connect(buttons, &QDialogButtonBox::accepted, this, &ModuleChoiceDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addWidget(buttons);
  resize(260, 220);
}

void ModuleChoiceDialog::accept() {
  chooseRow(list_->currentItem());
  QDialog::accept();
}

void ModuleChoiceDialog::chooseRow(QTreeWidgetItem* row) {
  chosen_ = row ? row->data(0, ADDRESS_ROLE).value<uint32_t>() : last_;
}

} // namespace kv816
