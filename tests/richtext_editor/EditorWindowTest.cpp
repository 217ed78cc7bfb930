// The editor window: its layout and option rules, the bars following the selection, the format
// bar's commands, the colour menu, keys, texts and hints, borrowed buttons and pictures.
#include <QAction>
#include <QFile>
#include <QFontDatabase>
#include <QLineEdit>
#include <QTest>
#include <QMenu>
#include <QPushButton>
#include <QStatusTipEvent>

#include "richtext/Qvintl.h"
#include "tests/richtext_editor/EditorFixture.h"

using namespace engine;
using namespace richtext;

namespace {

std::unique_ptr<TqvDBRichEdit> Control(const QByteArray& Contents = Rtf("{\\b Acacia} blossom")) {
  auto E = std::make_unique<TqvDBRichEdit>();
  E->resize(497, 221);
  E->HandleNeeded();
  E->EngineLines().LoadFromBytes(Contents);
  E->SetControlFontColor(13500416);
  return E;
}

// Runs the window on a control with the given options changed from the defaults.
void RunWith(TqvCustomRichEdit& E, std::initializer_list<TqvRichEditOption> Add,
             std::initializer_list<TqvRichEditOption> Remove, const std::function<void(TqvRichEditForm&)>& Script) {
  TqvRichEditOptions O = E.EditorOptions();
  for (auto M : Add) O.Include(M);
  for (auto M : Remove) O.Exclude(M);
  E.SetEditorOptions(O);
  RunEditor(E, Script);
}

int Left(const QWidget* W) { return W->x(); }

}  // namespace

TEST(EditorWindow, TheDefaultOptionsGiveTheDesignedLayout) {
  auto E = Control();
  RunWith(*E, {}, {}, [](TqvRichEditForm& F) {
    ASSERT_EQ(F.PixelsPerInch(), 96);
    EXPECT_EQ(F.Client->size(), QSize(602, 408));
    EXPECT_EQ(F.ToolBarBevel->geometry(), QRect(0, 0, 602, 2));
    EXPECT_EQ(F.Toolbar->geometry(), QRect(0, 2, 602, 24));
    EXPECT_EQ(F.FormatBarBevel->geometry(), QRect(0, 26, 602, 2));
    EXPECT_EQ(F.FormatBar->geometry(), QRect(0, 28, 602, 26));
    // The ruler under its bevel, as wide as the window's client area.
    ASSERT_NE(F.Ruler, nullptr);
    EXPECT_EQ(F.RulerBevel->geometry(), QRect(0, 54, 602, 2));
    EXPECT_EQ(F.Ruler->geometry(), QRect(0, 56, 602, 25));
    EXPECT_EQ(F.Ruler->RulerRect(), QRect(6, 4, 602 - 12, 25 - 8));
    EXPECT_EQ(F.RichEdit1->geometry(), QRect(0, 81, 602, 408 - 81 - 19));
    EXPECT_EQ(F.StatusBar->geometry(), QRect(0, 408 - 19, 602, 19));
    QList<int> Widths;
    for (const auto& P : F.StatusBar->Panels()) Widths << P.Width;
    EXPECT_EQ(Widths, QList<int>({520, 32, 32, 18}));

    // After the option rules the tool bar closes up over the hidden spelling button, and the
    // format bar over the hidden Justify button.
    const std::pair<QWidget*, int> Places[] = {
        {F.NewButton, 7},       {F.PrintButton, 30},    {F.Bevel1, 56},       {F.FindButton, 61},
        {F.ToolbarBevel1, 87},  {F.CutButton, 92},      {F.CopyButton, 115},  {F.PasteButton, 138},
        {F.Bevel2, 164},        {F.UndoButton, 169},    {F.RedoButton, 192},  {F.UserButtonBevel, 218},
        {F.FontNameCombo, 6},   {F.FontSizeCombo, 255}, {F.BoldButton, 313},  {F.ItalicButton, 336},
        {F.UnderlineButton, 359}, {F.ColorButton, 382}, {F.Bevel3, 408},      {F.LeftButton, 413},
        {F.CenterButton, 436},  {F.RightButton, 459},   {F.Bevel4, 485},      {F.BulletButton, 490},
        {F.HighlightButton, 514}};
    for (const auto& [W, X] : Places) EXPECT_EQ(Left(W), X) << W->objectName().toStdString();
    EXPECT_EQ(F.NewButton->size(), QSize(23, 22));
    EXPECT_EQ(F.FontNameCombo->width(), 241);
    EXPECT_EQ(F.FontSizeCombo->width(), 50);

    for (QWidget* W : {static_cast<QWidget*>(F.SpellButton), static_cast<QWidget*>(F.JustifyButton),
                       static_cast<QWidget*>(F.LoadButton1), static_cast<QWidget*>(F.SaveAsButton),
                       static_cast<QWidget*>(F.UserButtonBevel)})
      EXPECT_TRUE(W->isHidden()) << W->objectName().toStdString();
    for (QAction* A : {F.Load1, F.SaveAs1, F.Tools1->menuAction(), F.Options1, F.DateandTime1, F.Help1})
      EXPECT_FALSE(A->isVisible()) << A->objectName().toStdString();
    for (QAction* A : {F.SaveExit1, F.FileSep1, F.Print1, F.PageSetup1, F.FileSep2, F.InsertObject1,
                       F.Insert1->menuAction(), F.Format1->menuAction(), F.View1->menuAction()})
      EXPECT_TRUE(A->isVisible()) << A->objectName().toStdString();
    for (QAction* A : {F.Toolbar1, F.FormatBar1, F.StatusBar1, F.Ruler1}) EXPECT_TRUE(A->isChecked());
    // Menu icons from the image list, flat buttons.
    EXPECT_FALSE(F.Print1->icon().isNull());
    EXPECT_TRUE(F.Exit1->icon().isNull());
    EXPECT_TRUE(F.NewButton->Flat());
    F.Exit1Click();
  });
}

