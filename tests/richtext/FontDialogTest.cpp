// The control's font dialog as the user meets it: what it shows for the selection and what OK
// gives the text, for faces this machine has and faces it lacks.
#include <QBuffer>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "richtext/qvfontdlg.h"
#include "tests/common/TestQuestions.h"
#include "tests/richtext/DialogDriver.h"
#include "tests/richtext/RichEditFixture.h"

using namespace engine;
using namespace richtext;

namespace {
// What the character format says of a character, as one line to compare and print.
std::string FormatAt(TqvCustomRichEdit& E, int At) {
  E.SetSelStart(At);
  E.SetSelLength(1);
  CHARFORMAT2 F;
  E.Perform(EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(static_cast<CHARFORMAT*>(&F)));
  return QStringLiteral("%1 %2tw effects %3 charset %4 colour %5 weight %6")
      .arg(FaceName(F))
      .arg(F.yHeight)
      .arg(F.dwEffects & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT))
      .arg(F.bCharSet)
      .arg(F.crTextColor)
      .arg(F.wWeight)
      .toStdString();
}
std::vector<std::string> Formats(TqvCustomRichEdit& E) {
  std::vector<std::string> R;
  for (int I = 0; I < E.GetTextLen(); ++I) R.push_back(FormatAt(E, I));
  return R;
}
QByteArray Text(const char* Fonts, const char* Body) {
  return QByteArray("{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl") + Fonts + "}" + Body + "}";
}

class FontDialog : public ::testing::Test {
 protected:
  FontDialog() : Locale(QLocale(QLocale::English, QLocale::UnitedStates)) { E = MakeEdit(); }
  void Run(const std::function<void(TqvFontDialog&)>& Drive) {
    E->SelectAll();
    WithModalDialog<TqvFontDialog>(
        [this] {
          E->ShowFontDialog();
          return true;
        },
        Drive);
  }
  TLocaleScope Locale;
  std::unique_ptr<TProbeRichEdit> E;
};
}  // namespace

// Regular DejaVu Serif came back bold or condensed italic, and a face this machine lacks came
// back as the desktop's sans serif.
TEST_F(FontDialog, OkWithoutAChangeLeavesTheTextAsItWas) {
  struct TCase {
    const char* Name;
    QByteArray Rtf;
  } Cases[] = {
      {"an installed face, regular", Text("{\\f0\\froman\\fcharset204 DejaVu Serif;}", "\\f0\\fs24 honey")},
      {"a face drawn by its metric twin, bold italic, between whole points",
       Text("{\\f0\\froman\\fcharset204 Times New Roman;}", "\\f0\\fs27\\b\\i honey")},
      {"a face drawn by a fallback, underlined and struck out",
       Text("{\\f0\\fswiss\\fcharset204 Verdana;}", "\\f0\\fs20\\ul\\strike honey")},
      {"several faces and sizes",
       Text("{\\f0\\fswiss\\fcharset204 Verdana;}{\\f1\\froman\\fcharset0 Liberation Serif;}",
            "\\f0\\fs20 ho\\f1\\fs32\\b ney")},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    LoadAll(*E, C.Rtf);
    const std::vector<std::string> Before = Formats(*E);
    const std::string Saved = SaveAll(*E).toStdString();
    E->SelectAll();
    bool Shown = false;
    // Any dialog the control shows: OK pressed at once.
    WithModalDialog<QDialog>(
        [this] {
          E->ShowFontDialog();
          return true;
        },
        [&](QDialog& D) {
          Shown = true;
          D.accept();
        });
    EXPECT_TRUE(Shown);
    EXPECT_EQ(Formats(*E), Before);
    EXPECT_EQ(SaveAll(*E).toStdString(), Saved);
  }
}

