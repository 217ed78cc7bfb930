#pragma once
// The heart of the LmControls gradient kit: colours, the shared pixel routines on 24-bit
// bitmaps, the colour sets, the style manager and the painted base control with its fade
// machinery.

#include <QBasicTimer>
#include <QFont>
#include <QImage>
#include <QList>
#include <QRect>
#include <QRegion>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <stdexcept>

class QPainter;

// ---------------------------------------------------------------------------------------------
// Colours

// A colour: 0x00BBGGRR, or a negative system-colour code resolved by ColorToRGB.
using TColor = std::int32_t;

constexpr TColor SystemColor(int index) {
  return static_cast<TColor>(0x80000000u | static_cast<std::uint32_t>(index));
}

constexpr TColor clScrollBar = SystemColor(0);
constexpr TColor clBackground = SystemColor(1);
constexpr TColor clActiveCaption = SystemColor(2);
constexpr TColor clInactiveCaption = SystemColor(3);
constexpr TColor clMenu = SystemColor(4);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowFrame = SystemColor(6);
constexpr TColor clMenuText = SystemColor(7);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clCaptionText = SystemColor(9);
constexpr TColor clActiveBorder = SystemColor(10);
constexpr TColor clInactiveBorder = SystemColor(11);
constexpr TColor clAppWorkSpace = SystemColor(12);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clInactiveCaptionText = SystemColor(19);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor cl3DDkShadow = SystemColor(21);
constexpr TColor cl3DLight = SystemColor(22);
constexpr TColor clInfoText = SystemColor(23);
constexpr TColor clInfoBk = SystemColor(24);

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clNone = 0x1FFFFFFF;     // no colour / leave unchanged
constexpr TColor clDefault = 0x20000000;

