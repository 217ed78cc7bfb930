#pragma once
// TqvRichEditForm: the modal rich text editor a control opens on a copy of its text. It edits
// only its own control, RichEdit1; the calling control gets the text back from Execute, and only
// when the window closed with OK.
//
// The window's parts (bars, buttons, menus) are public members named as in the form description,
// so that a host (OnInitDialog, OnCreateDialog) can reach them, as can tests. Every handler is one
// call on RichEdit1 followed by RefreshControls, which derives the bars' state from the selection.

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QIcon>
#include <QList>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

#include "richtext/editor/qvlockkeys.h"
#include "richtext/editor/qvrichglyphs.h"
#include "richtext/qvRichEditorWindow.h"
#include "richtext/qvRulerPanel.h"
#include "richtext/qvriched.h"

class QAction;
class QMenu;
class QMenuBar;
class QProxyStyle;

namespace richtext {

// The application's hint handler: receives the long part of the hint of whatever the mouse is
// over. Empty: hints go nowhere.
using TqvHintHandler = std::function<void(const QString& Hint)>;
TqvHintHandler& ApplicationOnHint();

// The short part of a hint "short | long" (the tooltip) and its long part (the status line). A
// hint without a bar is both.
QString ShortHint(const QString& Hint);
QString LongHint(const QString& Hint);

// Caps Lock and Num Lock as the keyboard reports them: the desktop's by default; tests install
// their own reader.
using TqvLockKeyReader = std::function<TqvLockKeys()>;
TqvLockKeyReader SetLockKeyReader(TqvLockKeyReader Reader);

// What the print dialog asks: the printer (an index of the program's printers), the file the PDF
// printer writes (empty: a new one in the documents folder) and the copies.
struct TqvPrintChoice {
  int PrinterIndex = 0;
  QString PdfFile;
  int Copies = 1;
  bool Collate = true;
};

// The file and print dialogs the window runs; tests install their own answers.
struct TqvEditorDialogs {
  // Returns the chosen file (empty on Cancel) and the 1-based index of the chosen filter.
  std::function<QString(QWidget* Parent, const QString& Filter, int& FilterIndex)> Open;
  std::function<QString(QWidget* Parent, const QString& Filter, const QString& DefaultExt, int& FilterIndex)> Save;
  // Runs the print dialog; true on OK with the choice made.
  std::function<bool(QWidget* Parent, TqvPrintChoice& Choice)> Print;
};
TqvEditorDialogs& EditorDialogs();

// A speed button: a picture that is pressed rather than focused, flat until the mouse is over it,
// drawn down while it is checked.
class TqvSpeedButton : public QAbstractButton {
  Q_OBJECT
 public:
  explicit TqvSpeedButton(QWidget* Parent = nullptr);
  void SetGlyph(const QPixmap& Glyph);
  const QPixmap& Glyph() const { return glyph_; }
  bool Flat() const { return flat_; }
  void SetFlat(bool Value);
  int Margin() const { return margin_; }
  void SetMargin(int Value);
  QSize sizeHint() const override { return {23, 22}; }

 protected:
  void paintEvent(QPaintEvent* E) override;
  void enterEvent(QEnterEvent* E) override;
  void leaveEvent(QEvent* E) override;

 private:
  QPixmap glyph_, disabled_;
  bool flat_ = true;
  bool hot_ = false;
  int margin_ = -1;  // centred
};

// A line separating parts of a bar: a horizontal top line or a vertical left line, etched.
class TqvBevel : public QWidget {
  Q_OBJECT
 public:
  enum TShape { bsTopLine, bsLeftLine };
  TqvBevel(TShape Shape, QWidget* Parent);

 protected:
  void paintEvent(QPaintEvent* E) override;

 private:
  TShape shape_;
};

// A status bar of fixed-width panels, each with or without a sunken bevel.
class TqvStatusBar : public QWidget {
  Q_OBJECT
 public:
  struct TPanel {
    int Width = 50;
    bool Bevel = true;
    QString Text;
  };
  explicit TqvStatusBar(QWidget* Parent = nullptr);
  QList<TPanel>& Panels() { return panels_; }
  void SetPanelText(int Index, const QString& Text);
  void SetPanelWidth(int Index, int Width);
  QString PanelText(int Index) const { return panels_.value(Index).Text; }

 protected:
  void paintEvent(QPaintEvent* E) override;

 private:
  QList<TPanel> panels_;
};

// The font name box: shows a name it does not list in red until the list drops down.
class TqvFontNameCombo : public QComboBox {
  Q_OBJECT
 public:
  explicit TqvFontNameCombo(QWidget* Parent = nullptr) : QComboBox(Parent) {}
  std::function<void()> OnDropDown;
  void SetTextColor(const QColor& Color);
  QColor TextColor() const;

