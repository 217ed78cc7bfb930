// The rich edit control: its engine window, the window procedure, notifications turned into
// events and virtual hooks, keys and mouse, properties and operations.
#include "engine/CustomRichEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QScrollBar>

#include "base/Colors.h"
#include "base/ScopeGuard.h"
#include "rtf/PlainText.h"
#include "rtf/TextModel.h"

namespace engine {

namespace {
constexpr LONG kUnlimitedText = 0x7FFFFFF0;
constexpr DWORD kBaseEventMask = ENM_CHANGE | ENM_SELCHANGE | ENM_REQUESTRESIZE | ENM_PROTECTED;
}  // namespace

int ScreenDpiY() {
  const QScreen* s = QGuiApplication::primaryScreen();
  return s ? int(s->logicalDotsPerInchY()) : 96;
}

// ---- the control --------------------------------------------------------------------------------

TCustomRichEdit::TCustomRichEdit(QWidget* parent) : QWidget(parent) {
  richLines_ = std::make_unique<TRichEditStrings>(this);
  setFocusPolicy(Qt::StrongFocus);
  resize(185, 89);
}

TCustomRichEdit::~TCustomRichEdit() {
  destroying_ = true;
  if (engine_) {
    TRichEngine* e = engine_;
    engine_ = nullptr;
    // Notifications during the engine's destruction still reach the base's handlers.
    e->OnNotify = [this](UINT code, void* hdr) -> LRESULT { return TCustomRichEdit::CNNotify(code, hdr); };
    e->SetHost(nullptr);
    delete e;
  }
}

void TCustomRichEdit::CreateParams(TCreateParams& params) {
  params.WinClassName = QStringLiteral("RICHEDIT20A");
  params.Style = ES_MULTILINE | ES_AUTOVSCROLL;
  if (!hideScrollBars_) params.Style |= ES_DISABLENOSCROLL;
  if (!hideSelection_) params.Style |= ES_NOHIDESEL;
  if (readOnly_) params.Style |= ES_READONLY;
  if (wantReturns_) params.Style |= ES_WANTRETURN;
  if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) params.Style |= WS_VSCROLL;
  if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) params.Style |= WS_HSCROLL;
  if (!wordWrap_) params.Style |= ES_AUTOHSCROLL;
}

void TCustomRichEdit::HandleNeeded() {
  if (!engine_ && !destroying_) CreateWnd();
}

TRichEngine* TCustomRichEdit::Handle() {
  HandleNeeded();
  return engine_;
}

void TCustomRichEdit::CreateWnd() {
  if (engine_) return;
  TCreateParams p;
  CreateParams(p);
  engine_ = new TRichEngine(this, p.WinClassName);
  engine_->setGeometry(rect());
  engine_->SetHost(this);
  engine_->OnNotify = [this](UINT code, void* hdr) -> LRESULT { return CNNotify(code, hdr); };
  engine_->installEventFilter(this);
  setFocusProxy(engine_);
  // The window's default character format is the control's font.
  engine_->document()->setDefaultFont(font());
  ApplyWindowSettings();
  engine_->SetEventMask(kBaseEventMask);
  if (!keptText_.isEmpty()) {
    engine_->SetPlainText(keptText_);
    engine_->EmptyUndoBuffer();
  }
  engine_->SetModify(keptModified_);
  keptText_.clear();
  engine_->setVisible(true);
}

void TCustomRichEdit::DestroyWnd() {
  if (!engine_) return;
  keptText_ = engine_->TextLength() ? rtf::PlainText(*engine_->document()) : QString();
  keptModified_ = engine_->GetModify();
  TRichEngine* e = engine_;
  engine_ = nullptr;
  setFocusProxy(nullptr);
  e->OnNotify = [this](UINT code, void* hdr) -> LRESULT { return CNNotify(code, hdr); };
  e->SetHost(nullptr);
  delete e;
}

void TCustomRichEdit::RecreateWnd() {
  if (!engine_) return;
  const bool hadFocus = engine_->hasFocus();
  DestroyWnd();
  CreateWnd();
  if (hadFocus && engine_) engine_->setFocus();
}

void TCustomRichEdit::ApplyWindowSettings() {
  if (!engine_) return;
  engine_->SetTextLimit(maxLength_ > 0 ? maxLength_ : kUnlimitedText);
  engine_->SetReadOnly(readOnly_);
  engine_->SetWordWrap(wordWrap_);
  engine_->SetHideSelection(hideSelection_);
  engine_->setTabChangesFocus(!wantTabs_);
  engine_->SetBackgroundColor(color_ == base::clWindow, COLORREF(base::ColorToRGB(color_)));
  engine_->setFrameShape(borderStyle_ == bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
  const Qt::ScrollBarPolicy shown = hideScrollBars_ ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOn;
  engine_->setVerticalScrollBarPolicy(scrollBars_ == ssVertical || scrollBars_ == ssBoth ? shown : Qt::ScrollBarAlwaysOff);
  engine_->setHorizontalScrollBarPolicy(scrollBars_ == ssHorizontal || scrollBars_ == ssBoth ? shown
                                                                                             : Qt::ScrollBarAlwaysOff);
}

LRESULT TCustomRichEdit::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  TRichEngine* e = Handle();
  return e ? e->Perform(msg, wParam, lParam) : 0;
}

