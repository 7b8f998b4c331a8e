#include "ui/shell/application.h"

#include "i18n/text.h"
#include "link/event_log.h"
#include "link/link.h"
#include "presets/trace_setting.h"
#include "ui/controls/ui_text.h"
#include "ui/dialogs/progress_window.h"
#include "ui/shell/app_icon.h"
#include "ui/shell/appearance.h"
#include "ui/shell/device_session.h"
#include "ui/shell/gui_api_host.h"
#include "ui/shell/gui_transport_hooks.h"
#include "ui/shell/main_window.h"
#include "ui/shell/qt_link_events.h"
#include "ui/shell/qt_translations.h"
#include "ui/shell/screenshot_run.h"
#include "ui/shell/single_instance.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>

namespace kv816 {

StartOptions parseStartOptions(const QStringList& arguments) {
  StartOptions options;
  options.demoByDefault = arguments.contains(QStringLiteral("--demo-by-default"));
  const qsizetype shots = arguments.indexOf(QStringLiteral("--screenshots"));
  if (shots >= 0 && shots + 1 < arguments.size())
    options.screenshotFolder = arguments[shots + 1];
  options.verbose = arguments.contains(QStringLiteral("--verbose"));
  const qsizetype trace = arguments.indexOf(QStringLiteral("--trace"));
  if (trace >= 0 && trace + 1 < arguments.size())
    options.traceFile = arguments[trace + 1];
  return options;
}

int localeIdOf(const QLocale& locale) {
  if (locale.language() != QLocale::Chinese)
    return 0x0409;
  switch (locale.territory()) {
  case QLocale::Taiwan:
    return 0x0404;
  case QLocale::HongKong:
    return 0x0C04;
  case QLocale::Singapore:
    return 0x1004;
  case QLocale::Macao:
    return 0x1404;
  default:
    return locale.script() == QLocale::TraditionalChineseScript ? 0x0404 : 0x0804;
  }
}

LanguageIndex startLanguage(int stored, const QLocale& system) {
  if (const auto language = languageFromNumber(stored))
    return *language;
  return languageFromLocale(localeIdOf(system));
}

namespace {

constexpr int SCREENSHOT_LINK_TIMEOUT_MS = 20000;

// The language has not been read yet, so the message is in Simplified Chinese.
int refuseSecondCopy(SingleInstance& instance) {
  instance.askFirstToRaise();
  QMessageBox box(QMessageBox::Information, QString::fromLatin1(MainWindow::TITLE),
                  uiText(Text::ProgramRunning, LanguageIndex::SimplifiedChinese), QMessageBox::Ok);
  box.exec();
  return 0;
}

void raise(MainWindow& window) {
  window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  window.show();
  window.raise();
  window.activateWindow();
}

} // namespace

int runApplication(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("kv816"));
  QApplication::setWindowIcon(applicationIcon());
  SingleInstance instance(QString::fromLatin1(MainWindow::TITLE));
  if (!instance.acquire())
    return refuseSecondCopy(instance);

  const StartOptions options = parseStartOptions(QApplication::arguments());
  DeviceSession session(SettingsFolders::forThisProgram());
  setUpAppearance(app);
  applyAppearance(savedAppearance(session.settings()));
  session.setDemoByDefault(options.demoByDefault);
  const LanguageIndex language = startLanguage(session.settings().language(), QLocale::system());
  setCurrentLanguage(language);
  installQtTranslations(language);

  MainWindow window(session);
  ProgressWindow progress(&window);
  QtLinkEvents events(window, progress);
  QObject::connect(&window, &MainWindow::aboutToStopLink, &events, &QtLinkEvents::shutDown);
  GuiTransportHooks hooks(&window, [&window](const QString& text) { window.showNotice(text); });
  QObject::connect(&window, &MainWindow::aboutToStopLink, &hooks, &GuiTransportHooks::shutDown);
  session.setTransportHooks(hooks.hooks());
  // Why the device is not reached goes to the status line, and the log.
  EventLogOptions log;
  log.verbose = options.verbose;
  startEventLog(log);
  session.link().lastFailure().setListener(
      [&hooks](const std::string& text) { hooks.notice(text); });
  const std::string trace = traceFileFor(session.settings(), "kv816",
                                         options.traceFile.toStdString(), defaultLogFolder());
  if (!trace.empty() && !session.link().trace().open(trace))
    std::fprintf(stderr, "kv816: cannot write the trace %s\n", trace.c_str());
  QObject::connect(&instance, &SingleInstance::raiseRequested, &window,
                   [&window] { raise(window); });
  window.initialise();
  session.start(events);
  if (QString error; !window.apiHost().startFromSettings(error))
    window.showNotice(error);
  window.show();
  if (!options.screenshotFolder.isEmpty())
    new ScreenshotRun(window, progress, options.screenshotFolder, SCREENSHOT_LINK_TIMEOUT_MS);
  const int code = QApplication::exec();
  events.shutDown();
  hooks.shutDown();
  session.stop();
  return code;
}

} // namespace kv816
