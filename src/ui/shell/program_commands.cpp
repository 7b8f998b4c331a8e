#include "ui/shell/program_commands.h"

#include "i18n/text.h"
#include "presets/preset_file.h"
#include "ui/controls/ui_text.h"
#include "ui/dialogs/preset_list_dialog.h"
#include "ui/shell/device_session.h"
#include "ui/shell/main_window.h"

#include <QFileDialog>

namespace kv816 {

namespace {} // namespace

ProgramCommands::ProgramCommands(MainWindow& window, DeviceSession& session)
    : QObject(&window), window_(window), session_(session) {}

QString ProgramCommands::fileFilter() {
  // The table keeps the historic "name|pattern||" form; the dialog wants the name part.
  const QString filter = uiText(Text::FileDialogFilter);
  return filter.section(QLatin1Char('|'), 0, 0);
}

bool ProgramCommands::chooseFile(bool save, QString& path) {
  // Qt's own dialog, so that its texts follow the program's language.
  QFileDialog dialog(nullptr, QString(), QString(), fileFilter());
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

void ProgramCommands::openPresetList() {
  PresetListDialog dialog(
      session_.link(),
      [this](int kind, const QString& text, const QString& caption) {
        return static_cast<int>(window_.showMessage(static_cast<MessageKind>(kind), text, caption));
      },
      &window_);
  dialog.exec();
}

void ProgramCommands::importFile() {
  QString path;
  if (!chooseFile(false, path))
    return;
  session_.setPresetFileName(path.toStdString());
  if (path.isEmpty()) {
    window_.showMessage(MessageKind::Ok, uiText(Text::NoFiles));
    return;
  }
  // No link check here: the import task reports a missing device itself. The file's
  // values replace the table, so the history no longer describes it.
  session_.link().taskFlags().set(TASK_IMPORT, 1);
  window_.clearEditHistory();
}

void ProgramCommands::exportFile() {
  if (!session_.isConnected()) {
    window_.showMessage(MessageKind::Ok, uiText(Text::NoDevice));
    return;
  }
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
  session_.link().taskFlags().set(TASK_EXPORT, 1);
}

} // namespace kv816
