#include "ui/dialogs/deploy_dialog.h"

#include "edit/edit_session.h"
#include "i18n/text.h"
#include "link/link_events.h"
#include "model/channel_layout.h"
#include "model/link_groups.h"
#include "model/parameter_table.h"
#include "ui/controls/ui_text.h"

#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace kv816 {

namespace {

// The source channel's whole block as edits of the target's block (both of one kind).
std::vector<ParameterEdit> blockCopy(const ParameterTable& table, int from, int to) {
  std::vector<ParameterEdit> edits;
  const int source = blockStart(from);
  const int target = blockStart(to);
  for (int offset = 0; offset < blockSize(to); ++offset)
    edits.push_back({target + offset, table.value(source + offset)});
  return edits;
}

// Dialog units from the dialog's font: a quarter of the average character width across, an
// eighth of the line height down.
QRect dialogRect(const QWidget& dialog, int x, int y, int width, int height) {
  const QFontMetricsF metrics(dialog.font());
  const double ux = metrics.averageCharWidth() / 4.0;
  const double uy = metrics.height() / 8.0;
  return QRect(qRound(x * ux), qRound(y * uy), qRound(width * ux), qRound(height * uy));
}

// Geometry in dialog units.
constexpr int DIALOG_W = 378;
constexpr int DIALOG_H = 240;
constexpr std::array<QRect, 2> GROUP_RECTS = {QRect(25, 33, 324, 78), QRect(25, 124, 324, 78)};
// IN, OUT, Source, Target.
constexpr std::array<QRect, 4> CAPTION_RECTS = {QRect(35, 61, 54, 16), QRect(35, 85, 54, 16),
                                                QRect(114, 42, 55, 16), QRect(194, 42, 55, 16)};
// Input source, input target, output source, output target (height without the drop-down).
constexpr std::array<QRect, 4> LIST_RECTS = {QRect(114, 61, 55, 14), QRect(194, 61, 55, 14),
                                             QRect(114, 85, 55, 14), QRect(194, 85, 55, 14)};
constexpr std::array<QRect, 2> BUTTON_RECTS = {QRect(274, 59, 54, 16), QRect(274, 83, 54, 16)};
constexpr std::array<int, 4> GATE_X = {38, 120, 202, 284};
constexpr int GATE_LABEL_Y = 142;
constexpr int GATE_LIST_Y = 169;
constexpr int GATE_W = 55;

QString inputName(int input) {
  return uiText(Text::In) + QChar(u'A' + input);
}

} // namespace

DeployDialog::DeployDialog(const ParameterTable& table, EditSession& edits, int ioMode,
                           MessageFn message, QWidget* parent)
    : QDialog(parent), table_(table), edits_(edits), message_(std::move(message)) {
  const ActiveChannels active = activeChannelsOf(ioMode);
  inputs_ = active.inputs;
  outputs_ = active.outputs;
  setWindowTitle(QStringLiteral("Deploy"));
  setModal(true);
  build();
  refreshTexts();
  fillNoiseGates();
  for (int input = inputs_; input < INPUT_COUNT; ++input) {
    gateLabels_[static_cast<size_t>(input)]->hide();
    gates_[static_cast<size_t>(input)]->hide();
  }
  place();
}

void DeployDialog::build() {
  for (auto*& group : groups_)
    group = new QGroupBox(this);
  for (auto*& caption : captions_)
    caption = new QLabel(this);
  for (auto*& list : lists_)
    list = new QComboBox(this);
  // Enter on a focused OK button copies; anywhere else it asks for the home page.
  for (auto*& button : copyButtons_)
    button = new QPushButton(this);
  connect(copyButtons_[0], &QPushButton::clicked, this, &DeployDialog::copyInputs);
  connect(copyButtons_[1], &QPushButton::clicked, this, &DeployDialog::copyOutputs);
  for (int input = 0; input < INPUT_COUNT; ++input) {
    gateLabels_[static_cast<size_t>(input)] = new QLabel(this);
    auto* gate = new QComboBox(this);
    gate->setMaxVisibleItems(12);
    gates_[static_cast<size_t>(input)] = gate;
    connect(gate, &QComboBox::activated, this,
            [this, input](int position) { chooseNoiseGate(input, position); });
  }
}

