// Lengths shown and typed in inches and centimetres.
#include <gtest/gtest.h>

#include "base/Exception.h"
#include "richtext/qvMeasure.h"
#include "tests/richtext/RichEditFixture.h"

using namespace richtext;

namespace {

const QLocale kPoint(QLocale::English, QLocale::UnitedStates);
const QLocale kComma(QLocale::Russian, QLocale::Russia);

TEST(Measure, TextToTwipsIgnoresUnitsAndCountsCentimetresAsTheComponentDoes) {
  struct Case { TqvMeasurementUnits Units; QString Text; int Twips; };
  const Case Cases[] = {
      {muInches, "1", 1440},          {muInches, "1''", 1440},     {muInches, "1.5", 2160},
      {muInches, "-0.25 ''", -360},   {muInches, "22", 31680},     {muInches, "0.001", 1},
      {muCentimeters, "1.5 cm", 851}, {muCentimeters, "1.5", 851}, {muCentimeters, "2.537", 1440},
      {muCentimeters, "1 CM", 567},   {muCentimeters, "-1 cm", -567},
  };
  for (const Case& C : Cases) EXPECT_EQ(MeasureToTwips(C.Units, C.Text, kPoint), C.Twips) << C.Text.toStdString();
  EXPECT_EQ(MeasureToTwips(muCentimeters, "1,5 cm", kComma), 851);
}

TEST(Measure, TextThatIsNotANumberIsRefused) {
  for (const QString& T : {QString(""), QString("cm"), QString("abc"), QString("1.2.3"), QString("1,5")}) {
    EXPECT_THROW(MeasureToTwips(muInches, T, kPoint), base::Exception) << T.toStdString();
    EXPECT_FALSE(ParseMeasure(T, nullptr, kPoint)) << T.toStdString();
  }
}

TEST(Measure, TwipsToUnitsRoundToTwoDecimalsAndShowWithTheLocaleSeparator) {
  EXPECT_DOUBLE_EQ(TwipsToMeasure(muInches, 1440), 1.0);
  EXPECT_DOUBLE_EQ(TwipsToMeasure(muCentimeters, 1440), 2.54);
  EXPECT_DOUBLE_EQ(TwipsToMeasure(muInches, 720), 0.5);
  EXPECT_DOUBLE_EQ(TwipsToMeasure(muInches, -360), -0.25);
  EXPECT_EQ(MeasureToText(muInches, 1.5, kPoint), "1.5''");
  EXPECT_EQ(MeasureToText(muInches, 2, kPoint), "2''");
  EXPECT_EQ(MeasureToText(muCentimeters, 2.54, kPoint), "2.54 cm");
  EXPECT_EQ(MeasureToText(muCentimeters, 2.54, kComma), "2,54 cm");
  EXPECT_EQ(MeasureToText(muInches, 1234.5, kPoint), "1234.5''");
}

TEST(Measure, SnappedTextMovesToTheNextStepAThirdPastTheLowerOne) {
  struct Case { TqvMeasurementUnits Units; int Divisions; double Value; QString Text; };
  const Case Cases[] = {
      {muInches, 0, 1.05, "1.125''"}, {muInches, 0, 1.04, "1''"},     {muInches, 8, 0, "0''"},
      {muInches, 0, -0.5, "-0.5''"},  {muInches, 0, -1.05, "-1.125''"},
      {muCentimeters, 0, 1.27, "1.3 cm"}, {muCentimeters, 0, 1.26, "1.25 cm"},
      {muInches, 100, 0.17, "0.17''"},
  };
  for (const Case& C : Cases)
    EXPECT_EQ(SnappedMeasureText(C.Units, C.Divisions, C.Value, kPoint), C.Text) << C.Value;
}

TEST(Measure, TheControlConvertsInItsOwnUnits) {
  TqvCustomRichEdit E;
  E.SetMeasurementUnits(muCentimeters);
  EXPECT_EQ(E.MeasureToTwips(E.MeasureToText(2.537)), 1440);
  E.SetMeasurementUnits(muInches);
  EXPECT_DOUBLE_EQ(E.TwipsToMeasure(2160), 1.5);
  EXPECT_TRUE(E.MeasureToText(1).endsWith("''"));
}

}  // namespace
