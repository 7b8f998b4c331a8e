// The main window's menu: labels, check marks, I/O mode and language commands.

#include "i18n/text.h"
#include "link/module_commands.h"
#include "presets/settings.h"
#include "ui/controls/ui_text.h"
#include "ui/dialogs/api_dialog.h"
#include "ui/dialogs/deploy_dialog.h"
#include "ui/dialogs/network_dialog.h"
#include "ui/pages/control_tips.h"
#include "ui/shell/appearance.h"
#include "ui/shell/device_session.h"
#include "ui/shell/main_window.h"
#include "ui/shell/mnemonic.h"
#include "ui/shell/program_commands.h"
#include "ui/shell/qt_translations.h"
#include "ui/shell/show_controller.h"
#include "ui/shell/support_bundle_saver.h"
#include "ui/shell/tab_layout.h"

#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace kv816 {

namespace {

constexpr std::array<Text, 4> MODE_TEXTS = {Text::Mode2In4Out, Text::Mode2In6Out, Text::Mode4In6Out,
                                            Text::Mode4In8Out};
constexpr std::array<LanguageIndex, 3> LANGUAGES = {
    LanguageIndex::SimplifiedChinese, LanguageIndex::TraditionalChinese, LanguageIndex::English};

// The dialogs' message routine: the main window's message box.
std::function<int(int, const QString&, const QString&)> messagesOf(MainWindow& window) {
  return [&window](int kind, const QString& text, const QString& caption) {
    return static_cast<int>(window.showMessage(static_cast<MessageKind>(kind), text, caption));
  };
}

} // namespace

QAction* MainWindow::addCommand(QMenu* menu, const std::function<void()>& command) {
  QAction* action = menu->addAction(QString());
  connect(action, &QAction::triggered, this, command);
  return action;
}

void MainWindow::buildMenus() {
  for (auto*& menu : menus_)
    menu = menuBar()->addMenu(QString());
  actions_.network = addCommand(menus_[MENU_REMOTE], [this] { openNetworkDialog(); });
  actions_.api = addCommand(menus_[MENU_REMOTE], [this] { openApiDialog(); });
  for (size_t mode = 0; mode < actions_.modes.size(); ++mode) {
    actions_.modes[mode] = addCommand(menus_[MENU_DEVICE], [this, mode] {
      showPageNumber(PAGE_HOME);
      applyIoMode(int(mode));
    });
    actions_.modes[mode]->setCheckable(true);
  }
  actions_.load = addCommand(menus_[MENU_PROGRAM], [this] { commands_->openPresetList(); });
  actions_.save = addCommand(menus_[MENU_PROGRAM], [this] { commands_->openPresetList(); });
  actions_.importFile = addCommand(menus_[MENU_PROGRAM], [this] { commands_->importFile(); });
  actions_.exportFile = addCommand(menus_[MENU_PROGRAM], [this] { commands_->exportFile(); });
  buildEditMenu();
  actions_.configure = addCommand(menus_[MENU_SYSTEM], [this] { openDeployDialog(); });
  // The language items keep their own texts in every language.
  const std::array<QString, 3> names = {QStringLiteral("简体中文"), QStringLiteral("繁体中文"),
                                        QStringLiteral("English")};
  for (size_t i = 0; i < LANGUAGES.size(); ++i) {
    const LanguageIndex language = LANGUAGES[i];
    actions_.languages[i] =
        addCommand(menus_[MENU_SYSTEM], [this, language] { setLanguage(language); });
    actions_.languages[i]->setText(names[i]);
    actions_.languages[i]->setCheckable(true);
  }
  actions_.appearance = menus_[MENU_SYSTEM]->addMenu(QString());
  for (size_t i = 0; i < actions_.appearances.size(); ++i) {
    const auto appearance = static_cast<Appearance>(i);
    actions_.appearances[i] = addCommand(actions_.appearance, [this, appearance] {
      applyAppearance(appearance);
      saveAppearance(session_.settings(), appearance);
      updateMenuChecks();
    });
    actions_.appearances[i]->setCheckable(true);
  }
  menus_[MENU_SYSTEM]->addSeparator();
  actions_.about = addCommand(menus_[MENU_SYSTEM], [this] { showAbout(); });
  actions_.about->setShortcut(QKeySequence(Qt::Key_F1));
  actions_.about->setText(QStringLiteral("关于 KV816(&A)..."));
  relabelMenus();
}

