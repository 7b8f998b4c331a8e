#include "ui/shell/show_controller.h"

#include "i18n/language.h"
#include "i18n/text.h"
#include "link/task_flags.h"
#include "model/factory_defaults.h"
#include "model/parameter_table.h"
#include "presets/preset_file.h"
#include "ui/controls/level_meter.h"
#include "ui/controls/ui_text.h"
#include "ui/dialogs/compare_dialog.h"
#include "ui/shell/device_session.h"
#include "ui/shell/main_window.h"
#include "ui/shell/mnemonic.h"
#include "ui/shell/program_commands.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>

namespace kv816 {

namespace {
constexpr auto relaxed = std::memory_order_relaxed;

std::string recentKey(size_t i) {
  return "RecentShow" + std::to_string(i + 1);
}

// The link's kind in the user's language: USB, Network, Bluetooth or Serial.
QString linkName(int type) {
  const int kind = type == LINK_USB ? 0 : type == LINK_NETWORK ? 1 : type == LINK_BLUETOOTH ? 2 : 3;
  static const char* const NAMES[3][4] = {
      {"USB", "网络", "蓝牙", "串口"},
      {"USB", "網絡", "藍牙", "串口"},
      {"USB", "Network", "Bluetooth", "Serial"},
  };
  const int language = std::clamp(static_cast<int>(currentLanguage()), 0, 2);
  return QString::fromUtf8(NAMES[language][kind]);
}

// The model the device says it is; another identity by its number.
QString identityName(int id) {
  return id == DEVICE_ID ? QStringLiteral("KV816") : QStringLiteral("ID %1").arg(id);
}

// "127.0.0.1:1010": the module a network link is connected to; empty when none is.
QString peerText(const LinkState& state) {
  const uint32_t address = state.peerAddress.load(relaxed);
  if (address == 0)
    return {};
  return QStringLiteral("%1.%2.%3.%4:%5")
      .arg(address >> 24)
      .arg((address >> 16) & 0xFF)
      .arg((address >> 8) & 0xFF)
      .arg(address & 0xFF)
      .arg(state.peerPort.load(relaxed));
}
} // namespace

ShowController::ShowController(MainWindow& window, DeviceSession& session)
    : QObject(&window), window_(window), session_(session), indicator_(new QLabel(&window)) {
  indicator_->setObjectName(QStringLiteral("connectionState"));
  indicator_->setContentsMargins(8, 2, 8, 2);
  std::vector<std::string> recent;
  for (size_t i = 0; i < ShowSession::RECENT_LIMIT; ++i)
    if (std::optional<std::string> path =
            session_.settings().readText(CONFIGURATION_FILE, recentKey(i)))
      recent.push_back(*path);
  show_.setRecent(recent);
}

void ShowController::buildMenus() {
  QMenuBar* bar = window_.menuBar();
  fileMenu_ = new QMenu(bar);
  bar->insertMenu(window_.menuAt(0)->menuAction(), fileMenu_);
  new_ = fileMenu_->addAction(QString(), this, [this] { newShow(); });
  new_->setShortcut(QKeySequence::New);
  open_ = fileMenu_->addAction(QString(), this, [this] {
    QString path;
    if (confirmDiscard() && chooseFile(false, path))
      openShow(path);
  });
  open_->setShortcut(QKeySequence::Open);
  save_ = fileMenu_->addAction(QString(), this, [this] { save(show_.path().empty()); });
  save_->setShortcut(QKeySequence::Save);
  saveAs_ = fileMenu_->addAction(QString(), this, [this] { save(true); });
  saveAs_->setShortcut(QKeySequence::SaveAs);
  recentMenu_ = fileMenu_->addMenu(QString());
  fileMenu_->addSeparator();
  online_ = fileMenu_->addAction(QString(), this, [this] {
    if (session_.isRunning())
      goOffline();
    else
      goOnline();
  });
  // A click on the indicator while offline goes online as the menu does.
  indicator_->installEventFilter(this);
  toolsMenu_ = new QMenu(bar);
  bar->insertMenu(window_.menuAt(MainWindow::MENU_SYSTEM)->menuAction(), toolsMenu_);
  compareFile_ = toolsMenu_->addAction(QString(), this, [this] {
    QString path;
    if (chooseFile(false, path))
      compareWithFile(path);
  });
  compareTwo_ = toolsMenu_->addAction(QString(), this, [this] {
    QString a;
    QString b;
    if (chooseFile(false, a) && chooseFile(false, b))
      compareFiles(a, b);
  });
  bar->setCornerWidget(indicator_, Qt::TopRightCorner);
  relabel();
}

void ShowController::relabel() {
  if (!fileMenu_)
    return;
  fileMenu_->setTitle(withMnemonic(uiText(Text::FileMenu), QLatin1Char('F')));
  new_->setText(withMnemonic(uiText(Text::FileNew), QLatin1Char('N')));
  open_->setText(withMnemonic(uiText(Text::FileOpen), QLatin1Char('O')));
  save_->setText(withMnemonic(uiText(Text::Save), QLatin1Char('S')));
  saveAs_->setText(withMnemonic(uiText(Text::FileSaveAs), QLatin1Char('A')));
  recentMenu_->setTitle(withMnemonic(uiText(Text::RecentFiles), QLatin1Char('R')));
  toolsMenu_->setTitle(withMnemonic(uiText(Text::ToolsMenu), QLatin1Char('T')));
  compareFile_->setText(withMnemonic(uiText(Text::CompareWithFile), QLatin1Char('C')));
  compareTwo_->setText(withMnemonic(uiText(Text::CompareTwoFiles), QLatin1Char('T')));
  rebuildRecentMenu();
  updateIndicator();
  // The window's first refresh comes after its pages exist.
  greyMeters();
}

void ShowController::rebuildRecentMenu() {
  recentMenu_->clear();
  for (const std::string& path : show_.recent()) {
    const QString name = QString::fromStdString(path);
    recentMenu_->addAction(name, this, [this, name] {
      if (confirmDiscard())
        openShow(name);
    });
  }
  recentMenu_->setEnabled(!show_.recent().empty());
}

void ShowController::storeRecent() {
  const std::vector<std::string>& recent = show_.recent();
  for (size_t i = 0; i < ShowSession::RECENT_LIMIT; ++i)
    session_.settings().writeText(CONFIGURATION_FILE, recentKey(i),
                                  i < recent.size() ? recent[i] : std::string());
  rebuildRecentMenu();
}

QString ShowController::stateText() const {
  QString text;
  if (state_ == State::Online) {
    text = uiText(Text::StateOnline) + QStringLiteral(" · ") + linkName(session_.linkType()) +
           QStringLiteral(" · ") +
           identityName(session_.link().deviceInfo().deviceId.load(relaxed));
    if (session_.linkType() == LINK_NETWORK && !peerText(session_.link().state()).isEmpty())
      text += QStringLiteral(" · ") + peerText(session_.link().state());
  } else if (state_ == State::Connecting) {
    text = uiText(Text::StateConnecting) + QStringLiteral("…");
  } else {
    const QString name =
        show_.path().empty() ? uiText(Text::Untitled) : QString::fromStdString(show_.fileName());
    text = uiText(Text::StateOffline) + QStringLiteral(": ") + name;
  }
  if (outOfSync_)
    text += QStringLiteral(" · ") + uiText(Text::OutOfSync);
  return text;
}

void ShowController::updateIndicator() {
  const char* colours = outOfSync_                    ? "background:#c62828;color:white;"
                        : state_ == State::Online     ? "background:#2e7d32;color:white;"
                        : state_ == State::Connecting ? "background:#f9a825;color:black;"
                                                      : "background:#616161;color:white;";
  indicator_->setStyleSheet(QString::fromLatin1(colours) +
                            QStringLiteral("font-weight:bold;border-radius:3px;"));
  indicator_->setText(stateText());
  if (online_)
    online_->setText(withMnemonic(uiText(session_.isRunning() ? Text::GoOffline : Text::GoOnline),
                                  QLatin1Char('G')));
  indicator_->setCursor(session_.isRunning() ? Qt::ArrowCursor : Qt::PointingHandCursor);
  const QString name =
      show_.path().empty() ? uiText(Text::Untitled) : QString::fromStdString(show_.fileName());
  window_.setWindowTitle(QString::fromLatin1(MainWindow::TITLE) + QStringLiteral(" — ") + name +
                         (show_.modified() ? QStringLiteral(" *") : QString()));
}

// Only a device online has levels to show.
void ShowController::greyMeters() {
  for (LevelMeter* meter : window_.findChildren<LevelMeter*>())
    meter->setEnabled(state_ == State::Online);
}

// Levels of a device that no longer answers would freeze at their last value.
void ShowController::dropMeters() {
  for (int word = 0; word < METER_WORD_COUNT; ++word) {
    session_.table().record(IDX_METER_FIRST + word).value.store(0, relaxed);
    window_.handleNotify(Notify::ParameterChanged, IDX_METER_FIRST + word);
  }
}

std::vector<int32_t> ShowController::tableValues() const {
  std::vector<int32_t> values(PARAM_COUNT);
  for (int i = 0; i < PARAM_COUNT; ++i)
    values[static_cast<size_t>(i)] = session_.table().value(i);
  return values;
}

// The show's values into the table without marking them to send: they are the pages'
// values, not the device's.
void ShowController::loadIntoTable(const std::vector<int32_t>& values) {
  ParameterTable& table = session_.table();
  for (int i = 0; i < PARAM_COUNT && static_cast<size_t>(i) < values.size(); ++i) {
    if (!isComparedEntry(i))
      continue;
    table.record(i).value.store(values[static_cast<size_t>(i)], relaxed);
    window_.handleNotify(Notify::ParameterChanged, i);
  }
  window_.clearEditHistory();
}

void ShowController::edited() {
  show_.noteEdited(state_ == State::Online);
  updateIndicator();
}

void ShowController::linkStatus(int status) {
  if (status == LINK_LOST) {
    // The transports report the start of every search as a loss: while the worker runs it
    // is still looking for the device.
    state_ = session_.isRunning() ? State::Connecting : State::Offline;
    dropMeters();
  } else if (state_ != State::Online) {
    state_ = State::Connecting;
  }
  greyMeters();
  // Called while the worker waits, before the handshake and the full read replace the
  // table: the show is kept to be compared once the device's values are in.
  if (status == LINK_FOUND && state_ != State::Online && !snapshotTaken_ && show_.needsCompare()) {
    snapshot_ = tableValues();
    snapshotTaken_ = true;
  }
  updateIndicator();
}

void ShowController::readDone() {
  if (!session_.isRunning())
    return; // posted before the link was stopped
  if (state_ == State::Online) {
    if (outOfSync_ && !snapshot_.empty())
      outOfSync_ = !compareTables(snapshot_, tableValues()).empty();
    updateIndicator();
    return;
  }
  state_ = State::Online;
  updateIndicator();
  greyMeters();
  if (!snapshotTaken_)
    return;
  snapshotTaken_ = false;
  syncWithDevice(snapshot_);
}

void ShowController::syncWithDevice(const std::vector<int32_t>& showValues) {
  std::vector<TableDifference> diff = compareTables(showValues, tableValues());
  if (diff.empty()) {
    show_.synced(show_.modified());
    outOfSync_ = false;
    updateIndicator();
    return;
  }
  outOfSync_ = true;
  updateIndicator();
  CompareDialog dialog(std::move(diff), uiText(Text::SideFile), uiText(Text::SideDevice),
                       CompareDialog::Mode::Sync, &window_);
  const int choice = dialog.exec();
  if (choice == CompareDialog::SEND_FILE) {
    sendToDevice(showValues);
  } else if (choice == CompareDialog::TAKE_DEVICE) {
    outOfSync_ = false;
    show_.synced(!show_.path().empty());
    window_.clearEditHistory();
  } else {
    loadIntoTable(showValues);
    goOffline();
  }
  updateIndicator();
}

void ShowController::goOffline() {
  session_.stopServingEvents();
  state_ = State::Offline;
  snapshotTaken_ = false;
  dropMeters();
  greyMeters();
  window_.setLinkStopped(true);
  updateIndicator();
}

void ShowController::goOnline() {
  if (session_.isRunning())
    return;
  // Starting the worker loads the factory defaults into the table: the show is kept first,
  // to be compared with the device once its values are in.
  snapshotTaken_ = show_.needsCompare();
  if (snapshotTaken_)
    snapshot_ = tableValues();
  if (!session_.restart())
    snapshotTaken_ = false;
  window_.setLinkStopped(!session_.isRunning());
  state_ = session_.isRunning() ? State::Connecting : State::Offline;
  updateIndicator();
}

bool ShowController::eventFilter(QObject* watched, QEvent* event) {
  if (watched == indicator_ && event->type() == QEvent::MouseButtonRelease &&
      !session_.isRunning()) {
    goOnline();
    return true;
  }
  return QObject::eventFilter(watched, event);
}

// Through the import task: its progress window, its write and its read-back.
void ShowController::sendToDevice(const std::vector<int32_t>& values) {
  snapshot_ = values;
  const std::string path =
      QDir::temp().filePath(QStringLiteral("kv816-show-to-device.jib")).toStdString();
  PresetFile file(session_.settings().folders());
  file.setModelId(DEVICE_ID);
  if (file.savePreset(path, values) != PresetResult::Done) {
    window_.showMessage(MessageKind::Ok, uiText(Text::SaveFailed));
    return;
  }
  if (!session_.isConnected()) {
    window_.showMessage(MessageKind::Ok, uiText(Text::NoDevice));
    return;
  }
  session_.setPresetFileName(path);
  session_.link().taskFlags().set(TASK_IMPORT, 1);
  show_.synced(show_.modified());
  window_.clearEditHistory();
}

bool ShowController::confirmDiscard() {
  if (!show_.modified())
    return true;
  QMessageBox box(QMessageBox::Question, QString::fromLatin1(MainWindow::TITLE),
                  uiText(Text::UnsavedShow), QMessageBox::NoButton, &window_);
  QPushButton* saveButton = box.addButton(uiText(Text::Save), QMessageBox::AcceptRole);
  QPushButton* discard = box.addButton(uiText(Text::Discard), QMessageBox::DestructiveRole);
  QPushButton* cancel = box.addButton(uiText(Text::CancelButton), QMessageBox::RejectRole);
  box.setDefaultButton(saveButton);
  box.setEscapeButton(cancel);
  box.exec();
  if (box.clickedButton() == discard)
    return true;
  if (box.clickedButton() != saveButton)
    return false;
  save(show_.path().empty());
  return !show_.modified();
}

void ShowController::newShow() {
  if (!confirmDiscard())
    return;
  // Online the device's values are the new show; offline the factory's.
  if (state_ != State::Online) {
    const auto& defaults = factoryDefaults();
    loadIntoTable({defaults.begin(), defaults.end()});
  }
  show_.startUntitled();
  outOfSync_ = false;
  updateIndicator();
}

bool ShowController::openShow(const QString& path) {
  PresetFile file(session_.settings().folders());
  if (file.readPreset(path.toStdString()) != PresetResult::Done ||
      file.values().size() < static_cast<size_t>(PARAM_COUNT)) {
    window_.showMessage(MessageKind::Ok, uiText(Text::NoFiles));
    return false;
  }
  if (file.header().passwordFlag == 1) {
    window_.showMessage(MessageKind::Ok, uiText(Text::DataHasPassword));
    return false;
  }
  const std::vector<int32_t> values = file.values();
  show_.opened(QFileInfo(path).absoluteFilePath().toStdString());
  storeRecent();
  if (state_ == State::Online)
    syncWithDevice(values);
  else
    loadIntoTable(values);
  updateIndicator();
  return true;
}

bool ShowController::saveShow(const QString& path) {
  const std::string full =
      PresetFile::withExtension(QFileInfo(path).absoluteFilePath().toStdString());
  PresetFile file(session_.settings().folders());
  file.setModelId(DEVICE_ID);
  if (file.savePreset(full, tableValues()) != PresetResult::Done) {
    window_.showMessage(MessageKind::Ok, uiText(Text::SaveFailed));
    return false;
  }
  show_.saved(full);
  storeRecent();
  updateIndicator();
  return true;
}

void ShowController::save(bool askName) {
  QString path = QString::fromStdString(show_.path());
  if (askName && !chooseFile(true, path))
    return;
  if (!path.isEmpty())
    saveShow(path);
}

bool ShowController::chooseFile(bool save, QString& path) {
  QFileDialog dialog(&window_, QString(), QString(), ProgramCommands::fileFilter());
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setDefaultSuffix(QStringLiteral("jib"));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return false;
  path = dialog.selectedFiles().first();
  return !path.isEmpty();
}

void ShowController::compareWithFile(const QString& path) {
  PresetFile file(session_.settings().folders());
  if (file.readPreset(path.toStdString()) != PresetResult::Done ||
      file.header().passwordFlag == 1) {
    window_.showMessage(MessageKind::Ok, uiText(Text::NoFiles));
    return;
  }
  const QString other =
      state_ == State::Online ? uiText(Text::SideDevice) : QString::fromStdString(show_.fileName());
  CompareDialog dialog(compareTables(file.values(), tableValues()), QFileInfo(path).fileName(),
                       other.isEmpty() ? uiText(Text::Untitled) : other,
                       CompareDialog::Mode::Compare, &window_);
  dialog.exec();
}

void ShowController::compareFiles(const QString& a, const QString& b) {
  PresetFile fileA(session_.settings().folders());
  PresetFile fileB(session_.settings().folders());
  if (fileA.readPreset(a.toStdString()) != PresetResult::Done ||
      fileB.readPreset(b.toStdString()) != PresetResult::Done || fileA.header().passwordFlag == 1 ||
      fileB.header().passwordFlag == 1) {
    window_.showMessage(MessageKind::Ok, uiText(Text::NoFiles));
    return;
  }
  CompareDialog dialog(compareTables(fileA.values(), fileB.values()), QFileInfo(a).fileName(),
                       QFileInfo(b).fileName(), CompareDialog::Mode::Compare, &window_);
  dialog.exec();
}

} // namespace kv816
