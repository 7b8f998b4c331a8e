// The KV816 Control desktop program.

#include "ui/shell/application.h"

int main(int argc, char** argv) {
  return kv816::runApplication(argc, argv);
}
