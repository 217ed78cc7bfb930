#include "rtf/Numbering.h"

#include <algorithm>
#include <utility>

#include "rtf/TextModel.h"

namespace rtf {

QTextListFormat::Style ListStyleOf(int numbering) {
  switch (numbering) {
    case kBulletNumbering: return QTextListFormat::ListDisc;
    case kLowerLetterNumbering: return QTextListFormat::ListLowerAlpha;
    case kUpperLetterNumbering: return QTextListFormat::ListUpperAlpha;
    case kLowerRomanNumbering: return QTextListFormat::ListLowerRoman;
    case kUpperRomanNumbering: return QTextListFormat::ListUpperRoman;
    default: return QTextListFormat::ListDecimal;
  }
}

int NumberingOfListStyle(QTextListFormat::Style style) {
  switch (style) {
    case QTextListFormat::ListDisc:
    case QTextListFormat::ListCircle:
    case QTextListFormat::ListSquare: return kBulletNumbering;
    case QTextListFormat::ListLowerAlpha: return kLowerLetterNumbering;
    case QTextListFormat::ListUpperAlpha: return kUpperLetterNumbering;
    case QTextListFormat::ListLowerRoman: return kLowerRomanNumbering;
    case QTextListFormat::ListUpperRoman: return kUpperRomanNumbering;
    default: return kArabicNumbering;
  }
}

int NumberingOfLevelNfc(int nfc) {
  switch (nfc) {
    case 0: return kArabicNumbering;
    case 1: return kUpperRomanNumbering;
    case 2: return kLowerRomanNumbering;
    case 3: return kUpperLetterNumbering;
    case 4: return kLowerLetterNumbering;
    case 23: return kBulletNumbering;
    case 255: return kNoNumbering;
    default: return kArabicNumbering;
  }
}

QString ListLabel(int numbering, int n, int style) {
  if (numbering == kBulletNumbering) return QString(QChar(0x2022));
  QString label;
  if (numbering == kLowerLetterNumbering || numbering == kUpperLetterNumbering) {
    for (int v = std::max(n, 1); v > 0; v /= 26) {
      --v;
      label.prepend(QChar((numbering == kLowerLetterNumbering ? u'a' : u'A') + v % 26));
    }
  } else if (numbering == kLowerRomanNumbering || numbering == kUpperRomanNumbering) {
    static const std::pair<int, const char*> table[] = {
        {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
        {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
    int v = std::clamp(n, 1, 3999);
    for (const auto& [value, text] : table)
      while (v >= value) {
        label.append(QLatin1String(text));
        v -= value;
      }
    if (numbering == kUpperRomanNumbering) label = label.toUpper();
  } else {
    label = QString::number(n);
  }
  switch (style & kNumberStyleMask) {
    case kNumberParen: return label + u')';
    case kNumberParens: return u'(' + label + u')';
    case kNumberPlain: return label;
    default: return label + u'.';
  }
}

int NumberStyleOfText(const QString& before, const QString& after) {
  const QString a = after.trimmed(), b = before.trimmed();
  if (b == QLatin1String("(") && a == QLatin1String(")")) return kNumberParens;
  if (a == QLatin1String(")")) return kNumberParen;
  if (a.isEmpty() && b.isEmpty()) return kNumberPlain;
  return kNumberPeriod;
}

int NumberingStyle(const QTextBlockFormat& f) {
  return f.hasProperty(kNumberingStyle) ? f.intProperty(kNumberingStyle) : kNumberPeriod;
}

}  // namespace rtf
