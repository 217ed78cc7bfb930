// The engine over what office documents hold: positions, lines, find and printing inside tables;
// hidden text; the character and paragraph record fields that carry the kept properties; and
// what the engine draws that the layout does not (labels, borders, leaders).
#include <gtest/gtest.h>

#include <QApplication>
#include <QHelpEvent>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextTable>
#include <QToolTip>
#include <set>

#include "engine/RichEngine.h"
#include "rtf/TextModel.h"
#include "tests/common/PdfTools.h"

using namespace engine;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace {

const QByteArray kTable =
    "{\\rtf1\\ansi before\\par\\trowd\\cellx1000\\cellx2000\\intbl alpha\\cell beta\\par gamma\\cell\\row"
    "\\trowd\\cellx1000\\cellx2000\\intbl delta\\cell epsilon\\cell\\row\\pard after\\par}";

void Select(TRichEngine& e, int a, int b) {
  CHARRANGE r{a, b};
  e.Perform(EM_EXSETSEL, 0, LPARAM(&r));
}

std::u16string U(const char* s) { return QString::fromUtf8(s).toStdU16String(); }

// A document of `rows` rows of two cells each, one word per cell, and a paragraph after it.
QByteArray LongTable(int rows) {
  QByteArray rtf = "{\\rtf1\\ansi ";
  for (int r = 0; r < rows; ++r)
    rtf += "\\trowd\\cellx2000\\cellx4000\\intbl row" + QByteArray::number(r) + "\\cell cell" + QByteArray::number(r) +
           "\\par second line\\cell\\row";
  return rtf + "\\pard end\\par}";
}

}  // namespace

TEST(RichEngineTables, PositionsTextAndLinesCountEveryCellEndOnce) {
  TRichEngine e;
  e.resize(400, 300);
  ASSERT_TRUE(e.LoadRtf(kTable));
  const QString text = e.Text();
  // Each cell ends in one CELL character; the paragraph before the table ends as paragraphs do.
  EXPECT_EQ(text, QStringLiteral("before\ralpha\abeta\rgamma\adelta\aepsilon\aafter"));
  EXPECT_EQ(e.TextLength(), text.size());
  for (int i = 0; i < text.size(); ++i) ASSERT_EQ(e.GetTextRange(i, i + 1), text.mid(i, 1)) << i;
  EXPECT_EQ(e.GetTextRange(7, 18), QStringLiteral("alpha\abeta\r"));
  // Lines: each cell paragraph is a line; a line ends in the character that ends it.
  const int gamma = int(text.indexOf(QStringLiteral("gamma")));
  const int line = e.LineFromChar(gamma + 2);
  EXPECT_EQ(e.LineIndex(line), gamma);
  EXPECT_EQ(e.LineLength(gamma), 5);
  EXPECT_EQ(e.GetLine(line), QStringLiteral("gamma\a"));
  EXPECT_EQ(e.LineIndex(e.GetLineCount()), -1);
  // Find goes into cells; selecting what it found selects the word.
  FINDTEXTEX ft;
  const std::u16string what = U("epsilon");
  ft.chrg = {0, -1};
  ft.lpstrText = what.c_str();
  const LONG at = e.FindText(FR_DOWN, ft);
  EXPECT_EQ(at, text.indexOf(QStringLiteral("epsilon")));
  Select(e, ft.chrgText.cpMin, ft.chrgText.cpMax);
  EXPECT_EQ(e.GetSelText(), QStringLiteral("epsilon"));
  // Plain text out: cells apart by tabs, rows by line breaks.
  const QByteArray plain = e.SaveBytes(SF_TEXT);
  EXPECT_EQ(QString::fromLatin1(plain), QStringLiteral("before\r\nalpha\tbeta\r\ngamma\r\ndelta\tepsilon\r\nafter"));
}

