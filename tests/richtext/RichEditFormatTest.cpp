// Formatting of the selection: paragraphs, characters, the font dialog, highlight.
#include <QBuffer>

#include "richtext/Qvintl.h"
#include "tests/richtext/RichEditFixture.h"

using namespace engine;
using namespace richtext;

namespace {
PARAFORMAT2 Para(TqvCustomRichEdit& E) {
  PARAFORMAT2 P;
  E.GetParagraphFormat(P);
  return P;
}
CHARFORMAT2 CharAt(TqvCustomRichEdit& E, int At) {
  E.SetSelStart(At);
  E.SetSelLength(1);
  CHARFORMAT2 F;
  E.Perform(EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(static_cast<CHARFORMAT*>(&F)));
  return F;
}
void Align(TqvCustomRichEdit& E, const QString& Text) {
  E.SetParagraphFormat(pmAlignment, Text, 0, 0, 0, 0, nullptr, 0, 0, 0, 0, false);
}
}  // namespace

TEST(RichEditFormat, AlignmentIsDecidedByTheDialogTexts) {
  auto E = MakeEdit();
  E->SetText("paragraph");
  auto* Texts = GlobalIntl->RichEdit()->ParagraphDialog();
  struct Case {
    QString Text;
    int Expected;
  } Cases[] = {{"Left", PFA_LEFT}, {"Right", PFA_RIGHT}, {"Justify", PFA_JUSTIFY},
               {"Center", PFA_CENTER}, {"anything else", PFA_CENTER}, {"", PFA_CENTER}};
  for (const auto& C : Cases) {
    Align(*E, C.Text);
    EXPECT_EQ(Para(*E).wAlignment, C.Expected) << C.Text.toStdString();
  }
  Texts->SetAlignRight("Rechts");
  Align(*E, "Rechts");
  EXPECT_EQ(Para(*E).wAlignment, PFA_RIGHT);
  Align(*E, "Right");
  EXPECT_EQ(Para(*E).wAlignment, PFA_CENTER);
  Texts->SetAlignRight("Right");
}

TEST(RichEditFormat, OnlyMaskedParagraphFieldsChange) {
  auto E = MakeEdit();
  E->SetText("paragraph");
  int Tabs[40];
  for (int I = 0; I < 40; ++I) Tabs[I] = 360 * (I + 1);
  E->SetParagraphFormat(pmStartIndent | pmTabStops | pmLineSpacing | pmSpaceBefore, "Left", 1, 0, 120, 240, Tabs,
                        40, 720, 555, 333, false);
  PARAFORMAT2 P = Para(*E);
  EXPECT_EQ(P.dxStartIndent, 720);
  EXPECT_EQ(P.dxRightIndent, 0);  // not in the mask
  EXPECT_EQ(P.dxOffset, 0);
  EXPECT_EQ(P.dySpaceBefore, 240);
  EXPECT_EQ(P.dySpaceAfter, 0);
  EXPECT_EQ(P.cTabCount, 32);  // the first 32 only
  EXPECT_EQ(P.rgxTabs[31], 360 * 32);
  EXPECT_EQ(P.bLineSpacingRule, 5);
  EXPECT_EQ(P.dyLineSpacing, 30);

  struct Spacing {
    int Kind, Value, Rule, Expected;
  } Spacings[] = {{2, 0, 5, 40}, {4, 300, 4, 300}, {0, 0, 0, 0}};
  for (const auto& S : Spacings) {
    E->SetParagraphFormat(pmLineSpacing, "Left", S.Kind, S.Value, 0, 0, nullptr, 0, 0, 0, 0, false);
    EXPECT_EQ(Para(*E).bLineSpacingRule, S.Rule) << S.Kind;
    if (S.Rule) {
      EXPECT_EQ(Para(*E).dyLineSpacing, S.Expected) << S.Kind;
    }
  }

  int FirstLine = -1, Right = -1, Start = -1;
  E->GetIndents(FirstLine, Right, Start);
  EXPECT_EQ(Start, 720);
  EXPECT_EQ(Right, 0);
}

