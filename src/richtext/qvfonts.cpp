// Font families by name and the test for a face drawn by an unrelated fallback, from the font
// database and the desktop's fontconfig rules.

#include "richtext/qvfonts.h"

#include <fontconfig/fontconfig.h>

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QRegularExpression>

namespace richtext {

namespace {
// The families fontconfig binds to Name as strongly as the name itself: its metric-compatible
// aliases. The desktop's generic choices (the "sans-serif" faces) are bound weakly and stay out.
QStringList MetricAliases(const QString& Name) {
  QStringList Aliases;
  FcPattern* Pattern = FcPatternCreate();
  if (Pattern == nullptr) return Aliases;
  const QByteArray Family = Name.toUtf8();
  FcPatternAddString(Pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(Family.constData()));
  if (FcConfigSubstitute(nullptr, Pattern, FcMatchPattern)) {
    FcValue Value;
    FcValueBinding Binding;
    for (int I = 0; FcPatternGetWithBinding(Pattern, FC_FAMILY, I, &Value, &Binding) == FcResultMatch; ++I)
      if (Binding == FcValueBindingStrong && Value.type == FcTypeString)
        Aliases << QString::fromUtf8(reinterpret_cast<const char*>(Value.u.s));
  }
  FcPatternDestroy(Pattern);
  return Aliases;
}

// Verdana, the face of every new definition, has no metric-compatible free face. Where it is
// missing, fontconfig's first choice for it on a stock desktop is DejaVu Sans: the same kind of
// wide face made for the screen, with a large x-height and widths close to Verdana's, so a
// definition keeps its look and nearly its line breaks. Marking every new definition as drawn by
// a stranger would warn of nothing the user can act on; any other face drawing it is still marked.
bool IsNearSubstitute(const QString& Family, const QString& Face) {
  return Family.compare(QLatin1String("Verdana"), Qt::CaseInsensitive) == 0 &&
         Face.compare(QLatin1String("DejaVu Sans"), Qt::CaseInsensitive) == 0;
}
}  // namespace

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

bool QvFontIsDrawn(const QString& Family) {
  const QString Name = Family.trimmed();
  if (Name.isEmpty()) return false;
  if (QvFontFamilies().contains(Name, Qt::CaseInsensitive)) return true;
  // The face that draws it is the one the font database falls back to for the name.
  const QString Face = QFontInfo(QFont(Name)).family();
  return MetricAliases(Name).contains(Face, Qt::CaseInsensitive) || IsNearSubstitute(Name, Face);
}

}  // namespace richtext
