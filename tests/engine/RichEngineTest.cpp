// The engine window: each message's main path and the semantics its callers rely on.
#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTest>
#include <tuple>
#include <vector>

#include "engine/RichEngine.h"
#include "rtf/TextModel.h"
#include "rtf/TextObjects.h"

using namespace engine;
using namespace rtf;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace {

// Streams bytes in through the chunk callback, `chunk` bytes at a time.
LRESULT StreamInBytes(TRichEngine& e, DWORD format, const QByteArray& bytes, EDITSTREAM* out = nullptr,
                      LONG chunk = 7) {
  qsizetype pos = 0;
  EDITSTREAM es;
  es.pfnCallback = [&](DWORD_PTR, BYTE* buf, LONG cb, LONG* pcb) -> DWORD {
    const qsizetype n = std::min<qsizetype>(std::min(cb, chunk), bytes.size() - pos);
    memcpy(buf, bytes.constData() + pos, size_t(n));
    pos += n;
    *pcb = LONG(n);
    return 0;
  };
  const LRESULT r = e.Perform(EM_STREAMIN, format, LPARAM(&es));
  if (out) *out = es;
  return r;
}

QByteArray StreamOutBytes(TRichEngine& e, DWORD format, DWORD* error = nullptr) {
  QByteArray out;
  EDITSTREAM es;
  es.pfnCallback = [&](DWORD_PTR, BYTE* buf, LONG cb, LONG* pcb) -> DWORD {
    out.append(reinterpret_cast<const char*>(buf), cb);
    *pcb = cb;
    return 0;
  };
  e.Perform(EM_STREAMOUT, format, LPARAM(&es));
  if (error) *error = es.dwError;
  return out;
}

void Select(TRichEngine& e, int a, int b) {
  CHARRANGE r{a, b};
  e.Perform(EM_EXSETSEL, 0, LPARAM(&r));
}

std::u16string U(const QString& s) { return s.toStdU16String(); }

// Types text key by key, any alphabet.
void Type(QWidget* w, const QString& text) {
  for (QChar c : text) {
    const int key = c.isLetter() && c.unicode() < 128 ? int(c.toUpper().unicode()) : int(Qt::Key_unknown);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &release);
  }
}

}  // namespace

TEST(RichEngine, PlainTextStreamsInWithAnyLineBreakAndOutWithCrLf) {
  TRichEngine e;
  StreamInBytes(e, SF_TEXT, "one\r\ntwo\nthree\rfour");
  EXPECT_EQ(e.Text(), QStringLiteral("one\rtwo\rthree\rfour"));
  EXPECT_EQ(e.TextLength(), 18);
  EXPECT_EQ(StreamOutBytes(e, SF_TEXT), QByteArray("one\r\ntwo\r\nthree\r\nfour"));
  // Cyrillic comes and goes as UTF-8; bytes that are not UTF-8 are the Cyrillic code page.
  StreamInBytes(e, SF_TEXT, QStringLiteral("Пчела").toUtf8());
  EXPECT_EQ(e.Text(), QStringLiteral("Пчела"));
  StreamInBytes(e, SF_TEXT, QByteArray("\xcf\xf7\xe5\xeb\xe0"));
  EXPECT_EQ(e.Text(), QStringLiteral("Пчела"));
}

TEST(RichEngine, RtfStreamsOutAsOneDocumentAndBackIn) {
  TRichEngine e;
  e.SetPlainText(QStringLiteral("Мёд\rВоск"));
  Select(e, 0, 3);
  CHARFORMAT2 cf;
  cf.dwMask = CFM_BOLD;
  cf.dwEffects = CFE_BOLD;
  ASSERT_TRUE(e.Perform(EM_SETCHARFORMAT, SCF_SELECTION, LPARAM(&cf)));
  DWORD err = 1;
  const QByteArray rtf = StreamOutBytes(e, SF_RTF, &err);
  EXPECT_EQ(err, 0u);
  EXPECT_TRUE(rtf.startsWith("{\\rtf1"));
  EXPECT_TRUE(rtf.trimmed().endsWith("}"));

  TRichEngine f;
  EDITSTREAM es;
  StreamInBytes(f, SF_RTF, rtf, &es, 5);
  EXPECT_EQ(es.dwError, 0u);
  EXPECT_EQ(f.Text(), e.Text());
  Select(f, 0, 3);
  CHARFORMAT2 got;
  f.Perform(EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(&got));
  EXPECT_TRUE(got.dwMask & CFM_BOLD);
  EXPECT_TRUE(got.dwEffects & CFE_BOLD);
  // Loading a whole text leaves nothing to undo and nothing modified.
  EXPECT_FALSE(f.Perform(EM_CANUNDO));
  EXPECT_FALSE(f.Perform(EM_GETMODIFY));
}

TEST(RichEngine, StreamInFailuresReportAnErrorAndKeepTheText) {
  TRichEngine e;
  e.SetPlainText(QStringLiteral("kept"));
  EDITSTREAM es;
  StreamInBytes(e, SF_RTF, "plain words, not rtf", &es);
  EXPECT_NE(es.dwError, 0u);
  EXPECT_EQ(e.Text(), QStringLiteral("kept"));

  // A callback that fails ends the load with its own code.
  EDITSTREAM bad;
  bad.pfnCallback = [](DWORD_PTR, BYTE*, LONG, LONG* pcb) -> DWORD {
    *pcb = 0;
    return 77;
  };
  e.Perform(EM_STREAMIN, SF_TEXT, LPARAM(&bad));
  EXPECT_EQ(bad.dwError, 77u);
  EXPECT_EQ(e.Text(), QStringLiteral("kept"));

  // Stream out into a callback that fails.
  EDITSTREAM out;
  out.pfnCallback = [](DWORD_PTR, BYTE*, LONG, LONG* pcb) -> DWORD {
    *pcb = 0;
    return 5;
  };
  e.Perform(EM_STREAMOUT, SF_RTF, LPARAM(&out));
  EXPECT_EQ(out.dwError, 5u);
}

TEST(RichEngine, SelectionStreamsReplaceAndCopyOnlyTheSelection) {
  TRichEngine e;
  e.SetPlainText(QStringLiteral("abc def ghi"));
  Select(e, 4, 7);
  EXPECT_EQ(StreamOutBytes(e, SF_TEXT | SFF_SELECTION), QByteArray("def"));
  StreamInBytes(e, SF_TEXT | SFF_SELECTION, "XYZW");
  EXPECT_EQ(e.Text(), QStringLiteral("abc XYZW ghi"));
  EXPECT_TRUE(e.Perform(EM_CANUNDO));  // a change of the selection is undoable
  const QByteArray part = [&] {
    Select(e, 0, 3);
    return StreamOutBytes(e, SF_RTF | SFF_SELECTION);
  }();
  Select(e, 9, 12);
  StreamInBytes(e, SF_RTF | SFF_SELECTION, part);
  EXPECT_EQ(e.Text(), QStringLiteral("abc XYZW abc"));
}

