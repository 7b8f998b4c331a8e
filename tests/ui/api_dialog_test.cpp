#include "ui/dialogs/api_dialog.h"

#include "ui_test_support.h"

#include "api/api_settings.h"
#include "api/api_token.h"
#include "api/ws_test_client.h"
#include "ui/shell/gui_api_host.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTcpServer>
#include <QUdpSocket>
#include <gtest/gtest.h>

#include <fstream>

namespace kv816 {
namespace {

struct ApiDialogFixture : test::WindowFixture {
  ApiDialogFixture() { qputenv("KV816_LOOPBACK_ONLY", "1"); }
  GuiApiHost& host() { return window->apiHost(); }
  const Settings& settings() { return session->settings(); }
  std::unique_ptr<ApiDialog> open() {
    return std::make_unique<ApiDialog>(host(), settings(), window.get());
  }
};

uint16_t freeTcpPort() {
  QTcpServer probe;
  return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

uint16_t freeUdpPort() {
  QUdpSocket probe;
  return probe.bind(QHostAddress::LocalHost, 0) ? probe.localPort() : 0;
}

TEST(ApiDialog, OffByDefaultThenServesOnLoopbackAndKeepsTheChoice) {
  ApiDialogFixture f;
  auto dialog = f.open();
  EXPECT_FALSE(dialog->enableBox().isChecked());
  EXPECT_EQ(dialog->addressEdit().text(), QStringLiteral("127.0.0.1"));
  EXPECT_EQ(dialog->portBox().value(), 18160);
  EXPECT_FALSE(dialog->oscBox().isChecked());
  EXPECT_FALSE(dialog->tokenShown());
  EXPECT_EQ(dialog->statusLabel().text(), QStringLiteral("Not running"));

  const uint16_t port = freeTcpPort();
  const uint16_t oscPort = freeUdpPort();
  dialog->enableBox().setChecked(true);
  dialog->portBox().setValue(port);
  dialog->oscBox().setChecked(true);
  dialog->oscPortBox().setValue(oscPort);
  ASSERT_TRUE(dialog->apply()) << dialog->statusLabel().text().toStdString();
  EXPECT_TRUE(f.host().isRunning());
  EXPECT_EQ(dialog->statusLabel().text(),
            QStringLiteral("Listening on ws://127.0.0.1:%1/\nOSC udp://127.0.0.1:%2")
                .arg(port)
                .arg(oscPort));
  test::WsTestClient client;
  EXPECT_TRUE(client.connect(port));
  QUdpSocket taken;
  EXPECT_FALSE(taken.bind(QHostAddress::LocalHost, oscPort)) << "OSC holds its port";

  const ApiSettings stored = ApiSettings::read(f.settings());
  EXPECT_TRUE(stored.enabled);
  EXPECT_EQ(stored.port, port);
  EXPECT_TRUE(stored.oscEnabled);
  EXPECT_EQ(stored.oscPort, oscPort);
  EXPECT_TRUE(f.open()->enableBox().isChecked()) << "a new dialog shows the stored choice";

  dialog->enableBox().setChecked(false);
  ASSERT_TRUE(dialog->apply());
  EXPECT_FALSE(f.host().isRunning());
  EXPECT_EQ(client.waitClosed().has_value(), true) << "clients are let go";
  EXPECT_FALSE(ApiSettings::read(f.settings()).enabled);
  QString error;
  EXPECT_TRUE(f.host().startFromSettings(error)) << "stored off: nothing to start";
  EXPECT_FALSE(f.host().isRunning());
}

TEST(ApiDialog, ARefusalIsShownAndTheDialogStaysOpen) {
  QTcpServer occupant;
  ASSERT_TRUE(occupant.listen(QHostAddress::LocalHost, 0));
  struct Case {
    QString address;
    uint16_t port;
    const char* shows;
  };
  const Case cases[] = {
      {QStringLiteral("127.0.0.1"), occupant.serverPort(), "Could not start:"},
      {QStringLiteral("192.0.2.1"), 18160, "KV816_LOOPBACK_ONLY is set"},
      {QStringLiteral("localhost"), 18160, "The address must be numeric"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address.toStdString());
    ApiDialogFixture f;
    auto dialog = f.open();
    dialog->show();
    dialog->enableBox().setChecked(true);
    dialog->addressEdit().setText(c.address);
    dialog->portBox().setValue(c.port);
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    buttons->button(QDialogButtonBox::Ok)->click();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(f.host().isRunning());
    EXPECT_TRUE(dialog->statusLabel().text().startsWith(QString::fromLatin1(c.shows)))
        << dialog->statusLabel().text().toStdString();
    EXPECT_TRUE(ApiSettings::read(f.settings()).enabled) << "the choice is kept for next time";
    QString error;
    EXPECT_FALSE(f.host().startFromSettings(error));
    EXPECT_TRUE(error.startsWith(QString::fromLatin1(c.shows)));
  }
}

TEST(ApiDialog, TheTokenShowsBeyondLoopbackAndCopies) {
  ApiDialogFixture f;
  auto dialog = f.open();
  for (const char* loopback : {"127.0.0.1", "::1", "127.1.2.3"}) {
    dialog->addressEdit().setText(QString::fromLatin1(loopback));
    EXPECT_FALSE(dialog->tokenShown()) << loopback;
  }
  dialog->addressEdit().setText(QStringLiteral("192.0.2.1"));
  ASSERT_TRUE(dialog->tokenShown());
  std::string stored;
  std::ifstream(f.settings().folders().presetFolder / API_TOKEN_FILE) >> stored;
  EXPECT_EQ(stored.size(), 32u);
  EXPECT_EQ(dialog->tokenEdit().text().toStdString(), stored);
  EXPECT_TRUE(dialog->tokenEdit().isReadOnly());
  dialog->copyButton().click();
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), stored);
}

} // namespace
} // namespace kv816