void MainWindow::relabelMenus() {
  const std::array<Text, MENU_COUNT> tops = {Text::MenuRemote, Text::MenuDevice, Text::MenuProgram,
                                             Text::MenuEdit, Text::MenuSystem};
  static constexpr std::array<char, MENU_COUNT> TOP_KEYS = {'R', 'D', 'P', 'E', 'S'};
  for (size_t i = 0; i < tops.size(); ++i)
    menus_[i]->setTitle(withMnemonic(uiText(tops[i]), QLatin1Char(TOP_KEYS[i])));
  actions_.network->setText(withMnemonic(uiText(Text::MenuNetwork), QLatin1Char('N')));
  actions_.api->setText(withMnemonic(uiText(Text::MenuApi), QLatin1Char('A')));
  actions_.load->setText(withMnemonic(uiText(Text::Load), QLatin1Char('L')));
  actions_.save->setText(withMnemonic(uiText(Text::Save), QLatin1Char('S')));
  actions_.importFile->setText(withMnemonic(uiText(Text::Import), QLatin1Char('I')));
  actions_.exportFile->setText(withMnemonic(uiText(Text::Export), QLatin1Char('E')));
  actions_.configure->setText(withMnemonic(uiText(Text::MenuConfigure), QLatin1Char('C')));
  actions_.appearance->setTitle(withMnemonic(uiText(Text::Appearance), QLatin1Char('P')));
  static constexpr std::array<Text, 3> LOOKS = {Text::AppearanceLight, Text::AppearanceDark,
                                                Text::AppearanceSystem};
  static constexpr std::array<char, 3> LOOK_KEYS = {'L', 'D', 'F'};
  for (size_t i = 0; i < LOOKS.size(); ++i)
    actions_.appearances[i]->setText(withMnemonic(uiText(LOOKS[i]), QLatin1Char(LOOK_KEYS[i])));
  for (size_t mode = 0; mode < MODE_TEXTS.size(); ++mode)
    actions_.modes[mode]->setText(uiText(MODE_TEXTS[mode]));
  relabelEditActions();
}

void MainWindow::updateMenuChecks() {
  const int checked = std::min(ioMode_, 3);
  for (size_t mode = 0; mode < actions_.modes.size(); ++mode)
    actions_.modes[mode]->setChecked(int(mode) == checked);
  const int language = static_cast<int>(currentLanguage());
  for (size_t i = 0; i < actions_.languages.size(); ++i)
    actions_.languages[i]->setChecked(int(i) == language);
  const int look = static_cast<int>(savedAppearance(session_.settings()));
  for (size_t i = 0; i < actions_.appearances.size(); ++i)
    actions_.appearances[i]->setChecked(int(i) == look);
}

void MainWindow::refreshLanguage() {
  relabelMenus();
  // Only the two-input modes stay in the menu; their actions still work when triggered.
  menus_[MENU_DEVICE]->removeAction(actions_.modes[3]);
  menus_[MENU_DEVICE]->removeAction(actions_.modes[2]);
  applyIoMode(ioMode_);
  for (Page* page : pages_.pages) {
    page->refreshTexts();
    applyControlTips(*page);
  }
  // The status line keeps the last reported state, now in the new language.
  if (session_.isRunning())
    showLinkStatus(lastLinkStatus_);
  else if (linkStopped_)
    showStatusCells();
  show_->relabel();
  bundle_->relabel();
}

void MainWindow::setLanguage(LanguageIndex language) {
  setCurrentLanguage(language);
  session_.settings().writeLanguage(static_cast<int>(language));
  installQtTranslations(language);
  updateMenuChecks();
  QMetaObject::invokeMethod(this, &MainWindow::refreshLanguage, Qt::QueuedConnection);
}

void MainWindow::openDeployDialog() {
  DeployDialog dialog(session_.table(), edits_, ioMode_, messagesOf(*this), this);
  connect(&dialog, &DeployDialog::showPageRequested, this, &MainWindow::showPageNumber);
  dialog.exec();
}

void MainWindow::openNetworkDialog() {
  // Without a running worker the queued module commands go nowhere.
  ModuleCommands idle;
  ModuleCommands* modules = session_.modules();
  NetworkDialog dialog(modules ? *modules : idle, session_.settings(), session_.linkType(),
                       messagesOf(*this), this);
  dialog.exec();
}

void MainWindow::openApiDialog() {
  ApiDialog dialog(*api_, session_.settings(), this);
  dialog.exec();
}

} // namespace kv816