 protected:
  void showPopup() override;
};

class TqvRichEditForm : public TqvRichEditorWindow {
  Q_OBJECT
 public:
  explicit TqvRichEditForm(QWidget* Owner = nullptr);
  ~TqvRichEditForm() override;

  // TqvRichEditorWindow
  int FormatBarBottom() const override;
  int PixelsPerInch() const override;
  QWidget* ClientArea() override { return Client; }
  TqvRulerPanel* CreateRuler(TqvCustomRichEdit* Caller, QWidget* Parent, TqvCustomRichEdit* Edit, int Top) override;
  void RichEdit1SelectionChange() override;
  int ModalResult() const override { return modalResult_; }

  // The modal result; setting it to OK or Cancel closes the window, as the close decision allows.
  void SetModalResult(int Value);

  // ---- fields ----
  bool StyleWasDown = false;
  TqvHintHandler SavedOnHint;
  QProxyStyle* MenuCanvas = nullptr;  // draws the colour menu's items
  QPointer<QWidget> UserButton1Parent, UserButton2Parent;

  // ---- parts ----
  QWidget* Client = nullptr;
  TqvBevel* ToolBarBevel = nullptr;
  QWidget* Toolbar = nullptr;
  TqvBevel* FormatBarBevel = nullptr;
  QWidget* FormatBar = nullptr;
  TqvBevel* RulerBevel = nullptr;
  TqvStatusBar* StatusBar = nullptr;
  TqvSpeedButton *NewButton = nullptr, *PrintButton = nullptr, *FindButton = nullptr, *SpellButton = nullptr,
                 *CutButton = nullptr, *CopyButton = nullptr, *PasteButton = nullptr, *UndoButton = nullptr,
                 *RedoButton = nullptr, *LoadButton1 = nullptr, *SaveAsButton = nullptr;
  TqvBevel *Bevel1 = nullptr, *ToolbarBevel1 = nullptr, *Bevel2 = nullptr, *UserButtonBevel = nullptr,
           *Bevel3 = nullptr, *Bevel4 = nullptr;
  TqvFontNameCombo* FontNameCombo = nullptr;
  QComboBox* FontSizeCombo = nullptr;
  TqvSpeedButton *BoldButton = nullptr, *ItalicButton = nullptr, *UnderlineButton = nullptr,
                 *ColorButton = nullptr, *LeftButton = nullptr, *CenterButton = nullptr, *RightButton = nullptr,
                 *JustifyButton = nullptr, *BulletButton = nullptr, *HighlightButton = nullptr;
  QButtonGroup* AlignmentGroup = nullptr;

  QMenuBar* MainMenu1 = nullptr;
  QMenu *File1 = nullptr, *Edit1 = nullptr, *View1 = nullptr, *Insert1 = nullptr, *Format1 = nullptr,
        *Tools1 = nullptr;
  QAction *Load1 = nullptr, *SaveAs1 = nullptr, *SaveExit1 = nullptr, *FileSep1 = nullptr, *Print1 = nullptr,
          *PageSetup1 = nullptr, *FileSep2 = nullptr, *Exit1 = nullptr;
  QAction *Undo1 = nullptr, *Redo1 = nullptr, *EditSep1 = nullptr, *Cut1 = nullptr, *Copy1 = nullptr,
          *Paste1 = nullptr, *Clear1 = nullptr, *SelectAll1 = nullptr, *EditSep2 = nullptr, *Find1 = nullptr,
          *FindNext1 = nullptr, *Replace1 = nullptr;
  QAction *Toolbar1 = nullptr, *FormatBar1 = nullptr, *StatusBar1 = nullptr, *Ruler1 = nullptr,
          *OptionsSep = nullptr, *Options1 = nullptr;
  QAction *DateandTime1 = nullptr, *InsertObject1 = nullptr;
  QAction *Font1 = nullptr, *BulletStyle1 = nullptr, *Paragraph1 = nullptr, *Tabs1 = nullptr, *Help1 = nullptr;
  QAction* Spelling1 = nullptr;
  QList<QIcon> ImageList1;