TEST_F(FontDialog, ShowsTheSelectionsFaceSizeAndStyleEvenWhereTheFaceIsMissing) {
  struct TCase {
    QByteArray Rtf;
    QString Family, Style, Size;
    bool Underline, StrikeOut;
  } Cases[] = {
      {Text("{\\f0\\froman\\fcharset204 DejaVu Serif;}", "\\f0\\fs24 honey"), "DejaVu Serif", "Regular", "12", false,
       false},
      {Text("{\\f0\\froman\\fcharset204 Times New Roman;}", "\\f0\\fs27\\b\\i\\ul honey"), "Times New Roman",
       "Bold Italic", "13.5", true, false},
      {Text("{\\f0\\fswiss\\fcharset204 Verdana;}", "\\f0\\fs20\\i\\strike honey"), "Verdana", "Italic", "10", false,
       true},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Family.toStdString());
    LoadAll(*E, C.Rtf);
    Run([&](TqvFontDialog& D) {
      EXPECT_EQ(D.FamilyEdit->text(), C.Family);
      ASSERT_NE(D.FamilyList->currentItem(), nullptr);
      EXPECT_EQ(D.FamilyList->currentItem()->text(), C.Family);
      EXPECT_EQ(D.StyleEdit->text(), C.Style);
      EXPECT_EQ(D.StyleList->currentItem()->text(), C.Style);
      EXPECT_EQ(D.SizeEdit->text(), C.Size);
      EXPECT_EQ(D.UnderlineBox->isChecked(), C.Underline);
      EXPECT_EQ(D.StrikeOutBox->isChecked(), C.StrikeOut);
      // The face the user can pick is there once, by its name, beside the installed ones.
      EXPECT_EQ(D.FamilyList->findItems(C.Family, Qt::MatchFixedString).size(), 1);
      EXPECT_EQ(D.FamilyList->findItems("Liberation Sans", Qt::MatchFixedString).size(), 1);
      EXPECT_EQ(QApplication::focusWidget(), D.FamilyEdit);
      QTest::keyClick(D.FamilyEdit, Qt::Key_Escape);
    });
  }
  // A face the selection does not name is not offered.
  Run([&](TqvFontDialog& D) {
    EXPECT_TRUE(D.FamilyList->findItems("Times New Roman", Qt::MatchFixedString).isEmpty());
    D.reject();
  });
}

TEST_F(FontDialog, WhatTheUserChoosesIsApplied) {
  LoadAll(*E, Text("{\\f0\\froman\\fcharset204 Times New Roman;}", "\\f0\\fs27 honey"));
  Run([&](TqvFontDialog& D) {
    // A face is found by its first letters, and Down moves on in the list.
    TypeInto(D.FamilyEdit, "liberation s");
    EXPECT_EQ(D.FamilyList->currentItem()->text(), "Liberation Sans");
    EXPECT_EQ(D.FamilyEdit->text(), "liberation s");
    QTest::keyClick(D.FamilyEdit, Qt::Key_Down);
    EXPECT_EQ(D.FamilyEdit->text(), "Liberation Serif");
    D.StyleList->setFocus();
    QTest::keyClick(D.StyleList, Qt::Key_Down);
    QTest::keyClick(D.StyleList, Qt::Key_Down);
    EXPECT_EQ(D.StyleEdit->text(), "Bold");
    TypeInto(D.SizeEdit, "16");
    EXPECT_EQ(D.SizeList->currentItem()->text(), "16");
    EXPECT_EQ(D.Sample->font().family(), "Liberation Serif");
    QTest::mouseClick(D.OKBtn, Qt::LeftButton);
  });
  for (int I = 0; I < 5; ++I) EXPECT_EQ(FormatAt(*E, I), "Liberation Serif 320tw effects 1 charset 1 colour 0 weight 700");
}

TEST_F(FontDialog, AFaceOrSizeThatCannotBeIsRefusedAndTheDialogStays) {
  LoadAll(*E, Text("{\\f0\\froman\\fcharset204 Times New Roman;}", "\\f0\\fs24 honey"));
  const std::vector<std::string> Before = Formats(*E);
  TestQuestions Questions;
  Run([&](TqvFontDialog& D) {
    TypeInto(D.FamilyEdit, "Times New Romanesque");
    QTest::mouseClick(D.OKBtn, Qt::LeftButton);
    EXPECT_TRUE(D.isVisible());
    EXPECT_EQ(QApplication::focusWidget(), D.FamilyEdit);
    TypeInto(D.FamilyEdit, "times new roman");
    TypeInto(D.SizeEdit, "0");
    QTest::mouseClick(D.OKBtn, Qt::LeftButton);
    EXPECT_TRUE(D.isVisible());
    EXPECT_EQ(QApplication::focusWidget(), D.SizeEdit);
    D.reject();
  });
  ASSERT_EQ(Questions.asked.size(), 2u);
  EXPECT_TRUE(Questions.asked[0].text.startsWith("There is no font with that name."));
  EXPECT_TRUE(Questions.asked[1].text.startsWith("'0' is not a valid font size."));
  EXPECT_EQ(Formats(*E), Before);
}
