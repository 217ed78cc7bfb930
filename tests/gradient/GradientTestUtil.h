#pragma once
// Small helpers shared by the gradient kit's tests.

#include <QCoreApplication>
#include <QEnterEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimerEvent>
#include <QWidget>

#include "base/Colors.h"

// The colour of a pixel, as 0x00BBGGRR.
inline base::TColor PixelAt(const QImage& image, int x, int y) {
  const QRgb c = image.pixel(x, y);
  return base::RGBToColor(qRed(c), qGreen(c), qBlue(c));
}

// How many pixels have exactly this colour.
inline int CountColor(const QImage& image, base::TColor color) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += PixelAt(image, x, y) == color;
  return n;
}

inline QImage Bitmap(int w, int h, base::TColor fill = base::clBlack) {
  QImage image(w, h, QImage::Format_BGR888);
  image.fill(base::ColorToQColor(fill));
  return image;
}

// One tick of the control's fade timer, delivered as the timer message would be.
inline void Tick(QWidget* w, int times = 1) {
  for (int i = 0; i < times; ++i) {
    QTimerEvent e(1);
    QCoreApplication::sendEvent(w, &e);
  }
}

inline void Enter(QWidget* w) {
  QEnterEvent e(QPointF(3, 3), QPointF(3, 3), QPointF(3, 3));
  QCoreApplication::sendEvent(w, &e);
}

inline void Leave(QWidget* w) {
  QEvent e(QEvent::Leave);
  QCoreApplication::sendEvent(w, &e);
}

inline void Mouse(QWidget* w, QEvent::Type type, QPoint at = QPoint(3, 3),
                  Qt::MouseButton button = Qt::LeftButton) {
  QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), button,
                type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &e);
}

inline void Press(QWidget* w) { Mouse(w, QEvent::MouseButtonPress); }
inline void Release(QWidget* w) { Mouse(w, QEvent::MouseButtonRelease); }
inline void ClickWithMouse(QWidget* w) {
  Press(w);
  Release(w);
}

// Returns whether the receiver accepted the key.
inline bool Key(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
                bool autoRepeat = false) {
  QKeyEvent e(QEvent::KeyPress, key, mods, QString(), autoRepeat);
  QCoreApplication::sendEvent(w, &e);
  return e.isAccepted();
}
