#include "ui/dialogs/network_dialog.h"

#include "ui_test_support.h"

#include "i18n/language.h"
#include "link/link_events.h"
#include "link/module_commands.h"
#include "presets/settings.h"

#include <QAction>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace kv816 {
namespace {

using Choice = NetworkDialog::LinkChoice;

struct NetworkFixture {
  QTemporaryDir dir;
  ModuleCommands modules;
  Settings settings;
  std::vector<QString> messages;
  MessageButton answer = MessageButton::Yes;

  explicit NetworkFixture(std::string folder = {})
      : settings(SettingsFolders{folder.empty() ? dir.path().toStdString() : folder,
                                 folder.empty() ? dir.path().toStdString() : folder, "kv816"}) {
    setCurrentLanguage(LanguageIndex::English);
  }
  NetworkDialog::MessageFn recorder() {
    return [this](int, const QString& text, const QString&) {
      messages.push_back(text);
      return static_cast<int>(answer);
    };
  }
  // The text queued in a slot, none when the slot is not pending.
  std::optional<std::string> queued(int slot) const {
    if (!modules.pending(slot))
      return std::nullopt;
    return modules.text(slot);
  }
};

TEST(NetworkDialog, OpensOnTheRunningLinkTypeAndAsksTheModule) {
  struct Case {
    int linkType;
    Choice checked;
  };
  for (const Case c : {Case{1, Choice::CHOICE_USB}, Case{2, Choice::CHOICE_NETWORK},
                       Case{3, Choice::CHOICE_BLUETOOTH}, Case{0, Choice::CHOICE_BLUETOOTH}}) {
    SCOPED_TRACE(c.linkType);
    NetworkFixture f;
    NetworkDialog dialog(f.modules, f.settings, c.linkType, f.recorder());
    dialog.show();
    EXPECT_TRUE(dialog.linkRadio(c.checked).isChecked());
    EXPECT_FALSE(dialog.linkRadio(Choice::CHOICE_BLUETOOTH).isVisible());
    EXPECT_TRUE(dialog.linkRadio(Choice::CHOICE_NETWORK).isVisible());
    for (int slot : {0, 2, 5, 6, 7, 8})
      EXPECT_TRUE(f.modules.pending(slot)) << slot;
  }
}

TEST(NetworkDialog, PasswordsAreMaskedUntilTheEyeIsOn) {
  NetworkFixture f;
  NetworkDialog dialog(f.modules, f.settings, 1, f.recorder());
  for (QLineEdit* field : {&dialog.hotspotPassword(), &dialog.routerPassword()}) {
    EXPECT_EQ(field->echoMode(), QLineEdit::Password);
    auto* eye = field->findChild<QAction*>("showPassword");
    ASSERT_NE(eye, nullptr);
    eye->trigger();
    EXPECT_EQ(field->echoMode(), QLineEdit::Normal);
    eye->trigger();
    EXPECT_EQ(field->echoMode(), QLineEdit::Password);
  }
  EXPECT_EQ(dialog.hotspotSsid().echoMode(), QLineEdit::Normal);
}

TEST(NetworkDialog, RepliesFillTheFieldsOnceAndAreConsumed) {
  NetworkFixture f;
  NetworkDialog dialog(f.modules, f.settings, 2, f.recorder());
  for (const char* reply : {"Get_IP:C0A80164", "Get_WiFiMode:2", "Get_HotSSID:Stage Left",
                            "Get_HotPW:12345678", "Get_RouteSSID:Venue", "\r\nGet_RoutePW:pa:ss"})
    ASSERT_GE(f.modules.onModuleReply(reply).slot, 0) << reply;
  dialog.applyReplies();
  EXPECT_EQ(dialog.addressEdit().text(), "192.168.1.100");
  EXPECT_TRUE(dialog.routerRadio().isChecked());
  EXPECT_FALSE(dialog.hotspotRadio().isChecked());
  EXPECT_EQ(dialog.hotspotSsid().text(), "Stage Left");
  EXPECT_EQ(dialog.hotspotPassword().text(), "12345678");
  EXPECT_EQ(dialog.routerSsid().text(), "Venue");
  EXPECT_EQ(dialog.routerPassword().text(), "pa:ss"); // what follows the prefix, wherever
  for (int slot = 0; slot <= 8; ++slot)
    EXPECT_FALSE(f.modules.received(slot)) << slot;

  // A consumed reply is not shown again over the user's typing; a new mode value is.
  dialog.hotspotSsid().setText("typed");
  f.modules.onModuleReply("Get_WiFiMode:1");
  dialog.applyReplies();
  EXPECT_EQ(dialog.hotspotSsid().text(), "typed");
  EXPECT_TRUE(dialog.hotspotRadio().isChecked());
  EXPECT_FALSE(dialog.routerRadio().isChecked());
}

TEST(NetworkDialog, PollsOnlyWhileVisibleAndShowsWhatCameMeanwhile) {
  NetworkFixture f;
  NetworkDialog dialog(f.modules, f.settings, 2, f.recorder());
  EXPECT_FALSE(dialog.isPolling());
  f.modules.onModuleReply("Get_HotSSID:Early");
  dialog.show();
  EXPECT_TRUE(dialog.isPolling());
  EXPECT_EQ(dialog.hotspotSsid().text(), "Early"); // applied at once on show
  f.modules.onModuleReply("Get_HotSSID:Later");
  QTest::qWait(NetworkDialog::POLL_INTERVAL_MS + 150);
  EXPECT_EQ(dialog.hotspotSsid().text(), "Later");
  dialog.hide();
  EXPECT_FALSE(dialog.isPolling());
  f.modules.onModuleReply("Get_HotSSID:Hidden");
  QTest::qWait(NetworkDialog::POLL_INTERVAL_MS + 150);
  EXPECT_EQ(dialog.hotspotSsid().text(), "Later");
  EXPECT_TRUE(f.modules.received(module_slot::GET_HOT_SSID)); // kept for the next show
}

const QString ASCII_ONLY = "SSID and password take only English letters, digits and symbols!";

struct SendCase {
  const char* name;
  QString ssid;
  QString password;
  std::optional<std::string> ssidCommand;
  std::optional<std::string> passwordCommand;
  std::vector<QString> messages;
};

TEST(NetworkDialog, HotspotSettingsAreChecked) {
  const QString empty;
  const std::vector<SendCase> cases = {
      {"empty name", empty, "12345678", std::nullopt, std::nullopt, {"SSID can't be empty!"}},
      {"name of Chinese only", "舞台", empty, std::nullopt, std::nullopt, {ASCII_ONLY}},
      {"name with a tab", "MyNet\t", empty, std::nullopt, std::nullopt, {ASCII_ONLY}},
      {"open hotspot", "MyNet", empty, "Set_HotSSID:MyNet", "Set_HotPW:", {}},
      {"seven characters",
       "Net",
       "1234567",
       "Set_HotSSID:Net",
       std::nullopt,
       {"Password cannot be less than eight!"}},
      {"password of Chinese only", "Net", "密码密码", std::nullopt, std::nullopt, {ASCII_ONLY}},
      {"Café", "Caf\u00e9", "12345678", std::nullopt, std::nullopt, {ASCII_ONLY}},
      {"eight characters", "Net", "12345678", "Set_HotSSID:Net", "Set_HotPW:12345678", {}},
      {"long name is cut",
       QString(120, 'n'),
       "abcdefgh",
       "Set_HotSSID:" + std::string(87, 'n'),
       "Set_HotPW:abcdefgh",
       {}},
  };
  for (const SendCase& c : cases) {
    SCOPED_TRACE(c.name);
    NetworkFixture f;
    NetworkDialog dialog(f.modules, f.settings, 2, f.recorder());
    dialog.hotspotSsid().setText(c.ssid);
    dialog.hotspotPassword().setText(c.password);
    dialog.sendHotspot();
    EXPECT_EQ(f.queued(module_slot::SET_HOT_SSID), c.ssidCommand);
    EXPECT_EQ(f.queued(module_slot::SET_HOT_PW), c.passwordCommand);
    EXPECT_EQ(f.messages, c.messages);
  }
}

TEST(NetworkDialog, RouterPasswordHasNoLengthRule) {
  const std::vector<SendCase> cases = {
      {"one character", "Venue", "1", "Set_RouteSSID:Venue", "Set_RoutePW:1", {}},
      {"empty", "Venue", QString(), "Set_RouteSSID:Venue", "Set_RoutePW:", {}},
      {"empty name", QString(), "12345678", std::nullopt, std::nullopt, {"SSID can't be empty!"}},
      {"password with umlaut", "Venue", "p\u00e4ss", std::nullopt, std::nullopt, {ASCII_ONLY}},
  };
  for (const SendCase& c : cases) {
    SCOPED_TRACE(c.name);
    NetworkFixture f;
    NetworkDialog dialog(f.modules, f.settings, 2, f.recorder());
    dialog.routerSsid().setText(c.ssid);
    dialog.routerPassword().setText(c.password);
    dialog.sendRouter();
    EXPECT_EQ(f.queued(module_slot::SET_ROUTE_SSID), c.ssidCommand);
    EXPECT_EQ(f.queued(module_slot::SET_ROUTE_PW), c.passwordCommand);
    EXPECT_EQ(f.messages, c.messages);
  }
}

TEST(NetworkDialog, ModeRadiosQueueTheModeAndRouterAsksFirst) {
  NetworkFixture f;
  NetworkDialog dialog(f.modules, f.settings, 2, f.recorder());
  dialog.show();
  QTest::mouseClick(&dialog.hotspotRadio(), Qt::LeftButton);
  EXPECT_EQ(f.queued(module_slot::SET_WIFI_MODE), "Set_WiFiMode:1");
  EXPECT_TRUE(dialog.hotspotRadio().isChecked());

  f.modules.onModuleReply("Set_WiFiMode:OK"); // the module took it: slot no longer pending
  f.answer = MessageButton::No;
  QTest::mouseClick(&dialog.routerRadio(), Qt::LeftButton);
  ASSERT_EQ(f.messages.size(), 1u);
  EXPECT_TRUE(f.messages[0].startsWith("Reset to connect the routing,"));
  EXPECT_EQ(f.queued(module_slot::SET_WIFI_MODE), std::nullopt);
  EXPECT_TRUE(dialog.hotspotRadio().isChecked()); // the module's mode is shown again
  EXPECT_FALSE(dialog.routerRadio().isChecked());

  f.answer = MessageButton::Yes;
  QTest::mouseClick(&dialog.routerRadio(), Qt::LeftButton);
  EXPECT_EQ(f.queued(module_slot::SET_WIFI_MODE), "Set_WiFiMode:2");
  EXPECT_TRUE(dialog.routerRadio().isChecked());
  EXPECT_FALSE(dialog.hotspotRadio().isChecked());
}

TEST(NetworkDialog, GetDataClearsTheFieldsAndAsksAgain) {
  NetworkFixture f;
  NetworkDialog dialog(f.modules, f.settings, 2, f.recorder());
  f.modules.onModuleReply("Get_WiFiMode:2");
  f.modules.onModuleReply("Get_HotSSID:Old");
  dialog.applyReplies();
  dialog.readModule();
  EXPECT_FALSE(dialog.hotspotRadio().isChecked());
  EXPECT_FALSE(dialog.routerRadio().isChecked());
  EXPECT_TRUE(dialog.hotspotSsid().text().isEmpty());
  for (int slot : {0, 2, 5, 6, 7, 8})
    EXPECT_TRUE(f.modules.pending(slot)) << slot;
}

TEST(NetworkDialog, LinkChoiceIsStoredForTheNextStart) {
  NetworkFixture f;
  f.settings.writeSetting(CONFIGURATION_FILE, key::BAUD_RATE, 57600);
  NetworkDialog dialog(f.modules, f.settings, 2, f.recorder());
  dialog.show();
  QTest::mouseClick(&dialog.linkRadio(Choice::CHOICE_USB), Qt::LeftButton);
  EXPECT_EQ(f.settings.readSetting(CONFIGURATION_FILE, key::LINK_TYPE), 1);
  EXPECT_EQ(f.settings.readSetting(CONFIGURATION_FILE, key::BAUD_RATE), 57600);
  EXPECT_TRUE(dialog.linkRadio(Choice::CHOICE_USB).isChecked());
  dialog.chooseLinkType(Choice::CHOICE_BLUETOOTH);
  EXPECT_EQ(f.settings.readSetting(CONFIGURATION_FILE, key::LINK_TYPE), 0);
  EXPECT_EQ(f.messages, (std::vector<QString>{"Modify success, restart the software to work!",
                                              "Modify success, restart the software to work!"}));
}

TEST(NetworkDialog, AChoiceThatCannotBeStoredIsNotReportedAsDone) {
  NetworkFixture f("/dev/null/kv816");
  NetworkDialog dialog(f.modules, f.settings, 1, f.recorder());
  dialog.chooseLinkType(Choice::CHOICE_NETWORK);
  EXPECT_EQ(f.messages, std::vector<QString>{"Save Failed!"});
}

TEST(NetworkDialog, NetworkCommandOpensItWithoutARunningLink) {
  test::WindowFixture f;
  bool polling = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<NetworkDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    polling = dialog->isPolling();
    EXPECT_TRUE(dialog->linkRadio(Choice::CHOICE_USB).isChecked());
    dialog->reject();
  });
  f.window->actions().network->trigger();
  EXPECT_TRUE(polling);
}

} // namespace
} // namespace kv816