constexpr TColor RGBToColor(int r, int g, int b) {
  return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(TColor c) { return c & 0xFF; }
constexpr int GetGValue(TColor c) { return (c >> 8) & 0xFF; }
constexpr int GetBValue(TColor c) { return (c >> 16) & 0xFF; }

// Resolves a colour to 0x00BBGGRR. System colours follow the desktop's palette when an
// application object exists (so the controls blend with the windows around them), else a fixed
// classic table; clNone and clDefault resolve to black.
TColor ColorToRGB(TColor color);
QColor ColorToQColor(TColor color);
TColor QColorToColor(const QColor& color);

// ---------------------------------------------------------------------------------------------
// Text drawing flags (the bit values callers and stored settings use)

constexpr unsigned DT_TOP = 0x0000;
constexpr unsigned DT_LEFT = 0x0000;
constexpr unsigned DT_CENTER = 0x0001;
constexpr unsigned DT_RIGHT = 0x0002;
constexpr unsigned DT_VCENTER = 0x0004;
constexpr unsigned DT_BOTTOM = 0x0008;
constexpr unsigned DT_WORDBREAK = 0x0010;
constexpr unsigned DT_SINGLELINE = 0x0020;
constexpr unsigned DT_NOCLIP = 0x0100;
constexpr unsigned DT_NOPREFIX = 0x0800;
constexpr unsigned DT_END_ELLIPSIS = 0x8000;

// Draws text into a rectangle as the flags say: horizontal alignment always, vertical alignment
// only for a single line, word wrap, '&' underlining the next letter unless DT_NOPREFIX, an
// ellipsis where a single line does not fit. Clips to the rectangle unless DT_NOCLIP.
void DrawTextFlags(QPainter& canvas, const QString& text, const QRect& rect, unsigned flags);

// The dotted focus rectangle.
void DrawFocusRect(QPainter& canvas, const QRect& rect);

// ---------------------------------------------------------------------------------------------
// Enumerations shared by the kit

enum TGradientType {
  gtHorizontal,
  gtVertical,
  gtFromTopLeft,
  gtFromTopRight,
  gtRadial,
  gtDoubleHorz,
  gtDoubleVert
};

enum TFadeSpeed { fsSlow, fsMedium, fsFast, fsVeryFast };

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

enum TOperation { opInsert, opRemove };

using TNotifyEvent = std::function<void(QObject* sender)>;

// ---------------------------------------------------------------------------------------------
// Pixel routines. Bitmaps are QImage::Format_BGR888 (three bytes a pixel: blue, green, red);
// an image of another format is converted first. Rectangles are given as QRect and read as
// left, top, right = x + width, bottom = y + height (right and bottom excluded).

// The interval of the fade timer for a speed, in milliseconds.
int FadeInterval(TFadeSpeed speed);

// A rounded-rectangle region (left, top, right, bottom excluded; corner ellipse ew x eh).
QRegion CreateRoundRectRgn(int left, int top, int right, int bottom, int ew, int eh);

void FillGradient(QImage& target, const QRect& rect, TColor fromColor, TColor toColor,
                  TGradientType gradientType, const QRegion* region = nullptr);
void BlendBitmap(QImage& target, const QImage& overlay, const QRect& rect, int percent);
// `base` may be `target` itself; the copy then moves overlapping areas correctly.
void LayerBitmaps(QImage& target, const QImage& base, const QImage& overlay, int offset,
                  const QRect& rect, int percent);
void DrawShadowText(QPainter& canvas, const QString& text, const QFont& font, TColor fontColor,
                    TColor shadowColor, bool shadow, unsigned flags, const QRect& rect,
                    bool enabled);
unsigned CaptionFormat(TAlignment alignment, bool wordWrap);
void TintBitmap(QImage& bitmap, TColor tint);
void DownsampleEdges(const QImage& source, QImage& target, int factor, TColor fillColor, int band);

// ---------------------------------------------------------------------------------------------
// Persistent objects and assignment between them

class EAssignError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TLmPersistent {
 public:
  virtual ~TLmPersistent() = default;
  virtual QString ClassName() const = 0;
  // Copies `source` into this object; a null or unsuitable source fails with EAssignError.
  virtual void Assign(const TLmPersistent* source);

 protected:
  virtual void AssignTo(TLmPersistent& dest) const;
  [[noreturn]] void AssignError(const TLmPersistent* source) const;
};

class TLmCustomControl;
class TLmStyleManager;

class TLmCustomColors : public TLmPersistent {
 public:
  explicit TLmCustomColors(QObject* owner = nullptr);
  ~TLmCustomColors() override = default;
  QString ClassName() const override { return QStringLiteral("TLmCustomColors"); }

  QObject* Owner() const { return FOwner; }

  TColor DefaultFrom() const { return FDefaultFrom; }
  void SetDefaultFrom(TColor value);
  TColor DefaultTo() const { return FDefaultTo; }
  void SetDefaultTo(TColor value);
  TColor OverFrom() const { return FOverFrom; }
  void SetOverFrom(TColor value);
  TColor OverTo() const { return FOverTo; }
  void SetOverTo(TColor value);

 protected:
  virtual void Changed() = 0;
  void AssignTo(TLmPersistent& dest) const override;

  QObject* FOwner;
  TColor FDefaultFrom = clWhite;
  TColor FDefaultTo = 13745839;
  TColor FOverFrom = clWhite;
  TColor FOverTo = 12489846;
};

class TLmControlColors : public TLmCustomColors {
 public:
  explicit TLmControlColors(QObject* owner = nullptr);
  QString ClassName() const override { return QStringLiteral("TLmControlColors"); }

  TColor ClickedFrom() const { return FClickedFrom; }
  void SetClickedFrom(TColor value);
  TColor ClickedTo() const { return FClickedTo; }
  void SetClickedTo(TColor value);
  TColor HotTrack() const { return FHotTrack; }
  void SetHotTrack(TColor value);
  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor value);
  TColor TextShadow() const { return FTextShadow; }
  void SetTextShadow(TColor value);

 protected:
  // Rebuilds the owner control's cached bitmaps.
  void Changed() override;
  void RepaintOwner();

  TColor FClickedFrom = 13029334;
  TColor FClickedTo = 15463415;
  TColor FHotTrack = clBlue;
  TColor FBorderColor = clGray;
  TColor FTextShadow = clWhite;

  friend class TLmCustomColors;
};

