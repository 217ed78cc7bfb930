#pragma once
// The edit frame a rich edit control can draw around its text (with a colour for when it does
// not have the focus, and optional transparency), and the controller that shares one frame's
// settings among several controls.

#include <QObject>
#include <QPointer>
#include <QList>
#include <functional>

#include "base/Colors.h"

class QPainter;
class QWidget;

namespace richtext {

class TqvEditFrame {
 public:
  // Which parts a repaint request covers.
  enum RepaintFlag { rfFrame = 1, rfBackground = 2, rfParent = 4 };

  explicit TqvEditFrame(QWidget* Control = nullptr) : control_(Control) {}

  QWidget* Control() const { return control_; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool Value);
  // Colour the control takes while unfocused; clNone for none.
  base::TColor NonFocusColor() const { return nonFocusColor_; }
  void SetNonFocusColor(base::TColor Value);
  base::TColor BorderColor() const { return borderColor_; }
  void SetBorderColor(base::TColor Value);
  base::TColor FocusBorderColor() const { return focusBorderColor_; }
  void SetFocusBorderColor(base::TColor Value);
  int BorderWidth() const { return borderWidth_; }
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
  QWidget* control_;
  bool enabled_ = false;
  bool transparent_ = false;
  base::TColor nonFocusColor_ = base::clNone;
  base::TColor borderColor_ = base::clGray;
  base::TColor focusBorderColor_ = base::clHighlight;
  int borderWidth_ = 1;
};

// Shared settings for several rich edit controls: the controls register themselves and take a
// copy of its frame when they are connected.
class TqvController : public QObject {
  Q_OBJECT
 public:
  explicit TqvController(QObject* Owner = nullptr) : QObject(Owner) {}
  ~TqvController() override;

  TqvEditFrame& Frame() { return frame_; }
  const TqvEditFrame& Frame() const { return frame_; }
  const QList<QPointer<QWidget>>& Controls() const { return controls_; }
  void RegisterControl(QWidget* Control);
  void UnregisterControl(QWidget* Control);

 private:
  TqvEditFrame frame_;
  QList<QPointer<QWidget>> controls_;
};

}  // namespace richtext
