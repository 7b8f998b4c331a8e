#include "ui/shell/screenshot_run.h"

#include "i18n/language.h"
#include "i18n/text.h"
#include "model/channel_layout.h"
#include "model/encodings.h"
#include "model/parameter_table.h"
#include "ui/controls/ui_text.h"
#include "ui/dialogs/api_dialog.h"
#include "ui/dialogs/eq_fit_dialog.h"
#include "ui/dialogs/progress_window.h"
#include "ui/pages/channel_page.h"
#include "ui/pages/measurement_bar.h"
#include "ui/pages/page_set.h"
#include "ui/shell/device_session.h"
#include "ui/shell/gui_api_host.h"
#include "ui/shell/main_window.h"
#include "ui/shell/state_shots.h"
#include "ui/shell/tab_layout.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <cmath>

namespace kv816 {

namespace {

constexpr int POLL_MS = 200;
// Time for a language refresh and a repaint to settle before the picture is taken.
constexpr int SETTLE_MS = 400;
const char* const LANGUAGE_TAGS[3] = {"zh_CN", "zh_TW", "en"};

struct PageShot {
  int pageNumber;
  const char* name;
};
// One page of each kind: gain, delay, graphic EQ of input A, input A, output 1.
constexpr PageShot PAGE_SHOTS[] = {
    {1, "gain"}, {2, "delay"}, {3, "geq"}, {7, "input"}, {11, "output"}};

// A loudspeaker in a room as a measurement program would export it: a bass roll-off, a
// room mode at 120 Hz, a dip at 2.5 kHz and a falling top octave.
QByteArray demoMeasurement() {
  QByteArray text =
      "* Measurement data measured by REW V5.20\n* Freq(Hz), SPL(dB), Phase(degrees)\n";
  for (int i = 0; i <= 480; ++i) {
    const double f = 15.0 * std::pow(1400.0, i / 480.0);
    const double bass = -10.0 * std::log10(1.0 + std::pow(45.0 / f, 4.0));
    const double mode = 7.0 * std::exp(-std::pow(std::log2(f / 120.0) * 3.0, 2.0));
    const double dip = -5.0 * std::exp(-std::pow(std::log2(f / 2500.0) * 2.0, 2.0));
    const double top = -10.0 * std::log10(1.0 + std::pow(f / 14000.0, 4.0));
    const double ripple = 0.8 * std::sin(std::log2(f) * 9.0);
    text += QByteArray::number(f, 'f', 3) + ", " +
            QByteArray::number(86.0 + bass + mode + dip + top + ripple, 'f', 2) + ", 0\n";
  }
  return text;
}

constexpr const char* DEMO_FILTERS = "# high-pass: Linkwitz-Riley 24 dB/oct\n"
                                     "Filter 1: ON HP Fc 35 Hz\n"
                                     "Filter 2: ON PK Fc 120 Hz Gain -7.0 dB Q 2.40\n"
                                     "Filter 3: ON PK Fc 2500 Hz Gain 4.5 dB Q 1.70\n"
                                     "Filter 4: ON HSC Fc 12000 Hz Gain 3.0 dB Q 0.70\n";

bool writeFile(const QString& path, const QByteArray& bytes) {
  QSaveFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

void settle() {
  QTimer wait;
  wait.setSingleShot(true);
  QEventLoop loop;
  QObject::connect(&wait, &QTimer::timeout, &loop, &QEventLoop::quit);
  wait.start(SETTLE_MS);
  loop.exec();
}

} // namespace

ScreenshotRun::ScreenshotRun(MainWindow& window, ProgressWindow& progress, const QString& folder,
                             int timeoutMs)
    : QObject(&window), window_(window), progress_(progress), folder_(folder),
      timeoutMs_(timeoutMs) {
  connect(&window, &MainWindow::deviceReadDone, this, [this] { readDone_ = true; });
  QTimer::singleShot(POLL_MS, this, &ScreenshotRun::poll);
}

void ScreenshotRun::poll() {
  waitedMs_ += POLL_MS;
  // Saved at every poll while shown, so the picture shows the furthest state seen.
  if (!readDone_ && progress_.isVisible()) {
    QDir().mkpath(folder_);
    progress_.grab().save(QDir(folder_).filePath("kv816-progress.png"));
  }
  const bool linked = readDone_ && window_.statusText(0) == uiText(Text::LinkStatusSuccessful);
  if (!linked && waitedMs_ < timeoutMs_) {
    QTimer::singleShot(POLL_MS, this, &ScreenshotRun::poll);
    return;
  }
  QTextStream(stderr) << (linked ? "link up" : "link not up; taking the pictures anyway")
                      << Qt::endl;
  capture();
}

bool ScreenshotRun::saveLanguage(int language) {
  window_.setLanguage(static_cast<LanguageIndex>(language));
  settle();
  const QString path = QDir(folder_).filePath(
      QStringLiteral("kv816-%1.png").arg(QString::fromLatin1(LANGUAGE_TAGS[language])));
  const bool saved = window_.grab().save(path);
  QTextStream(stderr) << (saved ? "saved " : "could not save ") << path << Qt::endl;
  return saved;
}

bool ScreenshotRun::savePages() {
  window_.setLanguage(LanguageIndex::English);
  bool saved = true;
  for (const PageShot& shot : PAGE_SHOTS) {
    window_.showPageNumber(shot.pageNumber);
    settle();
    const QString path = QDir(folder_).filePath(
        QStringLiteral("kv816-en-%1.png").arg(QString::fromLatin1(shot.name)));
    const bool ok = window_.grab().save(path);
    QTextStream(stderr) << (ok ? "saved " : "could not save ") << path << Qt::endl;
    saved = ok && saved;
  }
  window_.showPageNumber(0);
  return saved;
}

// One PEQ gain edit of output 2, then the Edit menu open over the window, from the screen
// since the menu is a window of its own. The edit is undone afterwards.
bool ScreenshotRun::saveEditMenu() {
  constexpr int CHANNEL = INPUT_COUNT + 1;
  constexpr int BAND = 2;
  window_.showPageNumber(PAGE_OUTPUT_FIRST + 1);
  const int index = indexOf(ChannelFunction::PeqGain, CHANNEL, BAND);
  const int value = window_.session().table().value(index);
  window_.edits().apply({CHANNEL, ChannelFunction::PeqGain, BAND, EditSource::Page},
                        {{index, value > EQ_GAIN_ZERO ? value - 30 : value + 30}});
  settle();
  QMenu* menu = window_.menuAt(MainWindow::MENU_EDIT);
  window_.menuBar()->setActiveAction(menu->menuAction());
  settle();
  const QRect area = window_.frameGeometry().united(menu->geometry());
  const QPixmap shot =
      window_.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
  menu->hide();
  window_.undo();
  const QString path = QDir(folder_).filePath(QStringLiteral("kv816-en-edit-menu.png"));
  const bool saved = shot.save(path);
  QTextStream(stderr) << (saved ? "saved " : "could not save ") << path << Qt::endl;
  window_.showPageNumber(0);
  return saved;
}

// Output 1 with a measurement, its prediction under a few imported filters and a tilted
// target. The import is undone afterwards.
bool ScreenshotRun::saveMeasurement() {
  QTemporaryDir files;
  const QString measurement = files.filePath(QStringLiteral("measurement.txt"));
  const QString filters = files.filePath(QStringLiteral("filters.txt"));
  if (!writeFile(measurement, demoMeasurement()) || !writeFile(filters, DEMO_FILTERS))
    return false;
  window_.showPageNumber(PAGE_OUTPUT_FIRST);
  auto* page = static_cast<ChannelPage*>(window_.pages().output());
  QStringList notes;
  const bool loaded = page->importFiltersFrom(filters, notes).isEmpty() &&
                      page->measurementBar().loadMeasurement(measurement).isEmpty();
  page->measurementBar().setTilt(-0.5, 100, 10000);
  settle();
  const QString path = QDir(folder_).filePath(QStringLiteral("kv816-en-measurement.png"));
  const bool saved = loaded && window_.grab().save(path);
  QTextStream(stderr) << (saved ? "saved " : "could not save ") << path << Qt::endl;
  window_.undo();
  window_.showPageNumber(0);
  return saved;
}

// The EQ fit dialog over output 1's measurement and target, after its first fit; closed
// with Cancel, so nothing changes.
bool ScreenshotRun::saveEqFit() {
  constexpr int FIT_WAITS = 25;
  window_.showPageNumber(PAGE_OUTPUT_FIRST);
  auto* page = static_cast<ChannelPage*>(window_.pages().output());
  auto* fit = page->measurementBar().findChild<QPushButton*>(QStringLiteral("fitButton"));
  if (fit)
    fit->click();
  auto* dialog = page->findChild<EqFitDialog*>(QStringLiteral("eqFitDialog"));
  for (int i = 0; dialog && dialog->busy() && i < FIT_WAITS; ++i)
    settle();
  settle();
  const QString path = QDir(folder_).filePath(QStringLiteral("kv816-en-autoeq.png"));
  const bool saved = dialog && !dialog->busy() && dialog->grab().save(path);
  QTextStream(stderr) << (saved ? "saved " : "could not save ") << path << Qt::endl;
  if (dialog)
    dialog->reject();
  window_.showPageNumber(0);
  return saved;
}

// Remote -> API serving on loopback with OSC; the server stops again afterwards.
bool ScreenshotRun::saveApiDialog() {
  window_.setLanguage(LanguageIndex::English);
  settle();
  ApiDialog dialog(window_.apiHost(), window_.session().settings(), &window_);
  dialog.enableBox().setChecked(true);
  dialog.oscBox().setChecked(true);
  dialog.show();
  const bool serving = dialog.apply();
  settle();
  const QString path = QDir(folder_).filePath(QStringLiteral("kv816-en-api-dialog.png"));
  const bool saved = serving && dialog.grab().save(path);
  QTextStream(stderr) << (saved ? "saved " : "could not save ") << path << Qt::endl;
  window_.apiHost().stop();
  return saved;
}

void ScreenshotRun::capture() {
  QDir().mkpath(folder_);
  const LanguageIndex original = currentLanguage();
  bool saved = true;
  for (int language = 0; language < 3; ++language)
    saved = saveLanguage(language) && saved;
  saved = savePages() && saved;
  saved = saveEditMenu() && saved;
  saved = saveMeasurement() && saved;
  saved = saveStateShots(window_, folder_) && saved;
  saved = saveEqFit() && saved;
  saved = saveApiDialog() && saved;
  window_.setLanguage(original);
  settle();
  window_.closeWithoutAsking();
  QApplication::exit(saved ? 0 : 1);
}

} // namespace kv816