TEST(EditorWindow, TheOptionRulesHideWhatTheyNameAndTheBarsCloseUp) {
  auto E = Control();
  // No print: the find group moves left by the print button's width.
  RunWith(*E, {reoShowJustifyButton, reoShowLoad}, {reoShowPrint, reoShowSaveExit, reoShowMainMenuIcons},
          [](TqvRichEditForm& F) {
            EXPECT_TRUE(F.PrintButton->isHidden());
            EXPECT_FALSE(F.Print1->isVisible());
            EXPECT_EQ(Left(F.Bevel1), 33);
            EXPECT_EQ(Left(F.FindButton), 38);
            EXPECT_EQ(Left(F.CutButton), 69);
            EXPECT_FALSE(F.JustifyButton->isHidden());
            EXPECT_EQ(Left(F.Bevel4), 508);
            EXPECT_EQ(Left(F.BulletButton), 512);
            EXPECT_TRUE(F.Load1->isVisible());
            EXPECT_TRUE(F.LoadButton1->isHidden());  // never shown
            EXPECT_FALSE(F.SaveExit1->isVisible());
            EXPECT_TRUE(F.FileSep1->isVisible());   // Load is there
            EXPECT_TRUE(F.FileSep2->isVisible());   // Page Setup is there
            EXPECT_TRUE(F.Print1->icon().isNull());
            F.Exit1Click();
          });
  E->SetOleOptions({reoAdjustPopupMenu, reoDisableOLE});
  RunWith(*E, {}, {reoShowLoad, reoShowPageSetup, reoShowStatusBar, reoShowFormatBar, reoShowToolBar},
          [](TqvRichEditForm& F) {
            EXPECT_FALSE(F.Insert1->menuAction()->isVisible());
            EXPECT_FALSE(F.FileSep1->isVisible());
            EXPECT_FALSE(F.FileSep2->isVisible());
            EXPECT_FALSE(F.PageSetup1->isVisible());
            EXPECT_TRUE(F.Toolbar->isHidden());
            EXPECT_TRUE(F.FormatBar->isHidden());
            EXPECT_TRUE(F.StatusBar->isHidden());
            EXPECT_FALSE(F.Toolbar1->isChecked());
            EXPECT_FALSE(F.StatusBar1->isChecked());
            F.Exit1Click();
          });
}

