#pragma once
// Qt's own texts (message box buttons, file dialogs) in the program's language rather than
// the system's: loads Qt's translations for zh_CN or zh_TW, or none for English.
// GUI thread only, with a QCoreApplication alive.

#include "i18n/language.h"

namespace kv816 {

// Replaces the installed Qt translation. Returns false when the translation file for a
// Chinese language cannot be loaded (Qt then speaks English).
bool installQtTranslations(LanguageIndex language);

} // namespace kv816