TEST(RichEditFormat, BulletOnAndOff) {
  auto E = MakeEdit();
  E->SetText("item");
  E->SetParagraphFormat(pmStartIndent, "Left", 0, 0, 0, 0, nullptr, 0, 1440, 0, 0, false);
  E->SetBullet(true);
  EXPECT_EQ(Para(*E).wNumbering, PFN_BULLET);
  EXPECT_EQ(Para(*E).dxOffset, 720);
  E->SetBullet(false);
  EXPECT_EQ(Para(*E).wNumbering, 0);
  EXPECT_EQ(E->Paragraph().LeftIndent(), 0);
}

TEST(RichEditFormat, SelFontLeavesTheColourWhenAskedTo) {
  auto E = MakeEdit();
  LoadAll(*E, "{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;\\red0\\green128\\blue0;}"
              "\\cf1 a\\cf2 b\\cf0 c}");
  E->SetControlFontCharset(204);
  E->SetSelStart(0);
  E->SetSelLength(2);
  E->SetSelFont("Arial", 14, base::clNone, fsBold | fsItalic);
  const CHARFORMAT2 A = CharAt(*E, 0), B = CharAt(*E, 1);
  EXPECT_EQ(A.crTextColor, RGB(255, 0, 0));
  EXPECT_EQ(B.crTextColor, RGB(0, 128, 0));
  EXPECT_EQ(A.yHeight, 280);
  EXPECT_EQ(A.bCharSet, 204);
  EXPECT_EQ(A.dwEffects & (CFE_BOLD | CFE_ITALIC), CFE_BOLD | CFE_ITALIC);
  EXPECT_EQ(FaceName(A), "Arial");

  E->SetSelStart(0);
  E->SetSelLength(2);
  E->SetSelFont("Arial", 14, base::clBlue, 0);
  EXPECT_EQ(CharAt(*E, 1).crTextColor, RGB(0, 0, 255));
  EXPECT_EQ(CharAt(*E, 1).dwEffects & CFE_BOLD, 0u);  // styles are always applied
}

TEST(RichEditFormat, FontDialogKeepsMixedColoursUnlessAColourIsChosen) {
  auto E = MakeEdit();
  LoadAll(*E, "{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;\\red0\\green128\\blue0;}"
              "\\cf1 a\\cf2 b}");
  int Runs = 0;
  base::TColor NewColor = base::clNone;
  bool Accept = true;
  auto Old = SetFontDialogRunner([&](TqvCustomRichEdit*, QFont& Font, base::TColor& Color) {
    ++Runs;
    Font.setBold(true);
    Font.setPointSize(16);
    if (NewColor != base::clNone) Color = NewColor;
    return Accept;
  });
  E->SelectAll();
  E->ShowFontDialog();
  EXPECT_EQ(Runs, 1);
  EXPECT_EQ(CharAt(*E, 0).crTextColor, RGB(255, 0, 0));
  EXPECT_EQ(CharAt(*E, 1).crTextColor, RGB(0, 128, 0));
  EXPECT_TRUE(CharAt(*E, 1).dwEffects & CFE_BOLD);
  EXPECT_EQ(CharAt(*E, 1).yHeight, 320);

  Accept = false;  // Cancel changes nothing
  NewColor = base::clBlue;
  E->SelectAll();
  E->ShowFontDialog();
  EXPECT_EQ(CharAt(*E, 0).crTextColor, RGB(255, 0, 0));

  Accept = true;
  E->SelectAll();
  E->ShowFontDialog();
  EXPECT_EQ(CharAt(*E, 0).crTextColor, RGB(0, 0, 255));
  EXPECT_EQ(CharAt(*E, 1).crTextColor, RGB(0, 0, 255));
  SetFontDialogRunner(Old);
}

TEST(RichEditFormat, EffectsToggleOneBitEach) {
  auto E = MakeEdit();
  E->SetText("wax");
  for (int Effect = 0; Effect < 4; ++Effect) {
    E->SelectAll();
    E->SetEffect(Effect, true);
    EXPECT_TRUE(CharAt(*E, 1).dwEffects & (1u << Effect)) << Effect;
    E->SelectAll();
    E->SetEffect(Effect, false);
    EXPECT_FALSE(CharAt(*E, 1).dwEffects & (1u << Effect)) << Effect;
  }
  E->SelectAll();
  const QByteArray Before = SaveAll(*E);
  E->SetEffect(4, true);
  E->SetEffect(-1, true);
  EXPECT_EQ(SaveAll(*E), Before);
}

