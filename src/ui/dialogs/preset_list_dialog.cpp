#include "ui/dialogs/preset_list_dialog.h"

#include "i18n/text.h"
#include "link/link.h"
#include "link/link_events.h"
#include "link/preset_tasks.h"
#include "model/parameter_table.h"
#include "ui/controls/ui_text.h"

#include <QAbstractItemDelegate>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace kv816 {

namespace {

// The in-place name edit takes no more than reaches the device and starts with the caret
// after the name, so a rename is a small correction rather than a retype.
class NameDelegate : public QStyledItemDelegate {
public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor))
      line->setMaxLength(NAME_WIRE_LENGTH);
    return editor;
  }
  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    QStyledItemDelegate::setEditorData(editor, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor))
      QTimer::singleShot(0, line, [line] {
        line->deselect();
        line->end(false);
      });
  }
};

} // namespace

PresetListDialog::PresetListDialog(Link& link, MessageFn message, QWidget* parent)
    : QDialog(parent), link_(link), message_(std::move(message)), selection_(new QLabel(this)),
      list_(new QTableWidget(ROWS, 2, this)), loadButton_(new QPushButton(this)),
      saveButton_(new QPushButton(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(selection_);
  layout->addWidget(list_);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(loadButton_);
  buttons->addStretch();
  buttons->addWidget(saveButton_);
  layout->addLayout(buttons);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setShowGrid(true);
  list_->verticalHeader()->hide();
  list_->horizontalHeader()->setStretchLastSection(true);
  list_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  list_->setItemDelegateForColumn(1, new NameDelegate(list_));
  list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  connect(list_, &QTableWidget::cellClicked, this, &PresetListDialog::clickCell);
  connect(list_->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
          &PresetListDialog::editorClosed, Qt::QueuedConnection);
  connect(loadButton_, &QPushButton::clicked, this, &PresetListDialog::load);
  connect(saveButton_, &QPushButton::clicked, this, &PresetListDialog::save);
  fill();
  retranslate();
  showAllRows();
}

void PresetListDialog::retranslate() {
  setWindowTitle(uiText(Text::Load) + QStringLiteral(" / ") + uiText(Text::Save));
  list_->setHorizontalHeaderLabels({uiText(Text::PresetNumber), uiText(Text::PresetName)});
  loadButton_->setText(uiText(Text::Load));
  saveButton_->setText(uiText(Text::Save));
}

// Twelve presets are few enough to show all at once; the dialog grows to hold them.
void PresetListDialog::showAllRows() {
  list_->resizeRowsToContents();
  int rows = 0;
  for (int row = 0; row < ROWS; ++row)
    rows += list_->rowHeight(row);
  const int frame = 2 * list_->frameWidth();
  list_->setMinimumHeight(list_->horizontalHeader()->sizeHint().height() + rows + frame);
  list_->setMinimumWidth(list_->horizontalHeader()->sectionSizeHint(0) +
                         list_->fontMetrics().horizontalAdvance(QString(NAME_WIRE_LENGTH, 'W')) +
                         frame);
  resize(sizeHint().expandedTo(QSize(466, 0)));
}

void PresetListDialog::fill() {
  for (int row = 0; row < ROWS; ++row) {
    list_->setItem(row, 0, new QTableWidgetItem(QString::number(row + 1)));
    list_->setItem(row, 1,
                   new QTableWidgetItem(QString::fromStdU16String(link_.presetNames().name(row))));
  }
  selected_ = link_.table().value(IDX_CURRENT_PRESET) & 0xFF;
  // The device's current preset starts marked, so Load without a click recalls it.
  if (selected_ >= 1 && selected_ <= ROWS)
    list_->selectRow(selected_ - 1);
  showSelection();
}

QString PresetListDialog::selectionText() const {
  return selection_->text();
}

void PresetListDialog::showSelection() {
  selection_->setText(uiText(Text::CurrentPreset) + QStringLiteral(":") +
                      QString::number(selected_));
}

void PresetListDialog::clickCell(int row, int column) {
  if (row < 0 || row >= ROWS)
    return;
  if (column != 1) {
    if (column == 0) {
      selected_ = row + 1;
      showSelection();
    }
    list_->setFocus(); // an open edit loses the focus and is committed
    return;
  }
  if (row + 1 != selected_) {
    message_(static_cast<int>(MessageKind::Ok), uiText(Text::NotCurrentPreset), QString());
    return;
  }
  const QModelIndex cell = list_->model()->index(row, 1);
  if (editRow_ == row && list_->indexWidget(cell)) {
    list_->indexWidget(cell)->setFocus();
    return;
  }
  editRow_ = row;
  list_->editItem(list_->item(row, 1));
}

// The in-place edit has been committed (or cancelled) and closed.
void PresetListDialog::editorClosed() {
  const int row = editRow_;
  editRow_ = -1;
  if (row < 0)
    return;
  const QString text = list_->item(row, 1)->text();
  if (text == QString::fromStdU16String(link_.presetNames().name(row)))
    return;
  const int answer = message_(static_cast<int>(MessageKind::YesNo),
                              uiText(Text::ConfirmSavePresetName), uiText(Text::Warning));
  if (answer == static_cast<int>(MessageButton::Yes)) {
    save();
  } else if (selected_ >= 1 && selected_ <= ROWS) {
    list_->item(selected_ - 1, 1)
        ->setText(QString::fromStdU16String(link_.presetNames().name(selected_ - 1)));
  }
}

void PresetListDialog::load() {
  const int marked = list_->currentRow();
  // Presets are numbered 1..12; with no row marked there is nothing to recall.
  requestRecall(link_, marked + 1);
}

void PresetListDialog::save() {
  const QString name =
      selected_ >= 1 && selected_ <= ROWS ? list_->item(selected_ - 1, 1)->text() : QString();
  if (name.isEmpty()) {
    message_(static_cast<int>(MessageKind::Ok), uiText(Text::EnterFileName), QString());
    return;
  }
  std::u16string padded = name.left(NAME_LENGTH).toStdU16String();
  padded.resize(NAME_LENGTH, u' ');
  link_.presetNames().setName(selected_ - 1, padded);
  requestNameStore(link_, selected_, padded);
  showSelection();
}

} // namespace kv816
