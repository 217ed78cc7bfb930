// Hostile and broken RTF: the reader neither crashes nor hangs, keeps its memory bounded, and
// what it did read writes and reads back the same.

#include <gtest/gtest.h>

#include <QTextCursor>
#include <QTextDocument>

#include "rtf/PlainText.h"
#include "rtf/RtfReader.h"
#include "rtf/RtfWriter.h"
#include "rtf/TextModel.h"

using namespace rtf;

namespace {

struct Result {
  bool read = false;
  QString text;
  std::unique_ptr<QTextDocument> doc;
};

Result Read(const QByteArray& rtf) {
  Result r;
  r.doc = std::make_unique<QTextDocument>();
  QTextCursor c(r.doc.get());
  r.read = ReadRtf(rtf, c);
  r.text = r.doc->toPlainText();
  return r;
}

// Whatever was read must come back unchanged through the engine's own form.
void ExpectStableRoundTrip(const QTextDocument& doc, const std::string& what) {
  const QByteArray out = WriteRtf(doc);
  QTextDocument again;
  QTextCursor c(&again);
  ASSERT_TRUE(ReadRtf(out, c)) << what;
  EXPECT_EQ(again.toPlainText(), doc.toPlainText()) << what;
  EXPECT_EQ(WriteRtf(again), out) << what;
}

}  // namespace

TEST(RtfSafety, HundredThousandNestedGroups) {
  const int n = 100000;
  const QByteArray rtf = "{\\rtf1 before" + QByteArray(n, '{') + "deep\\b " +
                         QByteArray(n, '}') + " after}";
  const Result r = Read(rtf);
  ASSERT_TRUE(r.read);
  EXPECT_TRUE(r.text.startsWith(QLatin1String("before")));
  EXPECT_TRUE(r.text.endsWith(QLatin1String(" after")));
  // Escaped braces deep down are text, not groups: the text after them is still reached.
  const Result escaped =
      Read("{\\rtf1 a" + QByteArray(n, '{') + "\\}\\}" + QByteArray(n, '}') + "b}");
  EXPECT_EQ(escaped.text, QStringLiteral("ab"));
  // Unclosed, too: the end of the file closes them all.
  const Result open = Read("{\\rtf1 x" + QByteArray(n, '{') + "y");
  EXPECT_TRUE(open.read);
  EXPECT_TRUE(open.text.startsWith(u'x'));
}

TEST(RtfSafety, BinaryLengthsBeyondTheFile) {
  for (const QByteArray& rtf :
       {QByteArray("{\\rtf1 a{\\pict\\pngblip\\bin999999999 xyz}"),
        QByteArray("{\\rtf1 a{\\*\\blob\\bin2147483647 }b}"),
        QByteArray("{\\rtf1 a\\bin99999999999999999999 b}"), QByteArray("{\\rtf1 a\\bin-5 b}"),
        QByteArray("{\\rtf1 a\\bin"), QByteArray("{\\rtf1 a{\\pict\\bin4 12")}) {
    const Result r = Read(rtf);
    EXPECT_TRUE(r.read) << rtf.toStdString();
    EXPECT_TRUE(r.text.startsWith(u'a')) << rtf.toStdString();
    ExpectStableRoundTrip(*r.doc, rtf.toStdString());
  }
}

TEST(RtfSafety, HugeUnicodeAndHexSequences) {
  // Out-of-range numbers, a skip count far beyond what follows, and a megabyte of escapes.
  const Result big = Read("{\\rtf1 \\u99999999999999?a\\u-2147483649?b\\uc99999999\\u1040 cd{e}f}");
  ASSERT_TRUE(big.read);
  EXPECT_TRUE(big.text.contains(u'a') && big.text.contains(u'b'));
  EXPECT_TRUE(big.text.endsWith(QLatin1String("ef"))) << "a group ends the skipping";

  QByteArray escapes = "{\\rtf1\\ansi\\ansicpg1251 ";
  for (int i = 0; i < 250000; ++i) escapes += "\\'e0";
  escapes += "}";
  const Result hex = Read(escapes);
  ASSERT_TRUE(hex.read);
  EXPECT_EQ(hex.text, QString(250000, QChar(0x0430)));

  QByteArray unicode = "{\\rtf1 ";
  for (int i = 0; i < 100000; ++i) unicode += "\\u-10179?\\u-8704?\\u55357\\'3f";
  unicode += "}";
  const Result u = Read(unicode);
  ASSERT_TRUE(u.read);
  EXPECT_EQ(u.text.size(), 100000 * 3) << "each pair, and a question mark for each lone half";
  ExpectStableRoundTrip(*u.doc, "surrogates");
}

