#pragma once
// Menu mnemonics that work in every language. GUI thread only.

#include <QString>

namespace kv816 {

// "Remote" becomes "&Remote"; a text without the letter (Chinese) gets "(&R)" after it.
inline QString withMnemonic(const QString& text, QChar letter) {
  const int at = text.indexOf(letter, 0, Qt::CaseInsensitive);
  if (at >= 0 && text.at(at).unicode() < 0x80)
    return QString(text).insert(at, QLatin1Char('&'));
  return text + QStringLiteral("(&") + letter.toUpper() + QLatin1Char(')');
}

} // namespace kv816
