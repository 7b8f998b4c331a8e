#include <CLI/CLI.hpp>

#include "ctl/response_command.h"

int main(int argc, char** argv) {
  CLI::App app{"kv816ctl - control a KV816 loudspeaker processor from the terminal"};
  kv816::addResponseCommand(app);
  CLI11_PARSE(app, argc, argv);
  return 0;
}
