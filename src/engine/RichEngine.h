#pragma once
// The rich text engine window: an editing widget over a TRichDocument whose operations mirror
// the rich edit messages one for one. Callers either call the typed methods or send messages
// through Perform(); both end in the same code. What needs no view (formats, numbering,
// protection, find, formatting for a printer) is the document's; the window adds the selection,
// the keys and mouse, the clipboard, notifications and the lines of its own layout.
//
// By concern: RichEngine.cpp (construction, notifications, options), RichEngineText.cpp (text,
// selection, lines), RichEngineStream.cpp, RichEngineClipboard.cpp (clipboard, HTML paste),
// RichEngineInput.cpp (keys, mouse, drag, links), RichEngineFormat.cpp, RichEngineOle.cpp (the
// object interface), RichEngineDraw.cpp (the formatting rectangle), RichEnginePerform.cpp (the
// message dispatcher).
//
// Positions count characters from 0; a paragraph break counts as one character (the engine's
// text shows it as CR). Lengths are twips at this surface.

#include <QTextDocument>
#include <QTextEdit>
#include <QPainter>
#include <QPointer>
#include <QTextCursor>
#include <QTextCharFormat>
#include <functional>
#include <memory>

#include "engine/RichDocument.h"
#include "engine/RichEditTypes.h"

class QMimeData;

namespace engine {

class TRichEngine;

// What the widget that hosts the engine sees first: keys, mouse and focus before the engine
// handles them (the class library's window procedure). Every method may consume the event.
class TRichEngineHost {
 public:
  virtual ~TRichEngineHost() = default;
  // Return true to keep the engine from handling the event.
  virtual bool EngineKeyDown(TRichEngine* e, QKeyEvent* ev) = 0;
  virtual bool EngineMouse(TRichEngine* e, QMouseEvent* ev) = 0;
  virtual bool EngineContextMenu(TRichEngine* e, QContextMenuEvent* ev) = 0;
  virtual void EngineFocus(TRichEngine* e, bool in) = 0;
};

// The bell a refused keystroke sounds (read-only or protected text, the text limit). The engine
// has none of its own: the program installs the desktop's at start; without one a refusal is
// silent. Returns the bell it replaces.
using TEngineBell = std::function<void()>;
TEngineBell SetEngineBell(TEngineBell bell);

// The editing commands of the engine's keys.
enum class TEditKey { None, Undo, Redo, Cut, Copy, Paste };
TEditKey EditKeyOf(const QKeyEvent* e);

class TRichEngine : public QTextEdit {
  Q_OBJECT
 public:
  // className "RICHEDIT20A" (version 2, the default) or "RICHEDIT" (version 1).
  explicit TRichEngine(QWidget* parent = nullptr, const QString& className = QStringLiteral("RICHEDIT20A"));
  ~TRichEngine() override;

  QString ClassName() const { return className_; }
  TRichDocument& RichDocument() { return *doc_; }
  const TRichDocument& RichDocument() const { return *doc_; }
  int Version() const { return version_; }

  // Sends a message; see RichEditTypes.h for what each one takes.
  LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

  // Notifications: WM_NOTIFY-style codes with their record (SELCHANGE*, ENLINK*, ...) and
  // WM_COMMAND-style codes (EN_CHANGE) with nullptr. Sent only when the event mask enables them.
  std::function<LRESULT(UINT code, void* nmhdr)> OnNotify;
  void SetHost(TRichEngineHost* host) { host_ = host; }
  TRichEngineHost* Host() const { return host_; }

  // ---- streaming ----
  LRESULT StreamIn(DWORD format, EDITSTREAM& es);   // returns the characters read
  LRESULT StreamOut(DWORD format, EDITSTREAM& es);  // returns the bytes written
  // The same transfers over whole buffers: what the stream-in callback would have delivered,
  // and what stream-out would have handed out. Load returns 0 or the error StreamIn reports.
  DWORD LoadBytes(DWORD format, const QByteArray& bytes);
  QByteArray SaveBytes(DWORD format) const;
  // Conveniences over the two.
  bool LoadRtf(const QByteArray& rtf, bool selection = false);
  QByteArray SaveRtf(bool selection = false) const;
  void SetPlainText(const QString& text);  // replaces everything, CR/LF/CR LF as paragraph breaks
  QString Text() const { return doc_->Text(); }  // paragraphs separated by CR
  int TextLength() const { return doc_->TextLength(); }  // characters, a paragraph break counting 1

