#pragma once
// The class library's rich edit control: a window control that owns an engine window
// (TRichEngine), creates it on demand, can destroy and re-create it, and offers the engine's
// text, selection, formats and lines as properties, with events and virtual hooks that a derived
// control overrides.

#include <QFont>
#include <QRect>
#include <QWidget>
#include <functional>
#include <memory>

#include "engine/RichEditTypes.h"
#include "engine/RichEngine.h"
#include "base/Colors.h"
#include "engine/Strings.h"

class QIODevice;

namespace engine {

class TCustomRichEdit;

// The screen's logical DPI, vertically (96 without a screen): the control's pixel sizes.
int ScreenDpiY();

// Sets are bit masks in the order of their members.
using TFontStyles = unsigned;
constexpr TFontStyles fsBold = 1u << 0;
constexpr TFontStyles fsItalic = 1u << 1;
constexpr TFontStyles fsUnderline = 1u << 2;
constexpr TFontStyles fsStrikeOut = 1u << 3;

enum TFontPitch { fpDefault, fpVariable, fpFixed };
enum TAttributeType { atSelected, atDefaultText };

using TConsistentAttributes = unsigned;
constexpr TConsistentAttributes caBold = 1u << 0;
constexpr TConsistentAttributes caColor = 1u << 1;
constexpr TConsistentAttributes caFace = 1u << 2;
constexpr TConsistentAttributes caItalic = 1u << 3;
constexpr TConsistentAttributes caSize = 1u << 4;
constexpr TConsistentAttributes caStrikeOut = 1u << 5;
constexpr TConsistentAttributes caUnderline = 1u << 6;
constexpr TConsistentAttributes caProtected = 1u << 7;

enum TAlignment { taLeftJustify, taRightJustify, taCenter, taJustify };
enum TNumberingStyle { nsNone, nsBullet };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TBorderStyle { bsNone, bsSingle };

using TSearchTypes = unsigned;
constexpr TSearchTypes stWholeWord = 1u << 0;
constexpr TSearchTypes stMatchCase = 1u << 1;

// Window styles a control asks its engine window for (CreateParams).
constexpr DWORD ES_MULTILINE = 0x0004;
constexpr DWORD ES_AUTOVSCROLL = 0x0040;
constexpr DWORD ES_AUTOHSCROLL = 0x0080;
constexpr DWORD ES_NOHIDESEL = 0x0100;
constexpr DWORD ES_READONLY = 0x0800;
constexpr DWORD ES_WANTRETURN = 0x1000;
constexpr DWORD ES_DISABLENOSCROLL = 0x2000;
constexpr DWORD WS_HSCROLL = 0x00100000;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_EX_TRANSPARENT = 0x00000020;

struct TCreateParams {
  QString WinClassName = QStringLiteral("RICHEDIT");
  DWORD Style = 0;
  DWORD ExStyle = 0;
};

// Character attributes of the selection (atSelected) or of the typing default (atDefaultText).
class TTextAttributes {
 public:
  TTextAttributes(TCustomRichEdit* owner, TAttributeType type) : owner_(owner), type_(type) {}

  QString Name() const;
  void SetName(const QString& v);
  int Size() const;  // points
  void SetSize(int points);
  int Height() const;  // pixels of the screen
  void SetHeight(int pixels);
  TFontStyles Style() const;
  void SetStyle(TFontStyles v);
  base::TColor Color() const;  // clWindowText for the automatic colour
  void SetColor(base::TColor v);
  int Charset() const;
  void SetCharset(int v);
  TFontPitch Pitch() const;
  void SetPitch(TFontPitch v);
  bool Protected() const;
  void SetProtected(bool v);
  TConsistentAttributes ConsistentAttributes() const;

  void Assign(const TTextAttributes& other);
  void AssignFont(const QFont& font, base::TColor color = base::clWindowText, int charset = DEFAULT_CHARSET);
  QFont ToFont() const;

 private:
  void Get(CHARFORMAT2& cf) const;
  void Set(CHARFORMAT2& cf);
  TCustomRichEdit* owner_;
  TAttributeType type_;
};

// Paragraph attributes of the selection. Lengths in points (twips / 20), as the class library
// has always exposed them: FirstIndent is the start indent, LeftIndent the offset of the other
// lines.
class TParaAttributes {
 public:
  explicit TParaAttributes(TCustomRichEdit* owner) : owner_(owner) {}