TEST(RichEngine, LinesCountIndexLengthAndText) {
  TRichEngine e;
  e.SetPlainText(QStringLiteral("first\rsecond line\r\rlast"));
  EXPECT_EQ(e.Perform(EM_GETLINECOUNT), 4);
  EXPECT_EQ(e.Perform(EM_LINEINDEX, 0), 0);
  EXPECT_EQ(e.Perform(EM_LINEINDEX, 1), 6);
  EXPECT_EQ(e.Perform(EM_LINEINDEX, 3), 19);
  EXPECT_EQ(e.Perform(EM_LINEINDEX, 4), -1);  // past the end
  EXPECT_EQ(e.Perform(EM_LINELENGTH, 7), 11);
  EXPECT_EQ(e.Perform(EM_LINELENGTH, 18), 0);
  EXPECT_EQ(e.Perform(EM_LINEFROMCHAR, 8), 1);

  std::vector<char16_t> buf(64);
  *reinterpret_cast<WORD*>(buf.data()) = 64;
  const LRESULT n = e.Perform(EM_GETLINE, 1, LPARAM(buf.data()));
  EXPECT_EQ(QString::fromUtf16(buf.data(), n), QStringLiteral("second line\r"));
  *reinterpret_cast<WORD*>(buf.data()) = 64;
  const LRESULT m = e.Perform(EM_GETLINE, 3, LPARAM(buf.data()));
  EXPECT_EQ(QString::fromUtf16(buf.data(), m), QStringLiteral("last"));  // no break after the last
  // A short buffer gets what fits.
  *reinterpret_cast<WORD*>(buf.data()) = 3;
  EXPECT_EQ(e.Perform(EM_GETLINE, 1, LPARAM(buf.data())), 3);

  TRichEngine empty;
  EXPECT_EQ(empty.Perform(EM_GETLINECOUNT), 1);
  EXPECT_EQ(empty.Perform(EM_LINEINDEX, 1), -1);
}

TEST(RichEngine, SelectionAndTextMessages) {
  TRichEngine e;
  e.SetPlainText(QStringLiteral("Пасека у леса"));
  Select(e, 0, 6);
  CHARRANGE r;
  e.Perform(EM_EXGETSEL, 0, LPARAM(&r));
  EXPECT_EQ(r.cpMin, 0);
  EXPECT_EQ(r.cpMax, 6);
  char16_t sel[32] = {};
  EXPECT_EQ(e.Perform(EM_GETSELTEXT, 0, LPARAM(sel)), 6);
  EXPECT_EQ(QString::fromUtf16(sel), QStringLiteral("Пасека"));
  EXPECT_EQ(e.Perform(EM_SELECTIONTYPE), SEL_TEXT | SEL_MULTICHAR);

  const std::u16string rep = U(QStringLiteral("Улей"));
  e.Perform(EM_REPLACESEL, 1, LPARAM(rep.c_str()));
  EXPECT_EQ(e.Text(), QStringLiteral("Улей у леса"));
  e.Perform(EM_EXGETSEL, 0, LPARAM(&r));
  EXPECT_EQ(r.cpMin, 4);  // the caret follows the new text
  EXPECT_EQ(r.cpMax, 4);
  EXPECT_EQ(e.Perform(EM_SELECTIONTYPE), SEL_EMPTY);

  char16_t range[32] = {};
  TEXTRANGE tr;
  tr.chrg = {5, 6};
  tr.lpstrText = range;
  EXPECT_EQ(e.Perform(EM_GETTEXTRANGE, 0, LPARAM(&tr)), 1);
  EXPECT_EQ(QString::fromUtf16(range), QStringLiteral("у"));

  // cpMin 0, cpMax -1 selects everything.
  r = {0, -1};
  e.Perform(EM_EXSETSEL, 0, LPARAM(&r));
  EXPECT_EQ(e.GetSel().cpMax, e.TextLength());
}

TEST(RichEngine, CharacterFormatMasksChangeOnlyTheNamedFields) {
  TRichEngine e;
  e.SetPlainText(QStringLiteral("abcdef"));
  Select(e, 0, 6);
  CHARFORMAT2 all;
  all.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_ITALIC | CFM_CHARSET;
  SetFaceName(all, QStringLiteral("Arial"));
  all.yHeight = 250;  // 12.5 pt, twips exact
  all.crTextColor = RGB(10, 20, 30);
  all.dwEffects = CFE_ITALIC;
  all.bCharSet = 204;
  ASSERT_TRUE(e.Perform(EM_SETCHARFORMAT, SCF_SELECTION, LPARAM(&all)));

  Select(e, 2, 4);
  CHARFORMAT2 bold;
  bold.dwMask = CFM_BOLD;
  bold.dwEffects = CFE_BOLD;
  e.Perform(EM_SETCHARFORMAT, SCF_SELECTION, LPARAM(&bold));

  CHARFORMAT2 got;
  e.Perform(EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(&got));
  EXPECT_EQ(FaceName(got), QStringLiteral("Arial"));
  EXPECT_EQ(got.yHeight, 250);
  EXPECT_EQ(got.crTextColor, RGB(10, 20, 30));
  EXPECT_EQ(got.bCharSet, 204);
  EXPECT_TRUE(got.dwEffects & CFE_ITALIC);
  EXPECT_TRUE(got.dwEffects & CFE_BOLD);

  // Over mixed text the mask reports what is the same throughout.
  Select(e, 0, 6);
  CHARFORMAT2 mixed;
  const LRESULT mask = e.Perform(EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(&mixed));
  EXPECT_FALSE(mask & CFM_BOLD);
  EXPECT_TRUE(mask & CFM_ITALIC);
  EXPECT_TRUE(mask & CFM_SIZE);
  EXPECT_TRUE(mask & CFM_FACE);

  // Background, protection, sub/superscript and links (version 2 fields).
  Select(e, 0, 1);
  CHARFORMAT2 more;
  more.dwMask = CFM_BACKCOLOR | CFM_PROTECTED | CFM_SUPERSCRIPT | CFM_LINK;
  more.crBackColor = RGB(255, 255, 0);
  more.dwEffects = CFE_PROTECTED | CFE_SUPERSCRIPT | CFE_LINK;
  e.Perform(EM_SETCHARFORMAT, SCF_SELECTION, LPARAM(&more));
  CHARFORMAT2 back;
  e.Perform(EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(&back));
  EXPECT_EQ(back.crBackColor, RGB(255, 255, 0));
  EXPECT_FALSE(back.dwEffects & CFE_AUTOBACKCOLOR);
  EXPECT_EQ(back.dwEffects & (CFE_PROTECTED | CFE_SUPERSCRIPT | CFE_LINK), CFE_PROTECTED | CFE_SUPERSCRIPT | CFE_LINK);
  EXPECT_EQ(back.yHeight, 250);
}

TEST(RichEngine, CharacterFormatRecordSizes) {
  TRichEngine e;
  e.SetPlainText(QStringLiteral("abc"));
  Select(e, 0, 3);
  // A version-1 record carries no background; its mask never claims version-2 fields.
  CHARFORMAT v1;
  v1.dwMask = CFM_BOLD | CFM_BACKCOLOR;
  v1.dwEffects = CFE_BOLD;
  ASSERT_TRUE(e.Perform(EM_SETCHARFORMAT, SCF_SELECTION, LPARAM(&v1)));
  CHARFORMAT got1;
  const LRESULT mask = e.Perform(EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(&got1));
  EXPECT_EQ(got1.cbSize, sizeof(CHARFORMAT));
  EXPECT_FALSE(mask & CFM_BACKCOLOR);
  EXPECT_TRUE(got1.dwEffects & CFE_BOLD);
  // Any other size is refused.
  CHARFORMAT2 odd;
  odd.cbSize = 70;
  odd.dwMask = CFM_ITALIC;
  odd.dwEffects = CFE_ITALIC;
  EXPECT_EQ(e.Perform(EM_SETCHARFORMAT, SCF_SELECTION, LPARAM(&odd)), 0);
}

