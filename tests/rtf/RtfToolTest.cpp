// What the reader leaves out and lays out, its text read without a document, and how
// termora-rtf tells a script what it did.
#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTextCursor>
#include <QTextDocument>

#include "rtf/PlainText.h"
#include "rtf/RtfReader.h"
#include "tests/common/SourcePath.h"

using namespace rtf;

namespace {

// `inner` at group depth `depth`, the root group counting as the first.
QByteArray Nested(int depth, const QByteArray& inner) {
  return "{\\rtf1 top" + QByteArray(depth - 1, '{') + inner + QByteArray(depth - 1, '}') + "}";
}

struct Converted {
  int exitCode = -1;
  QByteArray out, err;
};

Converted Convert(const QByteArray& rtf, const QString& mode = QStringLiteral("text")) {
  QProcess p;
  p.start(QStringLiteral(TERMORA_RTF_TOOL), {mode, QStringLiteral("-")});
  Converted c;
  if (!p.waitForStarted()) return c;
  p.write(rtf);
  p.closeWriteChannel();
  if (!p.waitForFinished(60000)) return c;
  c.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  c.out = p.readAllStandardOutput();
  c.err = p.readAllStandardError();
  return c;
}

}  // namespace

TEST(RtfLosses, ContentBeyondTheGroupLimitIsReported) {
  const struct {
    const char* what;
    QByteArray rtf;
    bool lost;
  } cases[] = {
      {"text at the limit", Nested(kMaxGroupDepth, "deep"), false},
      {"text past the limit", Nested(kMaxGroupDepth + 1, "deep"), true},
      {"formatting past the limit", Nested(kMaxGroupDepth + 1, "\\b"), true},
      {"binary data past the limit", Nested(kMaxGroupDepth + 1, "\\bin2 xy"), true},
      {"empty groups past the limit", Nested(kMaxGroupDepth + 50, "\r\n "), false},
  };
  for (const auto& c : cases) {
    QTextDocument doc;
    QTextCursor at(&doc);
    ReadLosses losses;
    losses.nestedTooDeep = !c.lost;  // a read sets it either way
    ASSERT_TRUE(ReadRtf(c.rtf, at, nullptr, &losses)) << c.what;
    EXPECT_EQ(losses.nestedTooDeep, c.lost) << c.what;
    EXPECT_EQ(doc.toPlainText().contains(QLatin1String("deep")), !c.lost && c.rtf.contains("deep")) << c.what;
  }
}

TEST(RtfLosses, ReadingLaysNothingOut) {
  // A picture among the text: drawing it is for whoever shows the document.
  QTextDocument doc;
  QTextCursor at(&doc);
  ASSERT_TRUE(ReadRtf("{\\rtf1 a\\par b{\\pict\\pngblip\\picw1\\pich1 89504e47}\\par c}", at));
  EXPECT_EQ(doc.blockCount(), 3);
  EXPECT_EQ(doc.findChild<QAbstractTextDocumentLayout*>(), nullptr);
}

