#pragma once
// The heart of the LmControls gradient kit: the shared pixel routines on 24-bit bitmaps, the
// colour sets, the style manager and the painted base control with its fade machinery. Colours
// are the program's own (base/Colors.h): system colours follow the desktop's palette.

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

#include "base/Colors.h"
#include "base/Exception.h"

class QPainter;

namespace gradient {

using base::TColor;

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
// Draws text into a rectangle as the flags say (horizontal alignment always, vertical alignment
// only for a single line, word wrap, '&' underlining the next letter unless DT_NOPREFIX, an
// ellipsis where a single line does not fit, clipped unless DT_NOCLIP): in the font colour over a
// shadow one pixel right and down, or embossed when disabled.
void DrawShadowText(QPainter& canvas, const QString& text, const QFont& font, TColor fontColor,
                    TColor shadowColor, bool shadow, unsigned flags, const QRect& rect,
                    bool enabled);
unsigned CaptionFormat(TAlignment alignment, bool wordWrap);
void TintBitmap(QImage& bitmap, TColor tint);
void DownsampleEdges(const QImage& source, QImage& target, int factor, TColor fillColor, int band);

// ---------------------------------------------------------------------------------------------
// Persistent objects and assignment between them

class EAssignError : public base::Exception {
 public:
  using base::Exception::Exception;
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

  QObject* Owner() const { return owner_; }

  TColor DefaultFrom() const { return defaultFrom_; }
  void SetDefaultFrom(TColor value);
  TColor DefaultTo() const { return defaultTo_; }
  void SetDefaultTo(TColor value);
  TColor OverFrom() const { return overFrom_; }
  void SetOverFrom(TColor value);
  TColor OverTo() const { return overTo_; }
  void SetOverTo(TColor value);

 protected:
  virtual void Changed() = 0;
  void AssignTo(TLmPersistent& dest) const override;
  // Sets one colour; a change rebuilds what the owner caches.
  void SetColorAndRebuild(TColor& field, TColor value);

  QObject* owner_;
  TColor defaultFrom_ = base::clWhite;
  TColor defaultTo_ = 13745839;
  TColor overFrom_ = base::clWhite;
  TColor overTo_ = 12489846;
};

class TLmControlColors : public TLmCustomColors {
 public:
  explicit TLmControlColors(QObject* owner = nullptr);
  QString ClassName() const override { return QStringLiteral("TLmControlColors"); }

  TColor ClickedFrom() const { return clickedFrom_; }
  void SetClickedFrom(TColor value);
  TColor ClickedTo() const { return clickedTo_; }
  void SetClickedTo(TColor value);
  TColor HotTrack() const { return hotTrack_; }
  void SetHotTrack(TColor value);
  TColor BorderColor() const { return borderColor_; }
  void SetBorderColor(TColor value);
  TColor TextShadow() const { return textShadow_; }
  void SetTextShadow(TColor value);

 protected:
  // Rebuilds the owner control's cached bitmaps.
  void Changed() override;
  void RepaintOwner();

  TColor clickedFrom_ = 13029334;
  TColor clickedTo_ = 15463415;
  TColor hotTrack_ = base::clBlue;
  TColor borderColor_ = base::clGray;
  TColor textShadow_ = base::clWhite;

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

  TLmControlColors* Colors() const { return colors_; }
  void SetColors(const TLmControlColors& value);
  bool ShowFocusRect() const { return showFocusRect_; }
  void SetShowFocusRect(bool value) { showFocusRect_ = value; }
  bool HotTrack() const { return hotTrack_; }
  void SetHotTrack(bool value) { hotTrack_ = value; }
  bool GradientBorder() const { return gradientBorder_; }
  void SetGradientBorder(bool value) { gradientBorder_ = value; }
  bool TextShadow() const { return textShadow_; }
  void SetTextShadow(bool value) { textShadow_ = value; }
  TColor CheckColor() const { return checkColor_; }
  void SetCheckColor(TColor value) { checkColor_ = value; }
  TFadeSpeed FadeSpeed() const { return fadeSpeed_; }
  void SetFadeSpeed(TFadeSpeed value) { fadeSpeed_ = value; }
  TColor PanelColor() const { return panelColor_; }
  void SetPanelColor(TColor value) { panelColor_ = value; }
  TColor BorderColor() const { return borderColor_; }
  void SetBorderColor(TColor value) { borderColor_ = value; }
  TLmSplitterColors* SplitterColors() const { return splitterColors_; }
  void SetSplitterColors(const TLmSplitterColors& value);
  QFont Font() const { return font_; }
  void SetFont(const QFont& value) { font_ = value; }

