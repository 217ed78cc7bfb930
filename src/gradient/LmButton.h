#pragma once
// The kit's push button: a rounded gradient face that fades between its normal, pointer-over
// and pressed gradients, with a shadowed caption, an optional glyph, keyboard activation,
// modal results, default and cancel roles, and latching in groups.

#include <QImage>
#include <QPointer>

#include "gradient/LmDrawCore.h"

namespace gradient {

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

using TModalResult = int;

class TLmButton : public TLmCustomControl {
  Q_OBJECT
 public:
  explicit TLmButton(QWidget* parent = nullptr);
  ~TLmButton() override;

  QString Caption() const { return Text(); }
  void SetCaption(const QString& value) { SetText(value); }
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult value) { modalResult_ = value; }
  QImage Glyph() const { return glyph_; }
  void SetGlyph(const QImage& value);
  int Spacing() const { return spacing_; }
  void SetSpacing(int value);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout value);
  TLmControlColors* Colors() const { return colors_; }
  void SetColors(const TLmControlColors& value);
  TFadeSpeed FadeSpeed() const { return fadeSpeed_; }
  void SetFadeSpeed(TFadeSpeed value) { fadeSpeed_ = value; }
  bool ShowFocusRect() const { return showFocusRect_; }
  void SetShowFocusRect(bool value);
  bool HotTrack() const { return hotTrack_; }
  void SetHotTrack(bool value);
  bool Default() const { return default_; }
  void SetDefault(bool value);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool value);
  bool GradientBorder() const { return gradientBorder_; }
  void SetGradientBorder(bool value) { gradientBorder_ = value; }
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int value) { groupIndex_ = value; }
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool value) { allowAllUp_ = value; }
  bool Down() const { return down_; }
  void SetDown(bool value);
  TGradientType GradientType() const { return gradientType_; }
  void SetGradientType(TGradientType value);

  // Writes the form's modal result, latches within a group, then fires OnClick.
  void Click() override;
  // Enter and Escape as dialog keys; returns true when the key was used.
  bool DialogKey(int key, Qt::KeyboardModifiers modifiers);

  // The cached gradients (normal, pointer over, pressed), for inspection.
  const QImage& NormalBitmap() const { return normal_; }
  const QImage& OverBitmap() const { return over_; }
  const QImage& PressedBitmap() const { return pressed_; }

  QSize sizeHint() const override { return QSize(75, 25); }

 protected:
  void RebuildBitmaps() override;
  void FocusChanged() override;
  void LeftMouseDown() override;
  void LeftMouseUp() override;
  void MouseEntered() override;
  void MouseLeft() override;
  void SizeChanged() override;

  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool MayRelease() const;
  QList<TLmButton*> GroupSiblings() const;
  void WatchWindowKeys();
  void WriteFormModalResult();

  TModalResult modalResult_ = 0;
  QImage glyph_;
  int spacing_ = 2;
  TButtonLayout layout_ = blGlyphLeft;
  TLmControlColors* colors_;
  bool showFocusRect_ = true;
  bool hotTrack_ = false;
  bool default_ = false;
  bool cancel_ = false;
  bool gradientBorder_ = true;
  int groupIndex_ = 0;
  bool allowAllUp_ = false;
  bool down_ = false;
  TGradientType gradientType_ = gtVertical;
  QImage normal_;
  QImage over_;
  QImage pressed_;
  QImage work_;
  QImage screen_;
  QPointer<QWidget> watchedWindow_;

  // The shadowed caption drawn once onto a transparent layer, redrawn only when something that
  // shapes it changes; every paint in a fade then only lays it over the face.
  struct CaptionLayer {
    QString text;
    QString font;
    QRect rect;
    QSize size;
    qreal ratio = 0;
    unsigned flags = 0;
    TColor colors[4] = {};
    bool shadow = false;
    bool enabled = false;
    QImage image;
    bool operator==(const CaptionLayer& o) const;
  };
  CaptionLayer captionLayer_;
  bool built_ = false;
};

}  // namespace gradient
