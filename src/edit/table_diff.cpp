#include "edit/table_diff.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "edit/param_names.h"
#include "edit/param_values.h"
#include "model/channel_layout.h"
#include "model/parameter_table.h"

namespace kv816 {

namespace {

// Words the device keeps for itself or that a file never sets there.
constexpr std::array<int, 5> DEVICE_HELD = {1162, 1163, IDX_CURRENT_PRESET, IDX_PRESET_CONTROL,
                                            IDX_HOST_ALIVE};
// The table's last entry is not part of what a file applies.
constexpr int LAST_COMPARED = PARAM_COUNT - 2;

struct LabelPart {
  std::string_view key;
  std::string_view label;
};

// Parts whose label is more than the name with a capital letter.
constexpr std::array<LabelPart, 6> PARTS = {{
    {"geqbypass", "GEQ bypass"},
    {"peqbypass", "PEQ bypass"},
    {"noisegate", "Noise gate"},
    {"comp", "Comp"},
    {"hpf", "HPF"},
    {"lpf", "LPF"},
}};

std::string partLabel(std::string_view part) {
  for (const LabelPart& p : PARTS)
    if (p.key == part)
      return std::string(p.label);
  for (std::string_view band : {"peq", "geq"}) {
    if (part.substr(0, band.size()) == band && part.size() > band.size()) {
      std::string label(band);
      std::transform(label.begin(), label.end(), label.begin(),
                     [](char c) { return static_cast<char>(std::toupper(c)); });
      return label + " " + std::string(part.substr(band.size()));
    }
  }
  std::string label(part);
  if (!label.empty())
    label[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(label[0])));
  return label;
}

int sortKey(int channel) {
  return channel < 0 ? CHANNEL_COUNT : channel;
}

std::string csvField(std::string_view text) {
  if (text.find_first_of(",\"\n") == std::string_view::npos)
    return std::string(text);
  std::string out = "\"";
  for (char c : text) {
    if (c == '"')
      out += '"';
    out += c;
  }
  return out + "\"";
}

TableDifference describe(int index, int aRaw, int bRaw) {
  TableDifference d;
  d.index = index;
  d.channel = locateIndex(index).channel;
  const std::string name = paramName(index);
  const size_t dot = name.find('.');
  d.channelName = d.channel < 0 ? "device" : name.substr(0, dot);
  d.function = d.channel < 0 ? name : name.substr(dot + 1);
  const ValueKind kind = paramOfIndex(index).kind;
  d.aRaw = aRaw;
  d.bRaw = bRaw;
  d.a = formatParamValue(kind, aRaw);
  d.b = formatParamValue(kind, bRaw);
  return d;
}

} // namespace

bool isComparedEntry(int index) {
  if (index <= IDX_DEVICE_ID || index > LAST_COMPARED)
    return false;
  if (index >= IDX_METER_FIRST && index < IDX_METER_FIRST + METER_WORD_COUNT)
    return false;
  return std::find(DEVICE_HELD.begin(), DEVICE_HELD.end(), index) == DEVICE_HELD.end();
}

std::vector<TableDifference> compareTables(std::span<const int32_t> a, std::span<const int32_t> b) {
  std::vector<TableDifference> out;
  for (int i = 0; i < PARAM_COUNT; ++i) {
    if (!isComparedEntry(i))
      continue;
    const size_t at = static_cast<size_t>(i);
    const int va = at < a.size() ? a[at] & 0xFFFF : 0;
    const int vb = at < b.size() ? b[at] & 0xFFFF : 0;
    if (va != vb)
      out.push_back(describe(i, va, vb));
  }
  std::stable_sort(out.begin(), out.end(), [](const TableDifference& x, const TableDifference& y) {
    return sortKey(x.channel) < sortKey(y.channel);
  });
  return out;
}

std::string channelLabel(const TableDifference& d) {
  if (d.channel < 0)
    return "Device";
  return isInput(d.channel) ? "IN " + std::to_string(d.channel + 1)
                            : "OUT " + std::to_string(d.channel - INPUT_COUNT + 1);
}

std::string functionLabel(const TableDifference& d) {
  if (d.channel < 0)
    return "Entry " + std::to_string(d.index);
  std::string label;
  std::string_view rest = d.function;
  while (!rest.empty()) {
    const size_t dot = rest.find('.');
    if (!label.empty())
      label += " · ";
    label += partLabel(rest.substr(0, dot));
    rest = dot == std::string_view::npos ? std::string_view() : rest.substr(dot + 1);
  }
  return label;
}

std::string differenceLine(const TableDifference& d, std::string_view aName,
                           std::string_view bName) {
  return channelLabel(d) + " · " + functionLabel(d) + " — " + std::string(aName) + " " + d.a +
         ", " + std::string(bName) + " " + d.b;
}

std::string differencesCsv(const std::vector<TableDifference>& differences, std::string_view aName,
                           std::string_view bName) {
  const std::string a(aName);
  const std::string b(bName);
  std::string csv = "index,channel,function," + csvField(a + "_raw") + "," + csvField(b + "_raw") +
                    "," + csvField(a) + "," + csvField(b) + "\n";
  for (const TableDifference& d : differences) {
    csv += std::to_string(d.index) + "," + csvField(channelLabel(d)) + "," +
           csvField(functionLabel(d)) + "," + std::to_string(d.aRaw) + "," +
           std::to_string(d.bRaw) + "," + csvField(d.a) + "," + csvField(d.b) + "\n";
  }
  return csv;
}

} // namespace kv816
