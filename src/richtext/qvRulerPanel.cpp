#include "richtext/qvRulerPanel.h"

#include <QPainter>
#include <QPaintEvent>
#include <algorithm>
#include <cmath>

#include "base/Colors.h"
#include "platform/Printer.h"
#include "richtext/qvriched.h"

namespace richtext {

namespace {

// Twips of the printer's pixels across.
double PrinterPixelsToTwips(int Pixels) { return double(qint64(Pixels) * 1440 / platform::Printer().LogPixelsX()); }

// C's left and right margins together, in inches.
double SideMarginsInInches(const TqvCustomRichEdit* C) {
  const double Sum = C->PrintMargins().Left + C->PrintMargins().Right;
  return C->MeasurementUnits() == muCentimeters ? Sum / kCentimetresPerInch : Sum;
}

// The page's printable width in inches.
double PageWidthInInches(const TqvCustomRichEdit* C) {
  return PrinterPixelsToTwips(platform::Printer().PhysicalPageSize().width()) / 1440 - SideMarginsInInches(C);
}

// A line from A towards B, B itself left out, as a pen moving from point to point draws it.
void LineTo(QPainter& P, QPoint A, QPoint B) {
  const QPoint Step((B.x() > A.x()) - (B.x() < A.x()), (B.y() > A.y()) - (B.y() < A.y()));
  if (A == B) return;
  P.drawLine(A, B - Step);
}

}  // namespace

TqvRulerPanel::TqvRulerPanel(TqvCustomRichEdit* Caller, QWidget* Window, TqvCustomRichEdit* Edit, int Top)
    : QFrame(Window), edit_(Edit) {
  setObjectName(QStringLiteral("qvRulerPanel"));
  setFrameShape(QFrame::NoFrame);  // no outer bevel
  setAutoFillBackground(true);
  setGeometry(0, Top, Window ? Window->width() : 0, Window && Window->logicalDpiY() > 96 ? 27 : 25);
  if (Caller && Caller->UsesPrinterSize()) FitToPageWidth(Caller);
  else if (Window) resize(Window->width(), height());
  rulerRect_ = QRect(QPoint(6, 4), QPoint(width() - 6, height() - 4) - QPoint(1, 1));

  leftIndentMarker_ = CreateMarker(QStringLiteral("qvRulerUp"));
  leftIndentMarker_->move(leftIndentMarker_->MinValue(), rulerRect_.bottom() + 1 - leftIndentMarker_->height() + 4);
  rightIndentMarker_ = CreateMarker(QStringLiteral("qvRulerUp"));
  rightIndentMarker_->move(rightIndentMarker_->MaxValue(), leftIndentMarker_->y());
  firstIndentMarker_ = CreateMarker(QStringLiteral("qvRulerDown"));
  firstIndentMarker_->move(firstIndentMarker_->MinValue() + 10, rulerRect_.top() - 2);
}

TqvTrackIcon* TqvRulerPanel::CreateMarker(const QString& Bitmap) {
  auto* M = new TqvTrackIcon(this);
  M->SetBitmapName(Bitmap);
  M->SetMinValue(rulerRect_.left() - HW);
  M->SetMaxValue(rulerRect_.right() + 1 - HW);
  M->OnEndDrag = [this](TqvTrackIcon* Sender) { MarkerEndDrag(Sender); };
  M->show();
  return M;
}

int TqvRulerPanel::PPI() const { return edit_ ? edit_->ScreenPixelsY() : 96; }

double TqvRulerPanel::PixelsPerUnit() const {
  return edit_ && edit_->MeasurementUnits() == muCentimeters ? PPI() / kCentimetresPerInch : PPI();
}

int TqvRulerPanel::PixelsToTwips(int Pixels) const { return int(qint64(Pixels) * 1440 / PPI()); }
int TqvRulerPanel::TwipsToPixels(int Twips) const { return int(qint64(Twips) * PPI() / 1440); }

void TqvRulerPanel::resizeEvent(QResizeEvent* Event) {
  QFrame::resizeEvent(Event);
  rulerRect_ = QRect(QPoint(6, 4), QPoint(width() - 6, height() - 4) - QPoint(1, 1));
}

void TqvRulerPanel::FitToPageWidth(TqvCustomRichEdit* C) {
  resize(int(std::trunc(C->ScreenPixelsY() * PageWidthInInches(C))) + 12, height());
  for (TqvTrackIcon* M : {leftIndentMarker_, rightIndentMarker_, firstIndentMarker_})
    if (M) M->SetMaxValue(rulerRect_.right() + 1 - HW);
  update();
}

void TqvRulerPanel::WindowResized(int WindowWidth) {
  if (!edit_->UsesPrinterSize()) resize(WindowWidth - 8, height());
  rightIndentMarker_->SetMaxValue(rulerRect_.right() + 1 - HW);
  UpdateMarkers();
}

void TqvRulerPanel::PageSetupApplied() {
  if (!edit_->UsesPrinterSize()) return;
  FitToPageWidth(edit_);
  UpdateMarkers();
  MarkerEndDrag(rightIndentMarker_);
}

void TqvRulerPanel::UpdateMarkers() {
  int Offset = 0, Right = 0, Start = 0;
  if (edit_) edit_->GetIndents(Offset, Right, Start);  // all 0 without a window
  const int R = rulerRect_.left();
  // A marker lies wholly on the ruler, a pixel clear of its ends: at the right end, where the
  // ruler meets the window's edge, one that reached the edge (no right indent) or went past it
  // (a negative one) showed cut off.
  const auto Place = [this](TqvTrackIcon* M, int Left) {
    M->SetLeft(std::clamp(Left, 1, std::max(1, width() - M->width() - 1)));
  };
  Place(leftIndentMarker_, TwipsToPixels(Offset) + TwipsToPixels(Start) + R - HW);
  Place(rightIndentMarker_, width() - TwipsToPixels(Right) - rightIndentMarker_->width());
  Place(firstIndentMarker_, TwipsToPixels(Start) + R - HW);
}

void TqvRulerPanel::MarkerEndDrag(TqvTrackIcon* Marker) {
  const double PPU = PixelsPerUnit();
  const int K = edit_->MeasurementUnits() == muCentimeters ? 4 : 8;
  // The tick at or left of x, in units; then the pixel of that tick, at most the marker's bound.
  const auto Snapped = [&](TqvTrackIcon* M) {
    const long long A = static_cast<long long>(std::trunc((M->Left() + HW) / PPU * 1000));
    const long long Q = 1000 / K;
    const double S = double(A - A % Q) / 1000;
    int G = int(std::trunc(PPU * S + 1));
    if (G > M->MaxValue()) G = M->MaxValue();
    return G;
  };
  const int GL = Snapped(leftIndentMarker_), GR = Snapped(rightIndentMarker_), GF = Snapped(firstIndentMarker_);
  // The right marker keeps 48 pixels clear of the other two.
  if (Marker == leftIndentMarker_) {
    leftIndentMarker_->SetLeft(GL > GR - 48 ? GR - 48 : GL);
  } else if (Marker == rightIndentMarker_) {
    const int G = std::max(GL, GF);
    rightIndentMarker_->SetLeft(G > GR - 48 ? G + 48 : GR);
  } else if (Marker == firstIndentMarker_) {
    firstIndentMarker_->SetLeft(GF > GR - 48 ? GR - 48 : GF);
  }

  if (Marker == leftIndentMarker_ || Marker == firstIndentMarker_) {
    const int Ltw = PixelsToTwips(leftIndentMarker_->Left() - leftIndentMarker_->MinValue());
    const int Ftw = PixelsToTwips(firstIndentMarker_->Left() - firstIndentMarker_->MinValue());
    edit_->SetParagraphFormat(pmStartIndent | pmOffset, QString(), 0, 0, 0, 0, nullptr, 0, Ftw, 0,
                              Ltw + std::min(-Ftw, Ltw), false);
  } else if (Marker == rightIndentMarker_) {
    const int Gutter = edit_->GutterWidth();
    const int Pixels = edit_->UsesPrinterSize()
                           ? rightIndentMarker_->MaxValue() - Gutter - 4 - rightIndentMarker_->Left() + 2 * HW
                           : edit_->width() - Gutter - 4 - rightIndentMarker_->Left() + HW;
    edit_->SetParagraphFormat(pmRightIndent, QString(), 0, 0, 0, 0, nullptr, 0, 0, PixelsToTwips(Pixels), 0, false);
  }
}

void TqvRulerPanel::paintEvent(QPaintEvent* Event) {
  QFrame::paintEvent(Event);
  // The strip with its frame, numbers and ticks changes only with the ruler's size, the unit
  // and the length it shows: a dragged marker repaints from the kept picture.
  const bool Cm = edit_ && edit_->MeasurementUnits() == muCentimeters;
  double Length = 0;
  if (edit_) {
    Length = edit_->UsesPrinterSize() ? PageWidthInInches(edit_) * (Cm ? kCentimetresPerInch : 1)
                                      : (edit_->width() - 12) / PixelsPerUnit();
  }
  const StripKey Key{rulerRect_, Cm, PixelsPerUnit(), Length, font(), devicePixelRatioF(), edit_ != nullptr};
  if (strip_.isNull() || !(Key == stripKey_)) {
    stripKey_ = Key;
    strip_ = QPixmap((rulerRect_.size() + QSize(4, 3)) * Key.Ratio);
    strip_.setDevicePixelRatio(Key.Ratio);
    strip_.fill(Qt::transparent);
    QPainter P(&strip_);
    P.translate(-StripOrigin());
    PaintStrip(P, Length);
  }
  QPainter P(this);
  P.drawPixmap(StripOrigin(), strip_);
}

QPoint TqvRulerPanel::StripOrigin() const { return rulerRect_.topLeft() - QPoint(1, 0); }

void TqvRulerPanel::PaintStrip(QPainter& P, double Length) {
  // Right and bottom as the strip's edges, outside it.
  const int L = rulerRect_.left(), T = rulerRect_.top();
  const int Rt = rulerRect_.right() + 1, B = rulerRect_.bottom() + 1;
  P.fillRect(rulerRect_, Qt::white);

  // A sunken field.
  const auto Polyline = [&](base::TColor Colour, std::initializer_list<QPoint> Points) {
    P.setPen(base::ColorToQColor(Colour));
    const QPoint* Prev = nullptr;
    for (const QPoint& Pt : Points) {
      if (Prev) LineTo(P, *Prev, Pt);
      Prev = &Pt;
    }
  };
  Polyline(base::clBtnShadow, {{L - 1, B}, {L - 1, T}, {Rt + 1, T}});
  Polyline(base::clBlack, {{L, B}, {L, T + 1}, {Rt + 1, T + 1}});
  Polyline(base::clBtnFace, {{L - 1, B}, {Rt + 1, B}, {Rt + 1, T}});
  Polyline(base::clBtnHighlight, {{L - 1, B + 1}, {Rt + 2, B + 1}, {Rt + 2, T}});

  if (!edit_) return;
  const double PPU = PixelsPerUnit();
  const int K = edit_->MeasurementUnits() == muCentimeters ? 4 : 8;
  const int N = int(std::trunc(Length));
  if (N + 1 < 0) return;
  P.setFont(font());
  const QFontMetrics FM(font());
  P.setPen(Qt::black);
  for (int I = 0; I <= N + 1; ++I) {
    if (I >= Length) continue;
    if (I > 0) {
      const QString Text = QString::number(I);
      const int X = int(std::trunc(I * PPU + L - FM.horizontalAdvance(Text) / 2));
      P.drawText(QPoint(X, T + 3 + FM.ascent()), Text);
    }
    for (int J = 1; J < K; ++J) {
      const double Pos = I + double(J) / K;
      if (Pos >= Length) continue;
      const int X = int(std::trunc(Pos * PPU)) + L;
      if (J == K / 2) LineTo(P, {X, T + 7}, {X, B - 5});
      else LineTo(P, {X, T + 8}, {X, B - 7});
    }
  }
}

}  // namespace richtext
