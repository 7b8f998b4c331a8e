#include "i18n/utf8.h"

#include <cstdint>

namespace kv816 {

std::u16string fromUtf8(const std::string& text) {
  std::u16string out;
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    uint32_t code = extra == 0 ? c : c & (0x3F >> extra);
    for (int k = 1; k <= extra && i + static_cast<size_t>(k) < text.size(); ++k)
      code = code << 6 | (static_cast<unsigned char>(text[i + static_cast<size_t>(k)]) & 0x3F);
    out += static_cast<char16_t>(code > 0xFFFF ? u'?' : code);
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

std::string toUtf8(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

} // namespace kv816
