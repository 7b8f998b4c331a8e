#include "ui/dialogs/network_dialog.h"

#include "i18n/text.h"
#include "link/link_events.h"
#include "link/module_commands.h"
#include "presets/settings.h"
#include "ui/controls/ui_text.h"
#include "ui/dialogs/module_choice_dialog.h"

#include <QAction>
#include <QButtonGroup>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace kv816 {

namespace {

// An eye drawn in the text colour: open while the password is shown.
QIcon eyeIcon(const QColor& color, bool open) {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(color, 2.5));
  QPainterPath lid;
  lid.moveTo(3, 16);
  lid.quadTo(16, 2, 29, 16);
  lid.quadTo(16, 30, 3, 16);
  painter.drawPath(lid);
  painter.setBrush(color);
  painter.drawEllipse(QPointF(16, 16), 4.5, 4.5);
  if (!open)
    painter.drawLine(QPointF(5, 27), QPointF(27, 5));
  return QIcon(pixmap);
}

// Passwords are masked; the eye at the field's end shows them while it is on.
void addShowToggle(QLineEdit& field) {
  field.setEchoMode(QLineEdit::Password);
  const QColor color = field.palette().color(QPalette::Text);
  QAction* toggle = field.addAction(eyeIcon(color, false), QLineEdit::TrailingPosition);
  toggle->setObjectName(QStringLiteral("showPassword"));
  toggle->setCheckable(true);
  toggle->setToolTip(uiText(Text::ShowPassword));
  QObject::connect(toggle, &QAction::toggled, &field, [&field, toggle, color](bool shown) {
    field.setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
    toggle->setIcon(eyeIcon(color, shown));
  });
}

// Dialog units from the dialog's font (a quarter character across, an eighth line down).
QRect dialogRect(const QWidget& dialog, const QRect& units) {
  const QFontMetricsF metrics(dialog.font());
  const double ux = metrics.averageCharWidth() / 4.0;
  const double uy = metrics.height() / 8.0;
  return QRect(qRound(units.x() * ux), qRound(units.y() * uy), qRound(units.width() * ux),
               qRound(units.height() * uy));
}

constexpr QRect DIALOG_RECT(0, 0, 224, 130);
// Bluetooth, USB, network (the hidden Bluetooth radio shares the network radio's place).
constexpr std::array<QRect, 3> LINK_RECTS = {QRect(56, 6, 33, 15), QRect(12, 6, 40, 15),
                                             QRect(56, 6, 29, 15)};
constexpr std::array<QRect, 2> MODE_RECTS = {QRect(100, 6, 40, 15), QRect(144, 6, 40, 15)};
constexpr std::array<int, 5> ROW_Y = {26, 44, 62, 80, 98};
constexpr std::array<QRect, 3> BUTTON_RECTS = {QRect(182, 10, 35, 27), QRect(182, 47, 35, 27),
                                               QRect(182, 84, 35, 27)};

// The Get reply of each text slot, and the edit (HotSSID, HotPW, RouteSSID, RoutePW) it fills.
struct TextReply {
  int slot;
  std::string_view prefix;
  int edit;
};
constexpr std::array<TextReply, 4> TEXT_REPLIES = {{
    {module_slot::GET_ROUTE_SSID, "Get_RouteSSID:", 2},
    {module_slot::GET_ROUTE_PW, "Get_RoutePW:", 3},
    {module_slot::GET_HOT_SSID, "Get_HotSSID:", 0},
    {module_slot::GET_HOT_PW, "Get_HotPW:", 1},
}};

constexpr int MODE_NONE = 0;
constexpr int MODE_HOTSPOT = 1;
constexpr int MODE_ROUTER = 2;

// A hotspot password the module accepts has at least this many characters (or none).
constexpr std::size_t MIN_PASSWORD_LENGTH = 8;

} // namespace

NetworkDialog::NetworkDialog(ModuleCommands& modules, const Settings& settings, int linkType,
                             MessageFn message, QWidget* parent)
    : QDialog(parent), modules_(modules), settings_(settings), message_(std::move(message)),
      poll_(new QTimer(this)), linkGroup_(new QButtonGroup(this)), address_(nullptr) {
  setWindowTitle(QStringLiteral("WIFI"));
  setModal(true);
  build();
  place();
  linkRadios_[CHOICE_BLUETOOTH]->hide();
  const LinkChoice shown = linkType == CHOICE_USB       ? CHOICE_USB
                           : linkType == CHOICE_NETWORK ? CHOICE_NETWORK
                                                        : CHOICE_BLUETOOTH;
  linkRadios_[shown]->setChecked(true);
  refreshTexts();
  poll_->setInterval(POLL_INTERVAL_MS);
  connect(poll_, &QTimer::timeout, this, &NetworkDialog::applyReplies);
  modules_.queueModuleReads();
}