  // ---- lines (display lines: wrapped lines count separately while wrapping is on) ----
  int GetLineCount() const;
  int LineIndex(int line) const;           // -1 past the end; line -1: the caret's line
  int LineLength(int charPos) const;       // without the break; charPos -1: the selection's lines
  QString GetLine(int line) const;         // with the break as CR when the line ends a paragraph
  int LineFromChar(int charPos) const;     // charPos -1: the caret's line
  int FirstVisibleLine() const;

  // ---- selection and text ----
  CHARRANGE GetSel() const;
  void SetSel(CHARRANGE cr);               // cpMin 0, cpMax -1: everything; cpMin -1: none
  void ReplaceSel(const QString& text, bool canUndo = true);
  QString GetSelText() const;
  WORD SelectionType() const;
  QString GetTextRange(int cpMin, int cpMax) const { return doc_->GetTextRange(cpMin, cpMax); }
  int CharFromPos(QPoint clientPoint) const;
  QPoint PosFromChar(int cp) const;

  // ---- formats ----
  // SCF_SELECTION: the selection's format (mask: the fields that are the same throughout);
  // SCF_DEFAULT: the typing default.
  void GetCharFormat(DWORD scf, CHARFORMAT& cf) const;
  bool SetCharFormat(DWORD scf, const CHARFORMAT& cf);
  void GetParaFormat(PARAFORMAT& pf) const;
  bool SetParaFormat(const PARAFORMAT& pf);

  // ---- find ----
  LONG FindText(DWORD flags, FINDTEXTEX& ft) const { return doc_->FindText(flags, ft); }

  // ---- layout and drawing ----
  RECT GetRect() const;
  void SetRect(const RECT* rc);  // nullptr: back to the client area
  // wParam nonzero renders, zero only measures; fr == nullptr releases the cache.
  LONG FormatRange(bool render, const FORMATRANGE* fr);
  void SetRedraw(bool on);
  bool Redraw() const { return redraw_; }
  void ScrollCaret();
  void RequestResize();

  // ---- editing ----
  bool CanUndo() const;
  bool CanRedo() const;
  bool Undo();
  bool Redo();
  void EmptyUndoBuffer();
  void Cut();
  void Copy();
  void Paste();
  bool PasteSpecial(UINT format);
  bool CanPaste(UINT format = 0) const;
  bool GetModify() const;
  void SetModify(bool on);
  bool IsReadOnly() const { return readOnly_; }
  void SetReadOnly(bool on);
  void Clear();  // deletes the selection