TEST(RichEngineTables, FormatRangeBreaksLongTablesBetweenRows) {
  TRichEngine e;
  ASSERT_TRUE(e.LoadRtf(LongTable(60)));
  QTextTable* table = nullptr;
  for (QTextFrame* f : e.document()->rootFrame()->childFrames()) table = qobject_cast<QTextTable*>(f);
  ASSERT_NE(table, nullptr);
  std::set<int> rowStarts;
  for (int r = 0; r < table->rows(); ++r) rowStarts.insert(table->cellAt(r, 0).firstPosition());
  QImage page(850, 1100, QImage::Format_RGB32);
  QPainter p(&page);
  FORMATRANGE fr;
  fr.hdc = fr.hdcTarget = &p;
  fr.rc = {720, 720, 720 + 6 * 1440, 720 + 3 * 1440};  // three inches of page: a few rows each
  fr.rcPage = {0, 0, 8 * 1440, 11 * 1440};
  fr.chrg = {0, -1};
  int pages = 0;
  for (LONG next = 0; next < e.TextLength() && pages < 100; ++pages) {
    fr.chrg.cpMin = next;
    const LONG end = e.FormatRange(true, &fr);
    ASSERT_GT(end, next);
    // A page inside the table ends where a row starts, never inside a row.
    if (end < table->lastPosition()) {
      EXPECT_TRUE(rowStarts.count(end)) << "page " << pages << " ends at " << end;
    }
    next = end;
  }
  EXPECT_GT(pages, 3);
  e.FormatRange(false, nullptr);
}

TEST(RichEngineFields, APageFieldPrintsTheNumberOfThePageItIsOn) {
  ASSERT_TRUE(pdf::ToolsAvailable()) << "poppler-utils must be installed";
  TRichEngine e;
  ASSERT_TRUE(e.LoadRtf("{\\rtf1\\ansi Sheet {\\field{\\*\\fldinst PAGE}{\\fldrslt }} of the report\\par"
                        "\\page Sheet {\\field{\\*\\fldinst PAGE}{\\fldrslt }} again\\par}"));
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("pages.pdf"));
  {
    QPdfWriter writer(path);
    writer.setResolution(300);
    QPainter p(&writer);
    FORMATRANGE fr;
    fr.hdc = fr.hdcTarget = &p;
    fr.rc = {0, 0, 6 * 1440, 9 * 1440};
    fr.rcPage = fr.rc;
    int pages = 0;
    for (LONG next = 0; next < e.TextLength() && pages < 10; ++pages) {
      if (pages) writer.newPage();
      fr.chrg = {next, -1};
      const LONG end = e.FormatRange(true, &fr);
      ASSERT_GT(end, next);
      next = end;
    }
    e.FormatRange(false, nullptr);
  }
  const QStringList texts = pdf::PageTexts(path);
  ASSERT_EQ(texts.size(), 2);
  EXPECT_TRUE(texts[0].simplified().startsWith(QStringLiteral("Sheet 1 of the report"))) << texts[0].toStdString();
  EXPECT_TRUE(texts[1].simplified().startsWith(QStringLiteral("Sheet 2 again"))) << texts[1].toStdString();
  // Written back as it came, with no result of its own.
  EXPECT_TRUE(e.SaveRtf().contains("{\\field{\\*\\fldinst{PAGE}}{\\fldrslt }}"));
}

TEST(RichEngineFields, AFootnotesMarkShowsItsTextWhenPointedAt) {
  TRichEngine e;
  e.resize(400, 200);
  e.show();
  ASSERT_TRUE(e.LoadRtf("{\\rtf1\\ansi Honey{\\super\\chftn{\\footnote\\pard {\\super\\chftn} Stored in the comb.}}"
                        " is sweet.\\par}"));
  QApplication::processEvents();
  auto point = [&](int ch) {
    QTextCursor a(e.document()), z(e.document());
    a.setPosition(ch);
    z.setPosition(ch + 1);
    const QPoint at((e.cursorRect(a).x() + e.cursorRect(z).x()) / 2, e.cursorRect(a).center().y());
    QHelpEvent help(QEvent::ToolTip, at, e.viewport()->mapToGlobal(at));
    QApplication::sendEvent(e.viewport(), &help);
  };
  ASSERT_EQ(e.Text().mid(5, 1), QStringLiteral("1"));  // the mark
  point(2);
  EXPECT_FALSE(QToolTip::isVisible());
  point(5);
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_EQ(QToolTip::text().simplified(), QStringLiteral("Stored in the comb."));
  // Moved on to plain text, the tip goes (after the toolkit's short delay).
  point(8);
  QTest::qWait(600);
  EXPECT_FALSE(QToolTip::isVisible());
  QToolTip::hideText();
}

