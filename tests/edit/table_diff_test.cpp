// Comparing two tables: exactly the changed entries, labelled by channel and function.

#include <gtest/gtest.h>

#include <vector>

#include "edit/param_names.h"
#include "edit/param_values.h"
#include "edit/table_diff.h"
#include "model/factory_defaults.h"
#include "model/parameter_table.h"

namespace kv816 {
namespace {

std::vector<int32_t> defaults() {
  const auto& d = factoryDefaults();
  return {d.begin(), d.end()};
}

void setNamed(std::vector<int32_t>& table, const char* name, const char* value) {
  const std::optional<ParamRef> ref = parseParamName(name);
  ASSERT_TRUE(ref) << name;
  const ParsedValue parsed = parseParamValue(ref->kind, value);
  ASSERT_TRUE(parsed.raw) << name << "=" << value << ": " << parsed.error;
  table[static_cast<size_t>(ref->index)] = *parsed.raw;
}

TEST(TableDiff, ListsExactlyTheChangedEntriesGroupedByChannel) {
  const struct {
    const char* name;
    const char* value;
    const char* line;
  } changes[] = {
      {"in1.mute", "on", "IN 1 · Mute — file on, device off"},
      {"in3.geq12.gain", "2.5dB", "IN 3 · GEQ 12 · Gain — file 2.5dB, device 0.0dB"},
      {"out1.routing", "ABD", "OUT 1 · Routing — file ABD, device "},
      {"out2.peq3.gain", "-3dB", "OUT 2 · PEQ 3 · Gain — file -3.0dB, device 0.0dB"},
      {"out8.comp.ratio", "4:1", "OUT 8 · Comp · Ratio — file "},
      {"out8.hpf.freq", "80Hz", "OUT 8 · HPF · Freq — file 80"},
  };
  std::vector<int32_t> file = defaults();
  // Set in another order than the table's, to see the grouping.
  for (int i = 5; i >= 0; --i)
    setNamed(file, changes[i].name, changes[i].value);
  const std::vector<TableDifference> diff = compareTables(file, defaults());
  ASSERT_EQ(diff.size(), std::size(changes));
  for (size_t i = 0; i < diff.size(); ++i) {
    SCOPED_TRACE(changes[i].name);
    EXPECT_EQ(diff[i].channelName + "." + diff[i].function, changes[i].name);
    EXPECT_EQ(differenceLine(diff[i], "file", "device").rfind(changes[i].line, 0), 0u)
        << differenceLine(diff[i], "file", "device");
    EXPECT_EQ(diff[i].aRaw, file[static_cast<size_t>(diff[i].index)] & 0xFFFF);
  }
}

TEST(TableDiff, WordsTheDeviceKeepsOrTheFileNeverSetsAreNotDifferences) {
  std::vector<int32_t> file = defaults();
  for (int index : {IDX_DEVICE_ID, IDX_METER_FIRST, IDX_METER_FIRST + 5, 1162, 1163,
                    IDX_CURRENT_PRESET, IDX_PRESET_CONTROL, IDX_HOST_ALIVE, PARAM_COUNT - 1})
    file[static_cast<size_t>(index)] += 7;
  EXPECT_TRUE(compareTables(file, defaults()).empty());
  // A device-wide word the file does set is compared, after every channel.
  file[1150] += 1;
  setNamed(file, "out8.mute", "on");
  const std::vector<TableDifference> diff = compareTables(file, defaults());
  ASSERT_EQ(diff.size(), 2u);
  EXPECT_EQ(differenceLine(diff[1], "a", "b"), "Device · Entry 1150 — a 361, b 360");
  // Only the low 16 bits are a parameter word; a shorter table reads as zeros.
  std::vector<int32_t> wide = defaults();
  wide[100] |= 0x10000;
  EXPECT_TRUE(compareTables(wide, defaults()).empty());
  std::vector<int32_t> shortTable = defaults();
  shortTable.resize(500);
  EXPECT_FALSE(compareTables(shortTable, defaults()).empty());
}

TEST(TableDiff, CsvQuotesFieldsThatNeedIt) {
  std::vector<int32_t> file = defaults();
  setNamed(file, "out1.routing", "AB");
  const std::string csv = differencesCsv(compareTables(file, defaults()), "show,1", "device");
  EXPECT_EQ(csv, "index,channel,function,\"show,1_raw\",device_raw,\"show,1\",device\n"
                 "707,OUT 1,Routing," +
                     std::to_string(file[707]) + "," + std::to_string(defaults()[707]) + ",AB," +
                     formatParamValue(ValueKind::Routing, defaults()[707]) + "\n");
}

} // namespace
} // namespace kv816