TEST(EditorWindow, TogglingTheBarsMovesTheTextAreaAndTheCheckMarksFollow) {
  auto E = Control();
  RunWith(*E, {}, {}, [](TqvRichEditForm& F) {
    const QRect Start = F.RichEdit1->geometry();
    F.Toolbar1Click();
    EXPECT_TRUE(F.Toolbar->isHidden());
    EXPECT_FALSE(F.Toolbar1->isChecked());
    EXPECT_EQ(F.FormatBar->y(), 2);
    EXPECT_EQ(F.RichEdit1->geometry(), Start.adjusted(0, -26, 0, 0));
    F.FormatBar1Click();
    EXPECT_EQ(F.RichEdit1->geometry(), Start.adjusted(0, -54, 0, 0));
    F.StatusBar1Click();
    EXPECT_FALSE(F.StatusBar1->isChecked());
    EXPECT_EQ(F.RichEdit1->geometry(), Start.adjusted(0, -54, 0, 19));
    F.Ruler1Click();
    EXPECT_TRUE(F.Ruler->isHidden());
    EXPECT_FALSE(F.Ruler1->isChecked());
    EXPECT_EQ(F.RichEdit1->geometry(), Start.adjusted(0, -81, 0, 19));
    F.Ruler1Click();
    EXPECT_EQ(F.Ruler->y(), 2);
    F.Toolbar1Click();
    F.FormatBar1Click();
    F.StatusBar1Click();
    EXPECT_EQ(F.RichEdit1->geometry(), Start);
    // The window's size carries the text area and the status bar with it.
    F.resize(F.width() + 50, F.height() + 30);
    EXPECT_EQ(F.RichEdit1->width(), Start.width() + 50);
    EXPECT_EQ(F.StatusBar->y(), F.RichEdit1->y() + F.RichEdit1->height());
    EXPECT_EQ(F.StatusBar->Panels()[0].Width, 520 + 50);
    EXPECT_EQ(F.Ruler->width(), Start.width() + 50);
    EXPECT_EQ(F.Ruler->RightIndentMarker()->MaxValue(), F.Ruler->RulerRect().right() + 1 - TqvRulerPanel::HW);
    F.Exit1Click();
  });
}

TEST(EditorWindow, TheFormatBarFormatsTheSelectionAndFollowsIt) {
  auto E = Control(Rtf("{\\b Acacia} blossom\\par second"));
  RunWith(*E, {reoShowJustifyButton}, {}, [](TqvRichEditForm& F) {
    TqvCustomRichEdit& R = *F.RichEdit1;
    Select(R, 0, 3);
    EXPECT_TRUE(F.BoldButton->isChecked());
    Select(R, 7, 7);  // "blossom"
    EXPECT_FALSE(F.BoldButton->isChecked());

    struct Toggle {
      TqvSpeedButton* Button;
      TFontStyles Style;
    };
    for (const Toggle& T : {Toggle{F.BoldButton, fsBold}, Toggle{F.ItalicButton, fsItalic},
                            Toggle{F.UnderlineButton, fsUnderline}}) {
      SCOPED_TRACE(T.Button->objectName().toStdString());
      T.Button->click();
      EXPECT_TRUE(R.SelAttributes().Style() & T.Style);
      EXPECT_TRUE(T.Button->isChecked());
      T.Button->click();
      EXPECT_FALSE(R.SelAttributes().Style() & T.Style);
      EXPECT_FALSE(T.Button->isChecked());
    }

    struct Align {
      TqvSpeedButton* Button;
      TAlignment Alignment;
    };
    for (const Align& A : {Align{F.CenterButton, taCenter}, Align{F.RightButton, taRightJustify},
                           Align{F.JustifyButton, taJustify}, Align{F.LeftButton, taLeftJustify}}) {
      A.Button->click();
      EXPECT_EQ(R.Paragraph().Alignment(), A.Alignment) << A.Button->objectName().toStdString();
      EXPECT_TRUE(A.Button->isChecked());
    }

    F.BulletButton->click();
    EXPECT_EQ(R.Paragraph().Numbering(), nsBullet);
    EXPECT_TRUE(F.BulletStyle1->isChecked());
    F.BulletStyle1->trigger();
    EXPECT_EQ(R.Paragraph().Numbering(), nsNone);
    EXPECT_FALSE(F.BulletButton->isChecked());

    F.HighlightButton->click();
    Select(R, 7, 7);
    EXPECT_EQ(base::ColorToRGB(R.GetSelBackColor()), base::clYellow);
    EXPECT_TRUE(F.HighlightButton->isChecked());
    F.HighlightButton->click();
    Select(R, 7, 7);
    EXPECT_NE(base::ColorToRGB(R.GetSelBackColor()), base::clYellow);
    EXPECT_FALSE(F.HighlightButton->isChecked());

    // Moving into the other paragraph shows its state.
    Select(R, 16, 0);
    EXPECT_TRUE(F.LeftButton->isChecked());
    EXPECT_FALSE(F.BoldButton->isChecked());
    R.SetModified(false);
    F.Exit1Click();
  });
}

