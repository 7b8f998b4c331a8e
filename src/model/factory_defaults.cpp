#include "model/factory_defaults.h"

namespace kv816 {
// Placeholder until the layout provides the table.
const std::array<int32_t, PARAM_COUNT>& factoryDefaults() {
  static const std::array<int32_t, PARAM_COUNT> table{};
  return table;
}
} // namespace kv816
