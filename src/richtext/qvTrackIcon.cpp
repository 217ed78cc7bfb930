#include "richtext/qvTrackIcon.h"

#include <QBitmap>
#include <QMouseEvent>
#include <QPainter>

#include "base/Exception.h"

namespace richtext {

namespace {

// T transparent (pure green), K black, D dark grey, L light grey, W white; rows top to bottom.
constexpr const char* kRulerUp[11] = {
    "TTTTTTTTTTT", "TTTTTKTTTTT", "TTTTKDKTTTT", "TTTKWLDKTTT", "TTKWLLLDKTT", "TKWLLLLLDKT",
    "TKWLLLLLDKT", "TKWLLLLLDKT", "TKDDDDDDDKT", "TKKKKKKKKKT", "TTTTTTTTTTT",
};
constexpr const char* kRulerDown[11] = {
    "TTTTTTTTTTT", "TKKKKKKKKKT", "TKWWWWWWDKT", "TKWLLLLLDKT", "TKWLLLLLDKT", "TKWLLLLLDKT",
    "TTKWLLLDKTT", "TTTKWLDKTTT", "TTTTKDKTTTT", "TTTTTKTTTTT", "TTTTTTTTTTT",
};

QRgb ColourOf(char C) {
  switch (C) {
    case 'K': return qRgb(0, 0, 0);
    case 'D': return qRgb(128, 128, 128);
    case 'L': return qRgb(192, 192, 192);
    case 'W': return qRgb(255, 255, 255);
    default: return qRgb(0, 255, 0);
  }
}

}  // namespace

QImage QvMarkerBitmap(const QString& Name) {
  const char* const* Rows = Name == QLatin1String("qvRulerUp")     ? kRulerUp
                            : Name == QLatin1String("qvRulerDown") ? kRulerDown
                                                                    : nullptr;
  if (Rows == nullptr) return {};
  QImage Image(11, 11, QImage::Format_RGB32);
  for (int Y = 0; Y < 11; ++Y)
    for (int X = 0; X < 11; ++X) Image.setPixel(X, Y, ColourOf(Rows[Y][X]));
  return Image;
}

TqvTrackIcon::TqvTrackIcon(QWidget* Parent) : QWidget(Parent) {
  // No picture, no size.
  resize(0, 0);
  setAttribute(Qt::WA_NoSystemBackground);
}

void TqvTrackIcon::SetBitmapName(const QString& Value) {
  if (!Value.isEmpty() && Value != bitmapName_) {
    const QImage Image = QvMarkerBitmap(Value);
    if (Image.isNull()) throw base::Exception(QStringLiteral("Bitmap \"%1\" not found").arg(Value));
    // The bottom-left pixel's colour is the see-through one.
    QPixmap Pixmap = QPixmap::fromImage(Image);
    Pixmap.setMask(QBitmap::fromImage(Image.createMaskFromColor(Image.pixel(0, Image.height() - 1), Qt::MaskInColor)));
    bitmap_ = Pixmap;
    bitmapName_ = Value;
    resize(bitmap_.size());
  }
  update();
}

void TqvTrackIcon::paintEvent(QPaintEvent*) {
  if (bitmap_.isNull()) return;
  QPainter P(this);
  P.drawPixmap(0, 0, bitmap_);
}

void TqvTrackIcon::mousePressEvent(QMouseEvent* Event) {
  if (Event->button() != Qt::LeftButton) return QWidget::mousePressEvent(Event);
  // While the button is down every mouse event comes here, wherever the cursor goes.
  pressed_ = true;
  moved_ = false;
  pressPoint_ = mapFromGlobal(Event->globalPosition().toPoint());
}

void TqvTrackIcon::mouseMoveEvent(QMouseEvent* Event) {
  if (!pressed_) return;
  const QPoint At = mapFromGlobal(Event->globalPosition().toPoint());
  if (!moved_ && At == pressPoint_) return;
  moved_ = true;
  int NewLeft = Left() + At.x() - pressPoint_.x();
  if (minValue_ != 0 && NewLeft < minValue_) NewLeft = minValue_;
  else if (maxValue_ != 0 && NewLeft > maxValue_) NewLeft = maxValue_;
  // Only the marker moves: the ruler repaints where it was and where it is.
  SetLeft(NewLeft);
}

void TqvTrackIcon::mouseReleaseEvent(QMouseEvent* Event) {
  if (Event->button() != Qt::LeftButton || !pressed_) return QWidget::mouseReleaseEvent(Event);
  pressed_ = false;
  const bool Moved = moved_;
  moved_ = false;
  if (Moved && OnEndDrag) OnEndDrag(this);
}

}  // namespace richtext
