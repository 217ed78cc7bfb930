// The control over the engine: defaults and set types, engine class choice, window
// re-creation, formatting rectangle, links, clipboard test, selection type, mouse.
#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include "richtext/Qvintl.h"
#include "tests/richtext/RichEditFixture.h"
#include "tests/common/TestQuestions.h"

using namespace engine;
using namespace richtext;

TEST(RichEditControl, CreationDefaults) {
  TqvDBRichEdit E;
  EXPECT_EQ(E.PopupOptions().Value(), 32655);
  EXPECT_FALSE(E.PopupOptions().Contains(rpoPopupBold));
  EXPECT_FALSE(E.PopupOptions().Contains(rpoPopupUnderline));
  EXPECT_TRUE(E.PopupOptions().Contains(rpoPopupFont));
  EXPECT_TRUE(E.PopupOptions().Contains(rpoPopupMSWordSpellCheck));
  // Bits 2 to 14: reoShowSaveExit through reoShowMainMenuIcons.
  EXPECT_FALSE(E.EditorOptions().Contains(reoShowSaveAs));
  EXPECT_TRUE(E.EditorOptions().Contains(reoShowSaveExit));
  EXPECT_TRUE(E.EditorOptions().Contains(reoShowMainMenuIcons));
  EXPECT_FALSE(E.EditorOptions().Contains(reoShowJustifyButton));
  EXPECT_EQ(E.EditorOptions().Value(), 0x7FFCu);
  EXPECT_EQ(TqvRichEditOptions{reoNoConfirmation}.Value(), 1u << 17);
  EXPECT_EQ(E.OleOptions(), TqvRichEditOleOptions{reoAdjustPopupMenu});

  EXPECT_EQ(E.EditorCaption(), "Edit Rich Text");
  EXPECT_EQ(E.HighlightColor(), 65535);
  EXPECT_EQ(E.GutterWidth(), 3);
  EXPECT_EQ(E.MSVersion(), 3);
  EXPECT_EQ(E.RichEditVersion(), 2);
  EXPECT_EQ(E.PrintPageSize(), 1);
  EXPECT_EQ(E.PrintJobName(), QApplication::applicationName());
  EXPECT_EQ(E.UnfocusedSavedColor(), base::clNone);
  EXPECT_EQ(E.MeasurementUnits(), muInches);
  EXPECT_EQ(E.EditWidth(), rewWindowSize);
  EXPECT_TRUE(E.AutoDisplay());
  EXPECT_FALSE(E.AutoURLDetect());
  EXPECT_TRUE(E.WordWrap());
  EXPECT_DOUBLE_EQ(E.PrintMargins().Left, 1.0);
  EXPECT_DOUBLE_EQ(E.PrintHeader().VertMargin, 0.5);
  EXPECT_FALSE(E.HandleAllocated());  // the window comes when it is needed
}

TEST(RichEditControl, EngineClassFollowsVersionAndLibraries) {
  struct Case {
    int Version, MSVersion;
    bool Standard, Newer;
    const char* Class;
    bool Module;
    int ParaSize;
  } Cases[] = {
      {2, 3, true, true, "RICHEDIT20A", true, 188},
      {1, 3, true, true, "RICHEDIT", false, 156},
      {2, 3, false, true, "RICHEDIT", false, 188},   // MSVersion 3 never tries the newer library
      {2, 4, false, true, "RICHEDIT20A", true, 188},  // ... MSVersion 4 does, and keeps the class
      {2, 4, false, false, "RICHEDIT", false, 188},
  };
  for (const auto& C : Cases) {
    QvSetEngineModuleAvailable(elStandard, C.Standard);
    QvSetEngineModuleAvailable(elNewer, C.Newer);
    TqvDBRichEdit E;
    E.SetRichEditVersion(C.Version);
    E.SetMSVersion(C.MSVersion);
    E.HandleNeeded();
    EXPECT_EQ(E.Engine()->ClassName(), C.Class) << C.Version << " " << C.MSVersion;
    EXPECT_EQ(E.EngineModule() != 0, C.Module) << C.Version << " " << C.MSVersion;
    PARAFORMAT2 P;
    E.GetParagraphFormat(P);
    EXPECT_EQ(int(P.cbSize), C.ParaSize);
  }
  QvSetEngineModuleAvailable(elStandard, true);
  QvSetEngineModuleAvailable(elNewer, true);
}