TEST(RichEngineHidden, HiddenTextTakesNoRoomAndStaysHiddenThroughFormats) {
  TRichEngine e;
  e.resize(500, 200);
  e.show();
  ASSERT_TRUE(e.LoadRtf("{\\rtf1\\ansi\\f0\\fs24 see{\\v HIDDENHIDDENHIDDEN} this\\par}"));
  QApplication::processEvents();
  const int afterSee = e.PosFromChar(3).x();
  const int afterHidden = e.PosFromChar(3 + 18).x();
  EXPECT_LE(afterHidden - afterSee, 3) << "hidden text takes room";
  // Every position still counts.
  EXPECT_EQ(e.Text(), QStringLiteral("seeHIDDENHIDDENHIDDEN this"));
  CHARFORMAT2 cf;
  Select(e, 5, 10);
  e.GetCharFormat(SCF_SELECTION, cf);
  EXPECT_TRUE(cf.dwMask & CFM_HIDDEN);
  EXPECT_TRUE(cf.dwEffects & CFE_HIDDEN);
  // Making it bold keeps it hidden; unhiding gives it its room back.
  CHARFORMAT2 bold;
  bold.dwMask = CFM_BOLD;
  bold.dwEffects = CFE_BOLD;
  Select(e, 3, 21);
  ASSERT_TRUE(e.SetCharFormat(SCF_SELECTION, bold));
  QApplication::processEvents();
  EXPECT_LE(e.PosFromChar(21).x() - e.PosFromChar(3).x(), 3);
  EXPECT_TRUE(e.SaveRtf().contains("\\b\\v HIDDEN")) << e.SaveRtf().constData();
  CHARFORMAT2 show;
  show.dwMask = CFM_HIDDEN;
  ASSERT_TRUE(e.SetCharFormat(SCF_SELECTION, show));
  QApplication::processEvents();
  EXPECT_GT(e.PosFromChar(21).x() - e.PosFromChar(3).x(), 50);
  EXPECT_FALSE(e.SaveRtf().contains("\\v H")) << e.SaveRtf().constData();
  // And hiding other text through the record hides it.
  CHARFORMAT2 hide;
  hide.dwMask = CFM_HIDDEN;
  hide.dwEffects = CFE_HIDDEN;
  Select(e, 0, 3);
  ASSERT_TRUE(e.SetCharFormat(SCF_SELECTION, hide));
  QApplication::processEvents();
  EXPECT_LE(e.PosFromChar(3).x() - e.PosFromChar(0).x(), 3);
  EXPECT_TRUE(e.SaveRtf().contains("\\pard\\v\\f0\\fs24 see")) << e.SaveRtf().constData();
}

