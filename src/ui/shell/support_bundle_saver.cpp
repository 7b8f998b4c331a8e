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
#include <vector>

namespace kv816 {

namespace {

// What the bundle needs from the GUI thread's objects, taken before the write starts; the
// files are read on the bundle's own thread.
struct BundleInputs {
  Settings settings;
  std::string activeTrace;
  DeviceSnapshot device;
  std::vector<int32_t> values;
};

BundleInputs takeInputs(DeviceSession& session) {
  BundleInputs in{session.settings(), session.link().trace().path(), {}, {}};
  const ParameterTable& table = session.table();
  in.device = DeviceSnapshot::of(session.link().deviceInfo(), session.link().presetNames(),
                                 session.isConnected(), table.value(IDX_CURRENT_PRESET) & 0xFF);
  in.values.resize(PARAM_COUNT);
  for (int i = 0; i < PARAM_COUNT; ++i)
    in.values[static_cast<size_t>(i)] = table.value(i);
  return in;
}

void addTrace(SupportBundle& bundle, const std::string& path) {
  bundle.addFileIfPresent(path, "trace/" + std::filesystem::path(path).filename().string());
}

SupportBundle buildBundle(const BundleInputs& in) {
  SupportBundle bundle;
  const std::string logs = defaultLogFolder();
  bundle.addLogs(logs);
  addTrace(bundle, in.activeTrace);
  for (const char* program : {"kv816", "kv816ctl"}) {
    const std::string trace = traceFileFor(in.settings, program, {}, logs);
    if (trace != in.activeTrace)
      addTrace(bundle, trace);
  }
  bundle.addSettings(in.settings.folders());
  bundle.addVersions(std::string("kv816 " KV816_VERSION ", Qt ") + qVersion());
  bundle.addDevice(in.device);
  bundle.addTable(in.values, DEVICE_ID);
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
  auto inputs = std::make_shared<BundleInputs>(takeInputs(session_));
  auto result = std::make_shared<std::pair<bool, QString>>();
  thread_ = QThread::create([inputs, path, result] {
    std::string error;
    result->first = buildBundle(*inputs).write(path.toStdString(), error);
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
