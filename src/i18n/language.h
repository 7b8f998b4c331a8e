#pragma once
// The program's language: 0 Simplified Chinese, 1 Traditional Chinese, 2 English.
// Read by any thread, changed only by the GUI thread.

#include <cstdint>

namespace kv816 {

enum class LanguageIndex : int8_t { SimplifiedChinese = 0, TraditionalChinese = 1, English = 2 };

LanguageIndex currentLanguage();
void setCurrentLanguage(LanguageIndex language);

} // namespace kv816