TEST(RichEngine, TypingDefaultFormat) {
  TRichEngine e;
  CHARFORMAT2 cf;
  cf.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR;
  SetFaceName(cf, QStringLiteral("Times New Roman"));
  cf.yHeight = 280;
  cf.crTextColor = RGB(0, 0, 128);
  e.Perform(EM_SETCHARFORMAT, SCF_DEFAULT, LPARAM(&cf));
  CHARFORMAT2 def;
  e.Perform(EM_GETCHARFORMAT, SCF_DEFAULT, LPARAM(&def));
  EXPECT_EQ(FaceName(def), QStringLiteral("Times New Roman"));
  EXPECT_EQ(def.yHeight, 280);
  EXPECT_EQ(def.crTextColor, RGB(0, 0, 128));
  // Typed text in the empty engine takes it.
  QTest::keyClicks(&e, QStringLiteral("hi"));
  Select(e, 0, 2);
  CHARFORMAT2 typed;
  e.Perform(EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(&typed));
  EXPECT_EQ(e.Text(), QStringLiteral("hi"));
  EXPECT_EQ(typed.yHeight, 280);
  EXPECT_EQ(typed.crTextColor, RGB(0, 0, 128));
}

TEST(RichEngine, ParagraphFormatMasksAndTwips) {
  TRichEngine e;
  e.SetPlainText(QStringLiteral("one\rtwo\rthree"));
  Select(e, 0, 5);  // the first two paragraphs
  PARAFORMAT2 pf;
  pf.dwMask = PFM_STARTINDENT | PFM_OFFSET | PFM_RIGHTINDENT | PFM_SPACEBEFORE | PFM_SPACEAFTER | PFM_LINESPACING |
              PFM_ALIGNMENT;
  pf.dxStartIndent = 567;
  pf.dxOffset = -283;
  pf.dxRightIndent = 1001;
  pf.dySpaceBefore = 113;
  pf.dySpaceAfter = 57;
  pf.bLineSpacingRule = 4;
  pf.dyLineSpacing = 333;
  pf.wAlignment = PFA_CENTER;
  ASSERT_TRUE(e.Perform(EM_SETPARAFORMAT, 0, LPARAM(&pf)));

  // Only the right indent of the second paragraph changes.
  Select(e, 5, 5);
  PARAFORMAT2 right;
  right.dwMask = PFM_RIGHTINDENT;
  right.dxRightIndent = 77;
  e.Perform(EM_SETPARAFORMAT, 0, LPARAM(&right));

  PARAFORMAT2 got;
  e.Perform(EM_GETPARAFORMAT, 0, LPARAM(&got));
  EXPECT_EQ(got.dxStartIndent, 567);
  EXPECT_EQ(got.dxOffset, -283);
  EXPECT_EQ(got.dxRightIndent, 77);
  EXPECT_EQ(got.dySpaceBefore, 113);
  EXPECT_EQ(got.dySpaceAfter, 57);
  EXPECT_EQ(got.bLineSpacingRule, 4);
  EXPECT_EQ(got.dyLineSpacing, 333);
  EXPECT_EQ(got.wAlignment, PFA_CENTER);

  // Over both paragraphs the mask drops what differs, and the third one was never touched.
  Select(e, 0, 5);
  PARAFORMAT2 both;
  const LRESULT mask = e.Perform(EM_GETPARAFORMAT, 0, LPARAM(&both));
  EXPECT_FALSE(mask & PFM_RIGHTINDENT);
  EXPECT_TRUE(mask & PFM_STARTINDENT);
  Select(e, 9, 9);
  PARAFORMAT2 third;
  e.Perform(EM_GETPARAFORMAT, 0, LPARAM(&third));
  EXPECT_EQ(third.dxStartIndent, 0);
  EXPECT_EQ(third.wAlignment, PFA_LEFT);

  // A version-1 record (156 bytes) is answered as such.
  PARAFORMAT v1;
  const LRESULT m1 = e.Perform(EM_GETPARAFORMAT, 0, LPARAM(&v1));
  EXPECT_EQ(v1.cbSize, 156u);
  EXPECT_FALSE(m1 & PFM_SPACEBEFORE);
}

namespace {
// How far right of where the first paragraph (unindented) starts the engine shows position
// `at`, in twips.
int XFromMarginTw(TRichEngine& e, int at) {
  POINTL p, margin;
  e.Perform(EM_POSFROMCHAR, WPARAM(&p), at);
  e.Perform(EM_POSFROMCHAR, WPARAM(&margin), 0);
  return DocToTwips(p.x - margin.x);
}
}  // namespace

TEST(RichEngine, TabStopsCountFromTheLeftMarginWhateverTheIndents) {
  struct Case {
    const char* name;
    const char* para;  // the paragraph's words before "A\tab B"
    bool rightTab;     // B ends at the stop instead of starting there
  };
  const Case cases[] = {
      {"left indent", "\\li1440\\tx2880", false},
      {"first line indent", "\\li720\\fi720\\tx2880", false},
      {"hanging indent", "\\li1440\\fi-1440\\tx2880", false},
      {"a stop left of the indent is passed by", "\\li1440\\tx720\\tx2880", false},
      {"right tab", "\\li1440\\tqr\\tx2880", true},
      {"numbered paragraph", "{\\*\\pn\\pnlvlbody\\pndec\\pnstart1\\pnindent360}\\li720\\fi-360\\tx2880", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TRichEngine e;
    e.resize(800, 300);
    e.show();
    ASSERT_TRUE(e.LoadRtf(QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0 DejaVu Sans;}}\\pard Ref\\par\\pard") + c.para +
                          " A\\tab B\\par}"));
    const int b = int(e.Text().indexOf(u'B'));
    EXPECT_NEAR(XFromMarginTw(e, c.rightTab ? b + 1 : b), 2880, 15);
    // The stops themselves stay as given.
    Select(e, b, b);
    PARAFORMAT2 pf;
    e.Perform(EM_GETPARAFORMAT, 0, LPARAM(&pf));
    ASSERT_GT(pf.cTabCount, 0);
    EXPECT_EQ(pf.rgxTabs[pf.cTabCount - 1] & 0xFFFFFF, 2880);
  }

  // New indents, from the ruler or the paragraph dialog, leave the text at its stop.
  TRichEngine e;
  e.resize(800, 300);
  e.show();
  ASSERT_TRUE(e.LoadRtf("{\\rtf1\\ansi{\\fonttbl{\\f0 DejaVu Sans;}}\\pard Ref\\par\\pard\\tx2880 A\\tab B\\par}"));
  Select(e, 5, 5);
  PARAFORMAT2 indents;
  indents.dwMask = PFM_STARTINDENT | PFM_OFFSET;
  indents.dxStartIndent = 2000;
  indents.dxOffset = -1000;
  e.Perform(EM_SETPARAFORMAT, 0, LPARAM(&indents));
  EXPECT_NEAR(XFromMarginTw(e, int(e.Text().indexOf(u'B'))), 2880, 15);
  EXPECT_TRUE(e.SaveRtf().contains("\\tx2880")) << e.SaveRtf().toStdString();
}

