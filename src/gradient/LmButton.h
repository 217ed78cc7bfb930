#pragma once
// The kit's push button: a rounded gradient face that fades between its normal, pointer-over
// and pressed gradients, with a shadowed caption, an optional glyph, keyboard activation,
// modal results, default and cancel roles, and latching in groups.

#include <QImage>
#include <QPointer>

#include "gradient/LmDrawCore.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

using TModalResult = int;

class TLmButton : public TLmCustomControl {
  Q_OBJECT
 public:
  explicit TLmButton(QWidget* parent = nullptr);
  ~TLmButton() override;

  QString Caption() const { return Text(); }
  void SetCaption(const QString& value) { SetText(value); }
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult value) { FModalResult = value; }
  QImage Glyph() const { return FGlyph; }
  void SetGlyph(const QImage& value);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int value);
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout value);
  TLmControlColors* Colors() const { return FColors; }
  void SetColors(const TLmControlColors& value);
  TFadeSpeed FadeSpeed() const { return FFadeSpeed; }
  void SetFadeSpeed(TFadeSpeed value) { FFadeSpeed = value; }
  bool ShowFocusRect() const { return FShowFocusRect; }
  void SetShowFocusRect(bool value);
  bool HotTrack() const { return FHotTrack; }
  void SetHotTrack(bool value);
  bool Default() const { return FDefault; }
  void SetDefault(bool value);
  bool Cancel() const { return FCancel; }
  void SetCancel(bool value);
  bool GradientBorder() const { return FGradientBorder; }
  void SetGradientBorder(bool value) { FGradientBorder = value; }
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int value) { FGroupIndex = value; }
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool value) { FAllowAllUp = value; }
  bool Down() const { return FDown; }
  void SetDown(bool value);
  TGradientType GradientType() const { return FGradientType; }
  void SetGradientType(TGradientType value);

  // Writes the form's modal result, latches within a group, then fires OnClick.
  void Click() override;
  // Enter and Escape as dialog keys; returns true when the key was used.
  bool DialogKey(int key, Qt::KeyboardModifiers modifiers);

  // The cached gradients (normal, pointer over, pressed), for inspection.
  const QImage& NormalBitmap() const { return FNormal; }
  const QImage& OverBitmap() const { return FOver; }
  const QImage& PressedBitmap() const { return FPressed; }

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

  TModalResult FModalResult = 0;
  QImage FGlyph;
  int FSpacing = 2;
  TButtonLayout FLayout = blGlyphLeft;
  TLmControlColors* FColors;
  bool FShowFocusRect = true;
  bool FHotTrack = false;
  bool FDefault = false;
  bool FCancel = false;
  bool FGradientBorder = true;
  int FGroupIndex = 0;
  bool FAllowAllUp = false;
  bool FDown = false;
  TGradientType FGradientType = gtVertical;
  QImage FNormal;
  QImage FOver;
  QImage FPressed;
  QImage FWork;
  QImage FScreen;
  QPointer<QWidget> FWatchedWindow;

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
  CaptionLayer FCaptionLayer;
  bool FBuilt = false;
};