TEST(EditorWindow, TheColourMenuAppliesEachItemsColourAndAutomaticIsTheControlsFontColour) {
  auto E = Control();
  RunWith(*E, {}, {}, [](TqvRichEditForm& F) {
    struct Colour {
      QAction* Item;
      const char* Caption;
      base::TColor Value;
    };
    const Colour Colours[] = {
        {F.Black1, "Black", 0},          {F.Green1, "Maroon", 128},     {F.Red1, "Green", 32768},
        {F.Blue1, "Olive", 32896},       {F.Yellow1, "Navy", 8388608},  {F.Purple1, "Purple", 8388736},
        {F.Teal1, "Teal", 8421376},      {F.Gray1, "Gray", 8421504},    {F.Silver1, "Silver", 12632256},
        {F.Red2, "Red", 255},            {F.Lime1, "Lime", 65280},      {F.Yellow2, "Yellow", 65535},
        {F.Blue2, "Blue", 16711680},     {F.Fuchsia1, "Fuchsia", 16711935}, {F.Aqua1, "Aqua", 16776960},
        {F.White1, "White", 16777215},   {F.Automatic1, "Automatic", 13500416}};
    ASSERT_EQ(F.PopupMenu1->actions().size(), 17);
    for (int I = 0; I < 17; ++I) {
      const Colour& C = Colours[I];
      SCOPED_TRACE(C.Caption);
      EXPECT_EQ(F.PopupMenu1->actions()[I], C.Item);
      EXPECT_EQ(C.Item->text(), QString::fromLatin1(C.Caption));
      Select(*F.RichEdit1, 0, 6);
      C.Item->trigger();
      EXPECT_EQ(F.RichEdit1->SelAttributes().Color(), C.Value);
    }
    // Owner-drawn: each item measured from its caption, with room for the swatch.
    const QFontMetrics M(QApplication::font("QMenu"));
    EXPECT_GE(F.PopupMenu1->actionGeometry(F.Automatic1).width(), M.horizontalAdvance("Automatic") + 45);
    EXPECT_EQ(F.PopupMenu1->actionGeometry(F.Black1).height(), M.height() + 2);
    F.RichEdit1->SetModified(false);
    F.Exit1Click();
  });
}

TEST(EditorWindow, TheFontBoxesApplyAChosenFaceAndSizeAndShowAMissingFaceInRed) {
  auto E = Control();
  TestQuestions Q;
  Q.defaultAnswer = platform::idOk;
  RunWith(*E, {}, {}, [&](TqvRichEditForm& F) {
    TqvCustomRichEdit& R = *F.RichEdit1;
    ASSERT_GT(F.FontNameCombo->count(), 0);
    const QString Face = F.FontNameCombo->itemText(F.FontNameCombo->count() - 1);
    Select(R, 7, 7);
    F.FontNameComboCloseUp(F.FontNameCombo->count() - 1);
    EXPECT_EQ(R.SelAttributes().Name(), Face);
    EXPECT_EQ(F.FontNameCombo->currentText(), Face);
    EXPECT_NE(F.FontNameCombo->TextColor(), QColor(255, 0, 0));

    F.FontSizeComboCloseUp(F.FontSizeCombo->findText("14"));
    EXPECT_EQ(R.SelAttributes().Size(), 14);
    // Typed into the box and confirmed with Enter.
    QLineEdit* SizeText = F.FontSizeCombo->lineEdit();
    SizeText->selectAll();
    QTest::keyClicks(SizeText, "13");
    QTest::keyClick(SizeText, Qt::Key_Return);
    EXPECT_EQ(R.SelAttributes().Size(), 13);
    F.FontSizeCombo->setEditText("big");
    EXPECT_THROW(F.FontSizeComboCloseUp(-1), base::Exception);
    EXPECT_EQ(R.SelAttributes().Size(), 13);
    EXPECT_EQ(F.FontSizeCombo->currentText(), "13");  // the box shows the selection again

    R.SelAttributes().SetName("No Such Face Here");
    F.RefreshControls();
    EXPECT_EQ(F.FontNameCombo->currentText(), "No Such Face Here");
    EXPECT_EQ(F.FontNameCombo->TextColor(), QColor(255, 0, 0));
    F.FontNameComboDropDown();
    EXPECT_EQ(F.FontNameCombo->TextColor(), QColor(Qt::black));
    // Applying the face the selection already has changes nothing.
    F.RichEdit1->SetModified(false);
    F.ApplyFontName("No Such Face Here");
    EXPECT_FALSE(F.RichEdit1->Modified());
    F.Exit1Click();
  });
  EXPECT_TRUE(Q.asked.empty());
}

