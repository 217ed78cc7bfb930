#include "app/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "richtext/Qvintl.h"

namespace app {

bool RussianWanted(const QString& language, const QString& lcAll, const QString& lcMessages, const QString& lang) {
  QString wanted = language.section(u':', 0, 0);
  // LANGUAGE lists preferences; without it the first locale variable that is set decides.
  for (const QString& v : {lcAll, lcMessages, lang}) {
    if (!wanted.isEmpty()) break;
    wanted = v;
  }
  return wanted == QLatin1String("ru") || wanted.startsWith(QLatin1String("ru_")) ||
         wanted.startsWith(QLatin1String("ru.")) || wanted.startsWith(QLatin1String("ru@"));
}

bool RussianWanted() {
  return RussianWanted(qEnvironmentVariable("LANGUAGE"), qEnvironmentVariable("LC_ALL"),
                       qEnvironmentVariable("LC_MESSAGES"), qEnvironmentVariable("LANG"));
}

bool InstallRussian() {
  static bool installed = false;
  if (installed) return true;
  // Qt's own texts first: ours, installed later, are searched before them.
  auto* qt = new QTranslator(QCoreApplication::instance());
  if (qt->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(qt);
  else
    delete qt;
  auto* own = new QTranslator(QCoreApplication::instance());
  if (!own->load(QStringLiteral(":/translations/termora_ru.qm"))) {
    delete own;
    return false;
  }
  QCoreApplication::installTranslator(own);
  richtext::TranslateTexts(richtext::GlobalIntl);
  installed = true;
  return true;
}

void InstallInterfaceLanguage() {
  if (RussianWanted()) InstallRussian();
}

}  // namespace app