class TLmSplitterColors : public TLmCustomColors {
 public:
  explicit TLmSplitterColors(QObject* owner = nullptr);
  QString ClassName() const override { return QStringLiteral("TLmSplitterColors"); }

 protected:
  // Would repaint an owning splitter; the kit has none, so nothing happens.
  void Changed() override;
};

// ---------------------------------------------------------------------------------------------
// Style manager: holds a complete style and a register of the controls linked to it. It never
// applies the style itself.

class TLmStyleManager : public QObject, public TLmPersistent {
  Q_OBJECT
 public:
  explicit TLmStyleManager(QObject* owner = nullptr);
  ~TLmStyleManager() override;
  QString ClassName() const override { return QStringLiteral("TLmStyleManager"); }

  TLmControlColors* Colors() const { return FColors; }
  void SetColors(const TLmControlColors& value);
  bool ShowFocusRect() const { return FShowFocusRect; }
  void SetShowFocusRect(bool value) { FShowFocusRect = value; }
  bool HotTrack() const { return FHotTrack; }
  void SetHotTrack(bool value) { FHotTrack = value; }
  bool GradientBorder() const { return FGradientBorder; }
  void SetGradientBorder(bool value) { FGradientBorder = value; }
  bool TextShadow() const { return FTextShadow; }
  void SetTextShadow(bool value) { FTextShadow = value; }
  TColor CheckColor() const { return FCheckColor; }
  void SetCheckColor(TColor value) { FCheckColor = value; }
  TFadeSpeed FadeSpeed() const { return FFadeSpeed; }
  void SetFadeSpeed(TFadeSpeed value) { FFadeSpeed = value; }
  TColor PanelColor() const { return FPanelColor; }
  void SetPanelColor(TColor value) { FPanelColor = value; }
  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor value) { FBorderColor = value; }
  TLmSplitterColors* SplitterColors() const { return FSplitterColors; }
  void SetSplitterColors(const TLmSplitterColors& value);
  QFont Font() const { return FFont; }
  void SetFont(const QFont& value) { FFont = value; }

  // The register of linked controls: no duplicates.
  void RegisterControl(TLmCustomControl* control);
  void UnregisterControl(TLmCustomControl* control);
  const QList<TLmCustomControl*>& RegisteredControls() const { return FControls; }

 protected:
  void AssignTo(TLmPersistent& dest) const override;

 private:
  TLmControlColors* FColors;
  TLmSplitterColors* FSplitterColors;
  bool FShowFocusRect = true;
  bool FHotTrack = false;
  bool FGradientBorder = true;
  bool FTextShadow = true;
  TColor FCheckColor = clGreen;
  TFadeSpeed FFadeSpeed = fsMedium;
  TColor FPanelColor = 14933983;
  TColor FBorderColor = clGray;
  QFont FFont;
  QList<TLmCustomControl*> FControls;
  bool FDestroying = false;
};

// ---------------------------------------------------------------------------------------------
// The painted base control of the kit.

class TLmCustomControl : public QWidget {
  Q_OBJECT
 public:
  explicit TLmCustomControl(QWidget* parent = nullptr);
  ~TLmCustomControl() override;

  // State flag bits.
  static constexpr std::uint8_t stOver = 0x01;
  static constexpr std::uint8_t stPressed = 0x02;

  enum TTimerStep { tsNone, tsFadeIn, tsFadeOut };

  bool TextShadow() const { return FTextShadow; }
  void SetTextShadow(bool value);
  bool ShowCaption() const { return FShowCaption; }
  void SetShowCaption(bool value);
  TLmStyleManager* LmStyleManager() const { return FLmStyleManager; }
  void SetLmStyleManager(TLmStyleManager* value);
  // The kit's banner; setting it changes nothing.
  QString About() const;
  void SetAbout(const QString&) {}