void DeployDialog::place() {
  const QRect size = dialogRect(*this, 0, 0, DIALOG_W, DIALOG_H);
  setFixedSize(size.size());
  for (size_t i = 0; i < groups_.size(); ++i)
    groups_[i]->setGeometry(dialogRect(*this, GROUP_RECTS[i].x(), GROUP_RECTS[i].y(),
                                       GROUP_RECTS[i].width(), GROUP_RECTS[i].height()));
  auto placeAt = [this](QWidget* widget, const QRect& r) {
    widget->setGeometry(dialogRect(*this, r.x(), r.y(), r.width(), r.height()));
    widget->raise();
  };
  for (size_t i = 0; i < captions_.size(); ++i)
    placeAt(captions_[i], CAPTION_RECTS[i]);
  for (size_t i = 0; i < lists_.size(); ++i)
    placeAt(lists_[i], LIST_RECTS[i]);
  for (size_t i = 0; i < copyButtons_.size(); ++i)
    placeAt(copyButtons_[i], BUTTON_RECTS[i]);
  for (size_t i = 0; i < gates_.size(); ++i) {
    placeAt(gateLabels_[i], QRect(GATE_X[i], GATE_LABEL_Y, GATE_W, 16));
    placeAt(gates_[i], QRect(GATE_X[i], GATE_LIST_Y, GATE_W, 14));
  }
}

void DeployDialog::refreshTexts() {
  groups_[0]->setTitle(uiText(Text::ChannelCopy));
  groups_[1]->setTitle(uiText(Text::NoiseGate));
  captions_[0]->setText(uiText(Text::In));
  captions_[1]->setText(uiText(Text::Out));
  captions_[2]->setText(uiText(Text::Source));
  captions_[3]->setText(uiText(Text::Target));
  for (QPushButton* button : copyButtons_)
    button->setText(uiText(Text::Ok));
  for (int input = 0; input < INPUT_COUNT; ++input)
    gateLabels_[static_cast<size_t>(input)]->setText(inputName(input));
  fillChannelLists();
}

// Refilling keeps the user's selections (a language switch while the dialog is open).
void DeployDialog::fillChannelLists() {
  for (size_t i = 0; i < lists_.size(); ++i) {
    QComboBox& list = *lists_[i];
    const int selected = std::max(list.currentIndex(), 0);
    const bool inputs = i < 2;
    list.clear();
    for (int n = 0; n < (inputs ? inputs_ : outputs_); ++n)
      list.addItem(inputs ? inputName(n) : uiText(Text::Out) + QString::number(n + 1));
    list.setCurrentIndex(selected);
  }
}

void DeployDialog::fillNoiseGates() {
  for (int input = 0; input < INPUT_COUNT; ++input) {
    QComboBox& gate = *gates_[static_cast<size_t>(input)];
    for (int k = 0; k < NOISE_GATE_STEPS; ++k)
      gate.addItem(QStringLiteral("%1dB").arg(-k));
    // A stored value outside 0..120 shows as its remainder; choosing writes a valid one.
    const int stored = table_.value(indexOf(ChannelFunction::NoiseGate, input));
    gate.setCurrentIndex(((stored % NOISE_GATE_STEPS) + NOISE_GATE_STEPS) % NOISE_GATE_STEPS);
  }
}

void DeployDialog::chooseNoiseGate(int input, int position) {
  if (input < 0 || input >= INPUT_COUNT || position < 0 || position >= NOISE_GATE_STEPS)
    return;
  gates_[static_cast<size_t>(input)]->setCurrentIndex(position);
  edits_.apply({input, ChannelFunction::NoiseGate, -1, EditSource::Page},
               {{indexOf(ChannelFunction::NoiseGate, input), position}});
}

void DeployDialog::copyInputs() {
  copy(0, *lists_[0], *lists_[1]);
}

void DeployDialog::copyOutputs() {
  copy(INPUT_COUNT, *lists_[2], *lists_[3]);
}

void DeployDialog::copy(int firstChannel, const QComboBox& source, const QComboBox& target) {
  const int from = source.currentIndex();
  const int to = target.currentIndex();
  if (from < 0 || to < 0)
    return;
  if (from == to) {
    message_(static_cast<int>(MessageKind::Ok), uiText(Text::CannotCopySelf), QString());
    return;
  }
  edits_.apply({firstChannel + to, std::nullopt, -1, EditSource::ChannelCopy},
               blockCopy(table_, firstChannel + from, firstChannel + to));
  message_(static_cast<int>(MessageKind::Ok), uiText(Text::CopyComplete), QString());
}

void DeployDialog::keyPressEvent(QKeyEvent* event) {
  // The hidden default button: Enter shows the home page and the dialog stays open.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    emit showPageRequested(0);
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

} // namespace kv816
