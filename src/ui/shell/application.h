#pragma once
// Starts the desktop program: one copy per user, the language, the main window, the
// progress window and the connection worker. GUI thread only.

#include "i18n/language.h"

#include <QLocale>
#include <QStringList>

namespace kv816 {

struct StartOptions {
  // Run the simulated device in-process when Configuration.ini names no link and no
  // DemoDevice setting (./run passes this).
  bool demoByDefault = false;
  // Save PNGs of the main window in each language into this folder, then quit.
  QString screenshotFolder;
  // Debug lines in the log file, and the log on standard error.
  bool verbose = false;
  // Record every frame to and from the device in this file (wins over TraceEnabled and
  // TraceFile in Configuration.ini).
  QString traceFile;
};

// Parses the program's arguments ("--demo-by-default", "--screenshots DIR", "--verbose",
// "--trace FILE"); unknown ones are ignored.
StartOptions parseStartOptions(const QStringList& arguments);

// The platform locale number of a Qt locale: 0x0804 mainland Chinese, 0x0404 Taiwan,
// 0x0C04 Hong Kong, 0x1004 Singapore, 0x1404 Macao, 0x0409 for everything else.
int localeIdOf(const QLocale& locale);

// Language.ini's choice when it holds 0..2, else the one of the system locale.
LanguageIndex startLanguage(int stored, const QLocale& system);

// Runs the program until its main window closes; returns the exit code. A second copy
// raises the first one's window, shows "The Program is Running!" and returns 0.
int runApplication(int argc, char** argv);

} // namespace kv816