LRESULT TCustomRichEdit::Perform(UINT msg, WPARAM wParam, LPARAM lParam) { return WndProc(msg, wParam, lParam); }

LRESULT TCustomRichEdit::CNNotify(UINT code, void* nmhdr) {
  switch (code) {
    case EN_CHANGE: Change(); return 0;
    case EN_SELCHANGE: SelectionChange(); return 0;
    case EN_REQUESTRESIZE: {
      const auto* r = static_cast<const REQRESIZE*>(nmhdr);
      if (r) RequestSize(QRect(QPoint(r->rc.left, r->rc.top), QPoint(r->rc.right - 1, r->rc.bottom - 1)));
      return 0;
    }
    case EN_PROTECTED: {
      const auto* p = static_cast<const ENPROTECTED*>(nmhdr);
      // Formatting protected text is the program's business, not a change of it.
      if (!p || p->msg == EM_SETCHARFORMAT) return 0;
      return ProtectChange(p->chrg.cpMin, p->chrg.cpMax) ? 0 : 1;
    }
    case EN_SAVECLIPBOARD: {
      const auto* s = static_cast<const ENSAVECLIPBOARD*>(nmhdr);
      return s && !SaveClipboard(s->cObjectCount, s->cch) ? 1 : 0;
    }
    default: return 0;
  }
}

void TCustomRichEdit::Change() {
  if (OnChange) OnChange(this);
}

void TCustomRichEdit::SelectionChange() {
  if (OnSelectionChange) OnSelectionChange(this);
}

void TCustomRichEdit::RequestSize(const QRect& rect) {
  if (OnResizeRequest) OnResizeRequest(this, rect);
}

bool TCustomRichEdit::ProtectChange(int startPos, int endPos) {
  bool allow = false;
  if (OnProtectChange) OnProtectChange(this, startPos, endPos, allow);
  return allow;
}

bool TCustomRichEdit::SaveClipboard(int numObjects, int numChars) {
  bool save = true;
  if (OnSaveClipboard) OnSaveClipboard(this, numObjects, numChars, save);
  return save;
}

void TCustomRichEdit::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TCustomRichEdit::DoExit() {
  if (OnExit) OnExit(this);
}