  // The register of linked controls: no duplicates.
  void RegisterControl(TLmCustomControl* control);
  void UnregisterControl(TLmCustomControl* control);
  const QList<TLmCustomControl*>& RegisteredControls() const { return controls_; }

 protected:
  void AssignTo(TLmPersistent& dest) const override;

 private:
  TLmControlColors* colors_;
  TLmSplitterColors* splitterColors_;
  bool showFocusRect_ = true;
  bool hotTrack_ = false;
  bool gradientBorder_ = true;
  bool textShadow_ = true;
  TColor checkColor_ = base::clGreen;
  TFadeSpeed fadeSpeed_ = fsMedium;
  TColor panelColor_ = 14933983;
  TColor borderColor_ = base::clGray;
  QFont font_;
  QList<TLmCustomControl*> controls_;
  bool destroying_ = false;
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

  bool TextShadow() const { return textShadow_; }
  void SetTextShadow(bool value);
  bool ShowCaption() const { return showCaption_; }
  void SetShowCaption(bool value);
  TLmStyleManager* LmStyleManager() const { return lmStyleManager_; }
  void SetLmStyleManager(TLmStyleManager* value);
  // The kit's banner; setting it changes nothing.
  QString About() const;
  void SetAbout(const QString&) {}

  // Background colour; with ParentColor on it follows the parent's colour.
  TColor Color() const { return color_; }
  void SetColor(TColor value);
  bool ParentColor() const { return parentColor_; }
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
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool value);
  bool Focused() const { return hasFocus(); }
  // Takes the focus at all, and is visible and enabled, up through every parent.
  bool CanFocus() const;

  // Fade state, for painting and inspection.
  int HoverLevel() const { return hoverLevel_; }
  int PressLevel() const { return pressLevel_; }
  std::uint8_t StateFlags() const { return state_; }
  bool IsOver() const { return (state_ & stOver) != 0; }
  bool IsPressed() const { return (state_ & stPressed) != 0; }
  TTimerStep TimerStep() const { return timerStep_; }
  bool FadeTimerActive() const { return fadeTimer_.isActive(); }
  int FadeTimerInterval() const { return fadeTimer_.isActive() ? timerInterval_ : 0; }

  // Told when a component is removed: a style manager's removal clears the link.
  virtual void Notification(QObject* component, TOperation operation);

  // Fires OnClick.
  virtual void Click();

  // Loading from stored settings: rebuilds are put off until Loaded.
  void BeginLoad() { loading_ = true; }
  virtual void Loaded();
  bool Loading() const { return loading_; }

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

  // Rebuilds the cached bitmaps from inside a paint without the repaint a rebuild asks for.
  void RebuildWhilePainting();
  void StartFadeTimer();
  void KillFadeTimer();
  void Repaint() { update(); }

  QString Text() const { return text_; }
  void SetText(const QString& value);
  // A control that does nothing with the keyboard takes no focus, by Tab or by click: a stop
  // that shows no focus and answers no key would only hold the user up.
  void SetTakesFocus(bool value);

  TFadeSpeed fadeSpeed_ = fsMedium;
  int hoverLevel_ = 0;
  int pressLevel_ = 0;
  std::uint8_t state_ = 0;
  TTimerStep timerStep_ = tsNone;
  bool acceptsDoubleClicks_ = false;
  bool clicked_ = false;

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
  void UpdateFocusPolicy();

  bool textShadow_ = true;
  bool showCaption_ = true;
  TLmStyleManager* lmStyleManager_ = nullptr;
  TColor color_ = base::clBtnFace;
  bool parentColor_ = true;
  TColor fontColor_ = base::clWindowText;
  bool fontColorSet_ = false;
  bool tabStop_ = true;
  bool takesFocus_ = true;
  bool loading_ = false;
  QString text_;
  QBasicTimer fadeTimer_;
  int timerInterval_ = 0;

  friend class TLmControlColors;
  friend class TLmStyleManager;
};

}  // namespace gradient
