#pragma once
// Lengths as the rich text component shows and accepts them: inches or centimetres (2.537 to
// the inch, as the component has always counted), in the user's locale, converted to and from
// twips. The control's MeasureToTwips & co. use these with its MeasurementUnits; dialogs use
// them directly so they can be tested without a control.

#include <QLocale>
#include <QString>

namespace richtext {

enum TqvMeasurementUnits { muInches, muCentimeters };

// Centimetres per inch in every conversion of the component.
constexpr double kCentimetresPerInch = 2.537;

// The text with trailing spaces, apostrophes and the letters c, m, C, M removed, so that texts
// made by MeasureToText read back.
QString StripMeasureUnit(const QString& Text);

// Whether the text (after StripMeasureUnit) is a number in the locale; `Value` receives it.
bool ParseMeasure(const QString& Text, double* Value, const QLocale& Locale = QLocale());

// Twips of a length text; throws base::Exception when the text is not a number.
int MeasureToTwips(TqvMeasurementUnits Units, const QString& Text, const QLocale& Locale = QLocale());
// Twips of a length already read as a number (value × 1440, ÷ 2.537 for centimetres, truncated).
int MeasureValueToTwips(TqvMeasurementUnits Units, double Value);
// Twips as a length in the units, rounded to two decimals (ties to even).
double TwipsToMeasure(TqvMeasurementUnits Units, int Twips);
// The length as text: at most 15 significant digits, the locale's decimal separator, then
// "''" for inches or " cm".
QString MeasureToText(TqvMeasurementUnits Units, double Value, const QLocale& Locale = QLocale());
// The length snapped to 1/Divisions of the unit (0: eighths of an inch, twentieths of a
// centimetre), a value moving up once it is a third of a step past the lower mark; as text.
QString SnappedMeasureText(TqvMeasurementUnits Units, int Divisions, double Value,
                           const QLocale& Locale = QLocale());

}  // namespace richtext