  TAlignment Alignment() const;
  void SetAlignment(TAlignment v);
  TNumberingStyle Numbering() const;
  void SetNumbering(TNumberingStyle v);  // nsNone also sets LeftIndent 0; nsBullet at least 10
  int FirstIndent() const;
  void SetFirstIndent(int v);
  int LeftIndent() const;
  void SetLeftIndent(int v);
  int RightIndent() const;
  void SetRightIndent(int v);
  int Tab(int index) const;
  void SetTab(int index, int v);
  int TabCount() const;
  void SetTabCount(int v);
  void Assign(const TParaAttributes& other);

 private:
  static constexpr int kTwipsPerPoint = 20;
  void Get(PARAFORMAT& pf) const;
  void Set(PARAFORMAT& pf);
  int Points(LONG PARAFORMAT::*field) const;
  void SetPoints(DWORD mask, LONG PARAFORMAT::*field, int v);
  TCustomRichEdit* owner_;
};

// The engine lines: the control's text as a list of lines, loaded and saved as RTF (or as plain
// text while the control's PlainText is on).
class TRichEditStrings : public TStrings {
 public:
  explicit TRichEditStrings(TCustomRichEdit* owner) : owner_(owner) {}
  int Count() const override;
  QString Get(int index) const override;
  void Put(int index, const QString& s) override;
  void Insert(int index, const QString& s) override;
  void Delete(int index) override;
  void Clear() override;
  QString Text() const override;
  void SetText(const QString& text) override;
  // The whole text as the engine streams it out (RTF, or plain text while PlainText is on).
  QByteArray SaveToBytes() const;
  // Loads the whole text (line breaks taken as CR LF); RTF that fails is read again as plain
  // text; EOutOfResources "Failed to Load Stream" when that fails too.
  void LoadFromBytes(const QByteArray& bytes);
  // The same through a stream: saving writes the whole text; loading reads from the current
  // position to the end. EOutOfResources "Failed to Save Stream" / "Failed to Load Stream".
  void SaveToStream(QIODevice& stream) const override;
  void LoadFromStream(QIODevice& stream) override;

 protected:
  void SetUpdateState(bool updating) override;

 private:
  bool Load(DWORD format, const QByteArray& bytes);
  TCustomRichEdit* owner_;
};

class TCustomRichEdit : public QWidget, protected TRichEngineHost {
  Q_OBJECT
 public:
  explicit TCustomRichEdit(QWidget* parent = nullptr);
  ~TCustomRichEdit() override;

  using TNotifyEvent = std::function<void(TCustomRichEdit* sender)>;
  using TKeyEvent = std::function<void(TCustomRichEdit* sender, int& key, Qt::KeyboardModifiers shift)>;
  using TKeyPressEvent = std::function<void(TCustomRichEdit* sender, QChar& key)>;
  using TMouseEvent = std::function<void(TCustomRichEdit* sender, Qt::MouseButton button,
                                         Qt::KeyboardModifiers shift, int x, int y)>;
  using TMouseMoveEvent = std::function<void(TCustomRichEdit* sender, Qt::KeyboardModifiers shift, int x, int y)>;
  using TRichEditProtectChange = std::function<void(TCustomRichEdit* sender, int startPos, int endPos, bool& allowChange)>;
  using TRichEditResizeEvent = std::function<void(TCustomRichEdit* sender, QRect rect)>;
  using TRichEditSaveClipboard = std::function<void(TCustomRichEdit* sender, int numObjects, int numChars, bool& saveClipboard)>;

  // ---- the engine window ----
  bool HandleAllocated() const { return engine_ != nullptr; }
  void HandleNeeded();
  TRichEngine* Handle();  // creates the window when needed
  TRichEngine* Engine() const { return engine_; }  // nullptr while no window exists
  void RecreateWnd();
  // Sends a message through the control's window procedure (creating the window when needed).
  LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

  // ---- text and selection ----
  QString Text() const;
  void SetText(const QString& text);
  int GetTextLen() const;
  int SelStart() const;
  void SetSelStart(int v);
  int SelLength() const;
  void SetSelLength(int v);
  QString SelText() const;
  void SetSelText(const QString& v);
  TTextAttributes& SelAttributes() { return selAttributes_; }
  TTextAttributes& DefAttributes() { return defAttributes_; }
  TParaAttributes& Paragraph() { return paragraph_; }
  virtual TStrings& Lines() { return *richLines_; }
  TRichEditStrings& EngineLines() { return *richLines_; }