void NetworkDialog::build() {
  const std::array<QString, 3> linkNames = {QStringLiteral("BlueT"), QStringLiteral("USB"),
                                            QStringLiteral("WiFi")};
  for (int choice = 0; choice < 3; ++choice) {
    auto* radio = new QRadioButton(linkNames[static_cast<size_t>(choice)], this);
    linkRadios_[static_cast<size_t>(choice)] = radio;
    linkGroup_->addButton(radio, choice);
  }
  connect(linkGroup_, &QButtonGroup::idClicked, this,
          [this](int choice) { chooseLinkType(static_cast<LinkChoice>(choice)); });
  // The mode radios are set by hand: both are cleared while the module is asked again.
  for (auto*& radio : modeRadios_) {
    radio = new QRadioButton(this);
    radio->setAutoExclusive(false);
  }
  connect(modeRadios_[0], &QRadioButton::clicked, this, &NetworkDialog::chooseHotspotMode);
  connect(modeRadios_[1], &QRadioButton::clicked, this, &NetworkDialog::chooseRouterMode);
  for (auto*& label : labels_) {
    label = new QLabel(this);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  }
  address_ = new QLineEdit(this);
  address_->setReadOnly(true);
  for (auto*& edit : edits_)
    edit = new QLineEdit(this);
  for (QLineEdit* password : {edits_[1], edits_[3]})
    addShowToggle(*password);
  for (auto*& button : buttons_) {
    button = new QPushButton(this);
    button->setAutoDefault(false);
  }
  connect(buttons_[0], &QPushButton::clicked, this, &NetworkDialog::readModule);
  connect(buttons_[1], &QPushButton::clicked, this, &NetworkDialog::sendHotspot);
  connect(buttons_[2], &QPushButton::clicked, this, &NetworkDialog::sendRouter);
}

void NetworkDialog::place() {
  setFixedSize(dialogRect(*this, DIALOG_RECT).size());
  for (size_t i = 0; i < linkRadios_.size(); ++i)
    linkRadios_[i]->setGeometry(dialogRect(*this, LINK_RECTS[i]));
  for (size_t i = 0; i < modeRadios_.size(); ++i)
    modeRadios_[i]->setGeometry(dialogRect(*this, MODE_RECTS[i]));
  for (size_t row = 0; row < labels_.size(); ++row) {
    labels_[row]->setGeometry(dialogRect(*this, QRect(10, ROW_Y[row], 52, 14)));
    QLineEdit* field = row == 0 ? address_ : edits_[row - 1];
    field->setGeometry(dialogRect(*this, QRect(67, ROW_Y[row], 103, 14)));
  }
  for (size_t i = 0; i < buttons_.size(); ++i)
    buttons_[i]->setGeometry(dialogRect(*this, BUTTON_RECTS[i]));
}

void NetworkDialog::refreshTexts() {
  modeRadios_[0]->setText(uiText(Text::Hotspot));
  modeRadios_[1]->setText(uiText(Text::Router));
  const std::array<Text, 5> labels = {Text::CurrentIp, Text::HotspotSsid, Text::HotspotPassword,
                                      Text::RouterSsid, Text::RouterPassword};
  for (size_t i = 0; i < labels.size(); ++i)
    labels_[i]->setText(uiText(labels[i]));
  // The button texts carry a tab after the line break to centre the second line; Qt
  // centres each line itself.
  const std::array<Text, 3> buttons = {Text::GetData, Text::SetHotspot, Text::SetRouter};
  for (size_t i = 0; i < buttons.size(); ++i)
    buttons_[i]->setText(uiText(buttons[i]).remove(QLatin1Char('\t')));
}

QRadioButton& NetworkDialog::linkRadio(LinkChoice choice) const {
  return *linkRadios_[static_cast<size_t>(choice)];
}

bool NetworkDialog::isPolling() const {
  return poll_->isActive();
}

void NetworkDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  applyReplies();
  poll_->start();
  modules_.queueModuleReads();
  refreshTexts();
}

void NetworkDialog::hideEvent(QHideEvent* event) {
  poll_->stop();
  QDialog::hideEvent(event);
}

int NetworkDialog::message(int kind, const QString& text) {
  return message_ ? message_(kind, text, QString()) : static_cast<int>(MessageButton::Ok);
}

void NetworkDialog::showMode(int mode) {
  shownMode_ = mode;
  modeRadios_[0]->setChecked(mode == MODE_HOTSPOT);
  modeRadios_[1]->setChecked(mode == MODE_ROUTER);
}

// The flag is cleared before the value is read, so a reply arriving meanwhile is shown
// now and again at the next tick rather than lost.
void NetworkDialog::applyReplies() {
  for (int slot = 0; slot <= module_slot::GET_HOT_PW; ++slot) {
    if (!modules_.received(slot))
      continue;
    modules_.clearReceived(slot);
    if (slot == module_slot::GET_IP)
      address_->setText(ModuleChoiceDialog::dottedAddress(modules_.value(slot)));
    else if (slot == module_slot::GET_WIFI_MODE)
      showMode(modules_.value(slot) == MODULE_MODE_ROUTER ? MODE_ROUTER : MODE_HOTSPOT);
    else
      showTextReply(slot);
  }
}