  QMenu* PopupMenu1 = nullptr;  // the colour menu
  QAction *Black1 = nullptr, *Green1 = nullptr, *Red1 = nullptr, *Blue1 = nullptr, *Yellow1 = nullptr,
          *Purple1 = nullptr, *Teal1 = nullptr, *Gray1 = nullptr, *Silver1 = nullptr, *Red2 = nullptr,
          *Lime1 = nullptr, *Yellow2 = nullptr, *Blue2 = nullptr, *Fuchsia1 = nullptr, *Aqua1 = nullptr,
          *White1 = nullptr, *Automatic1 = nullptr;
  // The colour each item of the colour menu applies (a TColor).
  static base::TColor ColorOf(const QAction* Item);

  // ---- handlers ----
  void FormCreate();
  void FormDestroy();
  void FormShow();
  void FormResize();
  void FormCloseQuery(bool& CanClose);
  void FormClose();
  // Keys the window sees before its controls; true when the key was consumed.
  bool FormKeyPress(QChar Key, Qt::KeyboardModifiers Modifiers);
  void FormKeyUp(int Key, Qt::KeyboardModifiers Modifiers);
  void Edit1Click();
  void BoldButtonClick();
  void ItalicButtonClick();
  void UnderlineButtonClick();
  void BoldButtonMouseDown(TqvSpeedButton* Button);
  void LeftButtonClick();
  void CenterButtonClick();
  void RightButtonClick();
  void JustifyButtonClick();
  void BulletButtonClick();
  void BulletStyle1Click();
  void HighlightButtonClick();
  void ColorButtonClick();
  void ColorItemClick(QAction* Item);
  void FontNameComboDropDown();
  void FontNameComboCloseUp(int Index);
  void FontSizeComboCloseUp(int Index);
  void NewButtonClick();
  void Load1Click();
  void SaveAs1Click();
  void SaveExit1Click();
  void Exit1Click();
  void Print1Click();
  void PageSetup1Click();
  void Undo1Click();
  void Redo1Click();
  void Cut1Click();
  void Copy1Click();
  void Paste1Click();
  void Clear1Click();
  void SelectAll1Click();
  void Find1Click();
  void FindNext1Click();
  void Replace1Click();
  void Font1Click();
  void Paragraph1Click();
  void Tabs1Click();
  void InsertObject1Click();
  void Spelling1Click();
  void Toolbar1Click();
  void FormatBar1Click();
  void StatusBar1Click();
  void Ruler1Click();

  // ---- operations ----
  void PrepareColorMenu();
  void ShowStatusHint(const QString& Hint);
  void ApplyTexts();
  void RefreshControls();
  void UpdateKeyIndicators();
  void SetBars(bool ToolBarShown, bool FormatBarShown);
  void ApplyFontName(const QString& Name);
  // Fills the font name box with the desktop's faces (show sequence).
  void FillFontNames();
  // Loads a file into RichEdit1: RTF, or plain text for anything else.
  void LoadFile(const QString& FileName);
  // Saves RichEdit1 to a file, as plain text or RTF; the old file stays whole if this fails.
  void SaveFile(const QString& FileName, bool AsPlainText);
  // The tool bar's layout after the option rules, the borrowed user buttons and the look of
  // non-flat buttons (steps of the show sequence).
  void ApplyOptionRules();
  void RelayoutToolbar();
  void BorrowUserButtons();
  void ApplyNonFlatLook();

  // The window edits a copy: its options are RichEdit1's.
  TqvRichEditOptions Options() const;
  bool ReadOnlyEdit() const;
  // The "window width" the layout counts with: the client area plus the sizing frame's borders.
  int WindowWidth() const;

 protected:
  void showEvent(QShowEvent* E) override;
  void closeEvent(QCloseEvent* E) override;
  bool event(QEvent* E) override;
  bool eventFilter(QObject* Watched, QEvent* E) override;
  void keyPressEvent(QKeyEvent* E) override;
  void done(int Result) override;

 private:
  void CreateBars();
  void CreateMenus();
  void CreateColorMenu();
  TqvSpeedButton* MakeButton(QWidget* Bar, const char* Name, int Left, TqvGlyph Glyph, void (TqvRichEditForm::*Click)());
  TqvBevel* MakeSeparator(QWidget* Bar, const char* Name, int Left);
  QAction* MakeItem(QMenu* Menu, const char* Name, const QString& Caption, const QKeySequence& Shortcut,
                    void (TqvRichEditForm::*Click)());
  QAction* MakeSeparatorItem(QMenu* Menu, const char* Name);
  bool RaiseMenuEvent(const TqvRTFNotifyEvent& Event);
  bool InWindow(QObject* Object) const;
  bool MenuShortcut(QKeyEvent* Key);

  int modalResult_ = mrNone;
  bool shown_ = false;
  bool closing_ = false;
};

// Installs the editor window as the one every control's Execute opens.
void InstallRichEditForm();

}  // namespace richtext
