#include "richtext/qvEditFrame.h"

#include <QPainter>
#include <QWidget>

void TqvEditFrame::Changed() {
  if (OnChange) OnChange();
}

void TqvEditFrame::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  Changed();
}

void TqvEditFrame::SetTransparent(bool Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  Changed();
}

void TqvEditFrame::SetNonFocusColor(engine::TColor Value) {
  if (FNonFocusColor == Value) return;
  FNonFocusColor = Value;
  Changed();
}

void TqvEditFrame::SetBorderColor(engine::TColor Value) {
  if (FBorderColor == Value) return;
  FBorderColor = Value;
  Changed();
}

void TqvEditFrame::SetFocusBorderColor(engine::TColor Value) {
  if (FFocusBorderColor == Value) return;
  FFocusBorderColor = Value;
  Changed();
}

void TqvEditFrame::SetBorderWidth(int Value) {
  Value = qBound(0, Value, 8);
  if (FBorderWidth == Value) return;
  FBorderWidth = Value;
  Changed();
}

void TqvEditFrame::Insets(bool Focused, int& Left, int& Top, int& RightInset) const {
  // A focused frame is drawn one pixel wider, but the text must not jump when focus moves,
  // so the insets leave room for the wider one either way.
  (void)Focused;
  const int W = FBorderWidth + 1;
  Left = W + 1;
  Top = W + 1;
  RightInset = W;
}

void TqvEditFrame::DrawFrame(QPainter& Canvas, const QRect& ClientRect, bool Focused) const {
  const int W = Focused ? FBorderWidth + 1 : FBorderWidth;
  if (W <= 0) return;
  const QColor C = engine::TColorToQColor(Focused ? FFocusBorderColor : FBorderColor);
  Canvas.save();
  Canvas.setPen(Qt::NoPen);
  Canvas.setBrush(C);
  const QRect R = ClientRect;
  Canvas.drawRect(QRect(R.left(), R.top(), R.width(), W));
  Canvas.drawRect(QRect(R.left(), R.bottom() - W + 1, R.width(), W));
  Canvas.drawRect(QRect(R.left(), R.top(), W, R.height()));
  Canvas.drawRect(QRect(R.right() - W + 1, R.top(), W, R.height()));
  Canvas.restore();
}

void TqvEditFrame::Repaint(int Flags) const {
  if (FControl == nullptr) return;
  FControl->update();
  if ((Flags & rfParent) && FControl->parentWidget()) FControl->parentWidget()->update(FControl->geometry());
}

void TqvEditFrame::Assign(const TqvEditFrame& Source) {
  if (&Source == this) return;
  FEnabled = Source.FEnabled;
  FTransparent = Source.FTransparent;
  FNonFocusColor = Source.FNonFocusColor;
  FBorderColor = Source.FBorderColor;
  FFocusBorderColor = Source.FFocusBorderColor;
  FBorderWidth = Source.FBorderWidth;
  Changed();
}

TqvController::~TqvController() = default;

void TqvController::RegisterControl(QWidget* Control) {
  if (Control && !FControls.contains(Control)) FControls.append(Control);
}

void TqvController::UnregisterControl(QWidget* Control) { FControls.removeAll(Control); }
