#include "sim/wifi_module.h"

#include <cstdio>

namespace kv816 {
namespace {

std::string hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", value);
  return text;
}

// Module fields are printable ASCII without the separator.
std::string cleanField(std::string_view value) {
  std::string out;
  for (char c : value) {
    if (out.size() >= WifiModule::MAX_FIELD)
      break;
    if (c >= 0x20 && c < 0x7F)
      out.push_back(c);
  }
  return out;
}

} // namespace

std::optional<std::string> WifiModule::handle(std::string_view text) {
  while (!text.empty() && text.back() == '\0')
    text.remove_suffix(1);
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos)
    return std::nullopt;
  const std::string_view word = text.substr(0, colon + 1);
  std::optional<std::string> reply;
  if (word.starts_with("Get_"))
    reply = handleGet(word);
  else if (word.starts_with("Set_"))
    reply = handleSet(word, text.substr(colon + 1));
  if (reply && reply->size() > MAX_REPLY)
    reply->resize(MAX_REPLY);
  return reply;
}

std::optional<std::string> WifiModule::handleGet(std::string_view word) {
  const std::string w(word);
  const ModuleSettings& s = settings_;
  if (w == "Get_IP:")
    return w + hex(s.address);
  if (w == "Get_LinkIP:")
    return w + hex(s.linkAddress);
  if (w == "Get_WiFiMode:")
    return w + std::to_string(s.mode);
  if (w == "Get_TCPPort:")
    return w + std::to_string(s.tcpPort);
  if (w == "Get_UDPPort:")
    return w + std::to_string(s.udpPort);
  if (w == "Get_RouteSSID:")
    return w + s.routeSsid;
  if (w == "Get_RoutePW:")
    return w + s.routePassword;
  if (w == "Get_HotSSID:")
    return w + s.hotSsid;
  if (w == "Get_HotPW:")
    return w + s.hotPassword;
  return std::nullopt;
}

std::optional<std::string> WifiModule::handleSet(std::string_view word, std::string_view value) {
  const std::string w(word);
  ModuleSettings& s = settings_;
  if (w == "Set_WiFiMode:") {
    if (value != "1" && value != "2")
      return std::nullopt;
    s.mode = value == "2" ? 2 : 1;
  } else if (w == "Set_RouteSSID:") {
    s.routeSsid = cleanField(value);
  } else if (w == "Set_RoutePW:") {
    s.routePassword = cleanField(value);
  } else if (w == "Set_HotSSID:") {
    s.hotSsid = cleanField(value);
  } else if (w == "Set_HotPW:") {
    s.hotPassword = cleanField(value);
  } else if (w == "Set_Restore:") {
    const ModuleSettings fresh;
    s.mode = fresh.mode;
    s.hotSsid = fresh.hotSsid;
    s.hotPassword = fresh.hotPassword;
    s.routeSsid = fresh.routeSsid;
    s.routePassword = fresh.routePassword;
  } else if (w != "Set_Restart:") {
    return std::nullopt;
  }
  return w + "OK";
}

} // namespace kv816
