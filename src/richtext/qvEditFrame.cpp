#include "richtext/qvEditFrame.h"

#include <QPainter>
#include <QWidget>

namespace richtext {

void TqvEditFrame::Changed() {
  if (OnChange) OnChange();
}

void TqvEditFrame::SetEnabled(bool Value) {
  if (enabled_ == Value) return;
  enabled_ = Value;
  Changed();
}

void TqvEditFrame::SetTransparent(bool Value) {
  if (transparent_ == Value) return;
  transparent_ = Value;
  Changed();
}

void TqvEditFrame::SetNonFocusColor(base::TColor Value) {
  if (nonFocusColor_ == Value) return;
  nonFocusColor_ = Value;
  Changed();
}

void TqvEditFrame::SetBorderColor(base::TColor Value) {
  if (borderColor_ == Value) return;
  borderColor_ = Value;
  Changed();
}

void TqvEditFrame::SetFocusBorderColor(base::TColor Value) {
  if (focusBorderColor_ == Value) return;
  focusBorderColor_ = Value;
  Changed();
}

void TqvEditFrame::SetBorderWidth(int Value) {
  Value = qBound(0, Value, 8);
  if (borderWidth_ == Value) return;
  borderWidth_ = Value;
  Changed();
}

void TqvEditFrame::Insets(bool Focused, int& Left, int& Top, int& RightInset) const {
  // A focused frame is drawn one pixel wider, but the text must not jump when focus moves,
  // so the insets leave room for the wider one either way.
  (void)Focused;
  const int W = borderWidth_ + 1;
  Left = W + 1;
  Top = W + 1;
  RightInset = W;
}

void TqvEditFrame::DrawFrame(QPainter& Canvas, const QRect& ClientRect, bool Focused) const {
  const int W = Focused ? borderWidth_ + 1 : borderWidth_;
  if (W <= 0) return;
  const QColor C = base::ColorToQColor(Focused ? focusBorderColor_ : borderColor_);
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
  if (control_ == nullptr) return;
  control_->update();
  if ((Flags & rfParent) && control_->parentWidget()) control_->parentWidget()->update(control_->geometry());
}

void TqvEditFrame::Assign(const TqvEditFrame& Source) {
  if (&Source == this) return;
  enabled_ = Source.enabled_;
  transparent_ = Source.transparent_;
  nonFocusColor_ = Source.nonFocusColor_;
  borderColor_ = Source.borderColor_;
  focusBorderColor_ = Source.focusBorderColor_;
  borderWidth_ = Source.borderWidth_;
  Changed();
}

TqvController::~TqvController() = default;

void TqvController::RegisterControl(QWidget* Control) {
  if (Control && !controls_.contains(Control)) controls_.append(Control);
}

void TqvController::UnregisterControl(QWidget* Control) { controls_.removeAll(Control); }

}  // namespace richtext
