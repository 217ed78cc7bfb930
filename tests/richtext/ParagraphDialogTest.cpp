// The paragraph dialog run on a control as the user meets it: what it shows for a paragraph,
// what typing and choosing do, what the control receives on OK, what is refused.
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "richtext/Qvintl.h"
#include "richtext/editor/qvrchdlg.h"
#include "tests/richtext/DialogDriver.h"
#include "tests/richtext/RichEditFixture.h"

using namespace engine;
using namespace richtext;

namespace {
using TDriver = std::function<void(TqvRichParagraphDialog&)>;

class ParagraphDialog : public ::testing::Test {
 protected:
  ParagraphDialog() : Locale(QLocale(QLocale::English, QLocale::UnitedStates)) {
    InstallParagraphDialog();
    E = MakeEdit();
    E->SetText(QStringLiteral("Bees make honey from nectar."));
  }
  ~ParagraphDialog() override { QvRichEditHooks().ShowParagraphDialog = nullptr; }

  // The paragraph's format, set as the engine keeps it.
  void Given(int StartIndent, int Offset, int Right = 0) {
    E->SetParagraphFormat(pmStartIndent | pmOffset | pmRightIndent, QString(), 0, 0, 0, 0, nullptr, 0, StartIndent,
                          Right, Offset, false);
  }
  bool Run(const TDriver& Drive) {
    return WithModalDialog<TqvRichParagraphDialog>([this] { return E->ShowParagraphDialog(); }, Drive);
  }
  PARAFORMAT2 Format() {
    PARAFORMAT2 F;
    E->GetParagraphFormat(F);
    return F;
  }

  TLocaleScope Locale;
  std::unique_ptr<TProbeRichEdit> E;
};
}  // namespace

