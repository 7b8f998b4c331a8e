#include "link/transports/serial_port_list.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>

namespace kv816 {
namespace {

// "COM10" sorts after "COM9": by the number after the letters, then by name.
bool byPortNumber(const std::string& a, const std::string& b) {
  const auto number = [](const std::string& name) {
    const size_t digits = name.find_first_of("0123456789");
    return digits == std::string::npos ? 0 : std::atoi(name.c_str() + digits);
  };
  const int na = number(a), nb = number(b);
  return na != nb ? na < nb : a < b;
}

std::string narrow(const std::wstring& wide) {
  std::string text;
  for (wchar_t c : wide)
    text.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return text;
}

} // namespace

// Every serial port driver, Bluetooth and USB adapters included, enters its ports in
// HARDWARE\DEVICEMAP\SERIALCOMM while they are present: name -> "COMn".
std::vector<std::string> systemSerialPorts() {
  std::vector<std::string> names;
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return names;
  for (DWORD i = 0;; ++i) {
    wchar_t valueName[256];
    DWORD nameLength = 256;
    wchar_t data[64] = {};
    DWORD dataSize = sizeof data - sizeof(wchar_t);
    DWORD type = 0;
    const LONG result = ::RegEnumValueW(key, i, valueName, &nameLength, nullptr, &type,
                                        reinterpret_cast<BYTE*>(data), &dataSize);
    if (result == ERROR_NO_MORE_ITEMS)
      break;
    if (result == ERROR_SUCCESS && type == REG_SZ && data[0] != 0)
      names.push_back(narrow(data));
  }
  ::RegCloseKey(key);
  std::sort(names.begin(), names.end(), byPortNumber);
  return names;
}

} // namespace kv816