TEST(RichEditControl, FormattedContentsSurviveWindowRecreation) {
  auto E = MakeEdit();
  LoadAll(*E, Rtf("{\\b Bold} plain\\par second"));
  const QByteArray Before = SaveAll(*E);
  ASSERT_TRUE(Before.contains("\\b"));

  EXPECT_FALSE(E->ContentsSaved());
  E->SetOleOptions(TqvRichEditOleOptions{reoAdjustPopupMenu, reoDisableOLE});
  EXPECT_TRUE(E->ContentsSaved());  // the window was destroyed and made again
  EXPECT_EQ(SaveAll(*E), Before);

  E->SetRichEditVersion(1);
  EXPECT_EQ(E->Engine()->ClassName(), "RICHEDIT");
  EXPECT_EQ(E->Text(), QString("Bold plain\r\nsecond"));

  TqvController Controller;
  Controller.Frame().SetEnabled(true);
  Controller.Frame().SetNonFocusColor(base::clInfoBk);
  E->SetRichEditVersion(2);
  const QByteArray AtVersion2 = SaveAll(*E);
  E->SetController(&Controller);
  EXPECT_TRUE(E->Frame().Enabled());
  EXPECT_EQ(E->Frame().NonFocusColor(), base::clInfoBk);
  EXPECT_TRUE(Controller.Controls().contains(E.get()));
  EXPECT_EQ(SaveAll(*E), AtVersion2);
  // Created unfocused with a frame and a non-focus colour: that colour shows, the own one is kept.
  EXPECT_EQ(E->Color(), base::clInfoBk);
  EXPECT_EQ(E->UnfocusedSavedColor(), base::clWindow);
}

TEST(RichEditControl, FormattingRectangleLeavesTheGutter) {
  auto E = MakeEdit(300, 200);
  const int ClientWidth = E->Engine()->contentsRect().width();
  EXPECT_EQ(E->Engine()->GetRect(), (RECT{1, 2, ClientWidth - 2, 200 - 2}));
  E->SetGutterWidth(6);
  EXPECT_EQ(E->Engine()->GetRect().left, 4);
  E->show();
  E->resize(400, 250);
  const RECT R = E->Engine()->GetRect();
  EXPECT_EQ(R.right, E->Engine()->contentsRect().width() - 2);
  EXPECT_EQ(R.bottom, 248);
}

TEST(RichEditControl, FindTextPlainHonoursOnlyItsOptions) {
  auto E = MakeEdit();
  E->SetText("Bee bee beehive");
  // Without the forward flag the engine searches from the end of the range.
  EXPECT_EQ(E->FindTextPlain("bee", 0, 15, stMatchCase), 8);
  EXPECT_EQ(E->FindTextPlain("Bee", 0, 15, stMatchCase), 0);
  EXPECT_EQ(E->FindTextPlain("BEE", 0, 7, 0), 4);
  EXPECT_EQ(E->FindTextPlain("bee", 5, 10, stMatchCase | stWholeWord), -1);
  EXPECT_EQ(E->FindTextPlain("beehive", 0, 15, stWholeWord), 8);
  // Any other find request searches forward from its start.
  EXPECT_EQ(E->FindText("bee", 1, 14, stMatchCase), 4);
}

TEST(RichEditControl, LinksOpenThroughTheHookOnlyOnAPressAndReleaseOverThem) {
  auto E = MakeEdit();
  E->show();  // laid out, so points map to characters
  E->SetAutoURLDetect(true);
  EXPECT_TRUE(E->Perform(EM_GETEVENTMASK) & ENM_LINK);
  E->SetText("see https://example.org/bees here");
  QStringList Opened;
  E->OnURLOpen = [&](TqvCustomRichEdit*, const QString& Url, bool& UseDefault) {
    Opened << Url;
    UseDefault = false;  // keep the test away from the desktop's browser
  };
  ENLINK Link;
  Link.chrg = CHARRANGE{4, 28};
  const QPoint Over = E->Engine()->PosFromChar(10) + QPoint(1, 2);
  Link.msg = WM_LBUTTONDOWN;
  Link.wParam = MK_LBUTTON;
  Link.lParam = MAKELPARAM(Over.x(), Over.y());
  E->CNNotify(EN_LINK, &Link);
  Link.msg = WM_LBUTTONUP;
  Link.wParam = 0;
  E->CNNotify(EN_LINK, &Link);
  EXPECT_EQ(Opened, QStringList({"https://example.org/bees"}));

  // A release without a press over the link opens nothing.
  E->CNNotify(EN_LINK, &Link);
  EXPECT_EQ(Opened.size(), 1);

  E->SetAutoURLDetect(false);
  EXPECT_FALSE(E->Perform(EM_GETEVENTMASK) & ENM_LINK);
}