TEST(RichEngineKept, CharacterRecordCarriesTheKeptProperties) {
  TRichEngine e;
  e.SetPlainText(QStringLiteral("one two three"));
  Select(e, 0, 3);
  CHARFORMAT2 set;
  set.dwMask = CFM_UNDERLINETYPE | CFM_UNDERLINE | CFM_SPACING | CFM_KERNING | CFM_OFFSET | CFM_LCID | CFM_ALLCAPS |
               CFM_SMALLCAPS | CFM_OUTLINE | CFM_SHADOW;
  set.dwEffects = CFE_UNDERLINE | CFE_SMALLCAPS | CFE_OUTLINE | CFE_SHADOW;
  set.bUnderlineType = CFU_UNDERLINEWAVE;
  set.sSpacing = 40;
  set.wKerning = 240;
  set.yOffset = 60;
  set.lcid = 1033;
  ASSERT_TRUE(e.SetCharFormat(SCF_SELECTION, set));
  CHARFORMAT2 got;
  e.GetCharFormat(SCF_SELECTION, got);
  EXPECT_EQ(got.bUnderlineType, CFU_UNDERLINEWAVE);
  EXPECT_TRUE(got.dwEffects & CFE_UNDERLINE);
  EXPECT_EQ(got.sSpacing, 40);
  EXPECT_EQ(got.wKerning, 240);
  EXPECT_EQ(got.yOffset, 60);
  EXPECT_EQ(got.lcid, 1033u);
  EXPECT_EQ(got.dwEffects & (CFE_ALLCAPS | CFE_SMALLCAPS | CFE_OUTLINE | CFE_SHADOW),
            CFE_SMALLCAPS | CFE_OUTLINE | CFE_SHADOW);
  // A selection across different values does not claim them.
  Select(e, 0, 7);
  e.GetCharFormat(SCF_SELECTION, got);
  EXPECT_FALSE(got.dwMask & (CFM_UNDERLINETYPE | CFM_SPACING | CFM_KERNING | CFM_OFFSET | CFM_LCID | CFM_SMALLCAPS));
  // Stored and loaded, the same.
  TRichEngine back;
  ASSERT_TRUE(back.LoadRtf(e.SaveRtf()));
  Select(back, 0, 3);
  CHARFORMAT2 again;
  back.GetCharFormat(SCF_SELECTION, again);
  EXPECT_EQ(again.bUnderlineType, CFU_UNDERLINEWAVE);
  EXPECT_EQ(again.sSpacing, 40);
  EXPECT_EQ(again.wKerning, 240);
  EXPECT_EQ(again.yOffset, 60);
  EXPECT_EQ(again.lcid, 1033u);
  EXPECT_EQ(again.dwEffects & (CFE_SMALLCAPS | CFE_OUTLINE | CFE_SHADOW), CFE_SMALLCAPS | CFE_OUTLINE | CFE_SHADOW);
}

TEST(RichEngineKept, ParagraphRecordCarriesTabsEffectsBordersAndShading) {
  TRichEngine e;
  e.SetPlainText(QStringLiteral("a\tb\tc\rnext"));
  Select(e, 0, 0);
  PARAFORMAT2 set;
  set.dwMask = PFM_TABSTOPS | PFM_KEEP | PFM_KEEPNEXT | PFM_RTLPARA | PFM_BORDER | PFM_SHADING;
  set.cTabCount = 2;
  set.rgxTabs[0] = 2880 | (2 << 24) | (1 << 28);  // right, dots
  set.rgxTabs[1] = 4320 | (3 << 24);               // decimal
  set.wEffects = PFE_KEEP | PFE_KEEPNEXT;
  set.wBorders = 1 | 2 | 4 | 8 | (1 << 8);
  set.wBorderWidth = 15;
  set.wBorderSpace = 40;
  set.wShadingWeight = 2500;
  ASSERT_TRUE(e.SetParaFormat(set));
  PARAFORMAT2 got;
  e.GetParaFormat(got);
  EXPECT_EQ(got.cTabCount, 2);
  EXPECT_EQ(got.rgxTabs[0], set.rgxTabs[0]);
  EXPECT_EQ(got.rgxTabs[1], set.rgxTabs[1]);
  EXPECT_EQ(got.wEffects & (PFE_KEEP | PFE_KEEPNEXT | PFE_RTLPARA), PFE_KEEP | PFE_KEEPNEXT);
  EXPECT_EQ(got.wBorders & 0xF, 0xF);
  EXPECT_EQ(got.wBorderWidth, 15);
  EXPECT_EQ(got.wBorderSpace, 40);
  EXPECT_EQ(got.wShadingWeight, 2500);
  EXPECT_EQ(e.document()->begin().blockFormat().tabPositions().value(0).type, QTextOption::RightTab);
  const QByteArray rtf = e.SaveRtf();
  for (const char* word : {"\\tqr\\tldot\\tx2880", "\\tqdec\\tx4320", "\\keep\\keepn", "\\brdrt\\brdrs\\brdrw15\\brsp40",
                           "\\brdrr\\brdrs\\brdrw15\\brsp40", "\\shading2500"})
    EXPECT_TRUE(rtf.contains(word)) << word << "\n" << rtf.constData();
  // A paragraph in a table says so.
  TRichEngine t;
  ASSERT_TRUE(t.LoadRtf(kTable));
  Select(t, 8, 8);
  t.GetParaFormat(got);
  EXPECT_TRUE(got.wEffects & PFE_TABLE);
}