TEST(RichEngine, TabStopsBulletsAndJustification) {
  TRichEngine e;
  e.SetPlainText(QStringLiteral("a\tb"));
  PARAFORMAT2 tabs;
  tabs.dwMask = PFM_TABSTOPS;
  tabs.cTabCount = 40;  // more than a record can hold: 32 are taken
  for (int i = 0; i < MAX_TAB_STOPS; ++i) tabs.rgxTabs[i] = 720 * (i + 1);
  e.Perform(EM_SETPARAFORMAT, 0, LPARAM(&tabs));
  PARAFORMAT2 got;
  e.Perform(EM_GETPARAFORMAT, 0, LPARAM(&got));
  EXPECT_EQ(got.cTabCount, 32);
  EXPECT_EQ(got.rgxTabs[0], 720);
  EXPECT_EQ(got.rgxTabs[31], 720 * 32);

  PARAFORMAT2 bullet;
  bullet.dwMask = PFM_NUMBERING | PFM_OFFSET;
  bullet.wNumbering = PFN_BULLET;
  bullet.dxOffset = 720;
  e.Perform(EM_SETPARAFORMAT, 0, LPARAM(&bullet));
  e.Perform(EM_GETPARAFORMAT, 0, LPARAM(&got));
  EXPECT_EQ(got.wNumbering, PFN_BULLET);
  EXPECT_EQ(got.dxOffset, 720);
  EXPECT_NE(e.document()->begin().textList(), nullptr);
  bullet.dwMask = PFM_NUMBERING;
  bullet.wNumbering = 0;
  e.Perform(EM_SETPARAFORMAT, 0, LPARAM(&bullet));
  e.Perform(EM_GETPARAFORMAT, 0, LPARAM(&got));
  EXPECT_EQ(got.wNumbering, 0);
  EXPECT_EQ(e.document()->begin().textList(), nullptr);
  EXPECT_EQ(e.Text(), QStringLiteral("a\tb"));

  // Backspace at the start of a bulleted paragraph takes the bullet away for good: what is
  // written back has no bullet either.
  e.show();
  bullet.dwMask = PFM_NUMBERING;
  bullet.wNumbering = PFN_BULLET;
  e.Perform(EM_SETPARAFORMAT, 0, LPARAM(&bullet));
  EXPECT_TRUE(e.SaveRtf().contains("\\pn"));
  Select(e, 0, 0);
  QTest::keyClick(&e, Qt::Key_Backspace);
  e.Perform(EM_GETPARAFORMAT, 0, LPARAM(&got));
  EXPECT_EQ(got.wNumbering, 0);
  EXPECT_FALSE(e.SaveRtf().contains("\\pn"));
  EXPECT_EQ(e.Text(), QStringLiteral("a\tb"));

  // Justified paragraphs are laid out justified only while advanced typography is on.
  PARAFORMAT2 just;
  just.dwMask = PFM_ALIGNMENT;
  just.wAlignment = PFA_JUSTIFY;
  e.Perform(EM_SETPARAFORMAT, 0, LPARAM(&just));
  e.Perform(EM_GETPARAFORMAT, 0, LPARAM(&got));
  EXPECT_EQ(got.wAlignment, PFA_JUSTIFY);
  EXPECT_FALSE(e.document()->begin().blockFormat().alignment() & Qt::AlignJustify);
  EXPECT_EQ(e.Perform(EM_SETTYPOGRAPHYOPTIONS, TO_ADVANCEDTYPOGRAPHY, TO_ADVANCEDTYPOGRAPHY), 1);
  EXPECT_TRUE(e.document()->begin().blockFormat().alignment() & Qt::AlignJustify);
  EXPECT_EQ(e.Perform(EM_GETTYPOGRAPHYOPTIONS), LRESULT(TO_ADVANCEDTYPOGRAPHY));
  e.Perform(EM_SETTYPOGRAPHYOPTIONS, 0, TO_ADVANCEDTYPOGRAPHY);
  EXPECT_FALSE(e.document()->begin().blockFormat().alignment() & Qt::AlignJustify);
  e.Perform(EM_GETPARAFORMAT, 0, LPARAM(&got));
  EXPECT_EQ(got.wAlignment, PFA_JUSTIFY);
}

TEST(RichEngine, FindHonoursRangeWholeWordCaseAndDirection) {
  TRichEngine e;
  e.SetPlainText(QStringLiteral("Мёд медовый МЁД мёд"));
  const std::u16string what = U(QStringLiteral("мёд"));
  struct Case {
    CHARRANGE range;
    DWORD flags;
    LONG expect;
  } cases[] = {
      {{0, -1}, FR_DOWN, 0},                                   // case folds, Cyrillic too
      {{1, -1}, FR_DOWN, 4},                                   // from a start, ё as е
      {{5, -1}, FR_DOWN, 12},                                  // further on
      {{1, -1}, FR_DOWN | FR_MATCHCASE, 16},                   // exact case
      {{0, -1}, FR_DOWN | FR_WHOLEWORD | FR_MATCHCASE, 16},    // whole word and case
      {{0, 10}, FR_DOWN | FR_MATCHCASE, -1},                   // outside the range
      {{19, 0}, 0, 16},                                        // upward: the last one first
      {{15, 0}, FR_WHOLEWORD, 12},                             // upward, whole words
  };
  for (const Case& c : cases) {
    FINDTEXT ft;
    ft.chrg = c.range;
    ft.lpstrText = what.c_str();
    EXPECT_EQ(e.Perform(EM_FINDTEXT, c.flags, LPARAM(&ft)), c.expect)
        << c.range.cpMin << ".." << c.range.cpMax << " flags " << c.flags;
  }
  // Without case ё and е are one letter, in the text and in what is sought; with case they differ.
  const std::u16string med = U(QStringLiteral("мед"));
  FINDTEXTEX fx;
  fx.chrg = {0, -1};
  fx.lpstrText = med.c_str();
  EXPECT_EQ(e.Perform(EM_FINDTEXTEX, FR_DOWN | FR_WHOLEWORD, LPARAM(&fx)), 0);
  EXPECT_EQ(fx.chrgText.cpMin, 0);
  EXPECT_EQ(fx.chrgText.cpMax, 3);
  EXPECT_EQ(e.Perform(EM_FINDTEXTEX, FR_DOWN | FR_MATCHCASE, LPARAM(&fx)), 4);
  EXPECT_EQ(fx.chrgText.cpMin, 4);
  EXPECT_EQ(fx.chrgText.cpMax, 7);
  EXPECT_EQ(e.Perform(EM_FINDTEXTEX, FR_DOWN | FR_WHOLEWORD | FR_MATCHCASE, LPARAM(&fx)), -1);
  EXPECT_EQ(fx.chrgText.cpMin, -1);
}

TEST(RichEngine, NotificationsOnlyWhenEnabledAndInOrder) {
  TRichEngine e;
  std::vector<UINT> seen;
  e.OnNotify = [&](UINT code, void*) -> LRESULT {
    seen.push_back(code);
    return 0;
  };
  e.SetPlainText(QStringLiteral("abc"));
  Select(e, 1, 2);
  EXPECT_TRUE(seen.empty());

  EXPECT_EQ(e.Perform(EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_SELCHANGE), 0);
  EXPECT_EQ(e.Perform(EM_GETEVENTMASK), LRESULT(ENM_CHANGE | ENM_SELCHANGE));
  Select(e, 0, 0);
  ASSERT_EQ(seen, std::vector<UINT>{EN_SELCHANGE});
  seen.clear();
  const std::u16string x = U(QStringLiteral("x"));
  e.Perform(EM_REPLACESEL, 1, LPARAM(x.c_str()));
  EXPECT_EQ(seen, (std::vector<UINT>{EN_CHANGE, EN_SELCHANGE}));

  // A change of format is not a change of text.
  seen.clear();
  Select(e, 0, 4);
  seen.clear();
  CHARFORMAT2 cf;
  cf.dwMask = CFM_BOLD;
  cf.dwEffects = CFE_BOLD;
  e.Perform(EM_SETCHARFORMAT, SCF_SELECTION, LPARAM(&cf));
  EXPECT_TRUE(seen.empty());

  e.Perform(EM_SETEVENTMASK, 0, ENM_SELCHANGE);
  seen.clear();
  e.Perform(EM_REPLACESEL, 1, LPARAM(x.c_str()));
  EXPECT_EQ(seen, std::vector<UINT>{EN_SELCHANGE});
}

