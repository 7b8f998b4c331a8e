#include "link/preset_names.h"

namespace kv816 {

namespace {
constexpr auto relaxed = std::memory_order_relaxed;
constexpr bool validSlot(int slot) {
  return slot >= 0 && slot < PRESET_SLOTS;
}

// Characters the device pads names with: control codes, space and everything above 'z'.
constexpr bool isPadding(char16_t c) {
  return c <= 0x20 || c > 0x7A;
}
} // namespace

std::u16string PresetNames::read(const Name& n) {
  std::u16string text;
  for (const auto& c : n) {
    const char16_t ch = c.load(relaxed);
    if (ch == 0)
      break;
    text.push_back(ch);
  }
  return text;
}

void PresetNames::write(Name& n, std::u16string_view text) {
  for (size_t i = 0; i < n.size(); ++i)
    n[i].store(i < text.size() ? text[i] : char16_t{0}, relaxed);
}

std::u16string PresetNames::name(int slot) const {
  return validSlot(slot) ? read(table_[slot]) : std::u16string{};
}

void PresetNames::setName(int slot, std::u16string_view text) {
  if (validSlot(slot))
    write(table_[slot], text);
}

bool PresetNames::received(int slot) const {
  return validSlot(slot) && received_[slot].load(relaxed) != 0;
}

void PresetNames::setReceived(int slot, bool received) {
  if (validSlot(slot))
    received_[slot].store(received ? 1 : 0, relaxed);
}

void PresetNames::clearReceived() {
  for (auto& r : received_)
    r.store(0, relaxed);
}

std::u16string PresetNames::buffer() const {
  return read(buffer_);
}

void PresetNames::setBuffer(std::u16string_view text) {
  write(buffer_, text);
}

char16_t PresetNames::bufferChar(int i) const {
  return i >= 0 && i < NAME_LENGTH ? buffer_[i].load(relaxed) : char16_t{0};
}

bool PresetNames::storeReply(uint8_t preset, std::span<const uint8_t> nameBytes) {
  if (preset == 0)
    return false;
  std::array<char16_t, NAME_LENGTH> chars{};
  for (size_t i = 0; i < chars.size() && i < nameBytes.size(); ++i)
    chars[i] = nameBytes[i];
  // Trim the padding from the end; the first two characters always stay.
  for (int i = NAME_LENGTH - 1; i >= 2 && isPadding(chars[i]); --i)
    chars[i] = 0;
  const int slot = (preset - 1) % PRESET_SLOTS;
  for (int i = 0; i < NAME_LENGTH; ++i) {
    buffer_[i].store(chars[i], relaxed);
    table_[slot][i].store(chars[i], relaxed);
  }
  received_[slot].store(1, relaxed);
  return true;
}

} // namespace kv816
