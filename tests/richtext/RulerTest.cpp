// The ruler in a small host window laid out as the editor window lays it out: the markers'
// pictures, the strip's ticks and numbers in both units, dragging and snapping, the indents
// written to the paragraph and read back when the caret moves.
#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "base/Exception.h"
#include "platform/Printer.h"
#include "richtext/qvRulerPanel.h"
#include "tests/richtext/RichEditFixture.h"

using namespace richtext;

namespace {

// An editor-like window: the ruler at the top, the control under it.
struct RulerHost {
  explicit RulerHost(TqvMeasurementUnits Units = muInches, TqvRichEditWidth Width = rewWindowSize) {
    Window.resize(603, 430);
    Edit = new TProbeRichEdit(&Window);
    Edit->SetMeasurementUnits(Units);
    Edit->SetGutterWidth(6);
    Edit->SetEditWidth(Width);
    Edit->setGeometry(0, 87, 595, 330);
    Edit->HandleNeeded();
    Ruler = new TqvRulerPanel(Edit, &Window, Edit, 10);
    Edit->OnSelectionChange = [this](engine::TCustomRichEdit*) { Ruler->UpdateMarkers(); };
    Window.show();
  }
  QWidget Window;
  TProbeRichEdit* Edit;
  TqvRulerPanel* Ruler;
};

void SendMouse(QWidget* Target, QEvent::Type Type, QPoint Global, Qt::MouseButtons Buttons) {
  const QPoint Local = Target->mapFromGlobal(Global);
  QMouseEvent E(Type, QPointF(Local), QPointF(Global), Type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                Buttons, Qt::NoModifier);
  QApplication::sendEvent(Target, &E);
}

// Presses on the marker's centre, moves the cursor to each x of the ruler in turn, releases.
void Drag(TqvTrackIcon* M, const std::vector<int>& RulerXs) {
  QWidget* Ruler = M->parentWidget();
  const int Y = M->y() + 5;
  SendMouse(M, QEvent::MouseButtonPress, Ruler->mapToGlobal(QPoint(M->x() + 5, Y)), Qt::LeftButton);
  QPoint Last = Ruler->mapToGlobal(QPoint(M->x() + 5, Y));
  for (int X : RulerXs) {
    Last = Ruler->mapToGlobal(QPoint(X, Y));
    SendMouse(M, QEvent::MouseMove, Last, Qt::LeftButton);
  }
  SendMouse(M, QEvent::MouseButtonRelease, Last, Qt::NoButton);
}

struct Indents {
  int Offset = 0, Right = 0, Start = 0;
  friend bool operator==(const Indents&, const Indents&) = default;
};
Indents IndentsOf(TqvCustomRichEdit* E) {
  Indents I;
  E->GetIndents(I.Offset, I.Right, I.Start);
  return I;
}

TEST(TrackIcon, DrawsItsPictureWithTheGreenSeeThroughAndIsSizedByIt) {
  QWidget Back;
  Back.resize(30, 30);
  Back.setAutoFillBackground(true);
  QPalette Pal = Back.palette();
  Pal.setColor(QPalette::Window, Qt::red);
  Back.setPalette(Pal);
  auto* M = new TqvTrackIcon(&Back);
  EXPECT_EQ(M->size(), QSize(0, 0));  // no picture yet: no size
  M->SetBitmapName("qvRulerUp");
  EXPECT_EQ(M->size(), QSize(11, 11));
  M->move(10, 10);
  QImage Shot = Back.grab().toImage();
  EXPECT_EQ(Shot.pixelColor(10, 10), QColor(Qt::red));           // corner: see-through
  EXPECT_EQ(Shot.pixelColor(15, 11), QColor(Qt::black));         // the tip
  EXPECT_EQ(Shot.pixelColor(15, 16), QColor(192, 192, 192));     // the face
  EXPECT_EQ(Shot.pixelColor(13, 14), QColor(255, 255, 255));     // the lit edge
  EXPECT_EQ(Shot.pixelColor(15, 18), QColor(128, 128, 128));     // the shade
  M->SetBitmapName("qvRulerDown");
  Shot = Back.grab().toImage();
  EXPECT_EQ(Shot.pixelColor(15, 19), QColor(Qt::black));  // pointing down
  EXPECT_EQ(Shot.pixelColor(11, 17), QColor(Qt::red));
  M->SetBitmapName("");
  EXPECT_EQ(M->BitmapName(), "qvRulerDown");
  EXPECT_THROW(M->SetBitmapName("qvNoSuchBitmap"), base::Exception);
}

TEST(TrackIcon, DragsWithinItsBoundsAndReportsOnlyAMove) {
  QWidget Back;
  Back.resize(300, 30);
  auto* M = new TqvTrackIcon(&Back);
  M->SetBitmapName("qvRulerUp");
  M->move(100, 10);
  int Ended = 0;
  M->OnEndDrag = [&](TqvTrackIcon* Sender) {
    EXPECT_EQ(Sender, M);
    ++Ended;
  };
  Drag(M, {});  // press and release on the spot
  EXPECT_EQ(Ended, 0);
  EXPECT_EQ(M->Left(), 100);
  Drag(M, {130, 160});
  EXPECT_EQ(Ended, 1);
  EXPECT_EQ(M->Left(), 155);
  // Unbounded with 0: the marker goes to negative positions on the left.
  Drag(M, {-20});
  EXPECT_EQ(M->Left(), -25);
  M->SetMinValue(1);
  M->SetMaxValue(200);
  Drag(M, {-50});
  EXPECT_EQ(M->Left(), 1);
  Drag(M, {290});
  EXPECT_EQ(M->Left(), 200);
}

// The black pixels of a column within the strip's tick rows.
std::vector<int> InkRows(const QImage& Shot, int X, int FromY, int ToY) {
  std::vector<int> Rows;
  for (int Y = FromY; Y <= ToY; ++Y)
    if (Shot.pixelColor(X, Y) == QColor(Qt::black)) Rows.push_back(Y);
  return Rows;
}

TEST(Ruler, TicksAndNumbersFollowTheUnit) {
  for (TqvMeasurementUnits Units : {muInches, muCentimeters}) {
    RulerHost H(Units);
    if (H.Edit->ScreenPixelsY() != 96) GTEST_SKIP() << "needs a screen of 96 pixels per inch";
    SCOPED_TRACE(Units == muInches ? "inches" : "centimetres");
    ASSERT_EQ(H.Ruler->height(), 25);
    ASSERT_EQ(H.Ruler->RulerRect(), QRect(QPoint(6, 4), QPoint(603 - 7, 20)));
    // The markers cover part of the strip; the strip alone is what is measured.
    for (TqvTrackIcon* M : {H.Ruler->LeftIndentMarker(), H.Ruler->RightIndentMarker(), H.Ruler->FirstIndentMarker()})
      M->hide();
    const QImage Shot = H.Ruler->grab().toImage();
    const double PPU = Units == muInches ? 96 : 96 / 2.537;
    const int K = Units == muInches ? 8 : 4;
    const double Length = (595 - 12) / PPU;
    std::map<int, bool> Ticks;  // column -> half-unit tick
    for (int I = 0; I < Length; ++I)
      for (int J = 1; J < K; ++J)
        if (I + double(J) / K < Length) Ticks[int(std::trunc((I + double(J) / K) * PPU)) + 6] = J == K / 2;
    EXPECT_EQ(Ticks.size(), Units == muInches ? 6 * 7u + 0 : 15 * 3u + 1);
    if (Units == muInches) {
      EXPECT_EQ(Ticks.begin()->first, 18);  // every 12 pixels
      EXPECT_TRUE(Ticks[54]);               // the half inch is the longer one
    }
    for (const auto& [X, Half] : Ticks) {
      const std::vector<int> Expected = Half ? std::vector<int>{11, 12, 13, 14, 15} : std::vector<int>{12, 13};
      EXPECT_EQ(InkRows(Shot, X, 10, 17), Expected) << "column " << X;
    }
    // Numbers 1, 2, ... centred on their unit, nothing at 0 and no tick on a whole unit.
    for (int I = 1; I < Length; ++I) {
      const int Centre = int(std::trunc(I * PPU)) + 6;
      QRect Ink;
      for (int X = Centre - 6; X <= Centre + 6; ++X)
        for (int Y = 7; Y <= 19; ++Y)
          if (qGray(Shot.pixel(X, Y)) < 100 && !Ticks.count(X)) Ink |= QRect(X, Y, 1, 1);
      ASSERT_FALSE(Ink.isEmpty()) << "number " << I;
      EXPECT_NEAR(Ink.center().x(), I * PPU + 6, 2.5) << "number " << I;
    }
    EXPECT_TRUE(InkRows(Shot, 7, 7, 19).empty());
    // The strip is white, framed as a sunken field.
    EXPECT_EQ(Shot.pixelColor(10, 8), QColor(Qt::white));
    EXPECT_EQ(Shot.pixelColor(6, 10), QColor(Qt::black));
    EXPECT_EQ(Shot.pixelColor(5, 10), base::ColorToQColor(base::clBtnShadow));
  }
}

TEST(Ruler, MarkersStartAtTheStripsEdges) {
  RulerHost H;
  const QRect R = H.Ruler->RulerRect();
  EXPECT_EQ(H.Ruler->LeftIndentMarker()->MinValue(), R.left() - 5);
  EXPECT_EQ(H.Ruler->LeftIndentMarker()->MaxValue(), R.right() + 1 - 5);
  EXPECT_EQ(H.Ruler->LeftIndentMarker()->pos(), QPoint(1, 25 - 4 - 11 + 4));
  EXPECT_EQ(H.Ruler->RightIndentMarker()->pos(), QPoint(R.right() + 1 - 5, 14));
  EXPECT_EQ(H.Ruler->FirstIndentMarker()->pos(), QPoint(11, 2));
}

TEST(Ruler, AReleasedMarkerSnapsToTheTickAndSetsTheIndents) {
  RulerHost H;
  if (H.Edit->ScreenPixelsY() != 96) GTEST_SKIP() << "needs a screen of 96 pixels per inch";
  H.Edit->SetText("first paragraph\nsecond");
  H.Edit->SetSelStart(0);
  TqvTrackIcon* First = H.Ruler->FirstIndentMarker();
  // Released with its centre 30 pixels into the strip: it moves to the three-eighths tick.
  Drag(First, {6 + 30});
  EXPECT_EQ(First->Left() + 5, 6 + 36);
  EXPECT_EQ(IndentsOf(H.Edit), (Indents{-540, 0, 540}));  // the other lines stay at the left

  // The left marker a little past a quarter inch: the other lines start at the quarter.
  Drag(H.Ruler->LeftIndentMarker(), {6 + 24 + 3});
  EXPECT_EQ(H.Ruler->LeftIndentMarker()->Left() + 5, 6 + 24);
  EXPECT_EQ(IndentsOf(H.Edit), (Indents{360 - 540, 0, 540}));
  // The second paragraph kept its own.
  H.Edit->SetSelStart(20);
  EXPECT_EQ(IndentsOf(H.Edit), (Indents{}));
}

TEST(Ruler, TheLeftMarkerStopsFortyEightPixelsLeftOfTheRightOne) {
  RulerHost H;
  H.Edit->SetText("text");
  TqvTrackIcon* Left = H.Ruler->LeftIndentMarker();
  TqvTrackIcon* Right = H.Ruler->RightIndentMarker();
  Drag(Right, {500});  // onto a tick, where it stays when snapped again
  ASSERT_EQ(Right->Left(), 493);
  Drag(Left, {700});  // bounded by MaxValue while dragging
  EXPECT_EQ(Left->Left(), 493 - 48);
  Drag(Right, {20});  // and the right one keeps clear of it
  EXPECT_EQ(Right->Left(), 493);
}

TEST(Ruler, ThePressWithoutAMoveChangesNothing) {
  RulerHost H;
  H.Edit->SetText("text");
  H.Edit->SetModified(false);
  for (TqvTrackIcon* M : {H.Ruler->LeftIndentMarker(), H.Ruler->RightIndentMarker(), H.Ruler->FirstIndentMarker()}) {
    const QPoint Before = M->pos();
    Drag(M, {});
    EXPECT_EQ(M->pos(), Before);
  }
  EXPECT_EQ(IndentsOf(H.Edit), Indents{});
}

TEST(Ruler, TheRightMarkerSetsTheRightIndentFromTheWindowsEdge) {
  RulerHost H;
  if (H.Edit->ScreenPixelsY() != 96) GTEST_SKIP() << "needs a screen of 96 pixels per inch";
  H.Edit->SetText("text");
  TqvTrackIcon* Right = H.Ruler->RightIndentMarker();
  Drag(Right, {500});
  // Snapped: 500 / 96 inches is 5.208, down to 5.125, so the marker's left is 493.
  EXPECT_EQ(Right->Left(), 493);
  EXPECT_EQ(IndentsOf(H.Edit).Right, (595 - 6 - 4 - 493 + 5) * 1440 / 96);
}

TEST(Ruler, MarkersFollowTheCaretFromParagraphToParagraph) {
  RulerHost H;
  const int PPI = H.Edit->ScreenPixelsY();
  H.Edit->SetText("indented\nplain");
  H.Edit->SetSelStart(0);
  H.Edit->SetParagraphFormat(pmStartIndent | pmOffset | pmRightIndent, QString(), 0, 0, 0, 0, nullptr, 0, 1440, 720,
                             -360, false);
  H.Edit->SetSelStart(1);  // a selection change: the window's handler moves the markers
  const auto Px = [PPI](int Twips) { return Twips * PPI / 1440; };
  EXPECT_EQ(H.Ruler->FirstIndentMarker()->Left(), Px(1440) + 6 - 5);
  EXPECT_EQ(H.Ruler->LeftIndentMarker()->Left(), Px(-360) + Px(1440) + 6 - 5);
  EXPECT_EQ(H.Ruler->RightIndentMarker()->Left(), H.Ruler->width() - Px(720) - 11);
  H.Edit->SetSelStart(12);
  EXPECT_EQ(H.Ruler->FirstIndentMarker()->Left(), 1);
  EXPECT_EQ(H.Ruler->LeftIndentMarker()->Left(), 1);
  EXPECT_EQ(H.Ruler->RightIndentMarker()->Left(), H.Ruler->width() - 11 - 1);
}

TEST(Ruler, EveryMarkerLiesOnTheRulerClearOfItsEnds) {
  // The ruler meets the window's edge on the right: a marker that reached or passed it showed
  // cut off. Indents of none, of the ruler's whole length and beyond, either way.
  RulerHost H;
  H.Edit->SetText("x");
  struct Case {
    int Start, Offset, Right;
  } Cases[] = {{0, 0, 0}, {0, 0, -720}, {14400, 0, 0}, {1440, -1440, 14400}, {0, 0, -14400}};
  for (const auto& C : Cases) {
    SCOPED_TRACE(testing::Message() << C.Start << " " << C.Offset << " " << C.Right);
    H.Edit->SetSelStart(0);
    H.Edit->SetParagraphFormat(pmStartIndent | pmOffset | pmRightIndent, QString(), 0, 0, 0, 0, nullptr, 0,
                               C.Start, C.Right, C.Offset, false);
    H.Ruler->UpdateMarkers();
    for (TqvTrackIcon* M : {H.Ruler->LeftIndentMarker(), H.Ruler->RightIndentMarker(), H.Ruler->FirstIndentMarker()}) {
      EXPECT_GE(M->x(), 1);
      EXPECT_LE(M->x() + M->width(), H.Ruler->width() - 1);
    }
  }
}

TEST(Ruler, DraggingLeavesTheTextAloneUntilRelease) {
  RulerHost H;
  H.Edit->SetText("some text to lay out");
  int Layouts = 0;
  QObject::connect(H.Edit->Engine()->document()->documentLayout(), &QAbstractTextDocumentLayout::update,
                   [&] { ++Layouts; });
  TqvTrackIcon* M = H.Ruler->FirstIndentMarker();
  const QPoint Start = H.Ruler->mapToGlobal(QPoint(M->x() + 5, M->y() + 5));
  SendMouse(M, QEvent::MouseButtonPress, Start, Qt::LeftButton);
  for (int X = 20; X < 200; X += 7) SendMouse(M, QEvent::MouseMove, H.Ruler->mapToGlobal(QPoint(X, M->y() + 5)), Qt::LeftButton);
  EXPECT_EQ(Layouts, 0);
  SendMouse(M, QEvent::MouseButtonRelease, H.Ruler->mapToGlobal(QPoint(200, M->y() + 5)), Qt::NoButton);
  EXPECT_GT(Layouts, 0);
}

TEST(Ruler, InPrinterWidthTheRulerIsAsLongAsThePrintableWidth) {
  platform::TPrinterSetup S;
  S.Printers = {platform::TPrinter::PdfPrinterName()};
  platform::SetPrinterSetup(S);
  platform::Printer().DeviceMode().dmPaperSize = platform::dmpLetter;
  {
    RulerHost H(muCentimeters, rewPrinterSize);
    const int PPI = H.Edit->ScreenPixelsY();
    // Letter less two margins of 2.537 cm: 6.5 inches.
    H.Edit->PrintMargins() = TqvPrintMargins{2.537, 2.537, 2.537, 2.537};
    H.Ruler->FitToPageWidth(H.Edit);
    EXPECT_EQ(H.Ruler->width(), int(std::trunc(PPI * 6.5)) + 12);
    EXPECT_EQ(H.Ruler->RightIndentMarker()->MaxValue(), H.Ruler->width() - 6 - 5);
    // A new paper after page setup: the ruler follows and the right indent is applied anew.
    H.Edit->SetPrintPageSize(platform::dmpLegal);
    H.Edit->PrintMargins().Right = 5.074;
    H.Ruler->PageSetupApplied();
    EXPECT_EQ(H.Ruler->width(), int(std::trunc(PPI * 5.5)) + 12);
    H.Ruler->UpdateMarkers();
    // (A pixel clear of the ruler's end at most.)
    EXPECT_EQ(H.Ruler->RightIndentMarker()->Left(),
              std::min(H.Ruler->width() - IndentsOf(H.Edit).Right * PPI / 1440 - 11, H.Ruler->width() - 11 - 1));
  }
  platform::SetPrinterSetup(std::nullopt);
}

}  // namespace
