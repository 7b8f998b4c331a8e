#pragma once
// Remote -> API: whether the program serves the remote API, where (address and port, by
// default 127.0.0.1:18160), and OSC with its port. Beyond loopback it shows the access
// token clients must send, with a button that copies it. OK and Apply store the choice in
// Configuration.ini and start or stop the server at once; a refusal (address not allowed,
// port in use) is shown in the dialog, which then stays open.
//
// GUI thread only.

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace kv816 {

class GuiApiHost;
class Settings;

class ApiDialog : public QDialog {
  Q_OBJECT
public:
  ApiDialog(GuiApiHost& host, const Settings& settings, QWidget* parent = nullptr);

  QCheckBox& enableBox() const { return *enable_; }
  QLineEdit& addressEdit() const { return *address_; }
  QSpinBox& portBox() const { return *port_; }
  QCheckBox& oscBox() const { return *osc_; }
  QSpinBox& oscPortBox() const { return *oscPort_; }
  QLineEdit& tokenEdit() const { return *token_; }
  QPushButton& copyButton() const { return *copy_; }
  QLabel& statusLabel() const { return *status_; }
  // Whether the token row shows (the address is beyond loopback).
  bool tokenShown() const;

  // Stores the fields and starts or stops the server as they say; false when it was asked
  // to serve and could not (the reason is on the status line).
  bool apply();

private:
  void build();
  void updateTokenRow();
  void showStatus(const QString& error);

  GuiApiHost& host_;
  const Settings& settings_;
  QCheckBox* enable_;
  QLineEdit* address_;
  QSpinBox* port_;
  QCheckBox* osc_;
  QSpinBox* oscPort_;
  QLabel* tokenLabel_;
  QLineEdit* token_;
  QPushButton* copy_;
  QLabel* tokenHint_;
  QLabel* status_;
};

} // namespace kv816
