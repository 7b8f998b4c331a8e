// The KV816 Control desktop program.

#include <cstdio>
#include <string_view>

#include "ui/shell/application.h"

namespace {

// Printed before Qt starts, so that --help works without a display. Keep it in step with
// parseStartOptions.
const char* const USAGE = R"(kv816 - set up a KV816 digital loudspeaker processor
Usage: kv816 [OPTIONS]

Options:
  -h,--help                   Print this help message and exit
  --demo-by-default           Use the simulated device when Configuration.ini names no link
  --screenshots DIR           Once the link is up, save the window in each language and
                              each kind of page in English as PNGs in DIR, then exit
  --verbose                   Log debug lines too, and show the log on standard error
  --trace FILE                Record every frame to and from the device in FILE

Qt's own options (-platform, -style, ...) are accepted too. The link, its settings and
the language are read from Configuration.ini and Language.ini (section [kv816]).
)";

bool asksForHelp(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help" || argument == "-h")
      return true;
  }
  return false;
}

} // namespace

int main(int argc, char** argv) {
  if (asksForHelp(argc, argv)) {
    std::fputs(USAGE, stdout);
    return 0;
  }
  return kv816::runApplication(argc, argv);
}
