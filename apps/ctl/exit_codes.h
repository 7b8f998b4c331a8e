#pragma once
// kv816ctl's exit codes.

namespace kv816 {

enum ExitCode : int {
  EXIT_OK = 0,
  EXIT_USAGE = 1, // bad command line, parameter name or value
  EXIT_LINK = 2,  // no device, no answer, or the device refused
  EXIT_FILE = 3,  // a file could not be read or written, or was refused
};

} // namespace kv816