TEST(RichEngineKept, StoredTextNamesTheWindowsFontNotTheMachines) {
  // The same text saved under two different desktop fonts gives the same bytes.
  const QFont desktop = QApplication::font();
  QByteArray saved[2];
  const QFont machines[2] = {QFont(QStringLiteral("DejaVu Serif"), 15), QFont(QStringLiteral("Sans Serif"), 9)};
  for (int i = 0; i < 2; ++i) {
    QApplication::setFont(machines[i]);
    TRichEngine e;
    QFont verdana(QStringLiteral("Verdana"));
    verdana.setPointSize(12);
    e.setFont(verdana);
    e.SetPlainText(QStringLiteral("x"));
    saved[i] = e.SaveRtf();
  }
  QApplication::setFont(desktop);
  EXPECT_TRUE(saved[0].contains("Verdana;")) << saved[0].constData();
  EXPECT_TRUE(saved[0].contains("\\fs24"));
  EXPECT_FALSE(saved[0].contains("DejaVu Serif") || saved[0].contains("\\fs30")) << saved[0].constData();
  EXPECT_EQ(saved[0], saved[1]);
}

TEST(RichEngineKept, LabelsBordersAndLeadersAreDrawn) {
  TRichEngine e;
  e.resize(500, 300);
  e.setFont(QFont(QStringLiteral("DejaVu Sans"), 12));
  ASSERT_TRUE(e.LoadRtf(
      "{\\rtf1\\ansi{\\*\\listtable{\\list{\\listlevel\\levelnfc0\\levelstartat7{\\leveltext\\'02\\'00.;}}\\listid5}}"
      "{\\*\\listoverridetable{\\listoverride\\listid5\\ls1}}"
      "\\pard\\fi-720\\li1440\\ls1 numbered\\par"
      "\\pard\\box\\brdrs\\brdrw30 boxed\\par"
      "\\pard\\tqr\\tldot\\tx5000 a\\tab b\\par}"));
  e.show();
  QApplication::processEvents();
  const QImage shot = e.viewport()->grab().toImage();
  auto inked = [&](QRect r) {
    int dark = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x) dark += qGray(shot.pixel(x, y)) < 128;
    return dark;
  };
  const QTextBlock numbered = e.document()->begin();
  const QRect first = e.cursorRect(QTextCursor(numbered));
  // The label "7." stands in the hanging indent, left of where the text starts.
  EXPECT_GT(inked(QRect(std::max(0, first.left() - 48), first.top(), 44, first.height())), 5);
  // The box runs along the paragraph's left edge, above and below it.
  const QRect boxed = e.cursorRect(QTextCursor(numbered.next()));
  EXPECT_GT(inked(QRect(0, boxed.top() - 4, 500, 4)), 100);
  // The leader fills the space of the tab with dots.
  const QTextBlock tabs = numbered.next().next();
  const QRect a = e.cursorRect(QTextCursor(tabs));
  EXPECT_GT(inked(QRect(a.left() + 40, a.top(), 200, a.height())), 20);
}
