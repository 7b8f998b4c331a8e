// Fuzzes the INI reader: any bytes parse; writing the document back and parsing that again
// finds the same values; every key the program reads can be looked up; and setting one of them
// (with a value taken from the input) reads back as set while the others keep theirs.
//
// Input layout: byte 0 picks the key to set, then the value up to the first 0x00, then the
// file's text.

#include <array>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "presets/ini_file.h"
#include "presets/settings.h"

namespace {

using namespace kv816;

using fuzz::check;

constexpr std::string_view SECTIONS[] = {"Configuration", "KV816 Control", "", "kv816"};
constexpr std::array KEYS = {key::LANGUAGE,
                             key::LINK_TYPE,
                             key::BAUD_RATE,
                             key::SERIAL_PORTS,
                             key::NET_SWEEP,
                             key::NET_SWEEP_BASE,
                             key::NET_BROADCAST_ADDRESS,
                             key::NET_UDP_PORT,
                             key::NET_TCP_PORT,
                             key::NET_LOCAL_UDP_PORT,
                             key::DEMO_DEVICE};

std::string expectedValue(std::string_view value) {
  std::string s(value);
  for (char& c : s)
    if (c == '\r' || c == '\n')
      c = ' ';
  constexpr std::string_view space = " \t\r\n\v\f";
  const size_t first = s.find_first_not_of(space);
  if (first == std::string::npos)
    return {};
  return s.substr(first, s.find_last_not_of(space) - first + 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const uint8_t pick = data[0];
  const size_t nul = std::min(input.find('\0', 1), input.size());
  const std::string_view value = input.substr(1, nul - 1);
  const std::string_view text = nul < input.size() ? input.substr(nul + 1) : std::string_view();

  IniFile ini;
  ini.parse(text);
  // A rewrite may settle mixed line ends, but never changes what a lookup finds.
  IniFile reread;
  reread.parse(ini.text());

  const std::string_view section = SECTIONS[pick % std::size(SECTIONS)];
  const std::string_view setKey = KEYS[(pick / 4) % KEYS.size()];
  std::array<std::optional<std::string>, KEYS.size()> before;
  for (size_t k = 0; k < KEYS.size(); ++k) {
    before[k] = ini.value(section, KEYS[k]);
    check(ini.value(section, KEYS[k]) == reread.value(section, KEYS[k]));
    if (const auto n = ini.intValue(section, KEYS[k]))
      check(before[k].has_value());
  }

  ini.setValue(section, setKey, value);
  check(ini.value(section, setKey) == expectedValue(value));
  for (size_t k = 0; k < KEYS.size(); ++k)
    if (KEYS[k] != setKey)
      check(ini.value(section, KEYS[k]) == before[k]);

  // The rewritten file reads the same.
  IniFile saved;
  saved.parse(ini.text());
  for (const std::string_view k : KEYS)
    check(saved.value(section, k) == ini.value(section, k));
  return 0;
}