  // ---- properties ----
  bool PlainText() const { return plainText_; }
  void SetPlainText(bool v) { plainText_ = v; }
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool v);
  bool HideScrollBars() const { return hideScrollBars_; }
  void SetHideScrollBars(bool v);
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int v);
  bool Modified() const;
  void SetModified(bool v);
  virtual bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v);
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle v);
  bool WantReturns() const { return wantReturns_; }
  void SetWantReturns(bool v) { wantReturns_ = v; }
  bool WantTabs() const { return wantTabs_; }
  void SetWantTabs(bool v);
  base::TColor Color() const { return color_; }
  void SetColor(base::TColor v);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle v);
  QRect PageRect() const { return pageRect_; }  // printer pixels; empty: the whole page
  void SetPageRect(const QRect& r) { pageRect_ = r; }

  // ---- operations ----
  void Clear();
  void ClearSelection();
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  void SelectAll();
  void Undo();
  void ClearUndo();
  bool CanUndo() const;
  // Position of the first match within [startPos, startPos + length), or -1.
  int FindText(const QString& searchStr, int startPos, int length, TSearchTypes options);
  // Prints the whole text on the default printer, one band per page.
  virtual void Print(const QString& caption);

  // ---- events ----
  TNotifyEvent OnChange;
  TNotifyEvent OnSelectionChange;
  TRichEditProtectChange OnProtectChange;
  TRichEditResizeEvent OnResizeRequest;
  TRichEditSaveClipboard OnSaveClipboard;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;

 protected:
  // Window creation: what class and styles to ask for, and creating/destroying the window.
  // The base keeps the plain text across a re-creation.
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWnd();
  virtual void DestroyWnd();
  // Every message sent to the control passes here before the engine sees it.
  virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // Engine notifications (reflected WM_NOTIFY / WM_COMMAND); the base turns them into the
  // virtual calls below and returns the engine's answer.
  virtual LRESULT CNNotify(UINT code, void* nmhdr);

  virtual void Change();
  virtual void SelectionChange();
  virtual void RequestSize(const QRect& rect);
  virtual bool ProtectChange(int startPos, int endPos);  // true: allow
  virtual bool SaveClipboard(int numObjects, int numChars);  // true: leave it on the clipboard
  virtual void DoEnter();
  virtual void DoExit();
  // key 0 / QChar() afterwards consumes the keystroke. KeyPress sees the character the key
  // produces (Enter 13, Backspace 8, Tab 9, Esc 27, Ctrl+letter 1..26).
  virtual void KeyDown(int& key, Qt::KeyboardModifiers shift);
  virtual void KeyUp(int& key, Qt::KeyboardModifiers shift);
  virtual void KeyPress(QChar& key);
  virtual void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
  virtual void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
  virtual void MouseMove(Qt::KeyboardModifiers shift, int x, int y);
  virtual void DblClick();
  virtual void Click();
  // A context-menu request (right button released, menu key); true when handled.
  virtual bool DoContextPopup(const QPoint& clientPos);
  // The control's font changed: the typing default follows it.
  virtual void FontChanged();

  // TRichEngineHost
  bool EngineKeyDown(TRichEngine* e, QKeyEvent* ev) override;
  bool EngineMouse(TRichEngine* e, QMouseEvent* ev) override;
  bool EngineContextMenu(TRichEngine* e, QContextMenuEvent* ev) override;
  void EngineFocus(TRichEngine* e, bool in) override;

  void resizeEvent(QResizeEvent* e) override;
  void changeEvent(QEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

  bool Destroying() const { return destroying_; }

 private:
  void ApplyWindowSettings();

  TRichEngine* engine_ = nullptr;
  TTextAttributes selAttributes_{this, atSelected};
  TTextAttributes defAttributes_{this, atDefaultText};
  TParaAttributes paragraph_{this};
  std::unique_ptr<TRichEditStrings> richLines_;
  QString keptText_;
  bool keptModified_ = false;
  bool plainText_ = false;
  bool hideSelection_ = true;
  bool hideScrollBars_ = true;
  int maxLength_ = 0;
  bool readOnly_ = false;
  bool wordWrap_ = true;
  TScrollStyle scrollBars_ = ssNone;
  bool wantReturns_ = true;
  bool wantTabs_ = false;
  base::TColor color_ = base::clWindow;
  TBorderStyle borderStyle_ = bsSingle;
  QRect pageRect_;
  bool destroying_ = false;
  int inKeyHook_ = 0;
};

}  // namespace engine