TEST(RtfText, SameTextWithoutADocument) {
  // Each: the text only, and the text of the document read, must agree.
  std::vector<std::pair<QString, QByteArray>> inputs = {
      {"paragraphs, the last mark ending the text", "{\\rtf1 a\\par b\\par}"},
      {"empty paragraphs", "{\\rtf1 \\par\\par\\par x}"},
      {"line breaks as control words and as bytes", "{\\rtf1 a\\line b\\'0d\\'0ac\\'0ad{\\b \\'0a}e}"},
      {"cells and tabs", "{\\rtf1 \\trowd\\cellx100\\cellx200 a\\cell b\\cell\\row\\pard c\\tab d}"},
      {"objects and pictures", "{\\rtf1 x{\\pict\\pngblip 89504e47}y{\\object{\\*\\objdata 01}{\\result r}}z}"},
      {"fields, hidden destinations, unicode", "{\\rtf1\\uc1 {\\field{\\*\\fldinst HYPERLINK \"u\"}{\\fldrslt link}}"
                                              "{\\*\\foo gone}\\u1071?\\'e0\\page next}"},
      {"unclosed groups", "{\\rtf1 {\\b bold\\par {\\i open"},
      {"a CR byte ending one run, its LF the next", "{\\rtf1 a\\'0d{\\b \\'0a}b\\'0b\\'07c\\u8233?d}"},
      {"text before a table becomes its first cell", "{\\rtf1 lead\\par x\\intbl\\cell y\\cell\\row after}"},
      {"merged cells and a cell after the last edge", "{\\rtf1 \\trowd\\clmgf\\cellx100\\clmrg\\cellx200\\cellx300 "
                                                  "a\\cell\\cell b\\cell c\\cell\\row\\trowd\\cellx300 d\\cell\\row}"},
      {"a nested table", "{\\rtf1 \\trowd\\cellx2000 \\pard\\intbl out\\par \\itap2 in1\\nestcell in2\\nestcell"
                         "{\\*\\nesttableprops\\trowd\\cellx500\\cellx1000\\nestrow}\\pard\\intbl\\cell\\row\\pard end}"},
      {"a table that never ends its row", "{\\rtf1 \\trowd\\cellx100 \\intbl a\\cell b"},
      {"a footnote with its mark, one without, and a table in one",
       "{\\rtf1 a{\\super\\chftn}{\\footnote\\pard{\\super\\chftn} note\\par two} b"
       "{\\footnote bare} c{\\footnote \\trowd\\cellx100\\intbl t\\cell\\row}\\par d}"},
      {"fields with and without a result, a page number", "{\\rtf1 {\\field{\\*\\fldinst DATE}{\\fldrslt 1 May}}"
                                                         "{\\field{\\*\\fldinst TIME}} {\\field{\\*\\fldinst HYPERLINK \"x\"}}"
                                                         "p\\chpgn{\\field{\\*\\fldinst PAGE}{\\fldrslt}}\\par}"},
      {"text boxes after text and at a paragraph's start",
       "{\\rtf1 before{\\*\\do\\dobxcolumn{\\dptxbxtext\\pard box\\par inside}}after\\par"
       "{\\*\\do{\\dptxbxtext lone}}{\\*\\do\\dprect}x}"},
      {"hidden text", "{\\rtf1 shown{\\v hidden\\par more} again\\v0 end}"},
      {"nested and old-style lists",
       "{\\rtf1{\\*\\listtable{\\list{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}}"
       "{\\listlevel\\levelnfc23{\\leveltext\\'01\\u8226 ?;}}\\listid7}}"
       "{\\*\\listoverridetable{\\listoverride\\listid7\\ls1}}"
       "\\pard\\ls1 one\\par\\ilvl1 sub\\par\\pard{\\pntext 1.}{\\*\\pn\\pnlvlbody\\pndec}old\\par plain}"},
  };
  // And every document of the corpus.
  QDirIterator it(SourcePath(QStringLiteral("tests/rtf/rtf-corpus")),
                  {QStringLiteral("*.rtf")}, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    QFile f(it.next());
    if (f.open(QIODevice::ReadOnly)) inputs.emplace_back(f.fileName(), f.readAll());
  }
  ASSERT_GT(inputs.size(), 20u) << "the corpus is missing";
  for (const auto& [what, rtf] : inputs) {
    QTextDocument doc;
    QTextCursor at(&doc);
    const bool read = ReadRtf(rtf, at);
    QString text;
    EXPECT_EQ(ReadRtfText(rtf, &text), read) << what.toStdString();
    if (read) {
      EXPECT_EQ(text, PlainText(doc)) << what.toStdString();
    }
  }
}

TEST(RtfTool, ExitStatusSaysWhetherEverythingWasConverted) {
  const Converted whole = Convert(Nested(kMaxGroupDepth, "deep"));
  EXPECT_EQ(whole.exitCode, 0) << whole.err.toStdString();
  EXPECT_EQ(whole.out, "topdeep\n");
  EXPECT_TRUE(whole.err.isEmpty());

  // What could be read is still written, but the status and standard error say it is not all.
  for (const QString& mode : {QStringLiteral("text"), QStringLiteral("rtf"), QStringLiteral("html")}) {
    const Converted part = Convert(Nested(kMaxGroupDepth + 1, "deep"), mode);
    EXPECT_EQ(part.exitCode, 3) << mode.toStdString();
    EXPECT_TRUE(part.out.contains("top")) << mode.toStdString();
    EXPECT_FALSE(part.out.contains("deep")) << mode.toStdString();
    EXPECT_TRUE(part.err.contains("nested deeper than 256 groups")) << part.err.toStdString();
  }

  const Converted notRtf = Convert("plain words");
  EXPECT_EQ(notRtf.exitCode, 1);
}

TEST(RtfTool, HtmlKeepsOnlyWebLinksAsLinks) {
  const struct {
    const char* target;
    bool link;
  } cases[] = {{"http://example.org/hive", true},
               {"HTTPS://example.org/comb", true},
               {"mailto:keeper@example.org", true},
               {"javascript:alert(1)", false},
               {"JavaScript:alert(2)", false},
               {"file:///etc/passwd", false},
               {"data:text/html,<script>alert(3)</script>", false},
               {"vbscript:msgbox", false},
               {"../../etc/passwd", false}};
  QByteArray rtf = "{\\rtf1 ";
  for (int i = 0; i < int(std::size(cases)); ++i)
    rtf += "{\\field{\\*\\fldinst HYPERLINK \"" + QByteArray(cases[i].target) + "\"}{\\fldrslt word" +
           QByteArray::number(i) + "}} ";
  rtf += "\\par}";
  const Converted html = Convert(rtf, QStringLiteral("html"));
  ASSERT_EQ(html.exitCode, 0) << html.err.toStdString();
  const QString out = QString::fromUtf8(html.out);
  for (int i = 0; i < int(std::size(cases)); ++i) {
    SCOPED_TRACE(cases[i].target);
    const QString word = QStringLiteral("word") + QString::number(i);
    EXPECT_TRUE(out.contains(word));  // the text stays either way
    const QString target = QString::fromUtf8(cases[i].target).toHtmlEscaped();
    EXPECT_EQ(out.contains(QStringLiteral("href=\"") + target), cases[i].link) << html.out.toStdString();
  }
  EXPECT_FALSE(out.contains(QStringLiteral("javascript"), Qt::CaseInsensitive));
  EXPECT_FALSE(out.contains(QStringLiteral("file:")));
}
