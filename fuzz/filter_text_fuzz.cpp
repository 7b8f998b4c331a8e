// Fuzzes the filter text reader: any bytes give edits inside the chosen channel's block
// and header, or a refusal with no edits. Whatever was imported exports and imports again
// to the same words, without a note.
//
// Input layout: byte 0 picks the channel, the rest is the text.

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "model/channel_layout.h"
#include "model/parameter_table.h"
#include "presets/filter_text_export.h"
#include "presets/filter_text_import.h"

using namespace kv816;
using fuzz::check;

namespace {

std::vector<int32_t> defaultValues() {
  auto table = std::make_unique<ParameterTable>();
  table->loadDefaults();
  std::vector<int32_t> values(PARAM_COUNT);
  for (int i = 0; i < PARAM_COUNT; ++i)
    values[static_cast<size_t>(i)] = table->value(i);
  return values;
}

void apply(std::vector<int32_t>& values, const FilterTextImport& in, int channel) {
  for (const ParameterEdit& e : in.edits) {
    check(e.index >= blockStart(channel) && e.index <= blockEnd(channel));
    check(e.value >= 0 && e.value <= 0xFFFF);
    values[static_cast<size_t>(e.index)] = e.value;
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  static const std::vector<int32_t> defaults = defaultValues();
  const int channel = data[0] % CHANNEL_COUNT;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  const FilterTextImport first = importFilterText(text, channel);
  if (!first.error.empty()) {
    check(first.edits.empty());
    return 0;
  }
  std::vector<int32_t> once = defaults;
  apply(once, first, channel);
  const std::string exported = exportFilterText(once, channel, FilterTextFormat::EqualizerApo);
  const FilterTextImport second = importFilterText(exported, channel);
  check(second.error.empty());
  std::vector<int32_t> twice = defaults;
  apply(twice, second, channel);
  check(twice == once);
  for (const FilterTextNote& n : second.notes)
    check(n.line == 0);
  return 0;
}
