// Printing: the body of the page from the margins, the job itself band by band through the
// engine, the header and footer of every page, and the text laid out at the page's width on
// screen.

#include <QCoreApplication>
#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <cmath>

#include "base/Exception.h"
#include "platform/Printer.h"
#include "platform/Question.h"
#include "richtext/qvriched.h"

using namespace engine;

namespace richtext {

namespace {

// Twips and printer pixels: multiply first, divide last, truncating toward zero.
LONG ToTwips(qint64 Pixels, int Dpi) { return LONG(Pixels * 1440 / Dpi); }
int ToPixels(qint64 Twips, int Dpi) { return int(Twips * Dpi / 1440); }

// The header's font as the printer takes it: a size given in screen pixels keeps its size in
// points, so that the printed text is as large as on screen.
QFont PrinterFont(const QFont& Font, int ScreenDpi) {
  QFont F = Font;
  if (F.pixelSize() > 0) F.setPointSizeF(F.pixelSize() * 72.0 / ScreenDpi);
  return F;
}

}  // namespace

bool TqvCustomRichEdit::UsesPrinterSize() const {
  return editWidth_ != rewWindowSize && !platform::Printer().Printers().isEmpty();
}

void TqvCustomRichEdit::ApplyPrintPageSize() {
  platform::TPrinter& P = platform::Printer();
  // Re-selecting the printer makes the layer take up the changed device mode.
  P.SetPrinterIndex(P.PrinterIndex());
  if (P.PrinterIndex() < 0) return;
  P.DeviceMode().dmPaperSize = printPageSize_ & 0xFFFF;
  P.SetPrinterIndex(P.PrinterIndex());
}

RECT TqvCustomRichEdit::GetPrintBodyRect() const {
  const platform::TPrinter& P = platform::Printer();
  const QSize Phys = P.PhysicalPageSize();
  const QPoint Off = P.PrintingOffset();
  const int LPX = P.LogPixelsX(), LPY = P.LogPixelsY();
  const auto M = [this](double Margin) { return LONG(MeasureValueToTwips(measurementUnits_, Margin)); };
  const TqvPrintMargins& Margins = *printMargins_;
  RECT R;
  const LONG MaxX = ToTwips(Phys.width() - 2 * Off.x(), LPX);
  R.left = std::min(std::max(M(Margins.Left) - ToTwips(Off.x(), LPX), LONG(0)), MaxX);
  R.right = std::min(std::max(ToTwips(Phys.width(), LPX) - M(Margins.Right) - ToTwips(Off.x(), LPX), R.left), MaxX);
  R.top = std::min(std::max(M(Margins.Top) - ToTwips(Off.y(), LPY), LONG(0)), ToTwips(Phys.height() - Off.y(), LPY));
  R.bottom = std::min(std::max(ToTwips(Phys.height(), LPY) - M(Margins.Bottom) - ToTwips(Off.y(), LPY), R.top),
                      ToTwips(Phys.height() - 2 * Off.y(), LPY));
  // The top may lie below the printable area's bottom; the body then is empty, not upside down.
  R.bottom = std::max(R.bottom, R.top);
  return R;
}

void TqvCustomRichEdit::Print(const QString& Caption) {
  platform::Guarded([&] { PrintDocument(Caption); }, window());
}

void TqvCustomRichEdit::PrintDocument(const QString& Caption) {
  base::WaitCursor Wait;
  platform::TPrinter& P = platform::Printer();
  if (UsesPrinterSize()) ApplyPrintPageSize();
  const int LPX = P.LogPixelsX(), LPY = P.LogPixelsY();

  RECT Body;
  const QRect Area = PageArea();
  if (Area.isEmpty()) {
    Body = GetPrintBodyRect();
  } else {
    Body = {ToTwips(Area.left(), LPX), ToTwips(Area.top(), LPY), ToTwips(Area.left() + Area.width(), LPX),
            ToTwips(Area.top() + Area.height(), LPY)};
  }
  // Margins that leave no room would put each line alone on a page of its own, invisibly.
  if (Body.right <= Body.left || Body.bottom <= Body.top)
    throw base::Exception(QCoreApplication::translate("Editor", "The margins leave no room for the text on the page."));

  P.SetTitle(Caption);
  P.BeginDoc();
  base::ScopeGuard AbortJob([&] { P.Abort(); });  // nothing left to do after EndDoc

  FORMATRANGE Range;
  Range.hdc = Range.hdcTarget = P.Canvas();
  Range.rc = Range.rcPage = Body;
  const int TextLen = GetTextLen();
  Range.chrg.cpMax = -1;

  // The engine draws in device pixels from the printable area's corner.
  QPainter* Canvas = P.Canvas();
  const QTransform SavedTransform = Canvas->worldTransform();
  Canvas->resetTransform();
  Perform(EM_FORMATRANGE, 0, 0);
  base::ScopeGuard Release([&] {
    Perform(EM_FORMATRANGE, 0, 0);
    if (P.Printing()) P.Canvas()->setWorldTransform(SavedTransform);
  });

  // Where the last page ends.
  LONG Last = 0;
  do {
    Range.chrg.cpMin = Last;
    Last = LONG(Perform(EM_FORMATRANGE, 0, LPARAM(&Range)));
  } while (Last > Range.chrg.cpMin && Last < TextLen && Last != -1);
  const LONG Stop = Last;

  Range.chrg.cpMax = -1;
  Last = 0;
  Perform(EM_FORMATRANGE, 0, 0);
  for (;;) {
    PrintHeaderFooter(true, Body);
    PrintHeaderFooter(false, Body);
    Range.rc = Body;
    Range.chrg.cpMin = Last;
    Last = LONG(Perform(EM_FORMATRANGE, 1, LPARAM(&Range)));
    if (Last <= Range.chrg.cpMin) break;
    if (Last >= Stop || Last == -1) break;
    P.NewPage();
  }
  Perform(EM_FORMATRANGE, 0, 0);
  P.Canvas()->setWorldTransform(SavedTransform);
  P.EndDoc();
}

void TqvCustomRichEdit::PrintHeaderFooter(bool Header, const RECT& Body) {
  platform::TPrinter& P = platform::Printer();
  QPainter& C = *P.Canvas();
  const int LPX = P.LogPixelsX(), LPY = P.LogPixelsY();
  const QSize Phys = P.PhysicalPageSize();
  const QPoint Off = P.PrintingOffset();
  const TqvRTFHeaderFooter& Settings = Header ? *printHeader_ : *printFooter_;

  const int Left = ToPixels(Body.left, LPX), Right = ToPixels(Body.right, LPX);
  int Top, Bottom;
  if (Header) {
    Top = int(std::trunc(LPY * Settings.VertMargin)) - Off.y();
    Bottom = ToPixels(Body.top, LPY);
  } else {
    const double Edge = Phys.height() - LPY * Settings.VertMargin;
    Top = int(std::trunc(Edge - ToPixels(720, LPY)));
    Bottom = int(std::trunc(Edge - Off.y()));
  }

  C.save();
  C.setFont(PrinterFont(Settings.Font, screenPixelsY_));
  bool DoDefault = true;
  QString LeftText = Settings.LeftText, CenterText = Settings.CenterText, RightText = Settings.RightText;
  const QRect DrawRect(Left, Top, Right - Left, Bottom - Top);
  const int Page = P.PageNumber();
  if (Header) DoPrintHeader(DrawRect, Page, LeftText, CenterText, RightText, DoDefault);
  else DoPrintFooter(DrawRect, Page, LeftText, CenterText, RightText, DoDefault);

  if (DoDefault) {
    const QFontMetrics FM = C.fontMetrics();
    const int H = FM.height();
    const int Y = Header ? Top : Bottom - H;
    // Each text with its top-left corner at the point given.
    const auto Draw = [&](int X, const QString& Text) {
      if (!Text.isEmpty()) C.drawText(QPoint(X, Y + FM.ascent()), Text);
    };
    C.setPen(Qt::black);
    Draw(Left, LeftText);
    Draw(Right - FM.horizontalAdvance(RightText), RightText);
    Draw(Left + (Right - Left - FM.horizontalAdvance(CenterText)) / 2, CenterText);
    if (Settings.LineSeparator) {
      QPen Pen = C.pen();
      Pen.setWidth(ToPixels(6, LPX));
      C.setPen(Pen);
      const int LineY = Header ? Top + H + ToPixels(28, LPY) : Y - ToPixels(28, LPY);
      C.drawLine(Left, LineY, Right, LineY);
    }
  }
  C.restore();
}

RECT TqvCustomRichEdit::PrinterWidthRect() const {
  const platform::TPrinter& P = platform::Printer();
  const int LPX = P.LogPixelsX(), LPY = P.LogPixelsY();
  const double S = screenPixelsY_;
  const double M = MeasureValueToTwips(measurementUnits_, printMargins_->Left + printMargins_->Right) / 1440.0;
  RECT R;
  R.left = gutterWidth_ + 10;
  R.top = 0;
  R.right = LONG(std::trunc((double(P.PhysicalPageSize().width()) / LPX - M) * S)) + gutterWidth_ + 4;
  const TScrollStyle Bars = ScrollBars();
  if ((Bars == ssVertical || Bars == ssBoth) && Engine() && Engine()->verticalScrollBar()->maximum() != 0)
    R.right -= style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 5;
  R.bottom = LONG(qint64(P.PageHeight()) * screenPixelsY_ / LPY);
  return R;
}

}  // namespace richtext