TEST(RtfSafety, AFileCutOffAnywhereReadsWhatItHas) {
  // A small document with every kind of group, cut after every byte.
  const QByteArray full =
      "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fnil\\fcharset204 Arial;}}"
      "{\\colortbl ;\\red255\\green0\\blue0;}{\\*\\listtable{\\list{\\listlevel\\levelnfc0}\\listid1}}"
      "\\viewkind4\\uc1\\pard\\qc\\li720\\fi-360\\sl-300\\slmult0\\tx720\\f0\\fs20 \\b\\cf1 \\'cf\\'f7"
      "\\b0\\cf0 \\u1071? {\\field{\\*\\fldinst{HYPERLINK \"http://a.ru\"}}{\\fldrslt{\\ul link}}}\\par\r\n"
      "\\pard{\\pntext\\'95\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'95}}x{\\pict\\pngblip\\picw1\\pich1 89504e47}"
      "{\\object\\objemb{\\*\\objclass P}{\\*\\objdata 0102}{\\result{\\pict\\wmetafile8 0100}}}"
      "\\trowd\\cellx100\\intbl c\\cell\\row\\page y\\bin3 abc\\line z\\par\r\n}";
  for (qsizetype n = 0; n <= full.size(); ++n) {
    const QByteArray prefix = full.left(n);
    const Result r = Read(prefix);
    EXPECT_EQ(r.read, LooksLikeRtf(prefix)) << n;
    if (r.read) ExpectStableRoundTrip(*r.doc, "prefix of " + std::to_string(n));
    if (HasFailure()) break;
  }
}

TEST(RtfSafety, FiftyMegabytesOfObjectData) {
  const QByteArray head = "{\\object\\objemb{\\*\\objclass Package}{\\*\\objdata ";
  QByteArray group;
  group.reserve(50 * 1024 * 1024 + 200);
  group += head;
  const QByteArray line = QByteArray(126, 'a') + "\r\n";
  while (group.size() < 50 * 1024 * 1024) group += line;
  group += "}}";
  const Result r = Read("{\\rtf1 a" + group + "b}");
  ASSERT_TRUE(r.read);
  EXPECT_EQ(r.text, QString::fromUtf8("a\uFFFCb"));
  QTextCursor c(r.doc.get());
  c.setPosition(2);
  EXPECT_EQ(c.charFormat().property(kObjectRtf).toByteArray().size(), group.size())
      << "the object is kept whole";
}

