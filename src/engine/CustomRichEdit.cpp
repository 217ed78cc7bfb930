#include "engine/CustomRichEdit.h"

#include <QApplication>
#include <QFile>
#include <QIODevice>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QSaveFile>
#include <QScreen>
#include <QScrollBar>
#include <cstring>

#include "engine/RtfWriter.h"

namespace engine {

namespace {
constexpr LONG kUnlimitedText = 0x7FFFFFF0;
constexpr DWORD kBaseEventMask = ENM_CHANGE | ENM_SELCHANGE | ENM_REQUESTRESIZE | ENM_PROTECTED;  // 0x2C0001

int ScreenDpiY() {
  const QScreen* s = QGuiApplication::primaryScreen();
  return s ? int(s->logicalDotsPerInchY()) : 96;
}
}  // namespace

// ---- text attributes ----------------------------------------------------------------------------

void TTextAttributes::Get(CHARFORMAT2& cf) const {
  cf = CHARFORMAT2();
  owner_->Perform(EM_GETCHARFORMAT, type_ == atSelected ? SCF_SELECTION : SCF_DEFAULT, LPARAM(&cf));
}

void TTextAttributes::Set(CHARFORMAT2& cf) {
  owner_->Perform(EM_SETCHARFORMAT, type_ == atSelected ? SCF_SELECTION : SCF_DEFAULT, LPARAM(&cf));
}

QString TTextAttributes::Name() const {
  CHARFORMAT2 cf;
  Get(cf);
  return FaceName(cf);
}

void TTextAttributes::SetName(const QString& v) {
  CHARFORMAT2 cf;
  cf.dwMask = CFM_FACE;
  SetFaceName(cf, v);
  Set(cf);
}

int TTextAttributes::Size() const {
  CHARFORMAT2 cf;
  Get(cf);
  return cf.yHeight / 20;
}

void TTextAttributes::SetSize(int points) {
  CHARFORMAT2 cf;
  cf.dwMask = CFM_SIZE;
  cf.yHeight = points * 20;
  Set(cf);
}

int TTextAttributes::Height() const { return Size() * ScreenDpiY() / 72; }

void TTextAttributes::SetHeight(int pixels) { SetSize(pixels * 72 / ScreenDpiY()); }

TFontStyles TTextAttributes::Style() const {
  CHARFORMAT2 cf;
  Get(cf);
  TFontStyles s = 0;
  if (cf.dwEffects & CFE_BOLD) s |= fsBold;
  if (cf.dwEffects & CFE_ITALIC) s |= fsItalic;
  if (cf.dwEffects & CFE_UNDERLINE) s |= fsUnderline;
  if (cf.dwEffects & CFE_STRIKEOUT) s |= fsStrikeOut;
  return s;
}

void TTextAttributes::SetStyle(TFontStyles v) {
  CHARFORMAT2 cf;
  cf.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
  if (v & fsBold) cf.dwEffects |= CFE_BOLD;
  if (v & fsItalic) cf.dwEffects |= CFE_ITALIC;
  if (v & fsUnderline) cf.dwEffects |= CFE_UNDERLINE;
  if (v & fsStrikeOut) cf.dwEffects |= CFE_STRIKEOUT;
  Set(cf);
}

TColor TTextAttributes::Color() const {
  CHARFORMAT2 cf;
  Get(cf);
  if (cf.dwEffects & CFE_AUTOCOLOR) return clWindowText;
  return TColor(cf.crTextColor);
}

void TTextAttributes::SetColor(TColor v) {
  CHARFORMAT2 cf;
  cf.dwMask = CFM_COLOR;
  if (v == clWindowText) cf.dwEffects = CFE_AUTOCOLOR;
  else cf.crTextColor = ColorToRGB(v);
  Set(cf);
}

int TTextAttributes::Charset() const {
  CHARFORMAT2 cf;
  Get(cf);
  return cf.bCharSet;
}

void TTextAttributes::SetCharset(int v) {
  CHARFORMAT2 cf;
  cf.dwMask = CFM_CHARSET;
  cf.bCharSet = BYTE(v);
  Set(cf);
}

TFontPitch TTextAttributes::Pitch() const {
  CHARFORMAT2 cf;
  Get(cf);
  switch (cf.bPitchAndFamily & 3) {
    case 1: return fpFixed;
    case 2: return fpVariable;
    default: return fpDefault;
  }
}

void TTextAttributes::SetPitch(TFontPitch v) {
  // The face travels with the pitch, as the record keeps them together.
  CHARFORMAT2 cf;
  Get(cf);
  cf.dwMask = CFM_FACE;
  cf.bPitchAndFamily = BYTE((cf.bPitchAndFamily & ~3) | (v == fpFixed ? 1 : v == fpVariable ? 2 : 0));
  Set(cf);
}

bool TTextAttributes::Protected() const {
  CHARFORMAT2 cf;
  Get(cf);
  return cf.dwEffects & CFE_PROTECTED;
}

void TTextAttributes::SetProtected(bool v) {
  CHARFORMAT2 cf;
  cf.dwMask = CFM_PROTECTED;
  cf.dwEffects = v ? CFE_PROTECTED : 0;
  Set(cf);
}

TConsistentAttributes TTextAttributes::ConsistentAttributes() const {
  CHARFORMAT2 cf;
  Get(cf);
  TConsistentAttributes a = 0;
  if (cf.dwMask & CFM_BOLD) a |= caBold;
  if (cf.dwMask & CFM_COLOR) a |= caColor;
  if (cf.dwMask & CFM_FACE) a |= caFace;
  if (cf.dwMask & CFM_ITALIC) a |= caItalic;
  if (cf.dwMask & CFM_SIZE) a |= caSize;
  if (cf.dwMask & CFM_STRIKEOUT) a |= caStrikeOut;
  if (cf.dwMask & CFM_UNDERLINE) a |= caUnderline;
  if (cf.dwMask & CFM_PROTECTED) a |= caProtected;
  return a;
}

void TTextAttributes::Assign(const TTextAttributes& other) {
  if (&other == this) return;
  CHARFORMAT2 cf;
  other.Get(cf);
  // Only what the other side has consistently.
  cf.dwMask &= CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_PROTECTED | CFM_SIZE | CFM_FACE |
               CFM_CHARSET | CFM_COLOR;
  Set(cf);
}

void TTextAttributes::AssignFont(const QFont& font, TColor color, int charset) {
  CHARFORMAT2 cf;
  cf.dwMask = CFM_FACE | CFM_SIZE | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_COLOR | CFM_CHARSET;
  SetFaceName(cf, font.family());
  cf.bPitchAndFamily = font.fixedPitch() ? 1 : 0;
  const qreal pt = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 72.0 / ScreenDpiY();
  cf.yHeight = LONG(qRound(pt * 20));
  if (font.weight() >= QFont::DemiBold) cf.dwEffects |= CFE_BOLD;
  if (font.italic()) cf.dwEffects |= CFE_ITALIC;
  if (font.underline()) cf.dwEffects |= CFE_UNDERLINE;
  if (font.strikeOut()) cf.dwEffects |= CFE_STRIKEOUT;
  if (color == clWindowText) cf.dwEffects |= CFE_AUTOCOLOR;
  else cf.crTextColor = ColorToRGB(color);
  cf.bCharSet = BYTE(charset);
  Set(cf);
}

QFont TTextAttributes::ToFont() const {
  CHARFORMAT2 cf;
  Get(cf);
  QFont f(FaceName(cf));
  if (cf.yHeight > 0) f.setPointSizeF(cf.yHeight / 20.0);
  f.setBold(cf.dwEffects & CFE_BOLD);
  f.setItalic(cf.dwEffects & CFE_ITALIC);
  f.setUnderline(cf.dwEffects & CFE_UNDERLINE);
  f.setStrikeOut(cf.dwEffects & CFE_STRIKEOUT);
  return f;
}

// ---- paragraph attributes -----------------------------------------------------------------------

void TParaAttributes::Get(PARAFORMAT& pf) const {
  pf = PARAFORMAT();
  owner_->Perform(EM_GETPARAFORMAT, 0, LPARAM(&pf));
}

void TParaAttributes::Set(PARAFORMAT& pf) { owner_->Perform(EM_SETPARAFORMAT, 0, LPARAM(&pf)); }

TAlignment TParaAttributes::Alignment() const {
  PARAFORMAT pf;
  Get(pf);
  switch (pf.wAlignment) {
    case PFA_RIGHT: return taRightJustify;
    case PFA_CENTER: return taCenter;
    case PFA_JUSTIFY: return taJustify;
    default: return taLeftJustify;
  }
}

void TParaAttributes::SetAlignment(TAlignment v) {
  PARAFORMAT pf;
  pf.dwMask = PFM_ALIGNMENT;
  pf.wAlignment = v == taRightJustify ? PFA_RIGHT : v == taCenter ? PFA_CENTER : v == taJustify ? PFA_JUSTIFY : PFA_LEFT;
  Set(pf);
}

TNumberingStyle TParaAttributes::Numbering() const {
  PARAFORMAT pf;
  Get(pf);
  return pf.wNumbering ? nsBullet : nsNone;
}

void TParaAttributes::SetNumbering(TNumberingStyle v) {
  if (v == nsBullet) {
    if (LeftIndent() < 10) SetLeftIndent(10);
  } else {
    SetLeftIndent(0);
  }
  PARAFORMAT pf;
  pf.dwMask = PFM_NUMBERING;
  pf.wNumbering = v == nsBullet ? PFN_BULLET : 0;
  Set(pf);
}

int TParaAttributes::FirstIndent() const {
  PARAFORMAT pf;
  Get(pf);
  return pf.dxStartIndent / 20;
}

void TParaAttributes::SetFirstIndent(int v) {
  PARAFORMAT pf;
  pf.dwMask = PFM_STARTINDENT;
  pf.dxStartIndent = v * 20;
  Set(pf);
}

int TParaAttributes::LeftIndent() const {
  PARAFORMAT pf;
  Get(pf);
  return pf.dxOffset / 20;
}

void TParaAttributes::SetLeftIndent(int v) {
  PARAFORMAT pf;
  pf.dwMask = PFM_OFFSET;
  pf.dxOffset = v * 20;
  Set(pf);
}

int TParaAttributes::RightIndent() const {
  PARAFORMAT pf;
  Get(pf);
  return pf.dxRightIndent / 20;
}

void TParaAttributes::SetRightIndent(int v) {
  PARAFORMAT pf;
  pf.dwMask = PFM_RIGHTINDENT;
  pf.dxRightIndent = v * 20;
  Set(pf);
}

int TParaAttributes::Tab(int index) const {
  if (index < 0 || index >= MAX_TAB_STOPS) return 0;
  PARAFORMAT pf;
  Get(pf);
  return pf.rgxTabs[index] / 20;
}

void TParaAttributes::SetTab(int index, int v) {
  if (index < 0 || index >= MAX_TAB_STOPS) return;
  PARAFORMAT pf;
  Get(pf);
  pf.dwMask = PFM_TABSTOPS;
  if (pf.cTabCount <= index) pf.cTabCount = SHORT(index + 1);
  pf.rgxTabs[index] = v * 20;
  Set(pf);
}

int TParaAttributes::TabCount() const {
  PARAFORMAT pf;
  Get(pf);
  return pf.cTabCount;
}

void TParaAttributes::SetTabCount(int v) {
  PARAFORMAT pf;
  Get(pf);
  pf.dwMask = PFM_TABSTOPS;
  pf.cTabCount = SHORT(std::clamp(v, 0, MAX_TAB_STOPS));
  Set(pf);
}

void TParaAttributes::Assign(const TParaAttributes& other) {
  if (&other == this) return;
  PARAFORMAT pf;
  other.Get(pf);
  pf.dwMask &= PFM_ALIGNMENT | PFM_NUMBERING | PFM_STARTINDENT | PFM_OFFSET | PFM_RIGHTINDENT | PFM_TABSTOPS;
  Set(pf);
}

// ---- the engine lines ---------------------------------------------------------------------------

int TRichEditStrings::Count() const {
  const int n = int(owner_->Perform(EM_GETLINECOUNT));
  if (n <= 0) return 0;
  const int last = int(owner_->Perform(EM_LINEINDEX, n - 1));
  // A text ending in a line break has as many lines as breaks.
  if (last >= 0 && owner_->Perform(EM_LINELENGTH, last) == 0) return n - 1;
  return n;
}

QString TRichEditStrings::Get(int index) const {
  if (index < 0 || index >= Count()) return {};
  std::vector<char16_t> buf(4096 + 1, 0);
  *reinterpret_cast<WORD*>(buf.data()) = 4096;
  int n = int(owner_->Perform(EM_GETLINE, index, LPARAM(buf.data())));
  QString s = QString::fromUtf16(buf.data(), n);
  if (s.endsWith(QLatin1String("\r\n"))) s.chop(2);
  else if (s.endsWith(QChar('\r')) || s.endsWith(QChar('\n'))) s.chop(1);
  return s;
}

void TRichEditStrings::Put(int index, const QString& s) {
  if (index < 0) return;
  const int start = int(owner_->Perform(EM_LINEINDEX, index));
  if (start < 0) return;
  const int len = int(owner_->Perform(EM_LINELENGTH, start));
  CHARRANGE r{start, start + len};
  owner_->Perform(EM_EXSETSEL, 0, LPARAM(&r));
  owner_->Perform(EM_REPLACESEL, 0, LPARAM(s.utf16()));
}

void TRichEditStrings::Insert(int index, const QString& s) {
  if (index < 0) return;
  int start = int(owner_->Perform(EM_LINEINDEX, index));
  QString text;
  if (start >= 0) {
    text = s + QLatin1String("\r\n");
  } else {
    start = int(owner_->Perform(EM_LINEINDEX, index - 1));
    if (start < 0) return;
    const int len = int(owner_->Perform(EM_LINELENGTH, start));
    if (len == 0) return;
    start += len;
    text = QLatin1String("\r\n") + s;
  }
  CHARRANGE r{start, start};
  owner_->Perform(EM_EXSETSEL, 0, LPARAM(&r));
  owner_->Perform(EM_REPLACESEL, 0, LPARAM(text.utf16()));
}

void TRichEditStrings::Delete(int index) {
  const int start = int(owner_->Perform(EM_LINEINDEX, index));
  if (index < 0 || start < 0) return;
  int end = int(owner_->Perform(EM_LINEINDEX, index + 1));
  if (end < 0) end = start + int(owner_->Perform(EM_LINELENGTH, start));
  CHARRANGE r{start, end};
  owner_->Perform(EM_EXSETSEL, 0, LPARAM(&r));
  const char16_t empty[1] = {0};
  owner_->Perform(EM_REPLACESEL, 0, LPARAM(empty));
}

void TRichEditStrings::Clear() { owner_->SetText(QString()); }

void TRichEditStrings::AddStrings(const TStrings& other) {
  BeginUpdate();
  try {
    for (int i = 0; i < other.Count(); ++i) Add(other.Get(i));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

QString TRichEditStrings::Text() const { return owner_->Text(); }

void TRichEditStrings::SetText(const QString& text) {
  TRichEngine* e = owner_->Handle();
  if (!owner_->PlainText() && text.startsWith(QLatin1String("{\\rtf"))) {
    if (e->LoadRtf(text.toLatin1())) return;
  }
  e->SetPlainText(text);
}

void TRichEditStrings::SetUpdateState(bool updating) {
  if (!owner_->HandleAllocated()) return;
  owner_->Perform(WM_SETREDRAW, updating ? 0 : 1);
  if (!updating) owner_->update();
}

void TRichEditStrings::SaveToStream(QIODevice& stream) const {
  EDITSTREAM es;
  bool writeFailed = false;
  es.pfnCallback = [&](DWORD_PTR, BYTE* buf, LONG cb, LONG* pcb) -> DWORD {
    const qint64 n = stream.write(reinterpret_cast<const char*>(buf), cb);
    *pcb = LONG(std::max<qint64>(n, 0));
    if (n != cb) {
      writeFailed = true;
      return DWORD(E_FAIL);
    }
    return 0;
  };
  owner_->Perform(EM_STREAMOUT, owner_->PlainText() ? SF_TEXT : SF_RTF, LPARAM(&es));
  if (es.dwError != 0 || writeFailed) throw EOutOfResources(QStringLiteral("Failed to Save Stream"));
}

namespace {
// Stream-in through chunks: at most half the engine's request is read, so that every line break
// can become CR LF; a CR at the end of a chunk waits for the next one to see whether an LF
// follows, so no break is lost or doubled across chunks.
DWORD FillChunk(QIODevice& stream, bool& pendingCr, BYTE* buf, LONG cb, LONG* pcb) {
  const qint64 want = std::max<LONG>(cb / 2 - (pendingCr ? 1 : 0), 1);
  QByteArray in = stream.read(want);
  if (pendingCr) {
    in.prepend('\r');
    pendingCr = false;
  }
  if (in.isEmpty()) {
    *pcb = 0;
    return 0;
  }
  if (in.endsWith('\r') && !stream.atEnd()) {
    in.chop(1);
    pendingCr = true;
  }
  LONG n = 0;
  for (qsizetype i = 0; i < in.size() && n < cb; ++i) {
    const char c = in[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < in.size() && in[i + 1] == '\n') ++i;
      if (n + 2 > cb) break;
      buf[n++] = '\r';
      buf[n++] = '\n';
    } else {
      buf[n++] = BYTE(c);
    }
  }
  *pcb = n;
  return 0;
}
}  // namespace

void TRichEditStrings::LoadFromStream(QIODevice& stream) {
  const qint64 start = stream.pos();
  const auto load = [&](DWORD format) {
    bool pendingCr = false;
    EDITSTREAM es;
    es.pfnCallback = [&](DWORD_PTR, BYTE* buf, LONG cb, LONG* pcb) -> DWORD {
      return FillChunk(stream, pendingCr, buf, cb, pcb);
    };
    owner_->Perform(EM_STREAMIN, format, LPARAM(&es));
    return es.dwError;
  };
  if (owner_->PlainText()) {
    if (load(SF_TEXT) != 0) throw EOutOfResources(QStringLiteral("Failed to Load Stream"));
    return;
  }
  if (load(SF_RTF) == 0) return;
  if (!stream.seek(start) || load(SF_TEXT) != 0) throw EOutOfResources(QStringLiteral("Failed to Load Stream"));
}

void TRichEditStrings::LoadFromFile(const QString& fileName) {
  QFile f(fileName);
  if (!f.open(QIODevice::ReadOnly))
    throw EFOpenError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, f.errorString()));
  LoadFromStream(f);
}

