// The small pieces every layer relies on for text and numbering: one rule for line breaks, the
// numbering maps in both directions, and the link a field instruction names.
#include <gtest/gtest.h>

#include "rtf/Numbering.h"
#include "rtf/PlainText.h"
#include "rtf/RtfFields.h"

using namespace rtf;

TEST(RtfParts, EveryLineBreakBecomesOneCrLf) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"a\rb", "a\r\nb"},     {"a\nb", "a\r\nb"},         {"a\r\nb", "a\r\nb"},
      {"a\n\rb", "a\r\n\r\nb"}, {"a\r\r\nb", "a\r\n\r\nb"}, {"\r", "\r\n"},
      {"no break", "no break"},
  };
  for (const auto& c : cases) EXPECT_EQ(NormalizeLineBreaks(c.in), QByteArray(c.out)) << c.in;
}

TEST(RtfParts, LinesSplitAtAnyBreakWithoutATrailingEmptyLine) {
  EXPECT_EQ(SplitLines(QStringLiteral("one\r\ntwo\nthree\rfour")),
            (QStringList{"one", "two", "three", "four"}));
  EXPECT_EQ(SplitLines(QStringLiteral("one\r\n")), QStringList{"one"});
  EXPECT_EQ(SplitLines(QStringLiteral("one\r\n\r\ntwo")), (QStringList{"one", "", "two"}));
  EXPECT_TRUE(SplitLines(QString()).isEmpty());
}

TEST(RtfParts, NumberingKindsSurviveTheListStyleTheyShowAs) {
  for (int kind = kBulletNumbering; kind <= kUpperRomanNumbering; ++kind)
    EXPECT_EQ(NumberingOfListStyle(ListStyleOf(kind)), kind) << kind;
  EXPECT_EQ(NumberingOfListStyle(QTextListFormat::ListCircle), kBulletNumbering);
  EXPECT_EQ(NumberingOfListStyle(QTextListFormat::ListSquare), kBulletNumbering);
  const struct {
    int nfc, kind;
  } levels[] = {{0, kArabicNumbering},      {1, kUpperRomanNumbering}, {2, kLowerRomanNumbering},
                {3, kUpperLetterNumbering}, {4, kLowerLetterNumbering}, {23, kBulletNumbering},
                {255, kNoNumbering},        {47, kArabicNumbering}};
  for (const auto& l : levels) EXPECT_EQ(NumberingOfLevelNfc(l.nfc), l.kind) << l.nfc;
}

TEST(RtfParts, LabelsAndTheTextAroundANumberAgree) {
  const struct {
    int kind, number, style;
    const char* label;
  } cases[] = {{kArabicNumbering, 3, kNumberParen, "3)"},     {kLowerLetterNumbering, 28, kNumberParens, "(ab)"},
               {kUpperRomanNumbering, 14, kNumberPeriod, "XIV."}, {kLowerRomanNumbering, 4, kNumberPlain, "iv"}};
  for (const auto& c : cases) EXPECT_EQ(ListLabel(c.kind, c.number, c.style), QString::fromLatin1(c.label));
  // What the reader sees around an old-style number is the style the writer frames it with.
  EXPECT_EQ(NumberStyleOfText(QStringLiteral("("), QStringLiteral(")")), kNumberParens);
  EXPECT_EQ(NumberStyleOfText(QString(), QStringLiteral(" )")), kNumberParen);
  EXPECT_EQ(NumberStyleOfText(QString(), QString()), kNumberPlain);
  EXPECT_EQ(NumberStyleOfText(QString(), QStringLiteral(".")), kNumberPeriod);
}

TEST(RtfParts, AHyperlinkFieldNamesItsTargetAndAnchor) {
  const struct {
    const char* instruction;
    const char* target;
  } cases[] = {
      {"HYPERLINK \"http://example.org/a b\"", "http://example.org/a b"},
      {" hyperlink \"page.html\" \\l \"part\" ", "page.html#part"},
      {"HYPERLINK \\l \"top\"", "#top"},
      {"HYPERLINK \"C:\\\\dir\\\\file\"", "C:\\dir\\file"},
      {"PAGE \\* MERGEFORMAT", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(HyperlinkTarget(QString::fromLatin1(c.instruction)), QString::fromLatin1(c.target)) << c.instruction;
}