TEST(RtfSafety, InputsTheFuzzerFoundWriteBackTheSame) {
  const std::vector<std::pair<const char*, QByteArray>> cases = {
      {"a tab in a font name", "{\\rtf1{\\fonttbl{\\f0 Bad\tName;}}\\f0 x}"},
      {"a font name starting with a delete character", "{\\rtf1{\\fonttbl{\\f0 \\'7f Name;}}\\f0 x}"},
      {"a font name with braces", "{\\rtf1{\\fonttbl{\\f0 A\\{b\\};}}\\f0 x}"},
      {"a font table inside a picture",
       "{\\rtf1{\\fonttbl{\\f0 One;}}\\f0 a{\\pict\\pngblip{\\fonttbl{\\f0 Two;}} 00}b}"},
      {"a picture that is not its group's first word", "{\\rtf1 a{\\b \\{\\pict\\pngblip 00}b}"},
      {"a picture cut off inside binary data", "{\\rtf1 a{\\pict\\pngblip\\bin10 xy"},
      {"a tab in a link target",
       "{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"a\tb\"}{\\fldrslt link}}}"},
      {"a field result inside a picture",
       "{\\rtf1 {\\field{\\*\\fldinst HYPERLINK x}{\\pict{\\fldrslt text}}}}"},
      {"a row of cells reaching past the widest edge read", "{\\rtf1 " + QByteArray("\\cell x\\line ").repeated(60) + "}"},
      {"text between two tables that goes into the second",
       "{\\rtf1\\trowd\\cellx1000\\intbl a\\cell\\row\\pard x\\pard\\intbl b\\cell\\row}"},
      {"one empty paragraph between two tables",
       "{\\rtf1\\trowd\\cellx1000\\intbl a\\cell\\row\\pard\\par\\trowd\\cellx2000\\intbl b\\cell\\row}"},
      {"a field instruction ending in a control character",
       "{\\rtf1 {\\field{\\*\\fldinst{INCLUDEPICTURE a\\u255?\x0f }}{\\fldrslt{ }}}}"},
      {"a link field behind a delete character, with an empty result",
       "{\\rtf1 {\\field{\\*\\fldinst\x7fHYPERLINK \x1c\"x\"}{\\fldrslt{}}}a}"},
      {"plain text, braces and a backslash in a symbol font",
       "{\\rtf1{\\fonttbl{\\f0 A;}{\\f1\\fcharset2 Symbol;}}\\f1 ab \\{\\\\\\} \\u1071? \\'e0 \\u97?\\u92?\\u123?\\u224?\\f0 c}"},
      {"a footnote mark with no footnote after it, before one that has it",
       "{\\rtf1 a{\\super\\chftn} b{\\super\\chftn}{\\footnote\\pard{\\super\\chftn} note}c}"},
      {"a control character alone in an empty paragraph's formats",
       "{\\rtf1 a{\\footnote\\tx4\x01}\\par\\pard\\qc\x01}"},
      {"a list whose only paragraph becomes a table's cell, then the list again",
       "{\\rtf{{\\listtable{\\listlevel\\\\}\\listid}\\listoverridetable{\\ls1}}\\ls1\\cell\\\n\\pard\\ls1i"},
      {"a footnote mark whose number goes nowhere", "{\\rtf1 The\\upr{\\chftn\\footnote"},
      {"a footnote without a mark right after a table", "{\\rtf1{{\\cell \\row\\trleft-108 a.}\\footnote"},
      {"a control character in a list level's label",
       "{\\rtf1{\\listtable{\\list{\\listlevel{\\leveltext\\'08Sect \x10 \\'00;}}\\listid5}}"
       "{\\listoverridetable{\\listoverride\\listid5\\ls1}}\\pard\\ls1 a\\par}"},
      {"a list label in a symbol font with a digit beside a glyph",
       "{\\rtf1{\\fonttbl{\\f2 New;}}{\\listtable{{\\listlevel{\\leveltext\\'021\\u-3913 }\\f2}\\listid2}}"
       "{\\listoverridetable{\\ls2}}\\ls2 a\\par}"},
      {"a tab in a list label", "{\\rtf1{\\listtable{{\\listlevel\\leveltext\\'03\\'00\t.}\\listid2}}{\\listoverridetable{\\ls2}}\\ls2 a}"},
      {"a field whose result is an object", "{\\rtf1\\field{\\fldinst{\"\n}}\\fldrslt{\\object}"},
      {"two footnotes with the same body, one right after the other",
       "{\\rtf1 a{\\super\\chftn}{\\footnote same}{\\super\\chftn}{\\footnote same}{{\\footnote same}\\footnote same}"},
      {"a header that redefines the fonts and code page", "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fcharset204 A;}}\\f0 {\\header\\mac{\\fonttbl{\\f0\\fcharset0 B;}} h}\\'e0}"},
      {"a Cyrillic font name in a Japanese font", "{\\rtf1{\\fonttbl{\\f0\\fcharset128 \\u1040?\\'e0;}}\\f0 x}"},
      {"a footnote of one empty paragraph with formats", "{\\rtf1{\\footnote\\lin283\\par"},
      {"a footnote ending in empty paragraphs", "{\\rtf1 a{\\footnote b\\par\\par}c{\\footnote \\par\\par\\par}}"},
      {"a footnote holding a table, with paragraphs after it",
       "{\\rtf1 a{\\footnote \\trowd\\cellx100\\intbl t\\cell\\row}b{\\footnote \\trowd\\cellx100\\intbl t\\cell\\row\\pard\\par\\par}}"},
  };
  for (const auto& [what, rtf] : cases) {
    const Result r = Read(rtf);
    ASSERT_TRUE(r.read) << what;
    ExpectStableRoundTrip(*r.doc, what);
    // The text read without a document is the document's.
    QString text;
    ASSERT_TRUE(ReadRtfText(rtf, &text)) << what;
    EXPECT_EQ(text, PlainText(*r.doc)) << what;
  }
}