TEST_F(ParagraphDialog, TheFormAsDesigned) {
  struct TPlace {
    const char* Name;
    QRect Geometry;  // width or height 0: not fixed by the form
  };
  const TPlace Places[] = {
      {"OKBtn", {166, 200, 75, 25}},           {"CancelBtn", {248, 200, 75, 25}},
      {"Panel1", {6, 8, 321, 185}},            {"Label4", {8, 12, 0, 0}},
      {"AlignmentCombo", {72, 9, 89, 0}},      {"Bevel1", {68, 48, 250, 2}},
      {"GroupBox1", {7, 41, 0, 0}},            {"Label1", {19, 62, 0, 0}},
      {"LeftEdit", {72, 59, 65, 0}},           {"Label2", {157, 62, 0, 0}},
      {"RightEdit", {192, 59, 65, 0}},         {"Label3", {19, 88, 0, 0}},
      {"FirstLineEdit", {72, 85, 65, 0}},      {"SpacingGroup", {7, 111, 0, 0}},
      {"Bevel2", {54, 118, 263, 2}},           {"BeforeParagraphLabel", {19, 130, 0, 0}},
      {"BeforeParagraphEdit", {72, 127, 57, 0}}, {"AfterParagraphLabel", {19, 156, 0, 0}},
      {"AfterParagraphEdit", {72, 153, 57, 0}}, {"WithinParagraphLabel", {153, 138, 0, 0}},
      {"LineSpacingComboBox", {152, 154, 81, 0}}, {"WithinParagraphAt", {241, 138, 0, 0}},
      {"WithinParagraphEdit", {240, 153, 65, 0}},
  };
  Run([&](TqvRichParagraphDialog& D) {
    EXPECT_EQ(D.size(), QSize(331, 229));
    EXPECT_EQ(D.windowTitle(), QStringLiteral("Paragraph"));
    for (const TPlace& P : Places) {
      auto* W = D.findChild<QWidget*>(QLatin1String(P.Name));
      ASSERT_NE(W, nullptr) << P.Name;
      EXPECT_EQ(W->pos(), P.Geometry.topLeft()) << P.Name;
      if (P.Geometry.width()) {
        EXPECT_EQ(W->width(), P.Geometry.width()) << P.Name;
      }
      if (P.Geometry.height()) {
        EXPECT_EQ(W->height(), P.Geometry.height()) << P.Name;
      }
      // Every label is seen whole, and inside the panel.
      if (auto* L = qobject_cast<QLabel*>(W)) {
        EXPECT_GE(L->width(), L->sizeHint().width()) << P.Name;
        EXPECT_LE(L->geometry().right(), D.Panel1->width()) << P.Name;
      }
    }
    // The captions of the texts records, not the form's own.
    EXPECT_EQ(D.Label1->text(), QStringLiteral("Left:"));
    EXPECT_EQ(D.Label4->text(), QStringLiteral("Alignment"));
    EXPECT_EQ(D.WithinParagraphLabel->text(), QStringLiteral("Li&ne Spacing"));
    EXPECT_EQ(D.OKBtn->text(), QStringLiteral("&OK"));
    EXPECT_TRUE(D.OKBtn->isDefault());
    QStringList Alignments, Spacings;
    for (int I = 0; I < D.AlignmentCombo->count(); ++I) Alignments << D.AlignmentCombo->itemText(I);
    for (int I = 0; I < D.LineSpacingComboBox->count(); ++I) Spacings << D.LineSpacingComboBox->itemText(I);
    EXPECT_EQ(Alignments, QStringList({"Left", "Center", "Right"}));
    EXPECT_EQ(Spacings, QStringList({"Single", "1.5 Lines", "Double", "At least", "Exactly", "Multiple"}));
    // Hints come with reoShowHints, which the control's options hold by default.
    EXPECT_EQ(D.LeftEdit->toolTip(), QStringLiteral("Left Indentation"));

    // The tab order as the user walks it, from the initially focused alignment box.
    EXPECT_EQ(QApplication::focusWidget(), D.AlignmentCombo);
    QStringList Walk;
    for (int I = 0; I < 10; ++I) {
      Walk << QApplication::focusWidget()->objectName();
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(Walk, QStringList({"AlignmentCombo", "LeftEdit", "RightEdit", "FirstLineEdit", "BeforeParagraphEdit",
                                 "AfterParagraphEdit", "LineSpacingComboBox", "WithinParagraphEdit", "OKBtn",
                                 "CancelBtn"}));
    // The accelerators the captions carry.
    Accelerator(&D, Qt::Key_B);
    EXPECT_EQ(QApplication::focusWidget(), D.BeforeParagraphEdit);
    Accelerator(&D, Qt::Key_E);
    EXPECT_EQ(QApplication::focusWidget(), D.AfterParagraphEdit);
    Accelerator(&D, Qt::Key_N);
    EXPECT_EQ(QApplication::focusWidget(), D.LineSpacingComboBox);
    Accelerator(&D, Qt::Key_A);
    EXPECT_EQ(QApplication::focusWidget(), D.WithinParagraphEdit);
    QTest::keyClick(D.WithinParagraphEdit, Qt::Key_Escape);
  });
}

TEST_F(ParagraphDialog, IndentsShowSnappedAndComeBackUnchanged) {
  Given(1440, 720);  // lines after the first further right
  EXPECT_TRUE(Run([](TqvRichParagraphDialog& D) {
    EXPECT_EQ(D.LeftEdit->text(), QStringLiteral("1.5''"));
    EXPECT_EQ(D.FirstLineEdit->text(), QStringLiteral("-0.5''"));
    EXPECT_EQ(D.RightEdit->text(), QStringLiteral("0''"));
    EXPECT_EQ(D.BeforeParagraphEdit->text(), QStringLiteral("0''"));
    EXPECT_EQ(D.LineSpacingComboBox->currentIndex(), 0);
    EXPECT_EQ(D.WithinParagraphEdit->text(), QString());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);  // Enter is OK
  }));
  int Offset = 0, Right = 0, Start = 0;
  E->GetIndents(Offset, Right, Start);
  EXPECT_EQ(Start, 1440);
  EXPECT_EQ(Offset, 720);
  EXPECT_EQ(Right, 0);
}

