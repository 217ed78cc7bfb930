#pragma once
// A small picture that the mouse drags sideways: the ruler's indent markers.

#include <QImage>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <functional>

namespace richtext {

// The marker pictures by name ("qvRulerUp", "qvRulerDown"): 11 x 11 pixels whose pure green
// is see-through. A null image for any other name.
QImage QvMarkerBitmap(const QString& Name);

class TqvTrackIcon : public QWidget {
  Q_OBJECT
 public:
  using TNotifyEvent = std::function<void(TqvTrackIcon* Sender)>;

  explicit TqvTrackIcon(QWidget* Parent = nullptr);

  // Naming another picture loads it and sizes the control to it; an empty name keeps the one
  // it has. A name that is no picture of the program raises base::Exception.
  const QString& BitmapName() const { return bitmapName_; }
  void SetBitmapName(const QString& Value);
  // Bounds of Left while dragging; 0 means unbounded on that side.
  int MinValue() const { return minValue_; }
  void SetMinValue(int Value) { minValue_ = Value; }
  int MaxValue() const { return maxValue_; }
  void SetMaxValue(int Value) { maxValue_ = Value; }
  int Left() const { return x(); }
  void SetLeft(int Value) { move(Value, y()); }
  int Top() const { return y(); }
  void SetTop(int Value) { move(x(), Value); }

  // Raised when the left button is released after the marker was dragged.
  TNotifyEvent OnEndDrag;

 protected:
  void paintEvent(QPaintEvent* Event) override;
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseMoveEvent(QMouseEvent* Event) override;
  void mouseReleaseEvent(QMouseEvent* Event) override;

 private:
  QString bitmapName_;
  QPixmap bitmap_;
  int minValue_ = 0;
  int maxValue_ = 0;
  // The drag: where the button went down, in the marker's own coordinates.
  bool pressed_ = false;
  bool moved_ = false;
  QPoint pressPoint_;
};

}  // namespace richtext
