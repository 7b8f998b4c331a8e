#pragma once
// The fixed table of text triples behind langText(): one row per Text key, in key order,
// built at compile time and never changed. Any thread may read it.

#include "i18n/language.h"
#include "i18n/text.h"

#include <span>
#include <string_view>

namespace kv816 {

struct TextTriple {
  Text key;
  std::string_view simplifiedChinese;
  std::string_view traditionalChinese;
  std::string_view english; // also the key's name in tools (findText)

  constexpr std::string_view in(LanguageIndex language) const {
    switch (language) {
    case LanguageIndex::TraditionalChinese:
      return traditionalChinese;
    case LanguageIndex::English:
      return english;
    case LanguageIndex::SimplifiedChinese:
      break;
    }
    return simplifiedChinese;
  }
};

class TextTable {
public:
  // Every row, row i holding the key with value i.
  static std::span<const TextTriple, TEXT_COUNT> rows();
  // `key` must be one of the Text enumerators.
  static const TextTriple& triple(Text key);
};

} // namespace kv816