TEST(RichEditControl, NoWordProcessorToPrintWithAndSpellCheckDoesNothing) {
  TestQuestions Q;
  TqvDBRichEdit E;
  EXPECT_FALSE(E.PrintWithWord(""));
  ASSERT_EQ(Q.asked.size(), 1u);
  EXPECT_EQ(Q.asked[0].text, "Unable to start Microsoft Word's Spell Checker.");
  EXPECT_EQ(Q.asked[0].icon, platform::Icon::Information);
  EXPECT_EQ(Q.asked[0].buttons, platform::Buttons::Ok);
  EXPECT_TRUE(E.SpellCheck());
}

TEST(RichEditControl, CanPasteFollowsTheClipboardPictureRule) {
  auto E = MakeEdit();
  QClipboard* Board = QGuiApplication::clipboard();

  auto* Raster = new QMimeData;
  Raster->setImageData(QImage(4, 4, QImage::Format_RGB32));
  Board->setMimeData(Raster);
  EXPECT_FALSE(E->CanPaste());

  auto* Vector = new QMimeData;
  Vector->setData("image/svg+xml", "<svg xmlns='http://www.w3.org/2000/svg'/>");
  Board->setMimeData(Vector);
  E->SetReadOnly(true);
  EXPECT_TRUE(E->CanPaste());  // a vector picture always can
  E->SetReadOnly(false);

  Board->setText("honey");
  EXPECT_TRUE(E->CanPaste());
  Board->clear();
}

TEST(RichEditControl, SelectionTypeAndHasSelection) {
  auto E = MakeEdit();
  E->SetText("comb");
  E->SetSelStart(1);
  E->SetSelLength(0);
  EXPECT_TRUE(E->GetSelectionType().Empty());
  EXPECT_FALSE(E->HasSelection());
  E->SetSelLength(1);
  EXPECT_EQ(E->GetSelectionType(), TqvSelectionType{stText});
  E->SetSelLength(3);
  EXPECT_EQ(E->GetSelectionType(), (TqvSelectionType{stText, stMultiChar}));
  EXPECT_TRUE(E->HasSelection());
  TqvDBRichEdit NoWindow;
  EXPECT_TRUE(NoWindow.GetSelectionType().Empty());
}

TEST(RichEditControl, RightButtonKeepsTheSelection) {
  auto E = MakeEdit();
  E->show();
  E->SetText("drone worker queen");
  E->SetSelStart(6);
  E->SetSelLength(6);
  const QPoint Far = E->Engine()->PosFromChar(15);
  E->MouseUp(Qt::RightButton, Qt::NoModifier, Far.x() + 1, Far.y() + 2);
  EXPECT_EQ(E->SelStart(), 6);
  EXPECT_EQ(E->SelLength(), 6);
}

TEST(RichEditControl, EditorHooksRunWhenInstalled) {
  TqvCustomRichEdit E;
  EXPECT_FALSE(E.ShowParagraphDialog());  // nothing installed: nothing ran
  int Calls = 0;
  QvRichEditHooks().ShowParagraphDialog = [&](TqvCustomRichEdit* Edit) {
    ++Calls;
    return Edit == &E;
  };
  EXPECT_TRUE(E.ShowParagraphDialog());
  EXPECT_EQ(Calls, 1);
  QvRichEditHooks().ShowParagraphDialog = nullptr;
}

TEST(RichEditControl, AnEnabledFrameIsDrawnAndInsetsTheText) {
  auto E = MakeEdit(200, 100);
  E->Frame().SetBorderColor(base::clRed);
  E->Frame().SetBorderWidth(2);
  E->Frame().SetEnabled(true);
  E->show();
  const QImage Shot = E->grab().toImage();
  int Red = 0;
  for (int Y = 0; Y < Shot.height(); ++Y)
    for (int X = 0; X < Shot.width(); ++X) Red += Shot.pixelColor(X, Y) == QColor(Qt::red);
  EXPECT_GT(Red, 200);
  int Left = 0, Top = 0, RightInset = 0;
  E->Frame().Insets(false, Left, Top, RightInset);
  EXPECT_EQ(E->Engine()->GetRect().left, Left + E->GutterWidth() - 2);
  EXPECT_EQ(E->Engine()->GetRect().top, Top);

  E->Frame().SetEnabled(false);
  const QImage Plain = E->grab().toImage();
  int RedLeft = 0;
  for (int Y = 0; Y < Plain.height(); ++Y)
    for (int X = 0; X < Plain.width(); ++X) RedLeft += Plain.pixelColor(X, Y) == QColor(Qt::red);
  EXPECT_EQ(RedLeft, 0);
}
