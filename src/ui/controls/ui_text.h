#pragma once
// The one way a text-table entry becomes a QString: the current language, or a given one.

#include "i18n/text.h"

#include <QString>

namespace kv816 {

inline QString uiText(Text key) {
  const std::string_view text = langText(key);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline QString uiText(Text key, LanguageIndex language) {
  const std::string_view text = langText(key, language);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace kv816
