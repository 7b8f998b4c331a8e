#include "ui/shell/screenshot_run.h"

#include "i18n/language.h"
#include "i18n/text.h"
#include "model/channel_layout.h"
#include "model/encodings.h"
#include "model/parameter_table.h"
#include "ui/controls/ui_text.h"
#include "ui/dialogs/progress_window.h"
#include "ui/shell/device_session.h"
#include "ui/shell/main_window.h"
#include "ui/shell/tab_layout.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <QTextStream>
#include <QTimer>

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

void ScreenshotRun::capture() {
  QDir().mkpath(folder_);
  const LanguageIndex original = currentLanguage();
  bool saved = true;
  for (int language = 0; language < 3; ++language)
    saved = saveLanguage(language) && saved;
  saved = savePages() && saved;
  saved = saveEditMenu() && saved;
  window_.setLanguage(original);
  settle();
  window_.closeWithoutAsking();
  QApplication::exit(saved ? 0 : 1);
}

} // namespace kv816