TEST(RichEngine, SelectionChangeCarriesTheRange) {
  TRichEngine e;
  e.SetPlainText(QStringLiteral("abcdef"));
  CHARRANGE got{-5, -5};
  WORD type = 99;
  e.OnNotify = [&](UINT code, void* hdr) -> LRESULT {
    if (code == EN_SELCHANGE) {
      got = static_cast<SELCHANGE*>(hdr)->chrg;
      type = static_cast<SELCHANGE*>(hdr)->seltyp;
    }
    return 0;
  };
  e.Perform(EM_SETEVENTMASK, 0, ENM_SELCHANGE);
  Select(e, 2, 5);
  EXPECT_EQ(got.cpMin, 2);
  EXPECT_EQ(got.cpMax, 5);
  EXPECT_EQ(type, SEL_TEXT | SEL_MULTICHAR);
}

TEST(RichEngine, ProtectedTextAsksBeforeEveryChange) {
  TRichEngine e;
  e.SetPlainText(QStringLiteral("open SHUT open"));
  Select(e, 5, 9);
  CHARFORMAT2 prot;
  prot.dwMask = CFM_PROTECTED;
  prot.dwEffects = CFE_PROTECTED;
  e.Perform(EM_SETCHARFORMAT, SCF_SELECTION, LPARAM(&prot));
  bool allow = false;
  std::vector<CHARRANGE> asked;
  e.OnNotify = [&](UINT code, void* hdr) -> LRESULT {
    if (code != EN_PROTECTED) return 0;
    asked.push_back(static_cast<ENPROTECTED*>(hdr)->chrg);
    return allow ? 0 : 1;
  };
  e.Perform(EM_SETEVENTMASK, 0, ENM_PROTECTED);
  const std::u16string x = U(QStringLiteral("x"));
  Select(e, 6, 7);
  e.Perform(EM_REPLACESEL, 1, LPARAM(x.c_str()));
  EXPECT_EQ(e.Text(), QStringLiteral("open SHUT open"));
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].cpMin, 6);
  // Typing inside the run and deleting into it are refused too; outside it nothing is asked.
  Select(e, 7, 7);
  QTest::keyClick(&e, Qt::Key_A);
  Select(e, 9, 9);
  QTest::keyClick(&e, Qt::Key_Backspace);
  EXPECT_EQ(e.Text(), QStringLiteral("open SHUT open"));
  asked.clear();
  Select(e, 0, 1);
  e.Perform(EM_REPLACESEL, 1, LPARAM(x.c_str()));
  EXPECT_TRUE(asked.empty());
  EXPECT_EQ(e.Text(), QStringLiteral("xpen SHUT open"));
  // With the answer "allow" the change goes through.
  allow = true;
  Select(e, 5, 9);
  e.Perform(EM_REPLACESEL, 1, LPARAM(x.c_str()));
  EXPECT_EQ(e.Text(), QStringLiteral("xpen x open"));
}

TEST(RichEngine, UndoRedoModifyAndReadOnly) {
  TRichEngine e;
  e.show();
  EXPECT_FALSE(e.Perform(EM_CANUNDO));
  Type(&e, QStringLiteral("мёд"));
  EXPECT_EQ(e.Text(), QStringLiteral("мёд"));
  EXPECT_TRUE(e.Perform(EM_GETMODIFY));
  EXPECT_TRUE(e.Perform(EM_CANUNDO));
  EXPECT_TRUE(e.Perform(EM_UNDO));
  EXPECT_EQ(e.Text(), QString());
  EXPECT_TRUE(e.Perform(EM_CANREDO));
  EXPECT_TRUE(e.Perform(EM_REDO));
  EXPECT_EQ(e.Text(), QStringLiteral("мёд"));
  e.Perform(EM_SETMODIFY, 0);
  EXPECT_FALSE(e.Perform(EM_GETMODIFY));

  e.Perform(EM_SETREADONLY, 1);
  QTest::keyClicks(&e, QStringLiteral("x"));
  QTest::keyClick(&e, Qt::Key_Backspace);
  EXPECT_EQ(e.Text(), QStringLiteral("мёд"));
  EXPECT_FALSE(e.Perform(EM_UNDO));
  // Programs still change a read-only engine.
  const std::u16string x = U(QStringLiteral("!"));
  Select(e, 3, 3);
  e.Perform(EM_REPLACESEL, 0, LPARAM(x.c_str()));
  EXPECT_EQ(e.Text(), QStringLiteral("мёд!"));
}

TEST(RichEngine, TextLimitStopsTypingNotPrograms) {
  TRichEngine e;
  e.show();
  bool maxText = false;
  e.OnNotify = [&](UINT code, void*) -> LRESULT {
    maxText |= code == EN_MAXTEXT;
    return 0;
  };
  e.Perform(EM_EXLIMITTEXT, 0, 3);
  QTest::keyClicks(&e, QStringLiteral("abcdef"));
  EXPECT_EQ(e.Text(), QStringLiteral("abc"));
  EXPECT_TRUE(maxText);
  e.SetPlainText(QStringLiteral("a longer text set by the program"));
  EXPECT_EQ(e.TextLength(), 32);
}

