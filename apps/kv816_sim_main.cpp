#include <CLI/CLI.hpp>

int main(int argc, char** argv) {
  CLI::App app{"kv816-sim - a simulated KV816 processor"};
  CLI11_PARSE(app, argc, argv);
  return 0;
}