  // ---- options ----
  DWORD GetEventMask() const { return eventMask_; }
  DWORD SetEventMask(DWORD mask);  // returns the previous mask
  bool AutoUrlDetect() const { return autoUrl_; }
  void SetAutoUrlDetect(bool on);
  DWORD TypographyOptions() const { return doc_->TypographyOptions(); }
  void SetTypographyOptions(DWORD values, DWORD mask);
  LONG TextLimit() const { return limit_; }
  void SetTextLimit(LONG chars);  // 0 or less: 64K characters
  COLORREF SetBackgroundColor(bool useSystem, COLORREF c);  // returns the previous colour
  DWORD Options() const;
  DWORD SetOptions(DWORD op, DWORD options);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool on);                // EM_SETTARGETDEVICE with line width 1 turns it off
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool hide);          // hide the selection while the engine has no focus

  // ---- links (hyperlink fields) ----
  // The target of the link holding character `cp`, with its run of characters in *range; empty
  // when the character is in none.
  QString LinkTargetAt(int cp, CHARRANGE* range = nullptr) const;
  // The same for the character under a point of the viewport.
  QString LinkTargetAtPoint(const QPoint& viewportPos, CHARRANGE* range = nullptr) const;
  // Makes the selection one link to `target`, keeping its words; an empty target makes the
  // links in the selection (or the one holding the caret) plain text. One undo step; false when
  // nothing changed.
  bool SetSelLink(const QString& target);
  // Set by the host: whether a link leads nowhere (drawn as broken), and what pointing at a
  // link shows (empty: nothing).
  std::function<bool(const QString& target)> LinkBroken;
  std::function<QString(const QString& target)> LinkToolTip;
  // Draws the links again, after what LinkBroken answers has changed.
  void RefreshLinks() { ApplyLinkDecoration(); }

  // Set by the host: draws over the text on screen after everything else (the viewport's
  // painter, the exposed rectangle in viewport pixels). Never part of the document, so it
  // reaches neither print, streams nor the clipboard.
  std::function<void(QPainter& painter, const QRect& exposed)> PaintOverlay;
  // Replaces each range (ascending, not overlapping) with text, as one undo step. False when
  // the text is read-only or protected text refuses.
  bool ReplaceRanges(const QList<CHARRANGE>& ranges, const QString& text);

  // ---- embedded objects ----
  IRichEditOle* OleInterface();
  void SetOleCallback(IRichEditOleCallback* cb) { oleCallback_ = cb; }
  IRichEditOleCallback* OleCallback() const { return oleCallback_; }

  // The engine's clipboard contents of a range: "text/rtf", "text/html" and plain text.
  QMimeData* MimeDataForRange(int from, int to) const;
  // Inserts clipboard-style data at the selection, preferring RTF, then HTML, then text.
  bool InsertMimeData(const QMimeData* data, UINT onlyFormat = 0);

 protected:
  // QTextEdit hooks
  bool canInsertFromMimeData(const QMimeData* source) const override;
  QMimeData* createMimeDataFromSelection() const override;
  void insertFromMimeData(const QMimeData* source) override;
  void keyPressEvent(QKeyEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  // A footnote's mark shows the footnote's text as its tooltip (RichEngineDecorations.cpp).
  bool viewportEvent(QEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dragMoveEvent(QDragMoveEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  friend class TRichEngineOle;

  LRESULT Notify(UINT code, NMHDR* hdr);
  LRESULT ReadIn(DWORD format, const QByteArray& bytes, DWORD& error);  // StreamIn's work
  bool ProtectedRefuses(UINT msg, WPARAM w, LPARAM l, int from, int to);
  void OnContentsChange(int pos, int removed, int added);
  void OnCursorChanged();
  void ApplyFormatRect();
  void DetectUrls();
  int LinkAt(const QPoint& viewportPos, CHARRANGE* range) const;
  int CharUnder(const QPoint& viewportPos) const;
  void SelectObjectUnder(const QPoint& viewportPos);
  void NotifyObjectsRemoved(int from, int to);
  bool FitsLimit(int removing, int adding) const;
  QTextCursor CursorFor(int cpMin, int cpMax) const { return doc_->CursorFor(cpMin, cpMax); }
  void EnsureLayout() const;
  void SetHideSelectionImpl(bool hide);
  bool EditKeyAllowed(QKeyEvent* e);
  bool SendLink(UINT msg, QMouseEvent* e);
  void ApplyLinkDecoration();
  // Labels, paragraph borders and tab leaders over what the toolkit drew (RichEngineDecorations.cpp).
  void PaintDecorations(const QRect& rect);
  bool V2(UINT cbSize, std::size_t v2Size) const { return cbSize >= v2Size && version_ >= 2; }
  // Scrolling by whole lines (RichEngineScroll.cpp): the top of the display line at or below y
  // (-1: none), or at or above it.
  int LineTop(int y, bool below) const;
  void SetUpLineScrolling();

  QString className_;
  int version_ = 2;
  std::unique_ptr<TRichDocument> doc_;
  TRichEngineHost* host_ = nullptr;
  DWORD eventMask_ = 0;
  bool autoUrl_ = false;
  LONG limit_ = 32767;
  bool readOnly_ = false;
  bool redraw_ = true;
  bool rectSet_ = false;
  RECT formatRect_;
  bool useSysBackground_ = true;
  COLORREF background_ = RGB(255, 255, 255);
  DWORD options_ = 0;
  CHARRANGE lastSel_{0, 0};
  int notifying_ = 0;
  bool changePending_ = false;
  bool selPending_ = false;
  bool hideSelection_ = true;
  bool wordWrap_ = true;
  LONG targetWidthTw_ = 0;  // EM_SETTARGETDEVICE line width; 0: the window
  QSizeF laidOutSize_;      // the document's size as its layout last reported it
  QPointer<QMimeData> lastClipboard_;
  QList<CHARRANGE> autoLinks_;
  std::unique_ptr<IRichEditOle> ole_;
  IRichEditOleCallback* oleCallback_ = nullptr;
  int scrollValue_ = 0;  // where the view was before the scroll bar's latest move
  int wheelRest_ = 0;    // wheel turns short of a notch
  bool snapping_ = false;
};

}  // namespace engine
