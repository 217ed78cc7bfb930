#include "app/BeeIcon.h"

#include <QPainter>
#include <QPainterPath>

namespace app {

QImage BeeImage(int size) {
  QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  // Drawn on a 64-unit grid and scaled, so every size shows the same bee.
  p.scale(size / 64.0, size / 64.0);

  const QColor ink(40, 28, 16);
  const QColor honey(246, 184, 28);

  // Wings behind the body, pale and translucent.
  p.setPen(QPen(QColor(90, 120, 160), 1.2));
  p.setBrush(QColor(205, 228, 250, 200));
  p.save();
  p.translate(30, 22);
  p.rotate(-25);
  p.drawEllipse(QRectF(-9, -16, 18, 28));
  p.restore();
  p.save();
  p.translate(41, 23);
  p.rotate(20);
  p.drawEllipse(QRectF(-7, -13, 14, 22));
  p.restore();

  // Abdomen with its stripes, clipped to the body's outline.
  const QRectF body(14, 24, 40, 28);
  QPainterPath outline;
  outline.addEllipse(body);
  p.setPen(Qt::NoPen);
  p.setBrush(honey);
  p.drawPath(outline);
  p.save();
  p.setClipPath(outline);
  p.setBrush(ink);
  for (qreal x : {24.0, 34.0, 44.0}) p.drawRect(QRectF(x, 20, 5, 40));
  p.restore();
  p.setPen(QPen(ink, 2));
  p.setBrush(Qt::NoBrush);
  p.drawPath(outline);

  // Sting.
  p.setPen(Qt::NoPen);
  p.setBrush(ink);
  QPolygonF sting;
  sting << QPointF(53, 35) << QPointF(61, 38) << QPointF(53, 41);
  p.drawPolygon(sting);

  // Head, eye and antennae.
  p.setBrush(ink);
  p.drawEllipse(QRectF(4, 29, 15, 15));
  p.setBrush(QColor(255, 255, 255));
  p.drawEllipse(QRectF(7, 33, 4, 4));
  p.setPen(QPen(ink, 1.8, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  QPainterPath a1(QPointF(9, 30));
  a1.quadTo(QPointF(5, 22), QPointF(9, 16));
  QPainterPath a2(QPointF(13, 29));
  a2.quadTo(QPointF(13, 21), QPointF(18, 17));
  p.drawPath(a1);
  p.drawPath(a2);
  p.setPen(Qt::NoPen);
  p.setBrush(ink);
  p.drawEllipse(QPointF(9, 16), 1.8, 1.8);
  p.drawEllipse(QPointF(18, 17), 1.8, 1.8);

  // Legs.
  p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap));
  for (qreal x : {22.0, 30.0, 38.0}) p.drawLine(QPointF(x, 50), QPointF(x - 3, 57));
  p.end();

  return img.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdAlphaDither | Qt::PreferDither);
}

QIcon BeeIcon() {
  // Drawn once: the application and its window share it.
  static const QIcon icon = [] {
    QIcon i;
    for (int s : {16, 32, 48, 64}) i.addPixmap(QPixmap::fromImage(BeeImage(s)));
    return i;
  }();
  return icon;
}

}  // namespace app