TEST(RichEngine, ClipboardCarriesRtfHtmlAndTextAndPastePrefersRtf) {
  TRichEngine e;
  e.SetPlainText(QStringLiteral("Жирный текст"));
  Select(e, 0, 6);
  CHARFORMAT2 cf;
  cf.dwMask = CFM_BOLD;
  cf.dwEffects = CFE_BOLD;
  e.Perform(EM_SETCHARFORMAT, SCF_SELECTION, LPARAM(&cf));
  e.Perform(WM_COPY);
  const QMimeData* md = QApplication::clipboard()->mimeData();
  ASSERT_NE(md, nullptr);
  EXPECT_TRUE(md->data(QStringLiteral("text/rtf")).startsWith("{\\rtf1"));
  EXPECT_TRUE(md->hasHtml());
  EXPECT_EQ(md->text(), QStringLiteral("Жирный"));

  TRichEngine f;
  EXPECT_TRUE(f.Perform(EM_CANPASTE));
  f.Perform(WM_PASTE);
  EXPECT_EQ(f.Text(), QStringLiteral("Жирный"));
  Select(f, 0, 6);
  CHARFORMAT2 got;
  f.Perform(EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(&got));
  EXPECT_TRUE(got.dwEffects & CFE_BOLD);

  // HTML from another program keeps its bold; plain text comes in as text.
  auto* html = new QMimeData;
  html->setHtml(QStringLiteral("<b>bee</b>"));
  html->setText(QStringLiteral("bee"));
  QApplication::clipboard()->setMimeData(html);
  TRichEngine g;
  g.Perform(WM_PASTE);
  EXPECT_EQ(g.Text(), QStringLiteral("bee"));
  Select(g, 0, 3);
  g.Perform(EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(&got));
  EXPECT_TRUE(got.dwEffects & CFE_BOLD);
  // Asked for plain text only, the formatting stays behind.
  TRichEngine h;
  h.Perform(EM_PASTESPECIAL, CF_UNICODETEXT);
  Select(h, 0, 3);
  h.Perform(EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(&got));
  EXPECT_EQ(h.Text(), QStringLiteral("bee"));
  EXPECT_FALSE(got.dwEffects & CFE_BOLD);

  // A format the host registered is pasted by name; its RTF is read as RTF.
  const UINT utf8Rtf = RegisterClipboardFormat(QStringLiteral("RTF in UTF8"));
  EXPECT_EQ(RegisterClipboardFormat(QStringLiteral("RTF in UTF8")), utf8Rtf);
  EXPECT_EQ(RegisterClipboardFormat(QStringLiteral("Rich Text Format")), UINT(CF_RTF));
  auto* custom = new QMimeData;
  custom->setData(QStringLiteral("RTF in UTF8"), "{\\rtf1\\ansi {\\i slanted}}");
  QApplication::clipboard()->setMimeData(custom);
  TRichEngine k;
  EXPECT_TRUE(k.Perform(EM_CANPASTE, utf8Rtf));
  EXPECT_FALSE(k.Perform(EM_CANPASTE, CF_RTF));
  k.Perform(EM_PASTESPECIAL, utf8Rtf);
  EXPECT_EQ(k.Text(), QStringLiteral("slanted"));
  Select(k, 0, 7);
  k.Perform(EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(&got));
  EXPECT_TRUE(got.dwEffects & CFE_ITALIC);

  // Nothing can be pasted while read-only, and a picture alone is not text.
  h.Perform(EM_SETREADONLY, 1);
  EXPECT_EQ(h.Perform(EM_CANPASTE), 0);
  auto* image = new QMimeData;
  image->setImageData(QImage(4, 4, QImage::Format_RGB32));
  QApplication::clipboard()->setMimeData(image);
  EXPECT_EQ(g.Perform(EM_CANPASTE), 0);
}

TEST(RichEngine, ClipboardTextEndsLinesWithLineFeedsAndHtmlCarriesItsPictures) {
  QImage red(2, 2, QImage::Format_RGB32);
  red.fill(Qt::red);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  ASSERT_TRUE(red.save(&buffer, "PNG"));
  TRichEngine e;
  ASSERT_TRUE(e.LoadRtf("{\\rtf1\\ansi\\trowd\\cellx1000\\cellx2000 x\\cell y\\cell\\row\\pard first\\line second\\par "
                        "ab{\\pict\\pngblip\\picw2\\pich2\\picwgoal600\\pichgoal600 " +
                        png.toHex() + "}cd\\par page {\\field{\\*\\fldinst PAGE}{\\fldrslt}}\\par}"));
  Select(e, 0, e.TextLength());
  e.Perform(WM_COPY);
  const QMimeData* md = QApplication::clipboard()->mimeData();
  ASSERT_NE(md, nullptr);
  // No CR; the picture is no character of the text, the page field reads as its number, table
  // cells are apart by a tab.
  EXPECT_EQ(md->text(), QStringLiteral("x\ty\nfirst\nsecond\nabcd\npage 1"));
  // The RTF is the engine's own, its line ends as they were.
  EXPECT_TRUE(md->data(QStringLiteral("text/rtf")).contains("\\pngblip"));
  EXPECT_TRUE(md->html().contains(QStringLiteral("src=\"data:image/png;base64,") + QString::fromLatin1(png.toBase64())))
      << md->html().toStdString();

  // Another program that takes the HTML alone gets the picture.
  auto* html = new QMimeData;
  html->setHtml(md->html());
  QApplication::clipboard()->setMimeData(html);
  TRichEngine f;
  f.Perform(WM_PASTE);
  EXPECT_EQ(f.Text().count(QChar::ObjectReplacementCharacter), 1);
  EXPECT_TRUE(f.SaveRtf().contains("\\pngblip"));
}

TEST(RichEngine, CutIsUndoableAndRefusedWhileReadOnly) {
  TRichEngine e;
  e.SetPlainText(QStringLiteral("cut me"));
  Select(e, 0, 4);
  e.Perform(WM_CUT);
  EXPECT_EQ(e.Text(), QStringLiteral("me"));
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("cut "));
  e.Perform(EM_UNDO);
  EXPECT_EQ(e.Text(), QStringLiteral("cut me"));
  e.Perform(EM_SETREADONLY, 1);
  Select(e, 0, 4);
  e.Perform(WM_CUT);
  EXPECT_EQ(e.Text(), QStringLiteral("cut me"));
}

TEST(RichEngine, FormatRangePaginatesEveryCharacterExactlyOnce) {
  TRichEngine e;
  QString text;
  for (int i = 0; i < 120; ++i)
    text += QStringLiteral("Строка %1: пчёлы собирают нектар с цветков липы и гречихи.\r").arg(i);
  e.SetPlainText(text);
  const int len = int(e.Perform(WM_GETTEXTLENGTH));

  QImage page(850, 1100, QImage::Format_RGB32);
  page.setDotsPerMeterX(int(100 / 0.0254));
  page.setDotsPerMeterY(int(100 / 0.0254));
  QPainter p(&page);
  FORMATRANGE fr;
  fr.hdc = fr.hdcTarget = &p;
  fr.rc = {720, 720, 7920, 10080};  // 5 x 6.5 inches
  fr.rcPage = fr.rc;
  e.Perform(EM_FORMATRANGE, 0, 0);
  std::vector<std::pair<int, int>> pages;
  int last = 0;
  do {
    fr.chrg = {last, -1};
    page.fill(Qt::white);
    const int next = int(e.Perform(EM_FORMATRANGE, 1, LPARAM(&fr)));
    ASSERT_GT(next, last);
    pages.emplace_back(last, next);
    // Something was drawn inside the rectangle and nothing outside it.
    bool inside = false, outside = false;
    for (int y = 0; y < page.height(); y += 2)
      for (int x = 0; x < page.width(); x += 2) {
        const bool ink = page.pixel(x, y) != qRgb(255, 255, 255);
        const bool in = x >= 50 && x < 550 && y >= 50 && y < 700;
        (in ? inside : outside) |= ink;
      }
    EXPECT_TRUE(inside);
    EXPECT_FALSE(outside);
    last = next;
  } while (last < len);
  e.Perform(EM_FORMATRANGE, 0, 0);
  p.end();
  ASSERT_GT(pages.size(), 2u);
  EXPECT_EQ(pages.front().first, 0);
  EXPECT_EQ(pages.back().second, len);
  for (size_t i = 1; i < pages.size(); ++i) EXPECT_EQ(pages[i].first, pages[i - 1].second);

  // Measuring gives the same breaks as rendering, on a device of any resolution, and a limited
  // range stops at its end.
  fr.chrg = {0, -1};
  EXPECT_EQ(e.Perform(EM_FORMATRANGE, 0, LPARAM(&fr)), pages[0].second);
  QImage fine(2550, 3300, QImage::Format_RGB32);
  fine.setDotsPerMeterX(int(300 / 0.0254));
  fine.setDotsPerMeterY(int(300 / 0.0254));
  QPainter fp(&fine);
  FORMATRANGE at300 = fr;
  at300.hdc = at300.hdcTarget = &fp;
  at300.chrg = {pages[1].first, -1};
  EXPECT_EQ(e.Perform(EM_FORMATRANGE, 1, LPARAM(&at300)), pages[1].second);
  fp.end();
  fr.chrg = {0, 10};
  EXPECT_EQ(e.Perform(EM_FORMATRANGE, 0, LPARAM(&fr)), 10);
}

