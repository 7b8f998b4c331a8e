#include "i18n/language.h"

#include <atomic>

namespace kv816 {

namespace {

// Read by the worker for its messages while the GUI thread may switch it.
std::atomic<LanguageIndex> g_language{LanguageIndex::SimplifiedChinese};

constexpr int LOCALE_SIMPLIFIED = 0x0804;
constexpr int LOCALE_TRADITIONAL = 0x0404;
constexpr int LOCALE_HONG_KONG = 0x0C04;
constexpr int LOCALE_US_ENGLISH = 0x0409;

} // namespace

LanguageIndex currentLanguage() {
  return g_language.load(std::memory_order_relaxed);
}

void setCurrentLanguage(LanguageIndex language) {
  if (!languageFromNumber(static_cast<int>(language))) {
    return;
  }
  g_language.store(language, std::memory_order_relaxed);
}

int platformLanguageId(LanguageIndex language) {
  switch (language) {
  case LanguageIndex::TraditionalChinese:
    return LOCALE_TRADITIONAL;
  case LanguageIndex::English:
    return LOCALE_US_ENGLISH;
  case LanguageIndex::SimplifiedChinese:
    break;
  }
  return LOCALE_SIMPLIFIED;
}

std::optional<LanguageIndex> languageFromNumber(int number) {
  if (number < 0 || number >= LANGUAGE_COUNT) {
    return std::nullopt;
  }
  return static_cast<LanguageIndex>(number);
}

LanguageIndex languageFromLocale(int localeId) {
  switch (localeId) {
  case LOCALE_SIMPLIFIED:
    return LanguageIndex::SimplifiedChinese;
  case LOCALE_TRADITIONAL:
  case LOCALE_HONG_KONG:
    return LanguageIndex::TraditionalChinese;
  default:
    return LanguageIndex::English;
  }
}

} // namespace kv816