TEST(RichEditFormat, BackgroundColourAndHighlightRemoval) {
  auto E = MakeEdit();
  E->SetText("pollen and nectar");
  E->SetSelStart(0);
  E->SetSelLength(6);
  E->SetSelBackColor(base::clYellow);
  EXPECT_EQ(E->SelLength(), 0);
  E->SetSelLength(6);
  EXPECT_EQ(E->GetSelBackColor(), base::TColor(RGB(255, 255, 0)));
  EXPECT_TRUE(SaveAll(*E).contains("\\highlight"));

  E->SelectAll();
  E->SetSelBackColor(-1);  // strips the highlight, then paints the control's own colour
  EXPECT_FALSE(SaveAll(*E).contains("\\highlight"));
  EXPECT_EQ(E->Text(), QString("pollen and nectar"));

  // Version 1 has no background colour: it reads as the control's colour and is never set.
  auto V1 = MakeEdit();
  V1->SetRichEditVersion(1);
  V1->SetText("comb");
  V1->SelectAll();
  EXPECT_EQ(V1->GetSelBackColor(), base::TColor(base::ColorToRGB(V1->Color())));
  const QByteArray Before = SaveAll(*V1);
  V1->SetSelBackColor(base::clRed);
  EXPECT_EQ(SaveAll(*V1), Before);
}

TEST(RichEditFormat, TypingFollowsTheControlFont) {
  auto E = MakeEdit();
  QFont F("Courier New");
  F.setPointSize(13);
  F.setItalic(true);
  E->SetControlFontColor(base::clNavy);
  E->setFont(F);
  EXPECT_EQ(E->DefAttributes().Size(), 13);
  EXPECT_TRUE(E->DefAttributes().Style() & fsItalic);
  EXPECT_EQ(E->DefAttributes().Color(), base::clNavy);
  EXPECT_EQ(E->DefAttributes().Name(), F.family());
}

TEST(RichEditFormat, WithoutAWindowParagraphQuestionsAnswerZero) {
  TqvDBRichEdit E;
  int FirstLine = -1, Right = -1, Start = -1;
  E.GetIndents(FirstLine, Right, Start);
  EXPECT_EQ(FirstLine, 0);
  EXPECT_EQ(Right, 0);
  EXPECT_EQ(Start, 0);
  PARAFORMAT2 P;
  P.dxStartIndent = 99;
  E.GetParagraphFormat(P);
  EXPECT_EQ(P.dxStartIndent, 0);
  EXPECT_EQ(P.cbSize, sizeof(PARAFORMAT2));
  EXPECT_FALSE(E.HandleAllocated());
}

TEST(RichEditFormat, HighlightRemovalAcrossParagraphsKeepsTextAndParagraphs) {
  auto E = MakeEdit();
  LoadAll(*E, Rtf("\\pard\\qc\\highlight0 \\'cc\\'e5\\'e4 {\\b \\'f1\\'ee\\'f2\\'fb}\\par\r\n"
                  "\\pard\\li720\\ri360 \\'cf\\'e5\\'f0\\'e3\\'e0 \\'e8 \\'e2\\'ee\\'f1\\'ea\\par\r\n"
                  "\\pard\\qr \\'cf\\'f7\\'e5\\'eb\\'e0\\par\r\n"));
  const QString Text = E->Text();
  const QByteArray Plain = SaveAll(*E);
  // From inside the first paragraph to inside the second, and from inside the second to the end.
  for (auto [From, To] : {std::pair{2, 14}, std::pair{9, int(Text.size())}}) {
    E->SetSelStart(From);
    E->SetSelLength(To - From);
    E->SetSelBackColor(base::clYellow);
    E->SetSelStart(From);
    E->SetSelLength(To - From);
    E->RemoveHighlight();
    EXPECT_EQ(E->Text(), Text) << From;
    EXPECT_EQ(SaveAll(*E), Plain) << From;
  }
}
