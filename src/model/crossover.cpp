#include "model/crossover.h"

#include <cstddef>

namespace kv816 {

int crossoverCode(int position, bool highPass) {
  if (position < 0 || position >= CROSSOVER_TYPE_COUNT)
    return 0;
  const int code = CROSSOVER_HIGH_PASS_CODES[static_cast<std::size_t>(position)];
  return highPass ? code : code + 1;
}

int crossoverPosition(int32_t code) {
  const int32_t highPassCode = code & ~1;
  for (int position = 0; position < CROSSOVER_TYPE_COUNT; ++position) {
    if (CROSSOVER_HIGH_PASS_CODES[static_cast<std::size_t>(position)] == highPassCode)
      return position;
  }
  return 0;
}

} // namespace kv816
