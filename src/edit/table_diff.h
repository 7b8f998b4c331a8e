#pragma once
// Two parameter tables side by side (a show file and the device, or two files): every
// entry that a show file carries to the device and that differs, grouped by channel, with
// the value of each side in engineering units. Pure functions; any thread.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kv816 {

struct TableDifference {
  int index = 0;
  int channel = -1;        // 0..11; -1 for a device-wide entry
  std::string channelName; // "out2"; "device" for a device-wide entry
  std::string function;    // "peq3.gain", "mute"; "idx1150" for a device-wide entry
  int aRaw = 0;            // the parameter words
  int bRaw = 0;
  std::string a; // "-3.0dB" (the text `set` takes back)
  std::string b;
};

// Whether a show file's value for the entry reaches the device and stays there: not the
// identity, meters or keep-alive word, nor the device-held and preset-control words.
bool isComparedEntry(int index);

// The compared entries in which `a` and `b` differ (words compared as 16 bits; an entry
// missing from a shorter side counts as 0), inputs first, then outputs, then device-wide
// entries, each channel in index order.
std::vector<TableDifference> compareTables(std::span<const int32_t> a, std::span<const int32_t> b);

// For people: "OUT 2", "IN 1", "Device"; "PEQ 3 · Gain", "Comp · Ratio", "Entry 1150".
std::string channelLabel(const TableDifference& difference);
std::string functionLabel(const TableDifference& difference);
// "OUT 2 · PEQ 3 · Gain — file -3.0dB, device 0.0dB" with the two sides' names.
std::string differenceLine(const TableDifference& difference, std::string_view aName,
                           std::string_view bName);

// index,channel,function,<aName>_raw,<bName>_raw,<aName>,<bName> and one line per
// difference (fields quoted where they need it).
std::string differencesCsv(const std::vector<TableDifference>& differences, std::string_view aName,
                           std::string_view bName);

} // namespace kv816