// Red marks a face drawn by an unrelated fallback; a missing face that an installed one is made to
// the widths of (or, for Verdana, DejaVu Sans) is not marked. The tests see DejaVu and Liberation.
TEST(EditorWindow, TheFaceIsRedOnlyWhereAnUnrelatedFallbackDrawsIt) {
  auto E = Control();
  RunWith(*E, {}, {}, [&](TqvRichEditForm& F) {
    struct TCase {
      const char* Face;
      bool Red;
    } Cases[] = {
        {"DejaVu Sans", false},     {"liberation serif", false}, {"Times New Roman", false},
        {"Arial", false},           {"Courier New", false},      {"Verdana", false},
        {"Calibri", true},          {"Georgia", true},           {"MS Sans Serif", true},
        {"No Such Face Here", true},
    };
    TqvCustomRichEdit& R = *F.RichEdit1;
    for (const TCase& C : Cases) {
      Select(R, 0, 3);
      R.SelAttributes().SetName(QString::fromLatin1(C.Face));
      F.RefreshControls();
      EXPECT_EQ(F.FontNameCombo->currentText().compare(QString::fromLatin1(C.Face), Qt::CaseInsensitive), 0);
      EXPECT_EQ(F.FontNameCombo->TextColor() == QColor(255, 0, 0), C.Red) << C.Face;
    }
    F.RichEdit1->SetModified(false);
    F.Exit1Click();
  });
}

// A family that two foundries make is listed by the font database as "Name [Foundry]" once per
// foundry; the box lists it once by its name and that name goes into the text's font table.
TEST(EditorWindow, AFamilyOfSeveralFoundriesIsListedAndWrittenOnceByItsName) {
  // Liberation Sans from a second foundry: the same file with another vendor in its OS/2 table.
  QFile Source(QStringLiteral("/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf"));
  ASSERT_TRUE(Source.open(QIODevice::ReadOnly));
  QByteArray Font = Source.readAll();
  const int Tables = (uchar(Font[4]) << 8) | uchar(Font[5]);
  int Os2 = -1;
  for (int I = 0; I < Tables; ++I) {
    const int Entry = 12 + 16 * I;
    if (Font.mid(Entry, 4) == "OS/2")
      Os2 = (uchar(Font[Entry + 8]) << 24) | (uchar(Font[Entry + 9]) << 16) | (uchar(Font[Entry + 10]) << 8) |
            uchar(Font[Entry + 11]);
  }
  ASSERT_GT(Os2, 0);
  Font.replace(Os2 + 58, 4, "TSTF");  // achVendID
  const int Id = QFontDatabase::addApplicationFontFromData(Font);
  ASSERT_GE(Id, 0);
  base::ScopeGuard Remove([Id] { QFontDatabase::removeApplicationFont(Id); });
  QFontDatabase::styles(QStringLiteral("Liberation Sans"));
  ASSERT_GE(QFontDatabase::families().filter(QStringLiteral("Liberation Sans [")).size(), 2)
      << "the font database does not tell the two foundries apart";

  auto E = Control();
  RunWith(*E, {}, {}, [&](TqvRichEditForm& F) {
    QStringList Items;
    for (int I = 0; I < F.FontNameCombo->count(); ++I) Items << F.FontNameCombo->itemText(I);
    EXPECT_EQ(Items.filter(QStringLiteral("Liberation Sans")).join(", ").toStdString(), "Liberation Sans");
    EXPECT_TRUE(Items.filter(QStringLiteral("[")).isEmpty()) << Items.join(", ").toStdString();
    TqvCustomRichEdit& R = *F.RichEdit1;
    Select(R, 0, 2);
    F.FontNameComboCloseUp(F.FontNameCombo->findText(QStringLiteral("Liberation Sans")));
    EXPECT_EQ(R.SelAttributes().Name().toStdString(), "Liberation Sans");
    // Typed as the font database spells it.
    Select(R, 2, 2);
    F.FontNameCombo->setEditText(QStringLiteral("Liberation Sans [TSTF]"));
    F.FontNameComboCloseUp(-1);
    EXPECT_EQ(R.SelAttributes().Name().toStdString(), "Liberation Sans");
    const QByteArray Saved = R.EngineLines().SaveToBytes();
    EXPECT_TRUE(Saved.contains(" Liberation Sans;")) << Saved.constData();
    EXPECT_FALSE(Saved.contains("[")) << Saved.constData();
    F.RichEdit1->SetModified(false);
    F.Exit1Click();
  });
}