TEST_F(ParagraphDialog, CentimetresAndTheLocalesDecimalComma) {
  TLocaleScope Russian{QLocale(QLocale::Russian, QLocale::Russia)};
  E->SetMeasurementUnits(muCentimeters);
  Given(1440, 0, 720);
  EXPECT_TRUE(Run([](TqvRichParagraphDialog& D) {
    EXPECT_EQ(D.LeftEdit->text(), QStringLiteral("2,55 cm"));  // 2.54 snapped to twentieths
    EXPECT_EQ(D.RightEdit->text(), QStringLiteral("1,3 cm"));  // 1.27 snapped up a step
    TypeInto(D.RightEdit, QStringLiteral("1,5"));
    D.OKBtn->click();
  }));
  EXPECT_EQ(Format().dxRightIndent, 851);  // 1.5 × 1440 / 2.537, truncated
}

TEST_F(ParagraphDialog, TheOffsetIsLimitedByTheLeftIndent) {
  EXPECT_TRUE(Run([](TqvRichParagraphDialog& D) {
    TypeInto(D.FirstLineEdit, QStringLiteral("-0.5"));
    TypeInto(D.LeftEdit, QStringLiteral("0.25"));
    D.OKBtn->click();
  }));
  int Offset = 0, Right = 0, Start = 0;
  E->GetIndents(Offset, Right, Start);
  EXPECT_EQ(Start, -360);
  EXPECT_EQ(Offset, 360);
}

TEST_F(ParagraphDialog, LineSpacingChoicesAndTheirValues) {
  // 1.5 Lines comes back as Multiple 1.5: the engine keeps it as 30 twentieths.
  EXPECT_TRUE(Run([](TqvRichParagraphDialog& D) {
    D.LineSpacingComboBox->setFocus();
    QTest::keyClick(D.LineSpacingComboBox, Qt::Key_Down);
    EXPECT_EQ(D.LineSpacingComboBox->currentText(), QStringLiteral("1.5 Lines"));
    D.OKBtn->click();
  }));
  EXPECT_EQ(Format().bLineSpacingRule, 5);
  EXPECT_EQ(Format().dyLineSpacing, 30);
  Run([](TqvRichParagraphDialog& D) {
    EXPECT_EQ(D.LineSpacingComboBox->currentText(), QStringLiteral("Multiple"));
    EXPECT_EQ(D.WithinParagraphEdit->text(), QStringLiteral("1.5"));
    // Choosing fills the value box with the choice's usual value.
    D.LineSpacingComboBox->setFocus();
    QTest::keyClick(D.LineSpacingComboBox, Qt::Key_Up);  // Exactly
    EXPECT_EQ(D.WithinParagraphEdit->text(), QStringLiteral("0.16''"));
    QTest::keyClick(D.LineSpacingComboBox, Qt::Key_Home);  // Single
    EXPECT_EQ(D.WithinParagraphEdit->text(), QString());
    // Typing a value for Single makes it a multiple, the text left as typed.
    TypeInto(D.WithinParagraphEdit, QStringLiteral("2"));
    EXPECT_EQ(D.LineSpacingComboBox->currentText(), QStringLiteral("Multiple"));
    EXPECT_EQ(D.WithinParagraphEdit->text(), QStringLiteral("2"));
    D.OKBtn->click();
  });
  EXPECT_EQ(Format().dyLineSpacing, 40);  // double
  Run([](TqvRichParagraphDialog& D) {
    TypeInto(D.WithinParagraphEdit, QString());
    D.OKBtn->click();
  });
  EXPECT_EQ(Format().bLineSpacingRule, 5);
  EXPECT_EQ(Format().dyLineSpacing, 20);  // empty: single
  Run([](TqvRichParagraphDialog& D) {
    D.LineSpacingComboBox->setCurrentIndex(3);  // At least, with a length
    TypeInto(D.WithinParagraphEdit, QStringLiteral("0.25''"));
    D.OKBtn->click();
  });
  EXPECT_EQ(Format().bLineSpacingRule, 3);
  EXPECT_EQ(Format().dyLineSpacing, 360);
}

