#include "ui/shell/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

namespace kv816 {

namespace {

QLocale localeOf(LanguageIndex language) {
  switch (language) {
  case LanguageIndex::SimplifiedChinese:
    return QLocale(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China);
  case LanguageIndex::TraditionalChinese:
    return QLocale(QLocale::Chinese, QLocale::TraditionalChineseScript, QLocale::Taiwan);
  default:
    return QLocale(QLocale::English, QLocale::UnitedStates);
  }
}

// Owned by the application object, so it goes away with it.
QPointer<QTranslator>& installed() {
  static QPointer<QTranslator> translator;
  return translator;
}

} // namespace

bool installQtTranslations(LanguageIndex language) {
  auto& current = installed();
  if (current) {
    QCoreApplication::removeTranslator(current);
    delete current;
  }
  QLocale::setDefault(localeOf(language));
  if (language == LanguageIndex::English)
    return true;
  const char* file = language == LanguageIndex::SimplifiedChinese ? "qtbase_zh_CN" : "qtbase_zh_TW";
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (!translator->load(QString::fromLatin1(file),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(translator);
  current = translator;
  return true;
}

} // namespace kv816