void TRichEditStrings::SaveToFile(const QString& fileName) const {
  QSaveFile f(fileName);
  if (!f.open(QIODevice::WriteOnly))
    throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, f.errorString()));
  SaveToStream(f);
  if (!f.commit())
    throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, f.errorString()));
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
  keptText_ = engine_->TextLength() ? engine::PlainText(*engine_->document()) : QString();
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
  engine_->SetBackgroundColor(color_ == clWindow, ColorToRGB(color_));
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
  return engine::PlainText(*engine_->document());
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

void TCustomRichEdit::SetColor(TColor v) {
  if (color_ == v) return;
  color_ = v;
  if (engine_) engine_->SetBackgroundColor(v == clWindow, ColorToRGB(v));
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
  fr.rc = {LONG(page.left() * 1440 / dpiX), LONG(page.top() * 1440 / dpiY), LONG((page.right() + 1) * 1440 / dpiX),
           LONG((page.bottom() + 1) * 1440 / dpiY)};
  fr.rcPage = fr.rc;
  const int len = GetTextLen();
  int last = 0;
  Perform(EM_FORMATRANGE, 0, 0);
  try {
    do {
      fr.chrg = {last, -1};
      const int next = int(Perform(EM_FORMATRANGE, 1, LPARAM(&fr)));
      if (next <= last) break;
      last = next;
      if (last < len) printer.newPage();
    } while (last < len);
  } catch (...) {
    Perform(EM_FORMATRANGE, 0, 0);
    p.end();
    throw;
  }
  Perform(EM_FORMATRANGE, 0, 0);
  p.end();
}

}  // namespace engine