TEST(RichEngine, FormattingRectangleGovernsLayout) {
  TRichEngine e;
  e.resize(400, 300);
  e.show();
  RECT r{4, 2, 398, 298};
  e.Perform(EM_SETRECT, 0, LPARAM(&r));
  RECT got;
  e.Perform(EM_GETRECT, 0, LPARAM(&got));
  EXPECT_EQ(got, r);
  EXPECT_EQ(e.viewport()->geometry().topLeft(), QPoint(4, 2));
  e.SetPlainText(QStringLiteral("word "));
  POINTL pt;
  e.Perform(EM_POSFROMCHAR, LPARAM(&pt), 0);
  EXPECT_GE(pt.x, 4);
  EXPECT_GE(pt.y, 2);
  POINTL at{pt.x + 1, pt.y + 2};
  EXPECT_EQ(e.Perform(EM_CHARFROMPOS, 0, LPARAM(&at)), 0);
  e.Perform(EM_SETRECT, 0, 0);
  e.Perform(EM_GETRECT, 0, LPARAM(&got));
  EXPECT_EQ(got.left, 0);
}

TEST(RichEngine, LinksAreReportedOnlyWithTheLinkEvent) {
  TRichEngine e;
  e.resize(500, 200);
  e.show();
  e.SetPlainText(QStringLiteral("see www.example.org now"));
  e.Perform(EM_AUTOURLDETECT, 1);
  EXPECT_EQ(e.Perform(EM_GETAUTOURLDETECT), 1);
  std::vector<ENLINK> links;
  e.OnNotify = [&](UINT code, void* hdr) -> LRESULT {
    if (code == EN_LINK) links.push_back(*static_cast<ENLINK*>(hdr));
    return 0;
  };
  POINTL pt;
  e.Perform(EM_POSFROMCHAR, LPARAM(&pt), 8);
  const QPoint inLink = QPoint(pt.x + 3, pt.y + 5) - e.viewport()->pos();
  QTest::mouseMove(e.viewport(), inLink);
  QTest::mouseClick(e.viewport(), Qt::LeftButton, {}, inLink);
  EXPECT_TRUE(links.empty());
  e.Perform(EM_SETEVENTMASK, 0, ENM_LINK);
  QTest::mousePress(e.viewport(), Qt::LeftButton, {}, inLink);
  QTest::mouseRelease(e.viewport(), Qt::LeftButton, {}, inLink);
  ASSERT_GE(links.size(), 2u);
  EXPECT_EQ(links[0].msg, WM_LBUTTONDOWN);
  EXPECT_EQ(links[0].chrg.cpMin, 4);
  EXPECT_EQ(links[0].chrg.cpMax, 19);
  EXPECT_EQ(links.back().msg, WM_LBUTTONUP);
}

TEST(RichEngine, ObjectsReadFromRtfAreKeptCountedAndWrittenBack) {
  const QByteArray object =
      "{\\object\\objemb{\\*\\objclass Paint.Picture}\\objw1000\\objh500{\\*\\objdata 0102030405}"
      "{\\result{\\pict\\pngblip\\picw1\\pich1\\picwgoal1000\\pichgoal500 "
      "89504e470d0a1a0a0000000d4948445200000001000000010806000000"
      "1f15c4890000000d49444154789c6360f8ffff3f0005fe02fea7d6a4ee0000000049454e44ae426082}}}";
  TRichEngine e;
  ASSERT_TRUE(e.LoadRtf("{\\rtf1\\ansi a" + object + "b\\par}"));
  EXPECT_EQ(e.Text(), QStringLiteral("a") + QChar(QChar::ObjectReplacementCharacter) + QStringLiteral("b"));
  IRichEditOle* ole = nullptr;
  ASSERT_TRUE(e.Perform(EM_GETOLEINTERFACE, 0, LPARAM(&ole)));
  ASSERT_NE(ole, nullptr);
  EXPECT_EQ(ole->GetObjectCount(), 1);
  REOBJECT reo;
  ASSERT_EQ(ole->GetObject(0, &reo, REO_GETOBJ_NO_INTERFACES), S_OK);
  EXPECT_EQ(reo.cp, 1);
  EXPECT_EQ(reo.clsid, QStringLiteral("Paint.Picture"));
  Select(e, 1, 2);
  EXPECT_EQ(e.Perform(EM_SELECTIONTYPE), SEL_OBJECT);
  EXPECT_EQ(ole->GetObject(REO_IOB_SELECTION, &reo, REO_GETOBJ_NO_INTERFACES), S_OK);
  const QByteArray out = e.SaveRtf();
  EXPECT_TRUE(out.contains("Paint.Picture"));
  EXPECT_TRUE(out.contains("0102030405"));

  // An object inserted by a program lands at the selection and is counted.
  Select(e, 0, 0);
  REOBJECT ins;
  ins.cp = REO_CP_SELECTION;
  ins.clsid = QStringLiteral("Package");
  ins.objectRtf = object;
  EXPECT_EQ(ole->InsertObject(&ins), S_OK);
  EXPECT_EQ(ole->GetObjectCount(), 2);
  EXPECT_EQ(e.Text().at(0), QChar(QChar::ObjectReplacementCharacter));
}

TEST(RichEngine, ObjectCallbackIsAskedAboutInsertsAndPastes) {
  struct Callback : IRichEditOleCallback {
    int insertQueries = 0, acceptQueries = 0;
    std::vector<IOleObject*> deleted;
    HRESULT answer = S_OK;
    HRESULT GetNewStorage(IStorage**) override { return E_NOTIMPL; }
    HRESULT GetInPlaceContext() override { return E_NOTIMPL; }
    HRESULT ShowContainerUI(bool) override { return E_NOTIMPL; }
    HRESULT QueryInsertObject(const QString&, IStorage*, LONG) override {
      ++insertQueries;
      return answer;
    }
    HRESULT DeleteObject(IOleObject* o) override {
      deleted.push_back(o);
      return S_OK;
    }
    HRESULT QueryAcceptData(const QMimeData*, UINT*, DWORD, bool) override {
      ++acceptQueries;
      return answer;
    }
    HRESULT ContextSensitiveHelp(bool) override { return E_NOTIMPL; }
    HRESULT GetClipboardData(CHARRANGE*, DWORD, QMimeData**) override { return E_NOTIMPL; }
    HRESULT GetDragDropEffect(bool, DWORD, DWORD*) override { return S_OK; }
    HRESULT GetContextMenu(WORD, IOleObject*, CHARRANGE*, QMenu** menu) override {
      *menu = nullptr;
      return S_OK;
    }
  } cb;
  TRichEngine e;
  EXPECT_EQ(e.Perform(EM_SETOLECALLBACK, 0, LPARAM(&cb)), 1);
  QApplication::clipboard()->setText(QStringLiteral("pasted"));
  cb.answer = E_FAIL;
  e.Perform(WM_PASTE);
  EXPECT_EQ(e.Text(), QString());
  cb.answer = S_OK;
  e.Perform(WM_PASTE);
  EXPECT_EQ(e.Text(), QStringLiteral("pasted"));
  EXPECT_EQ(cb.acceptQueries, 2);
  IRichEditOle* ole = e.OleInterface();
  REOBJECT reo;
  reo.cp = 0;
  reo.objectRtf = "{\\object{\\*\\objclass X}{\\*\\objdata 00}}";
  cb.answer = E_FAIL;
  EXPECT_NE(ole->InsertObject(&reo), S_OK);
  EXPECT_EQ(cb.insertQueries, 1);
  EXPECT_EQ(ole->GetObjectCount(), 0);

  // An object the host hands in comes back with its interface, and its removal is reported.
  struct Doc : IOleObject {
    QString ClassName() const override { return QStringLiteral("Doc"); }
    QString UserType(int) const override { return QStringLiteral("Document"); }
    HRESULT DoVerb(LONG) override { return S_OK; }
    HRESULT Update() override { return S_OK; }
    QByteArray ObjectRtf() const override { return "{\\object{\\*\\objclass Doc}{\\*\\objdata 00}}"; }
  } doc;
  cb.answer = S_OK;
  REOBJECT host;
  host.cp = 3;
  host.clsid = QStringLiteral("Doc");
  host.poleobj = &doc;
  ASSERT_EQ(ole->InsertObject(&host), S_OK);
  REOBJECT back;
  ASSERT_EQ(ole->GetObject(0, &back, REO_GETOBJ_POLEOBJ), S_OK);
  EXPECT_EQ(back.poleobj, &doc);
  EXPECT_EQ(back.cp, 3);
  Select(e, 2, 4);
  e.Perform(WM_CUT);
  EXPECT_EQ(cb.deleted, std::vector<IOleObject*>{&doc});
  EXPECT_EQ(ole->GetObjectCount(), 0);
}

