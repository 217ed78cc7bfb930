#pragma once
// The ruler over the editor's text: a white strip with the unit's numbers and ticks, and three
// markers for the current paragraph's indents (first line at the top edge; the other lines and
// the right indent at the bottom edge). Releasing a dragged marker snaps it to the ticks and
// sets the indents of the selected paragraphs.

#include <QFont>
#include <QFrame>
#include <QPixmap>
#include <QRect>

#include "richtext/qvTrackIcon.h"

namespace richtext {

class TqvCustomRichEdit;

class TqvRulerPanel : public QFrame {
  Q_OBJECT
 public:
  // Caller: the control whose editor window this is (its print settings size the ruler in
  // printer-width mode); Window: the editor window, the ruler's parent; Edit: the window's own
  // control, whose paragraphs the ruler shows and changes. Top: where the ruler goes.
  TqvRulerPanel(TqvCustomRichEdit* Caller, QWidget* Window, TqvCustomRichEdit* Edit, int Top);

  TqvCustomRichEdit* Edit() const { return edit_; }
  // The measuring strip: (6, 4, width - 6, height - 4), right and bottom exclusive.
  QRect RulerRect() const { return rulerRect_; }
  TqvTrackIcon* LeftIndentMarker() const { return leftIndentMarker_; }
  TqvTrackIcon* RightIndentMarker() const { return rightIndentMarker_; }
  TqvTrackIcon* FirstIndentMarker() const { return firstIndentMarker_; }

  // Makes the ruler as long as the printable width of C's page.
  void FitToPageWidth(TqvCustomRichEdit* C);
  // Puts the markers at the indents of the paragraph that holds the selection.
  void UpdateMarkers();
  // Snaps the released marker to the ticks and applies the indents to the selection.
  void MarkerEndDrag(TqvTrackIcon* Marker);

  // What the editor window does on its resize and after a confirmed page setup.
  void WindowResized(int WindowWidth);
  void PageSetupApplied();

  // The marker's hot spot: half its width.
  static constexpr int HW = 11 / 2;

 protected:
  void paintEvent(QPaintEvent* Event) override;
  void resizeEvent(QResizeEvent* Event) override;

 private:
  double PixelsPerUnit() const;
  int PPI() const;
  int PixelsToTwips(int Pixels) const;
  int TwipsToPixels(int Twips) const;
  TqvTrackIcon* CreateMarker(const QString& Bitmap);
  QPoint StripOrigin() const;
  void PaintStrip(QPainter& P, double Length);

  // What the kept picture of the strip was drawn for.
  struct StripKey {
    QRect Rect;
    bool Centimetres = false;
    double PixelsPerUnit = 0, Length = 0;
    QFont Font;
    qreal Ratio = 1;
    bool HasEdit = false;
    bool operator==(const StripKey&) const = default;
  };
  StripKey stripKey_;
  QPixmap strip_;

  TqvCustomRichEdit* edit_;
  QRect rulerRect_;
  TqvTrackIcon* leftIndentMarker_ = nullptr;
  TqvTrackIcon* rightIndentMarker_ = nullptr;
  TqvTrackIcon* firstIndentMarker_ = nullptr;
};

}  // namespace richtext
