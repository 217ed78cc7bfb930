#pragma once
// The edit frame a rich edit control can draw around its text (with a colour for when it does
// not have the focus, and optional transparency), and the controller that shares one frame's
// settings among several controls.

#include <QObject>
#include <QPointer>
#include <QList>
#include <functional>

#include "engine/RichEditTypes.h"

class QPainter;
class QWidget;

class TqvEditFrame {
 public:
  // Which parts a repaint request covers.
  enum RepaintFlag { rfFrame = 1, rfBackground = 2, rfParent = 4 };

  explicit TqvEditFrame(QWidget* Control = nullptr) : FControl(Control) {}

  QWidget* Control() const { return FControl; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  // Colour the control takes while unfocused; clNone for none.
  engine::TColor NonFocusColor() const { return FNonFocusColor; }
  void SetNonFocusColor(engine::TColor Value);
  engine::TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(engine::TColor Value);
  engine::TColor FocusBorderColor() const { return FFocusBorderColor; }
  void SetFocusBorderColor(engine::TColor Value);
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int Value);

  // Where the text may start inside the frame, in client pixels: left and top insets and how
  // much the right edge moves in.
  void Insets(bool Focused, int& Left, int& Top, int& RightInset) const;
  // Draws the frame of the control's client area.
  void DrawFrame(QPainter& Canvas, const QRect& ClientRect, bool Focused) const;
  // Asks the control (and with rfParent its parent) to repaint.
  void Repaint(int Flags) const;
  // Takes every setting of another frame (not its control).
  void Assign(const TqvEditFrame& Source);

  // Called after a setting changed, so the owning control can re-lay out and repaint.
  std::function<void()> OnChange;

 private:
  void Changed();
  QWidget* FControl;
  bool FEnabled = false;
  bool FTransparent = false;
  engine::TColor FNonFocusColor = engine::clNone;
  engine::TColor FBorderColor = engine::clGray;
  engine::TColor FFocusBorderColor = engine::clHighlight;
  int FBorderWidth = 1;
};

// Shared settings for several rich edit controls: the controls register themselves and take a
// copy of its frame when they are connected.
class TqvController : public QObject {
  Q_OBJECT
 public:
  explicit TqvController(QObject* Owner = nullptr) : QObject(Owner) {}
  ~TqvController() override;

  TqvEditFrame& Frame() { return FFrame; }
  const TqvEditFrame& Frame() const { return FFrame; }
  const QList<QPointer<QWidget>>& Controls() const { return FControls; }
  void RegisterControl(QWidget* Control);
  void UnregisterControl(QWidget* Control);

 private:
  TqvEditFrame FFrame;
  QList<QPointer<QWidget>> FControls;
};