void TCustomRichEdit::KeyDown(int& key, Qt::KeyboardModifiers shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TCustomRichEdit::KeyUp(int& key, Qt::KeyboardModifiers shift) {
  if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TCustomRichEdit::KeyPress(QChar& key) {
  if (OnKeyPress) OnKeyPress(this, key);
}

void TCustomRichEdit::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TCustomRichEdit::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TCustomRichEdit::MouseMove(Qt::KeyboardModifiers shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TCustomRichEdit::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TCustomRichEdit::Click() {
  if (OnClick) OnClick(this);
}

bool TCustomRichEdit::DoContextPopup(const QPoint&) { return false; }

void TCustomRichEdit::FontChanged() {
  if (!engine_) return;
  const QFont f = font();
  if (defAttributes_.Name() != f.family()) defAttributes_.SetName(f.family());
  const int pt = f.pointSize() > 0 ? f.pointSize() : f.pixelSize() * 72 / ScreenDpiY();
  if (defAttributes_.Size() != pt) defAttributes_.SetSize(pt);
  TFontStyles st = 0;
  if (f.bold()) st |= fsBold;
  if (f.italic()) st |= fsItalic;
  if (f.underline()) st |= fsUnderline;
  if (f.strikeOut()) st |= fsStrikeOut;
  if (defAttributes_.Style() != st) defAttributes_.SetStyle(st);
}

namespace {
// The character a keystroke types, as the class library's key-press sees it.
QChar CharOf(const QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return QChar(13);
    case Qt::Key_Backspace: return QChar(8);
    case Qt::Key_Tab: return QChar(9);
    case Qt::Key_Escape: return QChar(27);
    default: break;
  }
  if ((e->modifiers() & Qt::ControlModifier) && !(e->modifiers() & Qt::AltModifier) && e->key() >= Qt::Key_A &&
      e->key() <= Qt::Key_Z)
    return QChar(e->key() - Qt::Key_A + 1);
  if (!e->text().isEmpty() && (e->text().at(0).isPrint() || e->text().at(0).unicode() < 32)) return e->text().at(0);
  return QChar();
}
}  // namespace

bool TCustomRichEdit::EngineKeyDown(TRichEngine* e, QKeyEvent* ev) {
  if (inKeyHook_) return false;
  int key = ev->key();
  KeyDown(key, ev->modifiers());
  if (key == 0) return true;
  const bool enter = ev->key() == Qt::Key_Return || ev->key() == Qt::Key_Enter;
  if (enter && !wantReturns_ && !(ev->modifiers() & Qt::ControlModifier)) {
    // Enter belongs to the window (its default button), not to the text.
    ev->ignore();
    return true;
  }
  if (ev->key() == Qt::Key_Tab && !wantTabs_) return false;  // focus moves on
  const QChar typed = CharOf(ev);
  if (typed.isNull()) return false;
  QChar ch = typed;
  KeyPress(ch);
  if (ch.isNull()) return true;
  if (ch != typed) {
    // The handler changed the character: type that one instead.
    QKeyEvent other(QEvent::KeyPress, 0, ev->modifiers() & ~Qt::ControlModifier, QString(ch));
    ++inKeyHook_;
    QApplication::sendEvent(e, &other);
    --inKeyHook_;
    return true;
  }
  return false;
}

bool TCustomRichEdit::EngineMouse(TRichEngine* e, QMouseEvent* ev) {
  const QPoint p = e->viewport()->mapTo(this, ev->position().toPoint());
  switch (ev->type()) {
    case QEvent::MouseButtonPress: MouseDown(ev->button(), ev->modifiers(), p.x(), p.y()); break;
    case QEvent::MouseButtonRelease:
      MouseUp(ev->button(), ev->modifiers(), p.x(), p.y());
      if (ev->button() == Qt::LeftButton) Click();
      break;
    case QEvent::MouseMove: MouseMove(ev->modifiers(), p.x(), p.y()); break;
    case QEvent::MouseButtonDblClick: DblClick(); break;
    default: break;
  }
  return false;
}

bool TCustomRichEdit::EngineContextMenu(TRichEngine* e, QContextMenuEvent* ev) {
  return DoContextPopup(e->mapTo(this, ev->pos()));
}

void TCustomRichEdit::EngineFocus(TRichEngine*, bool in) {
  if (in) DoEnter();
  else DoExit();
}

bool TCustomRichEdit::eventFilter(QObject* watched, QEvent* event) {
  if (watched == engine_ && event->type() == QEvent::KeyRelease) {
    auto* k = static_cast<QKeyEvent*>(event);
    int key = k->key();
    KeyUp(key, k->modifiers());
    if (key == 0) return true;
  }
  return QWidget::eventFilter(watched, event);
}

void TCustomRichEdit::keyReleaseEvent(QKeyEvent* e) { QWidget::keyReleaseEvent(e); }

void TCustomRichEdit::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  if (engine_) engine_->setGeometry(rect());
}

void TCustomRichEdit::changeEvent(QEvent* e) {
  QWidget::changeEvent(e);
  if (e->type() == QEvent::FontChange) FontChanged();
}

// ---- properties ---------------------------------------------------------------------------------

QString TCustomRichEdit::Text() const {
  if (!engine_) return keptText_;
  return rtf::PlainText(*engine_->document());
}

void TCustomRichEdit::SetText(const QString& text) {
  if (!engine_ && destroying_) return;
  Perform(WM_SETTEXT, 0, LPARAM(text.utf16()));
}

int TCustomRichEdit::GetTextLen() const { return engine_ ? engine_->TextLength() : int(keptText_.size()); }

int TCustomRichEdit::SelStart() const {
  CHARRANGE r;
  const_cast<TCustomRichEdit*>(this)->Perform(EM_EXGETSEL, 0, LPARAM(&r));
  return r.cpMin;
}

void TCustomRichEdit::SetSelStart(int v) {
  CHARRANGE r{v, v};
  Perform(EM_EXSETSEL, 0, LPARAM(&r));
}

int TCustomRichEdit::SelLength() const {
  CHARRANGE r;
  const_cast<TCustomRichEdit*>(this)->Perform(EM_EXGETSEL, 0, LPARAM(&r));
  return r.cpMax - r.cpMin;
}

void TCustomRichEdit::SetSelLength(int v) {
  CHARRANGE r;
  Perform(EM_EXGETSEL, 0, LPARAM(&r));
  r.cpMax = r.cpMin + std::max(0, v);
  Perform(EM_EXSETSEL, 0, LPARAM(&r));
}

QString TCustomRichEdit::SelText() const {
  return const_cast<TCustomRichEdit*>(this)->Handle()->GetSelText();
}

void TCustomRichEdit::SetSelText(const QString& v) { Perform(EM_REPLACESEL, 1, LPARAM(v.utf16())); }

void TCustomRichEdit::SetHideSelection(bool v) {
  if (hideSelection_ == v) return;
  hideSelection_ = v;
  if (engine_) engine_->SetHideSelection(v);
}

void TCustomRichEdit::SetHideScrollBars(bool v) {
  if (hideScrollBars_ == v) return;
  hideScrollBars_ = v;
  ApplyWindowSettings();
}

void TCustomRichEdit::SetMaxLength(int v) {
  if (maxLength_ == v) return;
  maxLength_ = v;
  if (engine_) engine_->SetTextLimit(v > 0 ? v : kUnlimitedText);
}

bool TCustomRichEdit::Modified() const { return engine_ ? engine_->GetModify() : keptModified_; }

void TCustomRichEdit::SetModified(bool v) {
  keptModified_ = v;
  if (engine_) engine_->SetModify(v);
}

void TCustomRichEdit::SetReadOnly(bool v) {
  readOnly_ = v;
  if (engine_) engine_->SetReadOnly(v);
}

void TCustomRichEdit::SetWordWrap(bool v) {
  if (wordWrap_ == v) return;
  wordWrap_ = v;
  if (engine_) engine_->SetWordWrap(v);
}

void TCustomRichEdit::SetScrollBars(TScrollStyle v) {
  if (scrollBars_ == v) return;
  scrollBars_ = v;
  ApplyWindowSettings();
}

void TCustomRichEdit::SetWantTabs(bool v) {
  wantTabs_ = v;
  if (engine_) engine_->setTabChangesFocus(!v);
}

void TCustomRichEdit::SetColor(base::TColor v) {
  if (color_ == v) return;
  color_ = v;
  if (engine_) engine_->SetBackgroundColor(v == base::clWindow, COLORREF(base::ColorToRGB(v)));
}

void TCustomRichEdit::SetBorderStyle(TBorderStyle v) {
  if (borderStyle_ == v) return;
  borderStyle_ = v;
  if (engine_) engine_->setFrameShape(v == bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
}

// ---- operations ---------------------------------------------------------------------------------

void TCustomRichEdit::Clear() { SetText(QString()); }
void TCustomRichEdit::ClearSelection() { Perform(WM_CLEAR); }
void TCustomRichEdit::CopyToClipboard() { Perform(WM_COPY); }
void TCustomRichEdit::CutToClipboard() { Perform(WM_CUT); }
void TCustomRichEdit::PasteFromClipboard() { Perform(WM_PASTE); }

void TCustomRichEdit::SelectAll() {
  CHARRANGE r{0, -1};
  Perform(EM_EXSETSEL, 0, LPARAM(&r));
}

void TCustomRichEdit::Undo() { Perform(EM_UNDO); }
void TCustomRichEdit::ClearUndo() { Perform(EM_EMPTYUNDOBUFFER); }
bool TCustomRichEdit::CanUndo() const { return engine_ && engine_->CanUndo(); }

int TCustomRichEdit::FindText(const QString& searchStr, int startPos, int length, TSearchTypes options) {
  FINDTEXT ft;
  ft.chrg = {startPos, startPos + length};
  ft.lpstrText = reinterpret_cast<const char16_t*>(searchStr.utf16());
  WPARAM flags = FR_DOWN;
  if (options & stWholeWord) flags |= FR_WHOLEWORD;
  if (options & stMatchCase) flags |= FR_MATCHCASE;
  return int(Perform(EM_FINDTEXT, flags, LPARAM(&ft)));
}

void TCustomRichEdit::Print(const QString& caption) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(caption);
  QPainter p;
  if (!p.begin(&printer)) throw Exception(QStringLiteral("Printing in progress or no printer available"));
  const int dpiX = printer.logicalDpiX(), dpiY = printer.logicalDpiY();
  const QRect page = pageRect_.isEmpty() ? QRect(QPoint(0, 0), QSize(printer.width(), printer.height())) : pageRect_;
  FORMATRANGE fr;
  fr.hdc = fr.hdcTarget = &p;
  const int tw = rtf::kTwipsPerInch;
  fr.rc = {LONG(page.left() * tw / dpiX), LONG(page.top() * tw / dpiY), LONG((page.right() + 1) * tw / dpiX),
           LONG((page.bottom() + 1) * tw / dpiY)};
  fr.rcPage = fr.rc;
  const int len = GetTextLen();
  int last = 0;
  Perform(EM_FORMATRANGE, 0, 0);
  base::ScopeGuard release([&] {
    Perform(EM_FORMATRANGE, 0, 0);
    p.end();
  });
  do {
    fr.chrg = {last, -1};
    const int next = int(Perform(EM_FORMATRANGE, 1, LPARAM(&fr)));
    if (next <= last) break;
    last = next;
    if (last < len) printer.newPage();
  } while (last < len);
}

}  // namespace engine
