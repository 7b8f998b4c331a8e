#include "ui/shell/support_bundle_saver.h"

#include "i18n/text.h"
#include "link/event_log.h"
#include "model/parameter_table.h"
#include "presets/support_bundle.h"
#include "presets/trace_setting.h"
#include "ui/controls/ui_text.h"
#include "ui/shell/device_session.h"
#include "ui/shell/main_window.h"
#include "ui/shell/mnemonic.h"

#include <QAction>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QStandardPaths>
#include <QThread>
#include <QtGlobal>

#include <utility>

#include <memory>

namespace kv816 {

namespace {

// Everything the bundle needs that lives on the GUI thread, taken before the write starts.
std::shared_ptr<SupportBundle> gather(DeviceSession& session) {
  auto bundle = std::make_shared<SupportBundle>();
  const std::string logs = defaultLogFolder();
  bundle->addLogs(logs);
  const std::string active = session.link().trace().path();
  bundle->addFileIfPresent(active, "trace/" + std::filesystem::path(active).filename().string());
  for (const char* program : {"kv816", "kv816ctl"}) {
    const std::string trace = traceFileFor(session.settings(), program, {}, logs);
    if (trace != active)
      bundle->addFileIfPresent(trace, "trace/" + std::filesystem::path(trace).filename().string());
  }
  bundle->addSettings(session.settings().folders());
  bundle->addVersions(std::string("kv816 " KV816_VERSION ", Qt ") + qVersion());
  const ParameterTable& table = session.table();
  bundle->addDevice(DeviceSnapshot::of(session.link().deviceInfo(), session.link().presetNames(),
                                       session.isConnected(),
                                       table.value(IDX_CURRENT_PRESET) & 0xFF));
  std::vector<int32_t> values(PARAM_COUNT);
  for (int i = 0; i < PARAM_COUNT; ++i)
    values[static_cast<size_t>(i)] = table.value(i);
  bundle->addTable(values, DEVICE_ID);
  return bundle;
}

} // namespace

SupportBundleSaver::SupportBundleSaver(MainWindow& window, DeviceSession& session)
    : QObject(&window), window_(window), session_(session) {
  connect(this, &SupportBundleSaver::finished, this, &SupportBundleSaver::report);
}

SupportBundleSaver::~SupportBundleSaver() {
  if (thread_)
    thread_->wait();
}

void SupportBundleSaver::buildMenu() {
  menu_ = window_.menuBar()->addMenu(QString());
  action_ = menu_->addAction(QString(), this, [this] { askAndSave(); });
  relabel();
}

void SupportBundleSaver::relabel() {
  if (!menu_)
    return;
  menu_->setTitle(withMnemonic(uiText(Text::MenuHelp), QLatin1Char('H')));
  action_->setText(withMnemonic(uiText(Text::SaveSupportBundle), QLatin1Char('S')));
}

QString SupportBundleSaver::defaultPath() const {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (folder.isEmpty() || !QDir(folder).exists())
    folder = QString::fromStdString(session_.settings().folders().presetFolder.string());
  const QString name = QStringLiteral("kv816-support-%1.zip")
                           .arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
  return QDir(folder).filePath(name);
}

void SupportBundleSaver::askAndSave() {
  QFileDialog dialog(&window_, uiText(Text::SaveSupportBundle), defaultPath(),
                     QStringLiteral("Zip (*.zip)"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("zip"));
  dialog.selectFile(defaultPath());
  if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
    save(dialog.selectedFiles().constFirst());
}

void SupportBundleSaver::save(const QString& path) {
  if (thread_)
    return;
  action_->setEnabled(false);
  std::shared_ptr<SupportBundle> bundle = gather(session_);
  auto result = std::make_shared<std::pair<bool, QString>>();
  thread_ = QThread::create([bundle, path, result] {
    std::string error;
    result->first = bundle->write(path.toStdString(), error);
    result->second = result->first ? path : QString::fromStdString(error);
  });
  connect(thread_, &QThread::finished, this, [this, result] {
    thread_->deleteLater();
    thread_ = nullptr;
    emit finished(result->first, result->second);
  });
  thread_->start();
}

void SupportBundleSaver::report(bool ok, const QString& text) {
  action_->setEnabled(true);
  logInfo(ok ? "support bundle saved: " + text.toStdString()
             : "support bundle not saved: " + text.toStdString());
  window_.showMessage(MessageKind::Ok,
                      uiText(ok ? Text::SupportBundleSaved : Text::SupportBundleFailed) +
                          QLatin1Char('\n') + text);
}

} // namespace kv816