TEST(RichEngine, AClickOnAnObjectSelectsIt) {
  TRichEngine e;
  e.resize(400, 200);
  e.show();
  ASSERT_TRUE(e.LoadRtf("{\\rtf1\\ansi ab{\\pict\\pngblip\\picw1\\pich1\\picwgoal600\\pichgoal600 "
                        "89504e470d0a1a0a0000000d4948445200000001000000010806000000"
                        "1f15c4890000000d49444154789c6360f8ffff3f0005fe02fea7d6a4ee0000000049454e44ae426082}cd\\par}"));
  POINTL pt;
  e.Perform(EM_POSFROMCHAR, LPARAM(&pt), 2);
  e.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x + 10, pt.y + 10));
  e.Perform(WM_LBUTTONUP, 0, MAKELPARAM(pt.x + 10, pt.y + 10));
  EXPECT_EQ(e.GetSel(), (CHARRANGE{2, 3}));
  EXPECT_EQ(e.Perform(EM_SELECTIONTYPE), SEL_OBJECT);
}

TEST(RichEngine, RedrawScrollCaretAndBackground) {
  TRichEngine e;
  e.resize(200, 60);
  e.show();
  QString many;
  for (int i = 0; i < 50; ++i) many += QStringLiteral("line %1\r").arg(i);
  e.SetPlainText(many);
  Select(e, e.TextLength(), e.TextLength());
  e.verticalScrollBar()->setValue(0);
  e.Perform(EM_SCROLLCARET_RE);
  EXPECT_GT(e.verticalScrollBar()->value(), 0);
  e.Perform(WM_SETREDRAW, 0);
  EXPECT_FALSE(e.Redraw());
  e.Perform(WM_SETREDRAW, 1);
  EXPECT_TRUE(e.Redraw());
  e.Perform(EM_SETBKGNDCOLOR, 0, LPARAM(RGB(255, 255, 200)));
  EXPECT_EQ(e.palette().color(QPalette::Base), QColor(255, 255, 200));
  // Text with no highlight of its own reports the window's background.
  Select(e, 0, 3);
  CHARFORMAT2 cf;
  e.Perform(EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(&cf));
  EXPECT_TRUE(cf.dwEffects & CFE_AUTOBACKCOLOR);
  EXPECT_EQ(cf.crBackColor, RGB(255, 255, 200));
}

TEST(RichEngine, PastedHtmlListsAndHeadingsLookTheSameAfterSaveAndLoad) {
  // Where each paragraph's text starts on screen, how tall its first line is, how it is aligned.
  auto itemStarts = [](TRichEngine& e) {
    std::vector<std::tuple<int, int, int>> xs;
    e.show();
    QApplication::processEvents();
    for (QTextBlock b = e.document()->begin(); b.isValid(); b = b.next())
      xs.emplace_back(e.cursorRect(QTextCursor(b)).x(), e.cursorRect(QTextCursor(b)).height(),
                      int(b.blockFormat().alignment()));
    return xs;
  };
  TRichEngine e;
  e.resize(400, 300);
  auto* md = new QMimeData;
  md->setHtml(QStringLiteral("<p>Корм</p><ul><li>мёд</li><li>перга</li></ul><ol><li>вода</li></ol><h1>Улей</h1>"
                             "<p align=justify>Рамки</p>"));
  ASSERT_TRUE(e.InsertMimeData(md));
  delete md;
  Select(e, 5, 5);  // the first item
  PARAFORMAT2 item;
  e.Perform(EM_GETPARAFORMAT, 0, LPARAM(&item));
  EXPECT_EQ(item.wNumbering, PFN_BULLET);
  EXPECT_GT(item.dxStartIndent, 0);
  const std::vector<std::tuple<int, int, int>> shown = itemStarts(e);
  ASSERT_EQ(shown.size(), 6u);
  EXPECT_GT(std::get<0>(shown[1]), std::get<0>(shown[0]));
  EXPECT_GT(std::get<1>(shown[4]), std::get<1>(shown[0]));

  TRichEngine f;
  f.resize(400, 300);
  StreamInBytes(f, SF_RTF, StreamOutBytes(e, SF_RTF));
  EXPECT_EQ(itemStarts(f), shown);
  Select(f, 5, 5);
  PARAFORMAT2 back;
  f.Perform(EM_GETPARAFORMAT, 0, LPARAM(&back));
  EXPECT_EQ(back.wNumbering, PFN_BULLET);
  EXPECT_EQ(back.dxStartIndent, item.dxStartIndent);
  EXPECT_EQ(back.dxOffset, item.dxOffset);
}

TEST(RichEngine, PictureInPastedHtmlIsStoredAndComesBack) {
  QImage red(2, 2, QImage::Format_RGB32);
  red.fill(Qt::red);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  red.save(&buffer, "PNG");
  TRichEngine e;
  auto* md = new QMimeData;
  md->setHtml(QStringLiteral("<p>Соты <img src=\"data:image/png;base64,%1\" width=\"20\" height=\"10\"></p>")
                  .arg(QString::fromLatin1(png.toBase64())));
  ASSERT_TRUE(e.InsertMimeData(md));
  delete md;
  const QByteArray rtf = StreamOutBytes(e, SF_RTF);
  EXPECT_TRUE(rtf.contains("\\pict")) << rtf.constData();

  TRichEngine f;
  StreamInBytes(f, SF_RTF, rtf);
  QTextCursor c(f.document());
  c.setPosition(6);
  const QTextCharFormat object = c.charFormat();
  ASSERT_EQ(object.objectType(), kEmbeddedObjectType);
  EXPECT_EQ(ObjectImage(object).pixelColor(1, 1), QColor(Qt::red));
  EXPECT_EQ(ObjectSize(object).toSize(), QSize(20, 10));
}
