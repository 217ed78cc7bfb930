// The engine window: streams in and out, lines and selection, character and paragraph formats
// with their masks, and find.
#include "tests/engine/RichEngineTestUtil.h"

using namespace enginetest;

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
