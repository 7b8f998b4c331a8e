#pragma once
// The program's language: 0 Simplified Chinese, 1 Traditional Chinese, 2 English.
// Read by any thread, changed only by the GUI thread.

#include <cstdint>
#include <optional>

namespace kv816 {

enum class LanguageIndex : int8_t { SimplifiedChinese = 0, TraditionalChinese = 1, English = 2 };

inline constexpr int LANGUAGE_COUNT = 3;

// Simplified Chinese until the first setCurrentLanguage().
LanguageIndex currentLanguage();
// A value outside the three languages is ignored and the language stays as it was.
void setCurrentLanguage(LanguageIndex language);

// The platform language number of message box buttons and file dialogs:
// 2052 (0x0804), 1028 (0x0404) or 1033 (0x0409). Unknown values give 2052.
int platformLanguageId(LanguageIndex language);

// The language stored as `number` in the language file; none unless 0, 1 or 2.
std::optional<LanguageIndex> languageFromNumber(int number);

// The language chosen from the system's default locale when the language file has
// none: 0x0804 Simplified Chinese, 0x0404 and 0x0C04 Traditional Chinese, else English.
LanguageIndex languageFromLocale(int localeId);

} // namespace kv816
