#include "ui/dialogs/api_dialog.h"

#include "api/api_settings.h"
#include "api/listen_address.h"
#include "i18n/text.h"
#include "presets/settings.h"
#include "ui/controls/ui_text.h"
#include "ui/shell/gui_api_host.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kv816 {

namespace {
QSpinBox* portSpin(QWidget* parent, int value) {
  auto* box = new QSpinBox(parent);
  box->setRange(1, 65535);
  box->setValue(value);
  box->setMaximumWidth(box->sizeHint().width());
  return box;
}
} // namespace

ApiDialog::ApiDialog(GuiApiHost& host, const Settings& settings, QWidget* parent)
    : QDialog(parent), host_(host), settings_(settings) {
  setWindowTitle(uiText(Text::ApiTitle));
  build();
  const ApiSettings stored = ApiSettings::read(settings_);
  enable_->setChecked(stored.enabled);
  address_->setText(QString::fromStdString(stored.address));
  port_->setValue(stored.port);
  osc_->setChecked(stored.oscEnabled);
  oscPort_->setValue(stored.oscPort);
  updateTokenRow();
  showStatus({});
}

void ApiDialog::build() {
  enable_ = new QCheckBox(uiText(Text::ApiEnable), this);
  address_ = new QLineEdit(this);
  port_ = portSpin(this, 18160);
  osc_ = new QCheckBox(uiText(Text::ApiOscEnable), this);
  oscPort_ = portSpin(this, 18161);
  tokenLabel_ = new QLabel(uiText(Text::ApiToken), this);
  token_ = new QLineEdit(this);
  token_->setReadOnly(true);
  token_->setMinimumWidth(token_->fontMetrics().horizontalAdvance(QString(34, QLatin1Char('f'))));
  copy_ = new QPushButton(uiText(Text::ApiCopy), this);
  tokenHint_ = new QLabel(uiText(Text::ApiTokenNeeded), this);
  tokenHint_->setWordWrap(true);
  status_ = new QLabel(this);
  status_->setWordWrap(true);
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* form = new QFormLayout;
  form->addRow(uiText(Text::ApiAddress), address_);
  form->addRow(uiText(Text::ApiPort), port_);
  auto* oscRow = new QHBoxLayout;
  oscRow->addWidget(osc_);
  oscRow->addWidget(oscPort_);
  oscRow->addStretch();
  form->addRow(oscRow);
  auto* tokenRow = new QHBoxLayout;
  tokenRow->addWidget(token_, 1);
  tokenRow->addWidget(copy_);
  form->addRow(tokenLabel_, tokenRow);
  form->addRow(tokenHint_);

  auto* buttons = new QDialogButtonBox(
      QDialogButtonBox::Ok | QDialogButtonBox::Apply | QDialogButtonBox::Cancel, this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(enable_);
  layout->addLayout(form);
  layout->addWidget(status_);
  layout->addWidget(buttons);

  connect(address_, &QLineEdit::textChanged, this, &ApiDialog::updateTokenRow);
  connect(copy_, &QPushButton::clicked, this,
          [this] { QGuiApplication::clipboard()->setText(token_->text()); });
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (apply())
      accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this, &ApiDialog::apply);
}

bool ApiDialog::tokenShown() const {
  return !token_->isHidden();
}

// The token matters, and shows, only for a numeric address beyond this computer.
void ApiDialog::updateTokenRow() {
  const std::string address = address_->text().trimmed().toStdString();
  const bool beyond = parseListenAddress(address + ":0") && !isLoopbackAddress(address);
  for (QWidget* w : std::initializer_list<QWidget*>{tokenLabel_, token_, copy_, tokenHint_})
    w->setVisible(beyond);
  if (!beyond)
    return;
  std::string error;
  const std::string token = host_.token(error);
  token_->setText(QString::fromStdString(token.empty() ? error : token));
  copy_->setEnabled(!token.empty());
  adjustSize();
}

bool ApiDialog::apply() {
  ApiSettings wanted;
  wanted.enabled = enable_->isChecked();
  wanted.address = address_->text().trimmed().toStdString();
  wanted.port = static_cast<uint16_t>(port_->value());
  wanted.oscEnabled = osc_->isChecked();
  wanted.oscPort = static_cast<uint16_t>(oscPort_->value());
  wanted.write(settings_);
  QString error;
  if (!wanted.enabled)
    host_.stop();
  else if (!host_.start(wanted, error)) {
    showStatus(error);
    return false;
  }
  showStatus({});
  return true;
}

void ApiDialog::showStatus(const QString& error) {
  if (!error.isEmpty()) {
    status_->setStyleSheet(QStringLiteral("color:#c62828;font-weight:bold;"));
    status_->setText(error);
    return;
  }
  status_->setStyleSheet({});
  status_->setText(host_.isRunning()
                       ? uiText(Text::ApiListening) + QLatin1Char(' ') + host_.endpoints()
                       : uiText(Text::ApiStopped));
}

} // namespace kv816
