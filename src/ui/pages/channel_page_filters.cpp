// The channel page's filter text export and import, its measurement bar and the EQ fit.

#include "ui/pages/channel_page.h"

#include "model/parameter_table.h"
#include "presets/filter_text_import.h"
#include "ui/controls/response_graph.h"
#include "ui/controls/ui_text.h"
#include "ui/dialogs/eq_fit_dialog.h"
#include "ui/dialogs/message_box.h"
#include "ui/pages/measurement_bar.h"

#include <QFile>
#include <QFileDialog>
#include <QSaveFile>

namespace kv816 {

namespace {

const QString APO_FILTER = QStringLiteral("Equalizer APO (*.txt)");
const QString REW_FILTER = QStringLiteral("REW (*.txt)");

QString noteLine(const FilterTextNote& note) {
  const QString kind = QString::fromUtf8(noteKindName(note.kind).data());
  const QString text = QString::fromStdString(note.text);
  return note.line > 0 ? QStringLiteral("%1: %2: %3").arg(note.line).arg(kind, text)
                       : QStringLiteral("%1: %2").arg(kind, text);
}

} // namespace

void ChannelPage::createMeasurementBar() {
  measurementBar_ = new MeasurementBar(this);
  measurementBar_->setObjectName(QStringLiteral("measurementBar"));
  connect(measurementBar_, &MeasurementBar::overlayChanged, this,
          [this](const GraphOverlay& overlay) { graph_->setOverlay(overlay); });
  connect(measurementBar_, &MeasurementBar::exportFiltersRequested, this,
          &ChannelPage::onExportFilters);
  connect(measurementBar_, &MeasurementBar::importFiltersRequested, this,
          &ChannelPage::onImportFilters);
  connect(measurementBar_, &MeasurementBar::fitRequested, this, &ChannelPage::onFit);
}

QString ChannelPage::exportFiltersTo(const QString& path, FilterTextFormat format) const {
  std::vector<int32_t> values(PARAM_COUNT);
  for (int i = 0; i < PARAM_COUNT; ++i)
    values[static_cast<size_t>(i)] = table_.value(i);
  const std::string text = exportFilterText(values, channel(), format);
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(text.data(), static_cast<qint64>(text.size())) !=
          static_cast<qint64>(text.size()) ||
      !file.commit())
    return file.errorString();
  return {};
}

QString ChannelPage::importFiltersFrom(const QString& path, QStringList& notes) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return file.errorString();
  if (static_cast<size_t>(file.size()) > FILTER_TEXT_MAX_BYTES)
    return QStringLiteral("the file is larger than 10 MB");
  const QByteArray bytes = file.readAll();
  const FilterTextImport in = importFilterText(
      std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), channel());
  if (!in.error.empty())
    return QString::fromStdString(in.error);
  for (const FilterTextNote& note : in.notes)
    notes << noteLine(note);
  // One undo step; linked channels follow as they follow any edit of this page.
  edits_.apply({channel(), std::nullopt, -1, EditSource::FilterText}, in.edits);
  return {};
}

void ChannelPage::onExportFilters() {
  QString chosen;
  const QString path =
      QFileDialog::getSaveFileName(this, uiText(Text::ExportFilters), {},
                                   APO_FILTER + QStringLiteral(";;") + REW_FILTER, &chosen);
  if (path.isEmpty())
    return;
  const FilterTextFormat format =
      chosen == REW_FILTER ? FilterTextFormat::Rew : FilterTextFormat::EqualizerApo;
  const QString error = exportFiltersTo(path, format);
  if (!error.isEmpty())
    showMessageBox(this, MessageKind::Ok, error, uiText(Text::ExportFilters));
}

void ChannelPage::onImportFilters() {
  const QString path = QFileDialog::getOpenFileName(this, uiText(Text::ImportFilters), {},
                                                    uiText(Text::FilterTextFiles));
  if (path.isEmpty())
    return;
  QStringList notes;
  const QString error = importFiltersFrom(path, notes);
  if (!error.isEmpty()) {
    showMessageBox(this, MessageKind::Ok, uiText(Text::FileNotRead) + QStringLiteral("\n") + error,
                   uiText(Text::ImportFilters));
    return;
  }
  if (!notes.isEmpty())
    showMessageBox(this, MessageKind::Ok, notes.join(QLatin1Char('\n')),
                   uiText(Text::ImportedFilters));
}

// Window-modal: the window waits for Apply or Cancel while the link carries on.
void ChannelPage::onFit() {
  auto* dialog = new EqFitDialog(table_, edits_, channel(), measurementBar_->overlay(), this);
  dialog->setObjectName(QStringLiteral("eqFitDialog"));
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->open();
}

} // namespace kv816