TEST_F(ParagraphDialog, AMultipleOf23IsTooFarInInchesButNotInCentimetres) {
  Run([](TqvRichParagraphDialog& D) {
    D.LineSpacingComboBox->setCurrentIndex(5);
    TypeInto(D.WithinParagraphEdit, QStringLiteral("23"));
    D.LeftEdit->setFocus();
    D.OKBtn->click();
    EXPECT_TRUE(D.isVisible());
    EXPECT_EQ(QApplication::focusWidget(), D.WithinParagraphEdit);
    QTest::keyClick(D.WithinParagraphEdit, Qt::Key_Escape);
  });
  EXPECT_EQ(Format().dyLineSpacing, 0);  // Esc changed nothing
  E->SetMeasurementUnits(muCentimeters);
  EXPECT_TRUE(Run([](TqvRichParagraphDialog& D) {
    EXPECT_EQ(D.LineSpacingComboBox->currentIndex(), 0);
    QTest::keyClick(D.LineSpacingComboBox, Qt::Key_End);
    EXPECT_EQ(D.WithinParagraphEdit->text(), QStringLiteral("1"));
    TypeInto(D.WithinParagraphEdit, QStringLiteral("23"));
    D.OKBtn->click();
  }));
  EXPECT_EQ(Format().dyLineSpacing, 460);
  // In centimetres At least starts at a sixth of an inch too.
  Run([](TqvRichParagraphDialog& D) {
    D.LineSpacingComboBox->setFocus();
    QTest::keyClick(D.LineSpacingComboBox, Qt::Key_Home);
    QTest::keyClick(D.LineSpacingComboBox, Qt::Key_Down);
    QTest::keyClick(D.LineSpacingComboBox, Qt::Key_Down);
    QTest::keyClick(D.LineSpacingComboBox, Qt::Key_Down);
    EXPECT_EQ(D.WithinParagraphEdit->text(), QStringLiteral("0.42 cm"));
    D.CancelBtn->click();
  });
}

TEST_F(ParagraphDialog, ARefusedValueKeepsTheDialogOpenWithTheFocusOnIt) {
  struct TRefusal {
    const char* Box;
    const char* Text;
  };
  const TRefusal Refusals[] = {{"LeftEdit", ""}, {"RightEdit", "abc"}, {"BeforeParagraphEdit", "23"},
                               {"FirstLineEdit", "-22.1"}, {"AfterParagraphEdit", "1..2"}};
  Given(720, 0);
  for (const TRefusal& R : Refusals) {
    SCOPED_TRACE(R.Box);
    EXPECT_FALSE(Run([&](TqvRichParagraphDialog& D) {
      auto* Box = D.findChild<QLineEdit*>(QLatin1String(R.Box));
      TypeInto(Box, QString::fromLatin1(R.Text));
      TypeInto(D.RightEdit == Box ? D.LeftEdit : D.RightEdit, QStringLiteral("0.5"));  // a good one after it
      D.AlignmentCombo->setFocus();
      Accelerator(&D, Qt::Key_O);
      EXPECT_TRUE(D.isVisible());
      EXPECT_EQ(QApplication::focusWidget(), Box);
      D.CancelBtn->click();
    }));
  }
  int Offset = 0, Right = 0, Start = 0;
  E->GetIndents(Offset, Right, Start);
  EXPECT_EQ(Start, 720);  // Cancel changed nothing
  EXPECT_EQ(Right, 0);
}

