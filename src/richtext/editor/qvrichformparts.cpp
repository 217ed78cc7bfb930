// The editor window's small widgets: the speed button, the bevel, the status bar and the font
// name box.

#include <QLineEdit>
#include <QPainter>

#include "richtext/editor/qvrichform.h"
#include "richtext/editor/qvrichform_p.h"

namespace richtext {

TqvSpeedButton::TqvSpeedButton(QWidget* Parent) : QAbstractButton(Parent) {
  setFocusPolicy(Qt::NoFocus);
  resize(23, 22);
}

void TqvSpeedButton::SetGlyph(const QPixmap& Glyph) {
  glyph_ = Glyph;
  disabled_ = QvDisabledGlyph(Glyph);
  update();
}

void TqvSpeedButton::SetFlat(bool Value) {
  if (flat_ == Value) return;
  flat_ = Value;
  update();
}

void TqvSpeedButton::SetMargin(int Value) {
  if (margin_ == Value) return;
  margin_ = Value;
  update();
}

void TqvSpeedButton::enterEvent(QEnterEvent* E) {
  hot_ = true;
  update();
  QAbstractButton::enterEvent(E);
}

void TqvSpeedButton::leaveEvent(QEvent* E) {
  hot_ = false;
  update();
  QAbstractButton::leaveEvent(E);
}

void TqvSpeedButton::paintEvent(QPaintEvent*) {
  QPainter P(this);
  const QRect R = rect();
  const QColor Face = Resolved(base::clBtnFace), Light = Resolved(base::clBtnHighlight),
               Shadow = Resolved(base::clBtnShadow), Dark = Resolved(base::cl3DDkShadow);
  const bool Down = isDown() || isChecked();
  P.fillRect(R, Face);
  if (isChecked() && !isDown()) {
    // A button held down by its state shows the lighter, checked face.
    QColor Checked = Face;
    Checked.setRgb((Face.red() + 255) / 2, (Face.green() + 255) / 2, (Face.blue() + 255) / 2);
    P.fillRect(R.adjusted(1, 1, -1, -1), Checked);
  }
  auto Frame = [&](const QRect& F, const QColor& TopLeft, const QColor& BottomRight) {
    P.setPen(TopLeft);
    P.drawLine(F.topLeft(), F.topRight());
    P.drawLine(F.topLeft(), F.bottomLeft());
    P.setPen(BottomRight);
    P.drawLine(F.bottomLeft(), F.bottomRight());
    P.drawLine(F.topRight(), F.bottomRight());
  };
  if (flat_) {
    if (Down) Frame(R, Shadow, Light);
    else if (hot_ && isEnabled()) Frame(R, Light, Shadow);
  } else if (Down) {
    Frame(R, Dark, Light);
    Frame(R.adjusted(1, 1, -1, -1), Shadow, Face);
  } else {
    Frame(R, Light, Dark);
    Frame(R.adjusted(1, 1, -1, -1), Face, Shadow);
  }
  const QPixmap& G = isEnabled() ? glyph_ : disabled_;
  if (G.isNull()) return;
  const int X = margin_ >= 0 ? margin_ : (R.width() - G.width()) / 2;
  const int Y = (R.height() - G.height()) / 2;
  const int Shift = Down ? 1 : 0;
  P.drawPixmap(X + Shift, Y + Shift, G);
}

TqvBevel::TqvBevel(TShape Shape, QWidget* Parent) : QWidget(Parent), shape_(Shape) {}

void TqvBevel::paintEvent(QPaintEvent*) {
  QPainter P(this);
  P.setPen(Resolved(base::clBtnShadow));
  if (shape_ == bsTopLine) P.drawLine(0, 0, width() - 1, 0);
  else P.drawLine(0, 0, 0, height() - 1);
  P.setPen(Resolved(base::clBtnHighlight));
  if (shape_ == bsTopLine) P.drawLine(0, 1, width() - 1, 1);
  else P.drawLine(1, 0, 1, height() - 1);
}

TqvStatusBar::TqvStatusBar(QWidget* Parent) : QWidget(Parent) {}

void TqvStatusBar::SetPanelText(int Index, const QString& Text) {
  if (Index < 0 || Index >= panels_.size() || panels_[Index].Text == Text) return;
  panels_[Index].Text = Text;
  update();
}

void TqvStatusBar::SetPanelWidth(int Index, int Width) {
  if (Index < 0 || Index >= panels_.size() || panels_[Index].Width == Width) return;
  panels_[Index].Width = Width;
  update();
}

void TqvStatusBar::paintEvent(QPaintEvent*) {
  QPainter P(this);
  P.fillRect(rect(), Resolved(base::clBtnFace));
  int X = 0;
  for (const TPanel& Panel : panels_) {
    const QRect R(X, 2, Panel.Width - 2, height() - 2);
    if (Panel.Bevel) {
      P.setPen(Resolved(base::clBtnShadow));
      P.drawLine(R.topLeft(), R.topRight());
      P.drawLine(R.topLeft(), R.bottomLeft());
      P.setPen(Resolved(base::clBtnHighlight));
      P.drawLine(R.bottomLeft(), R.bottomRight());
      P.drawLine(R.topRight(), R.bottomRight());
    }
    P.setPen(Resolved(base::clBtnText));
    P.drawText(R.adjusted(3, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, Panel.Text);
    X += Panel.Width;
  }
  // The size grip in the corner.
  for (int I = 0; I < 3; ++I) {
    const int D = 4 + I * 4;
    P.setPen(Resolved(base::clBtnHighlight));
    P.drawLine(width() - D, height() - 1, width() - 1, height() - D);
    P.setPen(Resolved(base::clBtnShadow));
    P.drawLine(width() - D + 1, height() - 1, width() - 1, height() - D + 1);
    P.drawLine(width() - D + 2, height() - 1, width() - 1, height() - D + 2);
  }
}

void TqvFontNameCombo::SetTextColor(const QColor& Color) {
  // A new palette restyles the box: only for a real change.
  if (TextColor() == Color) return;
  QPalette Pal = palette();
  Pal.setColor(QPalette::Text, Color);
  Pal.setColor(QPalette::ButtonText, Color);
  setPalette(Pal);
  if (lineEdit()) lineEdit()->setPalette(Pal);
}

QColor TqvFontNameCombo::TextColor() const { return palette().color(QPalette::Text); }

void TqvFontNameCombo::showPopup() {
  if (OnDropDown) OnDropDown();
  QComboBox::showPopup();
}

}  // namespace richtext
