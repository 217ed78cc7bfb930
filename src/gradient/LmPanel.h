#pragma once
// The kit's container: a panel with a rounded border, drawn anti-aliased on a flat fill or with a
// gradient fill, and a shadowed caption at one of ten positions.

#include <QImage>

#include "gradient/LmDrawCore.h"

namespace gradient {

enum TLmCaptionPos {
  cpGroupBox,
  cpTopLeft,
  cpTopCenter,
  cpTopRight,
  cpMiddleLeft,
  cpMiddleCenter,
  cpMiddleRight,
  cpBottomLeft,
  cpBottomCenter,
  cpBottomRight
};

class TLmPanel : public TLmCustomControl {
  Q_OBJECT
 public:
  explicit TLmPanel(QWidget* parent = nullptr);
  ~TLmPanel() override;

  QString Caption() const { return Text(); }
  void SetCaption(const QString& value);
  TLmCaptionPos CaptionPosition() const { return captionPosition_; }
  void SetCaptionPosition(TLmCaptionPos value);
  int CornerWidth() const { return cornerWidth_; }
  void SetCornerWidth(int value);
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int value);
  TColor BorderColor() const { return borderColor_; }
  void SetBorderColor(TColor value);
  TColor OuterColor() const { return outerColor_; }
  void SetOuterColor(TColor value);
  TColor TextShadowColor() const { return textShadowColor_; }
  void SetTextShadowColor(TColor value);
  bool Antialiased() const { return antialiased_; }
  void SetAntialiased(bool value);
  bool Gradient() const { return gradient_; }
  void SetGradient(bool value);
  TColor DefaultFrom() const { return defaultFrom_; }
  void SetDefaultFrom(TColor value);
  TColor DefaultTo() const { return defaultTo_; }
  void SetDefaultTo(TColor value);
  TGradientType GradientType() const { return gradientType_; }
  void SetGradientType(TGradientType value);

  TNotifyEvent OnDblClick;

  // The area left to aligned child controls (the widget's contents margins follow it).
  QRect ClientAreaRect() const;
  // The caption rectangle and its text flags for the current position.
  QRect CaptionRect(unsigned* flags = nullptr) const;
  // The cached background.
  const QImage& Background() const { return background_; }

  QSize sizeHint() const override { return QSize(185, 105); }

 protected:
  void RebuildBitmaps() override;
  void SizeChanged() override;
  void ColorChanged() override;
  void ParentColorMessage() override;
  void DblClick() override;

  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  int CaptionTextHeight() const;
  void Realign();

  TLmCaptionPos captionPosition_ = cpTopLeft;
  int cornerWidth_ = 10;
  int borderWidth_ = 2;
  TColor borderColor_ = base::clGray;
  TColor outerColor_ = base::clBtnFace;
  TColor textShadowColor_ = base::clWhite;
  bool antialiased_ = true;
  bool gradient_ = false;
  TColor defaultFrom_ = base::clWhite;
  TColor defaultTo_ = 14933983;
  TGradientType gradientType_ = gtVertical;
  QImage background_;
};

}  // namespace gradient