TEST(EditorWindow, TheCommandsAreEnabledAsTheSelectionTheTextAndTheUndoListAllow) {
  auto E = Control();
  TestQuestions Q;
  RunWith(*E, {}, {}, [&](TqvRichEditForm& F) {
    TqvCustomRichEdit& R = *F.RichEdit1;
    Select(R, 0, 0);
    for (QAction* A : {F.Cut1, F.Copy1, F.Clear1, F.Undo1, F.Redo1, F.FindNext1})
      EXPECT_FALSE(A->isEnabled()) << A->objectName().toStdString();
    for (QWidget* W : {static_cast<QWidget*>(F.CutButton), static_cast<QWidget*>(F.CopyButton),
                       static_cast<QWidget*>(F.UndoButton)})
      EXPECT_FALSE(W->isEnabled()) << W->objectName().toStdString();
    for (QAction* A : {F.SelectAll1, F.Find1, F.Replace1}) EXPECT_TRUE(A->isEnabled());
    Select(R, 0, 6);
    for (QAction* A : {F.Cut1, F.Copy1, F.Clear1}) EXPECT_TRUE(A->isEnabled());
    EXPECT_TRUE(F.CutButton->isEnabled());
    F.Clear1Click();
    F.RefreshControls();
    EXPECT_TRUE(F.Undo1->isEnabled());
    EXPECT_TRUE(F.UndoButton->isEnabled());
    F.Undo1Click();
    EXPECT_EQ(R.Text(), QStringLiteral("Acacia blossom"));
    EXPECT_TRUE(F.Redo1->isEnabled());
    F.Redo1Click();
    EXPECT_EQ(R.Text(), QStringLiteral(" blossom"));

    // New asks first; Cancel leaves the text, OK clears it and marks it changed.
    Q.answers = {platform::idCancel, platform::idOk};
    F.NewButton->click();
    EXPECT_EQ(R.Text(), QStringLiteral(" blossom"));
    F.NewButton->click();
    EXPECT_EQ(R.Text(), QString());
    EXPECT_TRUE(R.Modified());
    ASSERT_EQ(Q.asked.size(), 2u);
    EXPECT_EQ(Q.asked[0].text, QStringLiteral("Clear entire text?"));
    EXPECT_EQ(Q.asked[0].buttons, platform::Buttons::OkCancel);
    F.RefreshControls();
    for (QAction* A : {F.SelectAll1, F.Find1, F.Replace1}) EXPECT_FALSE(A->isEnabled());
    EXPECT_FALSE(F.FindButton->isEnabled());
    F.RichEdit1->SetModified(false);
    F.Exit1Click();
  });
}

TEST(EditorWindow, KeysBoldAndUndoOneStepPerCtrlZ) {
  auto E = Control();
  RunWith(*E, {}, {}, [](TqvRichEditForm& F) {
    TqvCustomRichEdit& R = *F.RichEdit1;
    QWidget* Keys = R.Engine();
    auto Press = [&](int Key, Qt::KeyboardModifiers M) {
      QKeyEvent Override(QEvent::ShortcutOverride, Key, M);
      QApplication::sendEvent(Keys, &Override);
      QKeyEvent Down(QEvent::KeyPress, Key, M);
      QApplication::sendEvent(Keys, &Down);
      QKeyEvent Up(QEvent::KeyRelease, Key, M);
      QApplication::sendEvent(Keys, &Up);
    };
    Select(R, 7, 7);
    Press(Qt::Key_B, Qt::ControlModifier);
    EXPECT_TRUE(R.SelAttributes().Style() & fsBold);
    EXPECT_TRUE(F.BoldButton->isChecked());
    Press(Qt::Key_B, Qt::ControlModifier);
    EXPECT_FALSE(R.SelAttributes().Style() & fsBold);

    R.SetSelStart(R.GetTextLen());
    R.SetSelText(QStringLiteral(" one"));
    R.SetSelStart(R.GetTextLen());
    R.SetSelText(QStringLiteral(" two"));
    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(R.Text(), QStringLiteral("Acacia blossom one"));
    R.SetModified(false);
    F.Exit1Click();
  });
}

