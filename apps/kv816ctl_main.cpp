// kv816ctl: the device link and preset files from a terminal. Exit codes: 0 done, 1 usage,
// 2 link (no device, no answer, refused), 3 file.

#include <CLI/CLI.hpp>

#include "ctl/autoeq_command.h"
#include "ctl/ctl_context.h"
#include "ctl/doctor_command.h"
#include "ctl/exit_codes.h"
#include "ctl/response_command.h"
#include "ctl/serve_command.h"
#include "ctl/support_bundle_command.h"
#include "i18n/language.h"

namespace {

const char* const NAMING_HELP =
    R"(Parameters: CHANNEL.FUNCTION with CHANNEL in1..in4 (inA..inD) or out1..out8:
  mute phase gain delay peqbypass link       every channel
  geqbypass noisegate geqN.type|freq|gain|q  inputs (N = 1..31)
  routing comp.ratio|attack|release|threshold hpf.type|freq lpf.type|freq  outputs
  peqK.type|freq|gain|q                      every channel (K = 1..10)
  idxN or #N                                 any entry by index, raw
Values in engineering units (-3.5dB, 1k, 57.3Hz, 2.4ms, 1.41, 4:1, on/off, ABD, OFF,
bypass/peq/hs/ls, bessel12..lr48) or raw:N. A crossover frequency OFF is the off
position the channel page writes (19Hz high-pass, 20001Hz low-pass); OFF:F keeps another
off frequency F exactly (the factory OFF:10Hz and OFF:20600Hz). Compressor ratio, attack
and release take only the values the compressor controls list; threshold whole dBu.
A word no control produces prints as raw:N; whatever get or dump prints, set accepts.
Exit codes: 0 done, 1 usage, 2 link (no device, no answer, refused), 3 file.)";

} // namespace

int main(int argc, char** argv) {
  using namespace kv816;
  CLI::App app{"kv816ctl - control a KV816 loudspeaker processor from the terminal"};
  app.footer(NAMING_HELP);
  app.require_subcommand(1);
  CtlContext context;
  std::string lang = "en";
  app.add_option("--lang", lang, "Language of the messages: en, zh-CN or zh-TW")
      ->check(CLI::IsMember({"en", "zh-CN", "zh-TW"}));
  addConnectionOptions(app, context.connection);
  addDeviceCommands(app, context);
  addPresetCommands(app, context);
  addWifiCommands(app, context);
  addJibCommands(app, context);
  addPeqCommands(app, context);
  addAutoEqCommand(app, context);
  addResponseCommand(app);
  addServeCommand(app, context);
  addDoctorCommand(app, context);
  addSupportBundleCommand(app, context);
  try {
    app.parse(argc, argv);
  } catch (const CLI::RuntimeError& e) {
    // A command that runs while parsing has said what failed; keep its exit code.
    return e.get_exit_code();
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? EXIT_OK : EXIT_USAGE;
  }
  setCurrentLanguage(lang == "zh-CN"   ? LanguageIndex::SimplifiedChinese
                     : lang == "zh-TW" ? LanguageIndex::TraditionalChinese
                                       : LanguageIndex::English);
  return context.run ? context.run() : EXIT_OK;
}
