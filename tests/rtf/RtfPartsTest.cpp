// The small pieces every layer relies on for text and numbering: one rule for line breaks, the
// numbering maps in both directions, and the link a field instruction names.
#include <gtest/gtest.h>

#include "rtf/Numbering.h"
#include "rtf/PlainText.h"
#include "rtf/RtfFields.h"
#include "rtf/RtfReader.h"
#include "rtf/RtfWriter.h"
#include "rtf/TermLinks.h"

#include <QTextCursor>
#include <QTextDocument>

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

TEST(RtfParts, ATermLinkNamesItsTermByKeyAndNothingElseReadsAsOne) {
  EXPECT_EQ(TermLinkHref(42), QStringLiteral("termora-term:42"));
  const struct {
    const char* href;
    qint64 key;
    bool ours;
  } cases[] = {
      {"termora-term:42", 42, true}, {"TERMORA-TERM:7", 7, true},  {"termora-term:", 0, true},
      {"termora-term:4x", 0, true},  {"termora-term:-4", 0, true}, {"termora-term:99999999999999999999", 0, true},
      {"https://example.org/termora-term:4", 0, false},            {"file:///termora-term:4", 0, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TermLinkKey(QString::fromLatin1(c.href)), c.key) << c.href;
    EXPECT_EQ(IsTermLink(QString::fromLatin1(c.href)), c.ours) << c.href;
  }
}

TEST(RtfParts, ALinkFieldComesBackAsItsWordsAndTargetAndTheTextReadGivesTheTargets) {
  QTextDocument doc;
  QTextCursor c(&doc);
  c.insertText(QString::fromUtf8("См. "));
  QTextCharFormat link;
  link.setAnchor(true);
  link.setAnchorHref(TermLinkHref(7));
  c.insertText(QString::fromUtf8("медогонку"), link);
  c.insertText(QStringLiteral(", "), QTextCharFormat());
  link.setAnchorHref(TermLinkHref(9));
  c.insertText(QString::fromUtf8("рамку"), link);
  const QByteArray rtf = WriteRtf(doc);
  EXPECT_TRUE(rtf.contains("{\\field{\\*\\fldinst{HYPERLINK \"termora-term:7\"}}{\\fldrslt{")) << rtf.constData();

  QTextDocument back;
  QTextCursor at(&back);
  ASSERT_TRUE(ReadRtf(rtf, at));
  QTextCursor word(&back);
  word.setPosition(6);
  EXPECT_EQ(word.charFormat().anchorHref(), QStringLiteral("termora-term:7"));
  EXPECT_EQ(back.toPlainText(), QString::fromUtf8("См. медогонку, рамку"));

  QString text;
  QStringList targets;
  ASSERT_TRUE(ReadRtfText(rtf, &text, nullptr, nullptr, &targets));
  EXPECT_EQ(text, QString::fromUtf8("См. медогонку, рамку"));
  EXPECT_EQ(targets, (QStringList{QStringLiteral("termora-term:7"), QStringLiteral("termora-term:9")}));
}
