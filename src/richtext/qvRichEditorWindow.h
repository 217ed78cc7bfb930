#pragma once
// What the control's Execute needs of the editor window. The window itself lives in the layer
// above (richtext/editor) and is installed at program start through
// QvRichEditHooks().CreateEditorWindow, since this layer may not reach up to it.

#include <QDialog>

namespace richtext {

class TqvCustomRichEdit;
class TqvRulerPanel;

class TqvRichEditorWindow : public QDialog {
  Q_OBJECT
 public:
  // Modal results as the window hands them back.
  enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2 };

  explicit TqvRichEditorWindow(QWidget* Owner = nullptr) : QDialog(Owner) {}

  // Set up by Execute before the window runs: the control that opened it, the editing control
  // (a second instance of that control's class) and the ruler.
  TqvCustomRichEdit* SourceEdit = nullptr;
  TqvCustomRichEdit* RichEdit1 = nullptr;
  TqvRulerPanel* Ruler = nullptr;

  // The bottom edge of the format bar (its top plus its height), in the window's client area.
  virtual int FormatBarBottom() const = 0;
  // The window's logical pixels per inch.
  virtual int PixelsPerInch() const = 0;
  // The area in which RichEdit1, the ruler and the bars are placed (the window below its menu).
  virtual QWidget* ClientArea() = 0;
  // Makes the window's ruler at Top in Parent (the client area), over Edit (RichEdit1); Caller is the control that
  // opened the window. The ruler knows the control, so the window, above both, makes it.
  virtual TqvRulerPanel* CreateRuler(TqvCustomRichEdit* Caller, QWidget* Parent, TqvCustomRichEdit* Edit, int Top) = 0;
  // RichEdit1 reports a selection change.
  virtual void RichEdit1SelectionChange() = 0;
  // The window's modal result once it has closed.
  virtual int ModalResult() const = 0;
};

}  // namespace richtext
