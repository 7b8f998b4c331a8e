#include "ui/shell/program_commands.h"

#include "i18n/text.h"
#include "presets/preset_file.h"
#include "ui/controls/ui_text.h"
#include "ui/dialogs/preset_list_dialog.h"
#include "ui/shell/device_session.h"
#include "ui/shell/main_window.h"

#include <QFileDialog>

namespace kv816 {

ProgramCommands::ProgramCommands(MainWindow& window, DeviceSession& session)
    : QObject(&window), window_(window), session_(session) {}

QString ProgramCommands::fileFilter() {
  // The table keeps the historic "name|pattern||" form; the dialog wants the name part.
  const QString filter = uiText(Text::FileDialogFilter);
  return filter.section(QLatin1Char('|'), 0, 0);
}

bool ProgramCommands::chooseFile(bool save, QString& path) {
  // Qt's own dialog, so that its texts follow the program's language.
  // Preset files live in the preset folder; the working directory means nothing here.
  const QString folder =
      QString::fromStdString(session_.settings().folders().presetFolder.string());
  QFileDialog dialog(&window_, QString(), folder, fileFilter());
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::ReadOnly, false);
  dialog.setDefaultSuffix(QStringLiteral("jib"));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted)
    return false;
  const QStringList files = dialog.selectedFiles();
  path = files.isEmpty() ? QString() : files.first();
  return true;
}

bool ProgramCommands::refuseWhileOffline() {
  if (session_.isConnected())
    return false;
  window_.showMessage(MessageKind::Ok, uiText(Text::NoDevice));
  return true;
}

void ProgramCommands::openPresetList() {
  if (refuseWhileOffline())
    return;
  PresetListDialog dialog(
      session_.link(),
      [this](int kind, const QString& text, const QString& caption) {
        return static_cast<int>(window_.showMessage(static_cast<MessageKind>(kind), text, caption));
      },
      &window_);
  dialog.exec();
}

void ProgramCommands::importFile() {
  if (refuseWhileOffline())
    return;
  QString path;
  if (!chooseFile(false, path))
    return;
  session_.setPresetFileName(path.toStdString());
  if (path.isEmpty()) {
    window_.showMessage(MessageKind::Ok, uiText(Text::NoFiles));
    return;
  }
  // The link may have dropped while the dialog was open; a task raised now would wait
  // for the next connection. The file's values replace the table, so the history no
  // longer describes it.
  if (refuseWhileOffline())
    return;
  session_.link().taskFlags().set(TASK_IMPORT, 1);
  window_.clearEditHistory();
}

void ProgramCommands::exportFile() {
  if (refuseWhileOffline())
    return;
  QString path;
  if (!chooseFile(true, path))
    return;
  session_.setPresetFileName(path.toStdString());
  if (path.isEmpty()) {
    window_.showMessage(MessageKind::Ok, uiText(Text::NoFiles));
    return;
  }
  const std::string name = PresetFile::withExtension(path.toStdString());
  session_.setPresetFileName(name);
  const PresetFile file(session_.settings().folders());
  if (file.presetExists(name)) {
    const QString question = QString::fromStdString(name) + uiText(Text::FileExistsOverwrite);
    if (window_.showMessage(MessageKind::OkCancel, question, uiText(Text::Warning)) !=
        MessageButton::Ok)
      return;
  }
  if (refuseWhileOffline())
    return;
  session_.link().taskFlags().set(TASK_EXPORT, 1);
}

} // namespace kv816