TEST(EditorWindow, TextsAndHintsComeFromTheTextRecords) {
  ApplicationOnHint() = nullptr;
  QString Outside;
  ApplicationOnHint() = [&](const QString& H) { Outside = H; };
  auto E = Control();
  RunWith(*E, {}, {}, [](TqvRichEditForm& F) {
    EXPECT_EQ(F.File1->title(), QStringLiteral("&File"));
    EXPECT_EQ(F.Redo1->text(), QStringLiteral("&Redo"));
    EXPECT_EQ(F.Spelling1->text(), QStringLiteral("Check &Spelling"));
    EXPECT_EQ(F.SelectAll1->text(), QStringLiteral("Select A&ll"));
    EXPECT_EQ(F.BoldButton->toolTip(), QStringLiteral("Bold"));
    EXPECT_EQ(F.BoldButton->statusTip(), QStringLiteral("Makes the selection bold (toggle)"));
    EXPECT_EQ(F.FontNameCombo->toolTip(), QStringLiteral("Font"));
    EXPECT_EQ(F.Undo1->statusTip(), F.UndoButton->statusTip());
    EXPECT_EQ(F.Exit1->statusTip(), QStringLiteral("Exit"));
    EXPECT_TRUE(F.Redo1->statusTip().isEmpty());
    // A hint reaching the window shows its long part in the first panel.
    QStatusTipEvent Tip(F.BoldButton->statusTip());
    QApplication::sendEvent(F.BoldButton, &Tip);
    EXPECT_EQ(F.StatusBar->PanelText(0), QStringLiteral("Makes the selection bold (toggle)"));
    F.Exit1Click();
  });
  // The application's own hint handler is back.
  ApplicationOnHint()(QStringLiteral("after"));
  EXPECT_EQ(Outside, QStringLiteral("after"));

  TqvIntl Texts;
  Texts.RichEdit()->SetRedoButtonHint(QString());
  Texts.RichEdit()->SetUndoButtonHint(QString());
  Texts.RichEdit()->MenuLabels()->SetFileCaption(QString());
  Texts.RichEdit()->MenuLabels()->SetInsertCaption(QString());
  Texts.ApplyToGlobal();
  RunWith(*E, {}, {}, [](TqvRichEditForm& F) {
    EXPECT_EQ(F.RedoButton->toolTip(), QStringLiteral("Redo"));
    EXPECT_TRUE(F.UndoButton->toolTip().isEmpty());
    EXPECT_TRUE(F.Undo1->statusTip().isEmpty());
    EXPECT_TRUE(F.File1->title().isEmpty());
    EXPECT_EQ(F.Insert1->title(), QStringLiteral("&Insert"));
    F.Exit1Click();
  });
  TqvIntl Defaults;
  Defaults.ApplyToGlobal();

  // Without hints nothing shows a hint and the first panel stays empty.
  RunWith(*E, {}, {reoShowHints}, [](TqvRichEditForm& F) {
    EXPECT_TRUE(F.BoldButton->toolTip().isEmpty());
    EXPECT_TRUE(F.Print1->statusTip().isEmpty());
    QStatusTipEvent Tip(QStringLiteral("anything"));
    QApplication::sendEvent(F.BoldButton, &Tip);
    EXPECT_TRUE(F.StatusBar->PanelText(0).isEmpty());
    F.Exit1Click();
  });
  ApplicationOnHint() = nullptr;
}

TEST(EditorWindow, TheLockKeyPanelsShowWhatTheKeyboardReports) {
  TqvLockKeys Keys;
  const auto Previous = SetLockKeyReader([&] { return Keys; });
  auto E = Control();
  RunWith(*E, {}, {}, [&](TqvRichEditForm& F) {
    EXPECT_TRUE(F.StatusBar->PanelText(1).isEmpty());
    EXPECT_TRUE(F.StatusBar->PanelText(2).isEmpty());
    Keys = {true, true};
    QKeyEvent Up(QEvent::KeyRelease, Qt::Key_CapsLock, Qt::NoModifier);
    QApplication::sendEvent(F.RichEdit1->Engine(), &Up);
    EXPECT_EQ(F.StatusBar->PanelText(1), QStringLiteral("CAP"));
    EXPECT_EQ(F.StatusBar->PanelText(2), QStringLiteral("NUM"));
    F.Exit1Click();
  });
  SetLockKeyReader(Previous);
}