  // Background colour; with ParentColor on it follows the parent's colour.
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool value);
  // Font face and size go through QWidget's font (inherited from the parent unless set); the
  // font colour follows a parent control of the kit unless set.
  QFont Font() const { return font(); }
  void SetFont(const QFont& value);
  TColor FontColor() const;
  void SetFontColor(TColor value);
  bool ParentFont() const;
  void SetParentFont(bool value);

  bool Enabled() const { return isEnabled(); }
  void SetEnabled(bool value) { setEnabled(value); }
  bool Visible() const { return isVisibleTo(parentWidget()); }
  void SetVisible(bool value) { setVisible(value); }
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool value);
  bool Focused() const { return hasFocus(); }
  // Visible and enabled, up through every parent.
  bool CanFocus() const;

  // Fade state, for painting and inspection.
  int HoverLevel() const { return FHoverLevel; }
  int PressLevel() const { return FPressLevel; }
  std::uint8_t StateFlags() const { return FState; }
  bool IsOver() const { return (FState & stOver) != 0; }
  bool IsPressed() const { return (FState & stPressed) != 0; }
  TTimerStep TimerStep() const { return FTimerStep; }
  bool FadeTimerActive() const { return FFadeTimer.isActive(); }
  int FadeTimerInterval() const { return FFadeTimer.isActive() ? FTimerInterval : 0; }

  // Told when a component is removed: a style manager's removal clears the link.
  virtual void Notification(QObject* component, TOperation operation);

  // Fires OnClick.
  virtual void Click();

  // Loading from stored settings: rebuilds are put off until Loaded.
  void BeginLoad() { FLoading = true; }
  virtual void Loaded();
  bool Loading() const { return FLoading; }

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnClick;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  std::function<void(QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                     int y)>
      OnMouseDown;
  std::function<void(QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                     int y)>
      OnMouseUp;
  std::function<void(QObject* sender, Qt::KeyboardModifiers shift, int x, int y)> OnMouseMove;
  std::function<void(QObject* sender, int& key, Qt::KeyboardModifiers shift)> OnKeyDown;

 protected:
  virtual void RebuildBitmaps() = 0;
  virtual void EnabledChanged();
  virtual void FocusChanged();
  virtual void LeftMouseDown();
  virtual void LeftMouseUp();
  virtual void MouseEntered();
  virtual void MouseLeft();
  virtual void MouseMoved();
  virtual void ParentColorChanged();
  virtual void SizeChanged();
  virtual void TextChanged();
  virtual void FadeOutStep();
  virtual void FadeInStep();

  // Called after Color changed (also when it followed the parent).
  virtual void ColorChanged();
  // The parent's colour changed: with ParentColor on, take it, then ParentColorChanged.
  virtual void ParentColorMessage();

  void StartFadeTimer();
  void KillFadeTimer();
  void Repaint() { update(); }

  QString Text() const { return FText; }
  void SetText(const QString& value);

  TFadeSpeed FFadeSpeed = fsMedium;
  int FHoverLevel = 0;
  int FPressLevel = 0;
  std::uint8_t FState = 0;
  TTimerStep FTimerStep = tsNone;
  bool FAcceptsDoubleClicks = false;
  bool FClicked = false;

  void timerEvent(QTimerEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;

  // A second quick click: controls that accept double clicks handle it here.
  virtual void DblClick() {}

 private:
  TColor ParentColorValue() const;
  void NotifyChildrenColor();

  bool FTextShadow = true;
  bool FShowCaption = true;
  TLmStyleManager* FLmStyleManager = nullptr;
  TColor FColor = clBtnFace;
  bool FParentColor = true;
  TColor FFontColor = clWindowText;
  bool FFontColorSet = false;
  bool FTabStop = true;
  bool FLoading = false;
  QString FText;
  QBasicTimer FFadeTimer;
  int FTimerInterval = 0;

  friend class TLmControlColors;
  friend class TLmStyleManager;
};
