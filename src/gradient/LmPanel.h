#pragma once
// The kit's container: a panel with a rounded border, drawn anti-aliased on a flat fill or with a
// gradient fill, and a shadowed caption at one of ten positions.

#include <QImage>

#include "gradient/LmDrawCore.h"

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
  TLmCaptionPos CaptionPosition() const { return FCaptionPosition; }
  void SetCaptionPosition(TLmCaptionPos value);
  int CornerWidth() const { return FCornerWidth; }
  void SetCornerWidth(int value);
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int value);
  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor value);
  TColor OuterColor() const { return FOuterColor; }
  void SetOuterColor(TColor value);
  TColor TextShadowColor() const { return FTextShadowColor; }
  void SetTextShadowColor(TColor value);
  bool Antialiased() const { return FAntialiased; }
  void SetAntialiased(bool value);
  bool Gradient() const { return FGradient; }
  void SetGradient(bool value);
  TColor DefaultFrom() const { return FDefaultFrom; }
  void SetDefaultFrom(TColor value);
  TColor DefaultTo() const { return FDefaultTo; }
  void SetDefaultTo(TColor value);
  TGradientType GradientType() const { return FGradientType; }
  void SetGradientType(TGradientType value);

  TNotifyEvent OnDblClick;

  // The area left to aligned child controls (the widget's contents margins follow it).
  QRect ClientAreaRect() const;
  // The caption rectangle and its text flags for the current position.
  QRect CaptionRect(unsigned* flags = nullptr) const;
  // The cached background.
  const QImage& Background() const { return FBackground; }

  void Loaded() override;
  QSize sizeHint() const override { return QSize(185, 105); }

 protected:
  void RebuildBitmaps() override;
  void SizeChanged() override;
  void ColorChanged() override;
  void ParentColorMessage() override;
  void DblClick() override;
  void TextChanged() override;

  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  int CaptionTextHeight() const;
  void Realign();

  TLmCaptionPos FCaptionPosition = cpTopLeft;
  int FCornerWidth = 10;
  int FBorderWidth = 2;
  TColor FBorderColor = clGray;
  TColor FOuterColor = clBtnFace;
  TColor FTextShadowColor = clWhite;
  bool FAntialiased = true;
  bool FGradient = false;
  TColor FDefaultFrom = clWhite;
  TColor FDefaultTo = 14933983;
  TGradientType FGradientType = gtVertical;
  QImage FBackground;
};