void NetworkDialog::showTextReply(int slot) {
  for (const TextReply& reply : TEXT_REPLIES) {
    if (reply.slot != slot)
      continue;
    const std::string text = modules_.text(slot);
    const std::size_t at = text.find(reply.prefix);
    // The value is what follows the prefix, wherever the prefix stands in the reply.
    if (at != std::string::npos)
      edits_[static_cast<size_t>(reply.edit)]->setText(
          QString::fromUtf8(text.substr(at + reply.prefix.size())));
  }
}

void NetworkDialog::readModule() {
  showMode(MODE_NONE);
  for (QLineEdit* edit : edits_)
    edit->clear();
  modules_.queueModuleReads();
}

void NetworkDialog::chooseHotspotMode() {
  showMode(MODE_HOTSPOT);
  modules_.queueModuleCommand(module_slot::SET_WIFI_MODE, "Set_WiFiMode:1");
}

void NetworkDialog::chooseRouterMode() {
  const int previous = shownMode_;
  showMode(MODE_ROUTER);
  const int answer = message(static_cast<int>(MessageKind::YesNo), uiText(Text::RouterResetHint));
  if (answer != static_cast<int>(MessageButton::Yes)) {
    showMode(previous); // the module keeps its mode, so the radios show it again
    return;
  }
  modules_.queueModuleCommand(module_slot::SET_WIFI_MODE, "Set_WiFiMode:2");
}

std::string NetworkDialog::buildCommand(std::string_view command, const QString& typed) {
  std::string result(command);
  for (const char c : typed.toUtf8()) {
    if (result.size() >= MAX_COMMAND_LENGTH)
      break;
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F)
      result.push_back(c);
  }
  return result;
}

// A name that is empty, or has nothing left once the bytes the module cannot take are
// left out, is refused: the module would otherwise get an empty name.
bool NetworkDialog::queueName(const QLineEdit& edit, std::string_view command, int slot) {
  const std::string text = buildCommand(command, edit.text());
  if (text.size() == command.size()) {
    message(static_cast<int>(MessageKind::Ok), uiText(Text::SsidEmpty));
    return false;
  }
  modules_.queueModuleCommand(slot, text);
  return true;
}

// The module stores printable ASCII only: a name or password with anything else is
// refused as a whole rather than sent with those characters left out.
bool NetworkDialog::storable(const QLineEdit& name, const QLineEdit& password) {
  for (const QLineEdit* edit : {&name, &password}) {
    for (const QChar c : edit->text()) {
      if (c.unicode() < 0x20 || c.unicode() >= 0x7F) {
        message(static_cast<int>(MessageKind::Ok), uiText(Text::ModuleTextAscii));
        return false;
      }
    }
  }
  return true;
}

void NetworkDialog::sendHotspot() {
  if (!storable(*edits_[0], *edits_[1]))
    return;
  if (!queueName(*edits_[0], "Set_HotSSID:", module_slot::SET_HOT_SSID))
    return;
  constexpr std::string_view command = "Set_HotPW:";
  const std::string text = buildCommand(command, edits_[1]->text());
  const std::size_t length = text.size() - command.size();
  // An empty password opens the hotspot; a typed one that lost characters to the filter
  // must still be long enough, and one that lost them all is not sent as "open".
  const bool typed = !edits_[1]->text().isEmpty();
  if ((length > 0 && length < MIN_PASSWORD_LENGTH) || (length == 0 && typed)) {
    message(static_cast<int>(MessageKind::Ok), uiText(Text::PasswordTooShort));
    return;
  }
  modules_.queueModuleCommand(module_slot::SET_HOT_PW, text);
}

void NetworkDialog::sendRouter() {
  if (!storable(*edits_[2], *edits_[3]))
    return;
  if (!queueName(*edits_[2], "Set_RouteSSID:", module_slot::SET_ROUTE_SSID))
    return;
  modules_.queueModuleCommand(module_slot::SET_ROUTE_PW,
                              buildCommand("Set_RoutePW:", edits_[3]->text()));
}

void NetworkDialog::chooseLinkType(LinkChoice choice) {
  linkRadios_[static_cast<size_t>(choice)]->setChecked(true);
  const int baudRate = settings_.readLinkConfig().baudRate;
  // The running link stays; the worker reads the choice when the program starts again.
  const bool written = settings_.writeLinkChoice(static_cast<int>(choice), baudRate);
  message(static_cast<int>(MessageKind::Ok),
          uiText(written ? Text::RestartToApply : Text::SaveFailed));
}

} // namespace kv816
