// The main window's menu: labels, check marks, I/O mode and language commands.

#include "i18n/text.h"
#include "link/module_commands.h"
#include "presets/settings.h"
#include "ui/deploy_dialog.h"
#include "ui/device_session.h"
#include "ui/main_window.h"
#include "ui/network_dialog.h"
#include "ui/program_commands.h"
#include "ui/qt_translations.h"
#include "ui/tab_layout.h"

#include <QMenu>
#include <QMenuBar>

namespace kv816 {

namespace {

QString tr8(Text key) {
  return QString::fromUtf8(langText(key));
}

constexpr std::array<Text, 4> MODE_TEXTS = {Text::Mode2In4Out, Text::Mode2In6Out, Text::Mode4In6Out,
                                            Text::Mode4In8Out};
constexpr std::array<int, 4> MODE_COMMANDS = {CMD_MODE_2IN4OUT, CMD_MODE_2IN6OUT, CMD_MODE_4IN6OUT,
                                              CMD_MODE_4IN8OUT};
constexpr std::array<int, 3> LANGUAGE_COMMANDS = {CMD_SIMPLIFIED_CHINESE, CMD_TRADITIONAL_CHINESE,
                                                  CMD_ENGLISH};

// The dialogs' message routine: the main window's message box.
std::function<int(int, const QString&, const QString&)> messagesOf(MainWindow& window) {
  return [&window](int kind, const QString& text, const QString& caption) {
    return static_cast<int>(window.showMessage(static_cast<MessageKind>(kind), text, caption));
  };
}

} // namespace

QAction* MainWindow::addCommand(QMenu* menu, int id) {
  QAction* action = menu->addAction(QString());
  connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
  commandActions_.append({id, action});
  return action;
}

void MainWindow::buildMenus() {
  for (auto*& menu : menus_)
    menu = menuBar()->addMenu(QString());
  addCommand(menus_[0], CMD_NETWORK);
  for (size_t mode = 0; mode < MODE_COMMANDS.size(); ++mode) {
    modeActions_[mode] = addCommand(menus_[1], MODE_COMMANDS[mode]);
    modeActions_[mode]->setCheckable(true);
  }
  for (int id : {CMD_LOAD, CMD_SAVE, CMD_IMPORT, CMD_EXPORT})
    addCommand(menus_[2], id);
  addCommand(menus_[3], CMD_CONFIGURE);
  // The language items keep their own texts in every language.
  const std::array<QString, 3> names = {QStringLiteral("简体中文"), QStringLiteral("繁体中文"),
                                        QStringLiteral("English")};
  for (size_t i = 0; i < LANGUAGE_COMMANDS.size(); ++i) {
    languageActions_[i] = addCommand(menus_[3], LANGUAGE_COMMANDS[i]);
    languageActions_[i]->setText(names[i]);
    languageActions_[i]->setCheckable(true);
  }
  menus_[3]->addSeparator();
  addCommand(menus_[3], CMD_ABOUT)->setText(QStringLiteral("关于 KV816(&A)..."));
  relabelMenus();
}

void MainWindow::relabelMenus() {
  const std::array<Text, 4> tops = {Text::MenuRemote, Text::MenuDevice, Text::MenuProgram,
                                    Text::MenuSystem};
  for (size_t i = 0; i < tops.size(); ++i)
    menus_[i]->setTitle(tr8(tops[i]));
  for (const auto& [id, action] : commandActions_) {
    switch (id) {
    case CMD_NETWORK:
      action->setText(tr8(Text::MenuNetwork));
      break;
    case CMD_LOAD:
      action->setText(tr8(Text::Load));
      break;
    case CMD_SAVE:
      action->setText(tr8(Text::Save));
      break;
    case CMD_IMPORT:
      action->setText(tr8(Text::Import));
      break;
    case CMD_EXPORT:
      action->setText(tr8(Text::Export));
      break;
    case CMD_CONFIGURE:
      action->setText(tr8(Text::MenuConfigure));
      break;
    default:
      break;
    }
  }
  for (size_t mode = 0; mode < MODE_TEXTS.size(); ++mode)
    modeActions_[mode]->setText(tr8(MODE_TEXTS[mode]));
}

void MainWindow::updateMenuChecks() {
  const QList<QAction*> items = menus_[1]->actions();
  const int checked = std::min(ioMode_, 3);
  for (int position = 0; position < items.size(); ++position)
    items[position]->setChecked(position == checked);
  const int language = static_cast<int>(currentLanguage());
  for (size_t i = 0; i < languageActions_.size(); ++i)
    languageActions_[i]->setChecked(int(i) == language);
}

void MainWindow::refreshLanguage() {
  relabelMenus();
  // Only the two-input modes stay in the menu; their commands still work when sent.
  menus_[1]->removeAction(modeActions_[3]);
  menus_[1]->removeAction(modeActions_[2]);
  applyIoMode(ioMode_);
  for (Page* page : pages_.pages)
    page->refreshTexts();
  // The status line keeps the last reported state, now in the new language.
  if (session_.isRunning())
    showLinkStatus(lastLinkStatus_);
}

void MainWindow::setLanguage(LanguageIndex language) {
  setCurrentLanguage(language);
  session_.settings().writeLanguage(static_cast<int>(language));
  installQtTranslations(language);
  updateMenuChecks();
  QMetaObject::invokeMethod(this, &MainWindow::refreshLanguage, Qt::QueuedConnection);
}

void MainWindow::runCommand(int id) {
  switch (id) {
  case CMD_MODE_2IN4OUT:
  case CMD_MODE_2IN6OUT:
  case CMD_MODE_4IN6OUT:
  case CMD_MODE_4IN8OUT:
    showPageNumber(PAGE_HOME);
    applyIoMode(id - CMD_MODE_2IN4OUT);
    break;
  case CMD_SIMPLIFIED_CHINESE:
    setLanguage(LanguageIndex::SimplifiedChinese);
    break;
  case CMD_TRADITIONAL_CHINESE:
    setLanguage(LanguageIndex::TraditionalChinese);
    break;
  case CMD_ENGLISH:
    setLanguage(LanguageIndex::English);
    break;
  case CMD_ABOUT:
    showAbout();
    break;
  case CMD_LOAD:
  case CMD_SAVE:
    commands_->openPresetList();
    break;
  case CMD_IMPORT:
    commands_->importFile();
    break;
  case CMD_EXPORT:
    commands_->exportFile();
    break;
  case CMD_CONFIGURE: {
    DeployDialog dialog(session_.table(), ioMode_, messagesOf(*this), this);
    connect(&dialog, &DeployDialog::showPageRequested, this, &MainWindow::showPageNumber);
    // The copy tells nobody by itself; the pages on show get the copied values.
    connect(&dialog, &DeployDialog::parametersCopied, this, [this](const QList<int>& indexes) {
      for (int index : indexes)
        postRefresh(index);
    });
    dialog.exec();
    break;
  }
  case CMD_NETWORK: {
    // Without a running worker the queued module commands go nowhere.
    ModuleCommands idle;
    ModuleCommands* modules = session_.modules();
    NetworkDialog dialog(modules ? *modules : idle, session_.settings(), session_.linkType(),
                         messagesOf(*this), this);
    dialog.exec();
    break;
  }
  default:
    break;
  }
}

} // namespace kv816