TEST_F(ParagraphDialog, AJustifiedParagraphStaysJustifiedWithoutTheJustifyButton) {
  ASSERT_FALSE(E->EditorOptions().Contains(reoShowJustifyButton));
  E->SetParagraphFormat(pmAlignment, GlobalIntl->RichEdit()->ParagraphDialog()->AlignJustify(), 0, 0, 0, 0, nullptr,
                        0, 0, 0, 0, false);
  EXPECT_TRUE(Run([](TqvRichParagraphDialog& D) {
    EXPECT_EQ(D.AlignmentCombo->currentText(), QStringLiteral("Justify"));
    D.OKBtn->click();
  }));
  EXPECT_EQ(Format().wAlignment, PFA_JUSTIFY);
  // With the button the list offers it, and choosing Right right-aligns.
  E->SetEditorOptions(TqvRichEditOptions(E->EditorOptions()).Include(reoShowJustifyButton));
  EXPECT_TRUE(Run([](TqvRichParagraphDialog& D) {
    EXPECT_EQ(D.AlignmentCombo->count(), 4);
    EXPECT_EQ(D.AlignmentCombo->itemText(3), QStringLiteral("Justify"));
    D.AlignmentCombo->setCurrentIndex(2);
    D.OKBtn->click();
  }));
  EXPECT_EQ(Format().wAlignment, PFA_RIGHT);
}

TEST_F(ParagraphDialog, AFirstVersionEngineHasNoSpacing) {
  E->SetRichEditVersion(1);
  E->SetEditorOptions(TqvRichEditOptions(E->EditorOptions()).Exclude(reoShowHints));
  EXPECT_TRUE(Run([](TqvRichParagraphDialog& D) {
    EXPECT_EQ(D.BeforeParagraphEdit->text(), QStringLiteral("0"));
    EXPECT_EQ(D.AfterParagraphEdit->text(), QStringLiteral("0"));
    EXPECT_FALSE(D.BeforeParagraphEdit->isEnabled());
    EXPECT_FALSE(D.AfterParagraphEdit->isEnabled());
    EXPECT_FALSE(D.WithinParagraphEdit->isEnabled());
    EXPECT_FALSE(D.LineSpacingComboBox->isEnabled());
    EXPECT_EQ(D.LineSpacingComboBox->currentIndex(), 0);
    EXPECT_TRUE(D.LeftEdit->toolTip().isEmpty());
    TypeInto(D.LeftEdit, QStringLiteral("1"));
    D.OKBtn->click();
  }));
  int Offset = 0, Right = 0, Start = 0;
  E->GetIndents(Offset, Right, Start);
  EXPECT_EQ(Start, 1440);
}

TEST_F(ParagraphDialog, TextsOfTheDayAreUsed) {
  TqvRichEditParagraphDlg* T = GlobalIntl->RichEdit()->ParagraphDialog();
  const TqvRichEditParagraphDlg Saved = *T;
  T->SetAlignRight(QStringLiteral("Flush right"));
  T->SetSpacingDouble(QStringLiteral("Twice"));
  T->SetParagraphDlgCaption(QStringLiteral("Абзац"));
  EXPECT_TRUE(Run([](TqvRichParagraphDialog& D) {
    EXPECT_EQ(D.windowTitle(), QStringLiteral("Абзац"));
    EXPECT_EQ(D.LineSpacingComboBox->itemText(2), QStringLiteral("Twice"));
    EXPECT_EQ(D.LineSpacingComboBox->itemText(3), QStringLiteral("At least"));
    EXPECT_EQ(D.AlignmentCombo->itemText(2), QStringLiteral("Flush right"));
    D.AlignmentCombo->setCurrentIndex(2);
    D.OKBtn->click();
  }));
  *T = Saved;
  EXPECT_EQ(Format().wAlignment, PFA_RIGHT);
}
