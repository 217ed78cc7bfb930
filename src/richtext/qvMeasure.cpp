#include "richtext/qvMeasure.h"

#include <QCoreApplication>

#include "base/Exception.h"

#include <cfenv>
#include <cmath>

namespace richtext {

QString StripMeasureUnit(const QString& Text) {
  static const QString Units = QStringLiteral(" 'cmCM");
  int End = int(Text.size());
  while (End > 0 && Units.contains(Text[End - 1])) --End;
  return Text.left(End);
}

bool ParseMeasure(const QString& Text, double* Value, const QLocale& Locale) {
  bool Ok = false;
  const double V = Locale.toDouble(StripMeasureUnit(Text).trimmed(), &Ok);
  if (Ok && !std::isfinite(V)) Ok = false;
  if (Ok && Value) *Value = V;
  return Ok;
}

int MeasureValueToTwips(TqvMeasurementUnits Units, double Value) {
  double Twips = Value * 1440;
  if (Units == muCentimeters) Twips /= kCentimetresPerInch;
  // Far beyond any page; clamped so that a silly value cannot overflow the integer.
  if (Twips > 2e9) return 2000000000;
  if (Twips < -2e9) return -2000000000;
  return int(std::trunc(Twips));
}

int MeasureToTwips(TqvMeasurementUnits Units, const QString& Text, const QLocale& Locale) {
  double Value = 0;
  if (!ParseMeasure(Text, &Value, Locale))
    throw base::Exception(QCoreApplication::translate("Editor", "'%1' is not a valid number.").arg(StripMeasureUnit(Text)));
  return MeasureValueToTwips(Units, Value);
}

double TwipsToMeasure(TqvMeasurementUnits Units, int Twips) {
  double Value = Twips / 1440.0;
  if (Units == muCentimeters) Value *= kCentimetresPerInch;
  // nearbyint rounds ties to even in the default rounding mode.
  return std::nearbyint(Value * 100) / 100;
}

QString MeasureToText(TqvMeasurementUnits Units, double Value, const QLocale& Locale) {
  QLocale L(Locale);
  L.setNumberOptions(QLocale::OmitGroupSeparator);
  QString Text = L.toString(Value, 'g', 15);
  return Text + (Units == muCentimeters ? QStringLiteral(" cm") : QStringLiteral("''"));
}

QString SnappedMeasureText(TqvMeasurementUnits Units, int Divisions, double Value, const QLocale& Locale) {
  if (Divisions <= 0) Divisions = Units == muCentimeters ? 20 : 8;
  const double Nudge = 1.0 / (Divisions * 1.5);
  Value += Value >= 0 ? Nudge : -Nudge;
  const long long A = static_cast<long long>(std::trunc(Value * 1000));
  const long long Q = std::max(1, 1000 / Divisions);
  return MeasureToText(Units, double(A - A % Q) / 1000, Locale);
}

}  // namespace richtext