TEST(EditorWindow, UserButtonsAreBorrowedForTheToolBarAndGivenBack) {
  auto E = Control();
  QWidget Home;
  auto* First = new QPushButton(QStringLiteral("1"), &Home);
  auto* Second = new QPushButton(QStringLiteral("2"), &Home);
  First->resize(30, 10);
  E->SetUserSpeedButton1(First);
  E->SetUserSpeedButton2(Second);
  RunWith(*E, {}, {}, [&](TqvRichEditForm& F) {
    EXPECT_EQ(First->parentWidget(), F.Toolbar);
    EXPECT_FALSE(First->isHidden());
    EXPECT_FALSE(F.UserButtonBevel->isHidden());
    EXPECT_EQ(First->geometry(), QRect(169 + 23 + 32, F.UndoButton->y(), 30, F.UndoButton->height()));
    EXPECT_EQ(Second->x(), First->x() + First->width());
    EXPECT_TRUE(First->property("flat").toBool());
    F.Exit1Click();
  });
  EXPECT_EQ(First->parentWidget(), &Home);
  EXPECT_EQ(Second->parentWidget(), &Home);
  EXPECT_TRUE(First->isHidden());
  EXPECT_TRUE(Second->isHidden());
}

TEST(EditorWindow, WithoutFlatButtonsTheBarsGrowAndLoseTheirSeparators) {
  auto E = Control();
  RunWith(*E, {}, {reoFlatButtons}, [](TqvRichEditForm& F) {
    EXPECT_EQ(F.Toolbar->height(), 28);
    EXPECT_EQ(F.FormatBar->height(), 28);
    EXPECT_EQ(F.NewButton->y(), 3);
    EXPECT_EQ(F.BoldButton->y(), 3);
    EXPECT_FALSE(F.NewButton->Flat());
    EXPECT_TRUE(F.Bevel1->isHidden());
    EXPECT_TRUE(F.Bevel3->isHidden());
    EXPECT_EQ(F.FormatBar->y(), 2 + 28 + 2);
    F.Exit1Click();
  });
}

TEST(EditorGlyphs, EveryPictureIsAWholePixelMapWithItsCornerTransparent) {
  for (int G = 0; G < glGlyphCount; ++G) {
    SCOPED_TRACE(G);
    const QStringList& Rows = QvGlyphRows(TqvGlyph(G));
    ASSERT_FALSE(Rows.isEmpty());
    const int Size = G == glSpell ? 20 : G == glColor ? 18 : 16;
    EXPECT_EQ(Rows.size(), Size);
    for (const QString& Row : Rows) {
      EXPECT_EQ(Row.size(), Size) << Row.toStdString();
      for (QChar C : Row) EXPECT_TRUE(QvPaletteColor(C).isValid()) << Row.toStdString();
    }
    const QImage Image = QvGlyphImage(TqvGlyph(G));
    EXPECT_EQ(qAlpha(Image.pixel(0, Size - 1)), 0);
    int Drawn = 0;
    for (int Y = 0; Y < Size; ++Y)
      for (int X = 0; X < Size; ++X) Drawn += qAlpha(Image.pixel(X, Y)) != 0;
    EXPECT_GT(Drawn, 10);
  }
  EXPECT_EQ(QvMenuImages().size(), 13);
}

TEST(EditorGlyphs, ADisabledGlyphGreysItsOutlinesNotTheColourTheyEnclose) {
  // The shape is drawn in the shadow grey (its white relief lies a pixel down and right).
  struct Case {
    const char* What;
    TqvGlyph Glyph;
    char Key;
    bool Grey;
  } Cases[] = {
      {"the clipboard's outline", glPaste, 'K', true},
      {"the clipboard's red inside it, which greyed looked like an enabled picture", glPaste, 'R', false},
      {"the copied pages' outlines", glCopy, 'K', true},
      {"the copied pages' white", glCopy, 'W', false},
      {"an arrow all of colour, its own shape", glUndo, 'N', true},
      {"the scissors' coloured handles", glCut, 'N', true},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.What);
    const QStringList& Rows = QvGlyphRows(C.Glyph);
    const QImage Disabled = QvDisabledGlyph(QvGlyphPixmap(C.Glyph)).toImage();
    int Seen = 0;
    for (int Y = 0; Y < Rows.size(); ++Y)
      for (int X = 0; X < Rows[Y].size(); ++X) {
        if (Rows[Y][X] != QLatin1Char(C.Key)) continue;
        ++Seen;
        const QRgb P = Disabled.pixel(X, Y);
        EXPECT_EQ(qAlpha(P) != 0 && qRgb(qRed(P), qGreen(P), qBlue(P)) == qRgb(128, 128, 128), C.Grey) << X << "," << Y;
      }
    EXPECT_GT(Seen, 0);
  }
}
