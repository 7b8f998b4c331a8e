#include "link/module_commands.h"

#include <algorithm>

#include "i18n/fixed_texts.h"
#include "link/link_events.h"

namespace kv816 {

namespace {
constexpr auto relaxed = std::memory_order_relaxed;

// How a reply's number is taken from the text after its prefix.
enum class Parse { None, Hex, Decimal, WholeText };

struct ReplyRule {
  std::string_view prefix;
  int slot;
  Parse parse;
  std::size_t minLength; // the whole text must be longer than this; 0: no guard
};

// Tested in this order; the first prefix found anywhere in the text decides.
constexpr ReplyRule REPLY_RULES[] = {
    {"Get_IP:", module_slot::GET_IP, Parse::Hex, 7},
    {"Get_LinkIP:", module_slot::GET_LINK_IP, Parse::Hex, 11},
    {"Get_WiFiMode:", module_slot::GET_WIFI_MODE, Parse::Hex, 13},
    {"Get_TCPPort:", module_slot::GET_TCP_PORT, Parse::Decimal, 12},
    {"Get_UDPPort:", module_slot::GET_UDP_PORT, Parse::Decimal, 12},
    {"Get_RouteSSID:", module_slot::GET_ROUTE_SSID, Parse::WholeText, 0},
    {"Get_RoutePW:", module_slot::GET_ROUTE_PW, Parse::WholeText, 0},
    {"Get_HotSSID:", module_slot::GET_HOT_SSID, Parse::WholeText, 0},
    {"Get_HotPW:", module_slot::GET_HOT_PW, Parse::WholeText, 0},
    {"Set_WiFiMode:", module_slot::SET_WIFI_MODE, Parse::None, 0},
    {"Set_RouteSSID:", module_slot::SET_ROUTE_SSID, Parse::None, 0},
    {"Set_RoutePW:", module_slot::SET_ROUTE_PW, Parse::None, 0},
    {"Set_HotSSID:", module_slot::SET_HOT_SSID, Parse::None, 0},
    {"Set_HotPW:", module_slot::SET_HOT_PW, Parse::None, 0},
    {"Set_Restore:", module_slot::SET_RESTORE, Parse::None, 0},
    {"Set_Restart:", module_slot::SET_RESTART, Parse::None, 0},
};

// Slots 0 and 2-8: the read commands' texts.
constexpr std::pair<int, std::string_view> READ_TEXTS[] = {
    {module_slot::GET_IP, "Get_IP:"},
    {module_slot::GET_WIFI_MODE, "Get_WiFiMode:"},
    {module_slot::GET_TCP_PORT, "Get_TCPPort:"},
    {module_slot::GET_UDP_PORT, "Get_UDPPort:"},
    {module_slot::GET_ROUTE_SSID, "Get_RouteSSID:"},
    {module_slot::GET_ROUTE_PW, "Get_RoutePW:"},
    {module_slot::GET_HOT_SSID, "Get_HotSSID:"},
    {module_slot::GET_HOT_PW, "Get_HotPW:"},
};

// The ports are read for completeness but never sent.
constexpr int READS_SENT[] = {module_slot::GET_IP,         module_slot::GET_WIFI_MODE,
                              module_slot::GET_ROUTE_SSID, module_slot::GET_ROUTE_PW,
                              module_slot::GET_HOT_SSID,   module_slot::GET_HOT_PW};

// The text as a C string would see it: up to the first NUL, and never longer than a slot.
std::string_view terminated(std::string_view text) {
  const std::size_t nul = text.find('\0');
  if (nul != std::string_view::npos)
    text = text.substr(0, nul);
  return text.substr(0, MODULE_TEXT_MAX);
}
} // namespace

void ModuleCommands::clear() {
  for (ModuleCommandSlot& s : slots_) {
    s.received.store(false, relaxed);
    s.pending.store(false, relaxed);
    s.value.store(0, relaxed);
    s.retryCount.store(0, relaxed);
  }
  std::lock_guard lock(textMutex_);
  for (std::string& t : texts_)
    t.clear();
}

void ModuleCommands::setText(int slot, std::string_view text) {
  std::lock_guard lock(textMutex_);
  texts_[slot].assign(text.substr(0, MODULE_TEXT_MAX));
}

void ModuleCommands::queueModuleReads() {
  for (const auto& [slot, text] : READ_TEXTS)
    setText(slot, text);
  for (int slot : READS_SENT)
    slots_[slot].pending.store(true, relaxed);
}

void ModuleCommands::queueModuleCommand(int slot, std::string_view text) {
  if (!valid(slot))
    return;
  setText(slot, text);
  slots_[slot].pending.store(true, relaxed);
}

uint32_t ModuleCommands::parseHex(std::string_view field) {
  uint32_t result = 0;
  for (char c : field) {
    if (c >= '0' && c <= '9')
      result = (result << 4) + static_cast<uint32_t>(c - '0');
    else if (c >= 'A' && c <= 'F')
      result = (result << 4) + static_cast<uint32_t>(c - 'A' + 10);
    else if (c >= 'a' && c <= 'f')
      result = (result << 4) + static_cast<uint32_t>(c - 'a' + 10);
    else if (c == ' ')
      result <<= 4;
  }
  return result;
}

uint32_t ModuleCommands::parseDecimal(std::string_view field) {
  uint32_t result = 0;
  for (char c : field) {
    if (c >= '0' && c <= '9')
      result = result * 10 + static_cast<uint32_t>(c - '0');
  }
  return result;
}

ModuleReply ModuleCommands::onModuleReply(std::string_view reply) {
  std::string_view text = terminated(reply);
  // Line breaks or spaces before the reply word are tolerated; anything else before it is
  // not a reply, since a name or password may contain another reply's prefix.
  text.remove_prefix(std::min(text.find_first_not_of(" \t\r\n"), text.size()));
  for (const ReplyRule& rule : REPLY_RULES) {
    if (!text.starts_with(rule.prefix) || text.size() <= rule.minLength)
      continue;
    const std::string_view field = text.substr(rule.prefix.size());
    ModuleReply result{rule.slot, 0};
    if (rule.parse == Parse::Hex)
      result.value = parseHex(field);
    else if (rule.parse == Parse::Decimal)
      result.value = parseDecimal(field);
    if (rule.parse == Parse::Hex || rule.parse == Parse::Decimal)
      slots_[rule.slot].value.store(result.value, relaxed);
    else if (rule.parse == Parse::WholeText)
      setText(rule.slot, text);
    markHandled(rule.slot);
    return result;
  }
  return {};
}

void ModuleCommands::markHandled(int slot) {
  ModuleCommandSlot& s = slots_[slot];
  s.pending.store(false, relaxed);
  s.retryCount.store(0, relaxed);
  s.received.store(true, relaxed);
}

std::optional<std::string> ModuleCommands::nextDeviceCommand(int& position) {
  if (position < 0 || position >= MODULE_SLOT_COUNT)
    position = 0;
  while (position < MODULE_SLOT_COUNT && !slots_[position].pending.load(relaxed))
    ++position;
  if (position >= MODULE_SLOT_COUNT)
    return std::nullopt;
  ModuleCommandSlot& s = slots_[position];
  if (s.retryCount.fetch_add(1, relaxed) + 1 >= MODULE_RETRY_LIMIT) {
    s.retryCount.store(0, relaxed);
    s.pending.store(false, relaxed);
    return std::nullopt;
  }
  return text(position);
}

std::optional<std::string> ModuleCommands::nextNetworkCommand(int& position) {
  if (position < 0 || position >= MODULE_SLOT_COUNT)
    position = 0;
  for (int i = 0; i < MODULE_SLOT_COUNT; ++i) {
    const int slot = (position + i) % MODULE_SLOT_COUNT;
    if (slots_[slot].pending.load(relaxed)) {
      position = slot;
      return text(slot);
    }
  }
  return std::nullopt;
}

bool ModuleCommands::takeReceived(int slot) {
  return slots_[slot].received.exchange(false);
}

void ModuleCommands::showModuleConfirmations(LinkEvents& events) {
  auto pair = [this](int a, int b) {
    if (!received(a) || !received(b))
      return false;
    // Both flags must be ours: another caller may have taken them meanwhile.
    const bool first = takeReceived(a);
    const bool second = takeReceived(b);
    return first && second;
  };
  auto show = [&events](std::string_view text) {
    events.showMessage(MessageKind::Ok, std::string(text), std::string(WIFI_CAPTION));
  };
  if (pair(module_slot::SET_ROUTE_SSID, module_slot::SET_ROUTE_PW))
    show(WIFI_ROUTER_SET);
  if (pair(module_slot::SET_HOT_SSID, module_slot::SET_HOT_PW))
    show(WIFI_HOTSPOT_SET);
  if (takeReceived(module_slot::SET_WIFI_MODE))
    show(WIFI_MODE_SET);
  if (takeReceived(module_slot::SET_RESTORE))
    show(WIFI_RESTORED);
  if (takeReceived(module_slot::SET_RESTART))
    show(WIFI_RESTARTED);
}

bool ModuleCommands::received(int slot) const {
  return valid(slot) && slots_[slot].received.load(relaxed);
}

void ModuleCommands::clearReceived(int slot) {
  if (valid(slot))
    slots_[slot].received.store(false, relaxed);
}

bool ModuleCommands::pending(int slot) const {
  return valid(slot) && slots_[slot].pending.load(relaxed);
}

uint32_t ModuleCommands::value(int slot) const {
  return valid(slot) ? slots_[slot].value.load(relaxed) : 0;
}

int ModuleCommands::retryCount(int slot) const {
  return valid(slot) ? slots_[slot].retryCount.load(relaxed) : 0;
}

std::string ModuleCommands::text(int slot) const {
  if (!valid(slot))
    return {};
  std::lock_guard lock(textMutex_);
  return texts_[slot];
}

} // namespace kv816
