#include <CLI/CLI.hpp>

int main(int argc, char** argv) {
  CLI::App app{"kv816ctl - control a KV816 loudspeaker processor from the terminal"};
  CLI11_PARSE(app, argc, argv);
  return 0;
}
