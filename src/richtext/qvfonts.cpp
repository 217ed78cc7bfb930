// Font families by name.

#include "richtext/qvfonts.h"

#include <QFontDatabase>
#include <QRegularExpression>

namespace richtext {

QString QvPlainFamilyName(const QString& Name) {
  static const QRegularExpression Foundry(QStringLiteral("\\s*\\[[^\\[\\]]*\\]\\s*$"));
  QString Plain = Name;
  Plain.remove(Foundry);
  return Plain.isEmpty() ? Name : Plain;
}

QStringList QvFontFamilies() {
  QStringList Names;
  for (const QString& F : QFontDatabase::families()) {
    if (QFontDatabase::isPrivateFamily(F)) continue;
    const QString Name = QvPlainFamilyName(F);
    if (!Names.contains(Name, Qt::CaseInsensitive)) Names << Name;
  }
  Names.sort(Qt::CaseInsensitive);
  return Names;
}

}  // namespace richtext
