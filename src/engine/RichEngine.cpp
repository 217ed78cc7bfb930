#include "engine/RichEngine.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintDevice>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextLayout>
#include <QTextList>
#include <QUrl>
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/Question.h"
#include "engine/RtfReader.h"
#include "engine/RtfWriter.h"
#include "engine/TextModel.h"
#include "engine/TextObjects.h"

namespace engine {

// ---- small helpers ----------------------------------------------------------------------------

COLORREF ColorToRGB(TColor c) {
  if (c == clNone || c == clDefault) return 0;
  if (c >= 0) return COLORREF(c) & 0xFFFFFF;
  const QPalette pal = QApplication::palette();
  QColor q;
  switch (c & 0xFF) {
    case 5: q = pal.color(QPalette::Base); break;                   // window
    case 8: q = pal.color(QPalette::Text); break;                   // window text
    case 13: q = pal.color(QPalette::Highlight); break;
    case 14: q = pal.color(QPalette::HighlightedText); break;
    case 15: q = pal.color(QPalette::Button); break;                // button face
    case 16: q = pal.color(QPalette::Dark); break;
    case 17: q = pal.color(QPalette::Disabled, QPalette::Text); break;
    case 18: q = pal.color(QPalette::ButtonText); break;
    case 20: q = pal.color(QPalette::Light); break;
    case 23: q = pal.color(QPalette::ToolTipText); break;
    case 24: q = pal.color(QPalette::ToolTipBase); break;
    case 4: q = pal.color(QPalette::Window); break;
    case 7: q = pal.color(QPalette::WindowText); break;
    default: q = pal.color(QPalette::Window); break;
  }
  return QColorToColorRef(q);
}

QColor TColorToQColor(TColor c) { return ColorRefToQColor(ColorToRGB(c)); }

QString FaceName(const CHARFORMAT& cf) {
  return QString::fromUtf8(cf.szFaceName, qstrnlen(cf.szFaceName, LF_FACESIZE));
}

void SetFaceName(CHARFORMAT& cf, const QString& name) {
  std::memset(cf.szFaceName, 0, sizeof cf.szFaceName);
  QByteArray u = name.toUtf8();
  // Cut at a character boundary so that the stored name stays valid UTF-8.
  qsizetype n = std::min<qsizetype>(u.size(), LF_FACESIZE - 1);
  while (n > 0 && n < u.size() && (uchar(u[n]) & 0xC0) == 0x80) --n;
  std::memcpy(cf.szFaceName, u.constData(), size_t(n));
}

QString ClipboardFormatMime(UINT format);
namespace {
QStringList& RegisteredFormats() {
  static QStringList list;
  return list;
}
const char* kMimeRtf = "text/rtf";
const char* kMimeRtfApp = "application/rtf";
const char* kMimeHtml = "text/html";
constexpr int kDefaultLimit = 32767;
constexpr int kUnlimited = 0x7FFFFFF0;

bool IsObjectChar(QChar c) { return c == QChar::ObjectReplacementCharacter; }

// The engine's text shows a paragraph break as CR and a line break inside a paragraph as VT,
// keeping one character per position.
QString EngineText(QString raw) {
  for (QChar& c : raw) {
    const ushort u = c.unicode();
    if (u == 0x2029 || u == 0xFDD0 || u == 0xFDD1 || u == 0xFDD2) c = QChar('\r');
    else if (u == 0x2028) c = QChar('\v');
  }
  return raw;
}

QString FromUtf16(const char16_t* s) {
  if (!s) return {};
  return QString::fromUtf16(s);
}

// Copies text into a caller's buffer of `size` characters with a terminating zero.
LRESULT CopyOut(const QString& s, char16_t* buf, qsizetype size) {
  if (!buf || size <= 0) return 0;
  const qsizetype n = std::min(s.size(), size - 1);
  std::memcpy(buf, s.utf16(), size_t(n) * 2);
  buf[n] = 0;
  return LRESULT(n);
}

}  // namespace

QString ClipboardFormatMime(UINT format) {
  switch (format) {
    case CF_TEXT:
    case CF_UNICODETEXT: return QStringLiteral("text/plain");
    case CF_RTF:
    case CF_RTFNOOBJS: return QString::fromLatin1(kMimeRtf);
    case CF_HTML: return QString::fromLatin1(kMimeHtml);
    case CF_BITMAP:
    case CF_DIB: return QStringLiteral("image/png");
    default: break;
  }
  if (format >= 0xC100 && format < 0xC100 + UINT(RegisteredFormats().size()))
    return RegisteredFormats().at(int(format - 0xC100));
  return {};
}

UINT RegisterClipboardFormat(const QString& mimeType) {
  // The rich text flavour keeps its old registered name as well as its MIME type.
  if (mimeType == QLatin1String(kMimeRtf) || mimeType == QLatin1String("Rich Text Format")) return CF_RTF;
  if (mimeType == QLatin1String(kMimeHtml)) return CF_HTML;
  QStringList& list = RegisteredFormats();
  qsizetype i = list.indexOf(mimeType);
  if (i < 0) {
    list.append(mimeType);
    i = list.size() - 1;
  }
  return UINT(0xC100 + i);
}

// ---- the object interface -----------------------------------------------------------------------

class TRichEngineOle : public IRichEditOle, public IOleClientSite {
 public:
  explicit TRichEngineOle(TRichEngine* e) : e_(e) {}

  HRESULT GetClientSite(IOleClientSite** site) override {
    if (!site) return E_INVALIDARG;
    *site = this;
    return S_OK;
  }
  HRESULT SaveObject() override {
    e_->SetModify(true);
    return S_OK;
  }
  // Every object character in text order.
  QList<int> Positions() const {
    QList<int> out;
    const QTextDocument* doc = e_->document();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
      for (auto it = b.begin(); !it.atEnd(); ++it) {
        const QTextFragment fr = it.fragment();
        if (!fr.charFormat().isImageFormat() && fr.charFormat().objectType() != kEmbeddedObjectType) continue;
        const QString t = fr.text();
        for (int i = 0; i < t.size(); ++i)
          if (IsObjectChar(t[i])) out.append(fr.position() + i);
      }
    return out;
  }
  LONG GetObjectCount() override { return LONG(Positions().size()); }
  LONG GetLinkCount() override { return 0; }

  bool Fill(int pos, REOBJECT* reo, DWORD flags) {
    QTextCursor c(e_->document());
    c.setPosition(pos + 1);
    const QTextCharFormat f = c.charFormat();
    reo->cp = pos;
    reo->objectRtf = f.property(kObjectRtf).toByteArray();
    if (reo->objectRtf.isEmpty()) reo->objectRtf = f.property(kPictureRtf).toByteArray();
    reo->clsid = f.property(kObjectClass).toString();
    const bool isObject = f.hasProperty(kObjectRtf);
    if (reo->clsid.isEmpty() && !isObject) reo->clsid = QStringLiteral("StaticDib");
    reo->dwFlags = isObject ? 0 : REO_STATIC;
    reo->dvaspect = DVASPECT_CONTENT;
    const QSizeF sz = ObjectSize(f);
    reo->sizel = {DocToTwips(sz.width()), DocToTwips(sz.height())};
    IOleObject* obj = nullptr;
    if (f.hasProperty(kObjectIndex)) obj = objects_.value(f.intProperty(kObjectIndex), nullptr);
    reo->poleobj = (flags & REO_GETOBJ_POLEOBJ) ? obj : nullptr;
    reo->polesite = (flags & REO_GETOBJ_POLESITE) ? static_cast<IOleClientSite*>(this) : nullptr;
    reo->pstg = nullptr;
    const CHARRANGE sel = e_->GetSel();
    if (sel.cpMin <= pos && pos < sel.cpMax) reo->dwFlags |= REO_SELECTED;
    return true;
  }

  HRESULT GetObject(LONG iob, REOBJECT* reo, DWORD flags) override {
    if (!reo) return E_INVALIDARG;
    const QList<int> pos = Positions();
    if (iob == REO_IOB_SELECTION) {
      const CHARRANGE sel = e_->GetSel();
      if (sel.cpMax - sel.cpMin != 1 || !pos.contains(sel.cpMin)) return E_FAIL;
      return Fill(sel.cpMin, reo, flags) ? S_OK : E_FAIL;
    }
    if (iob == REO_IOB_USE_CP) {
      if (!pos.contains(reo->cp)) return E_INVALIDARG;
      return Fill(reo->cp, reo, flags) ? S_OK : E_FAIL;
    }
    if (iob < 0 || iob >= pos.size()) return E_INVALIDARG;
    return Fill(pos[iob], reo, flags) ? S_OK : E_FAIL;
  }

  HRESULT InsertObject(REOBJECT* reo) override {
    if (!reo) return E_INVALIDARG;
    QByteArray rtf = reo->objectRtf;
    if (rtf.isEmpty() && reo->poleobj) rtf = reo->poleobj->ObjectRtf();
    const CHARRANGE sel = e_->GetSel();
    const int at = reo->cp == REO_CP_SELECTION ? sel.cpMin : reo->cp;
    if (at < 0 || at > e_->TextLength()) return E_INVALIDARG;
    if (IRichEditOleCallback* cb = e_->OleCallback())
      if (cb->QueryInsertObject(reo->clsid, reo->pstg, at) != S_OK) return E_FAIL;
    QTextCursor c = reo->cp == REO_CP_SELECTION ? e_->CursorFor(sel.cpMin, sel.cpMax) : e_->CursorFor(at, at);
    if (rtf.startsWith("{\\object") || rtf.startsWith("{\\pict") || rtf.startsWith("{\\*\\shppict")) {
      // The stored form is RTF: read it as the reader reads any object, so that it draws and
      // writes back exactly as one read from a file.
      QByteArray doc = "{\\rtf1\\ansi " + rtf + "}";
      QTextCursor probe = c;
      c.beginEditBlock();
      const int before = e_->TextLength();
      if (!ReadRtf(doc, probe, nullptr) || e_->TextLength() == before) {
        c.endEditBlock();
        return E_FAIL;
      }
      if (reo->poleobj) {
        QTextCursor oc = e_->CursorFor(at, at + 1);
        QTextCharFormat f;
        const int handle = nextHandle_++;
        objects_.insert(handle, reo->poleobj);
        f.setProperty(kObjectIndex, handle);
        oc.mergeCharFormat(f);
      }
      c.endEditBlock();
    } else {
      QTextCharFormat f = c.charFormat();
      f.setObjectType(kEmbeddedObjectType);
      f.setProperty(kObjectRtf, rtf);
      f.setProperty(kObjectClass, reo->clsid);
      if (reo->poleobj) {
        const int handle = nextHandle_++;
        objects_.insert(handle, reo->poleobj);
        f.setProperty(kObjectIndex, handle);
      }
      c.insertText(QString(QChar::ObjectReplacementCharacter), f);
    }
    return S_OK;
  }
  HRESULT ConvertObject(LONG, const QString&, const QString&) override { return E_NOTIMPL; }
  HRESULT ActivateAs(const QString&, const QString&) override { return E_NOTIMPL; }
  HRESULT SetHostNames(const QString& app, const QString& obj) override {
    hostApp_ = app;
    hostObj_ = obj;
    return S_OK;
  }
  HRESULT SetLinkAvailable(LONG, bool) override { return E_NOTIMPL; }
  HRESULT SetDvaspect(LONG iob, DWORD aspect) override {
    REOBJECT r;
    if (GetObject(iob, &r, REO_GETOBJ_NO_INTERFACES) != S_OK) return E_INVALIDARG;
    return aspect == DVASPECT_CONTENT || aspect == DVASPECT_ICON ? S_OK : E_INVALIDARG;
  }
  HRESULT HandsOffStorage(LONG) override { return S_OK; }
  HRESULT SaveCompleted(LONG, IStorage*) override { return S_OK; }
  HRESULT InPlaceDeactivate() override { return S_OK; }
  HRESULT ContextSensitiveHelp(bool) override { return S_OK; }

  IOleObject* ObjectAt(int pos) {
    QTextCursor c(e_->document());
    c.setPosition(pos + 1);
    const QTextCharFormat f = c.charFormat();
    return f.hasProperty(kObjectIndex) ? objects_.value(f.intProperty(kObjectIndex), nullptr) : nullptr;
  }

 private:
  TRichEngine* e_;
  QHash<int, IOleObject*> objects_;
  int nextHandle_ = 1;
  QString hostApp_, hostObj_;
};

// ---- construction -------------------------------------------------------------------------------

TRichEngine::TRichEngine(QWidget* parent, const QString& className)
    : QTextEdit(parent), className_(className) {
  version_ = className.compare(QLatin1String("RICHEDIT"), Qt::CaseInsensitive) == 0 ? 1 : 2;
  setAcceptRichText(true);
  setUndoRedoEnabled(true);
  setTabChangesFocus(false);
  setFrameShape(QFrame::NoFrame);
  document()->setDocumentMargin(0);
  document()->setUndoRedoEnabled(true);
  RegisterTextObjects(document());
  setMouseTracking(true);
  viewport()->setMouseTracking(true);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
  SetBackgroundColor(true, 0);
  SetHideSelectionImpl(true);
  // Setting up the document is not an edit the user could undo.
  document()->clearUndoRedoStacks();
  document()->setModified(false);

  connect(document(), &QTextDocument::contentsChange, this,
          [this](int pos, int removed, int added) { OnContentsChange(pos, removed, added); });
  connect(document(), &QTextDocument::contentsChanged, this, [this] {
    if (changePending_) {
      changePending_ = false;
      if (autoUrl_) DetectUrls(0, TextLength());
      if (!inInternalChange_) Notify(EN_CHANGE, nullptr);
    }
    // The selection moved by an edit is reported after the edit itself.
    if (selPending_) {
      selPending_ = false;
      OnCursorChanged();
    }
  });
  connect(this, &QTextEdit::cursorPositionChanged, this, [this] { OnCursorChanged(); });
  connect(this, &QTextEdit::selectionChanged, this, [this] { OnCursorChanged(); });
  connect(document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
          [this](const QSizeF&) {
            if (eventMask_ & ENM_REQUESTRESIZE) RequestResize();
          });
}

TRichEngine::~TRichEngine() {
  // Text of ours still on the clipboard: the host may ask for it to be taken off.
  QClipboard* cb = QApplication::clipboard();
  if (cb && lastClipboard_ && cb->mimeData() == lastClipboard_) {
    ENSAVECLIPBOARD n;
    n.cch = LONG(lastClipboard_->text().size());
    const LRESULT keepOff = Notify(EN_SAVECLIPBOARD, &n.nmhdr);
    if (keepOff) cb->clear();
  }
  OnNotify = nullptr;
  host_ = nullptr;
  // The document outlives this part of the object; nothing of it may call back in here.
  document()->disconnect(this);
  document()->documentLayout()->disconnect(this);
  disconnect(this, nullptr, this, nullptr);
}

// ---- notifications ------------------------------------------------------------------------------

LRESULT TRichEngine::Notify(UINT code, NMHDR* hdr) {
  DWORD need = 0;
  switch (code) {
    case EN_CHANGE: need = ENM_CHANGE; break;
    case EN_UPDATE: need = ENM_UPDATE; break;
    case EN_SELCHANGE: need = ENM_SELCHANGE; break;
    case EN_REQUESTRESIZE: need = ENM_REQUESTRESIZE; break;
    case EN_PROTECTED: need = ENM_PROTECTED; break;
    case EN_LINK: need = ENM_LINK; break;
    case EN_HSCROLL:
    case EN_VSCROLL: need = ENM_SCROLL; break;
    default: need = 0; break;  // EN_MAXTEXT, EN_SAVECLIPBOARD, focus: always sent
  }
  if (need && !(eventMask_ & need)) return 0;
  if (!OnNotify) return 0;
  if (hdr) {
    hdr->hwndFrom = this;
    hdr->code = code;
  }
  ++notifying_;
  LRESULT r = 0;
  try {
    r = OnNotify(code, hdr);
  } catch (...) {
    --notifying_;
    throw;
  }
  --notifying_;
  return r;
}

void TRichEngine::OnContentsChange(int pos, int removed, int added) {
  formatCache_.reset();
  if (removed == added && inFormatChange_) return;  // formatting only
  if (removed == 0 && added == 0) return;
  (void)pos;
  changePending_ = true;
}

void TRichEngine::OnCursorChanged() {
  if (changePending_) {
    selPending_ = true;
    return;
  }
  const CHARRANGE now = GetSel();
  if (now == lastSel_) return;
  lastSel_ = now;
  if (!(eventMask_ & ENM_SELCHANGE)) return;
  SELCHANGE sc;
  sc.chrg = now;
  sc.seltyp = SelectionType();
  Notify(EN_SELCHANGE, &sc.nmhdr);
}

void TRichEngine::RequestResize() {
  REQRESIZE rr;
  const RECT fr = GetRect();
  const QSizeF sz = document()->documentLayout()->documentSize();
  rr.rc = {fr.left, fr.top, fr.right, fr.top + LONG(std::ceil(sz.height()))};
  Notify(EN_REQUESTRESIZE, &rr.nmhdr);
}

// ---- protection, limit ----------------------------------------------------------------------------

bool TRichEngine::RangeHasProtected(int from, int to) const {
  const QTextDocument* doc = document();
  if (from == to) {
    // Typing inside a protected run (protected on both sides) is a change of it.
    if (from <= 0 || from >= TextLength()) return false;
    QTextCursor a(const_cast<QTextDocument*>(doc));
    a.setPosition(from);
    QTextCursor b(const_cast<QTextDocument*>(doc));
    b.setPosition(from + 1);
    return a.charFormat().boolProperty(kProtected) && b.charFormat().boolProperty(kProtected);
  }
  for (QTextBlock b = doc->findBlock(from); b.isValid() && b.position() < to; b = b.next())
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      const QTextFragment fr = it.fragment();
      if (fr.position() >= to || fr.position() + fr.length() <= from) continue;
      if (fr.charFormat().boolProperty(kProtected)) return true;
    }
  return false;
}

bool TRichEngine::ProtectedRefuses(UINT msg, WPARAM w, LPARAM l, int from, int to) {
  if (!(eventMask_ & ENM_PROTECTED)) return false;
  if (!RangeHasProtected(from, to)) return false;
  ENPROTECTED p;
  p.msg = msg;
  p.wParam = w;
  p.lParam = l;
  p.chrg = {from, to};
  return Notify(EN_PROTECTED, &p.nmhdr) != 0;
}

bool TRichEngine::FitsLimit(int removing, int adding) const {
  return qint64(TextLength()) - removing + adding <= qint64(limit_);
}

QTextCursor TRichEngine::CursorFor(int cpMin, int cpMax) const {
  QTextCursor c(document());
  const int len = TextLength();
  if (cpMin == 0 && cpMax == -1) {
    c.setPosition(0);
    c.setPosition(len, QTextCursor::KeepAnchor);
    return c;
  }
  if (cpMax < 0) cpMax = len;
  cpMin = std::clamp(cpMin, 0, len);
  cpMax = std::clamp(cpMax, 0, len);
  c.setPosition(cpMin);
  c.setPosition(cpMax, QTextCursor::KeepAnchor);
  return c;
}

// ---- text ---------------------------------------------------------------------------------------

int TRichEngine::TextLength() const { return document()->characterCount() - 1; }

QString TRichEngine::Text() const {
  QString raw = document()->toRawText();
  if (raw.size() > TextLength()) raw.truncate(TextLength());  // the final paragraph mark is not text
  return EngineText(raw);
}

QString TRichEngine::GetTextRange(int cpMin, int cpMax) const {
  const int len = TextLength();
  if (cpMax < 0 || cpMax > len) cpMax = len;
  cpMin = std::clamp(cpMin, 0, len);
  if (cpMax <= cpMin) return {};
  // Walk the blocks so that a small range of a large document costs little.
  QString out;
  out.reserve(cpMax - cpMin);
  for (QTextBlock b = document()->findBlock(cpMin); b.isValid() && b.position() < cpMax; b = b.next()) {
    const QString t = b.text() + QChar(0x2029);
    const int s = std::max(cpMin - b.position(), 0);
    const int e = std::min(cpMax - b.position(), int(t.size()));
    if (e > s) out += t.mid(s, e - s);
  }
  return EngineText(out);
}

void TRichEngine::SetPlainText(const QString& text) {
  QTextCursor c = CursorFor(0, -1);
  c.beginEditBlock();
  c.removeSelectedText();
  c.setBlockFormat(QTextBlockFormat());
  c.setCharFormat(defaultFormat_);
  InsertPlainText(text, c);
  c.endEditBlock();
}

// ---- selection ----------------------------------------------------------------------------------

CHARRANGE TRichEngine::GetSel() const {
  const QTextCursor c = textCursor();
  return {c.selectionStart(), c.selectionEnd()};
}

void TRichEngine::SetSel(CHARRANGE cr) {
  QTextCursor c = textCursor();
  const int len = TextLength();
  if (cr.cpMin == -1) {
    c.clearSelection();
  } else if (cr.cpMin == 0 && cr.cpMax == -1) {
    c.setPosition(0);
    c.setPosition(len, QTextCursor::KeepAnchor);
  } else {
    int a = std::clamp(int(cr.cpMin), 0, len);
    int b = cr.cpMax < 0 ? len : std::clamp(int(cr.cpMax), 0, len);
    // The anchor stays at cpMin and the caret goes to cpMax, as the message's callers expect.
    c.setPosition(a);
    c.setPosition(b, QTextCursor::KeepAnchor);
  }
  setTextCursor(c);
}

void TRichEngine::ReplaceSel(const QString& text, bool canUndo) {
  QTextCursor c = textCursor();
  const int from = c.selectionStart(), to = c.selectionEnd();
  if (ProtectedRefuses(EM_REPLACESEL, canUndo, 0, from, to)) return;
  NotifyObjectsRemoved(from, to);
  if (!canUndo) {
    // Not undoable: the change is not recorded, and what was recorded before no longer applies.
    c.beginEditBlock();
    c.removeSelectedText();
    InsertPlainText(QString(text).replace(QChar('\v'), QChar(0x2028)), c);
    c.endEditBlock();
    setTextCursor(c);
    document()->clearUndoRedoStacks();
    return;
  }
  c.beginEditBlock();
  c.removeSelectedText();
  InsertPlainText(QString(text).replace(QChar('\v'), QChar(0x2028)), c);
  c.endEditBlock();
  setTextCursor(c);
}

QString TRichEngine::GetSelText() const {
  const CHARRANGE s = GetSel();
  return GetTextRange(s.cpMin, s.cpMax);
}

WORD TRichEngine::SelectionType() const {
  const CHARRANGE s = GetSel();
  if (s.cpMin == s.cpMax) return SEL_EMPTY;
  const QString t = GetTextRange(s.cpMin, s.cpMax);
  int objects = 0, chars = 0;
  for (QChar ch : t) (IsObjectChar(ch) ? objects : chars)++;
  WORD r = 0;
  if (chars > 0) r |= SEL_TEXT;
  if (chars > 1) r |= SEL_MULTICHAR;
  if (objects > 0) r |= SEL_OBJECT;
  if (objects > 1) r |= SEL_MULTIOBJECT;
  return r;
}

int TRichEngine::CharFromPos(QPoint p) const {
  const QPoint vp = p - viewport()->pos();
  return cursorForPosition(vp).position();
}

QPoint TRichEngine::PosFromChar(int cp) const {
  QTextCursor c(document());
  c.setPosition(std::clamp(cp, 0, TextLength()));
  return cursorRect(c).topLeft() + viewport()->pos();
}

// ---- lines --------------------------------------------------------------------------------------

namespace {
// The display lines of a block; a block not laid out yet counts as one line.
int LinesOf(const QTextBlock& b) {
  const QTextLayout* l = b.layout();
  const int n = l ? l->lineCount() : 0;
  return n > 0 ? n : 1;
}
}  // namespace

void TRichEngine::EnsureLayout() const {
  QAbstractTextDocumentLayout* l = document()->documentLayout();
  // Asking for the last block's rectangle lays the whole document out.
  l->blockBoundingRect(document()->lastBlock());
}

int TRichEngine::GetLineCount() const {
  EnsureLayout();
  int n = 0;
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) n += LinesOf(b);
  return n;
}

int TRichEngine::LineFromChar(int charPos) const {
  if (charPos < 0) charPos = textCursor().selectionStart();
  EnsureLayout();
  charPos = std::clamp(charPos, 0, TextLength());
  const QTextBlock target = document()->findBlock(charPos);
  int n = 0;
  for (QTextBlock b = document()->begin(); b.isValid() && b != target; b = b.next()) n += LinesOf(b);
  const QTextLayout* l = target.layout();
  if (l && l->lineCount() > 0) {
    const QTextLine line = l->lineForTextPosition(charPos - target.position());
    if (line.isValid()) n += line.lineNumber();
  }
  return n;
}

int TRichEngine::LineIndex(int line) const {
  if (line < 0) line = LineFromChar(-1);
  EnsureLayout();
  int n = 0;
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
    const int k = LinesOf(b);
    if (line < n + k) {
      const QTextLayout* l = b.layout();
      if (!l || l->lineCount() == 0) return b.position();
      return b.position() + l->lineAt(line - n).textStart();
    }
    n += k;
  }
  return -1;
}

namespace {
// Start and length (without a trailing break) of the display line holding pos.
std::pair<int, int> LineSpan(const QTextBlock& b, int pos) {
  const QTextLayout* l = b.layout();
  const QString t = b.text();
  if (!l || l->lineCount() == 0) return {b.position(), int(t.size())};
  const QTextLine line = l->lineForTextPosition(pos - b.position());
  if (!line.isValid()) return {b.position(), int(t.size())};
  int len = line.textLength();
  const int s = line.textStart();
  // A line ended by a line break inside the paragraph: the break is not part of its text.
  if (len > 0 && s + len <= t.size() && t[s + len - 1] == QChar(0x2028)) --len;
  return {b.position() + s, len};
}
}  // namespace

int TRichEngine::LineLength(int charPos) const {
  EnsureLayout();
  if (charPos < 0) {
    // The unselected characters on the lines the selection touches.
    const CHARRANGE s = GetSel();
    if (s.cpMin == s.cpMax) return LineLength(s.cpMin);
    const auto first = LineSpan(document()->findBlock(s.cpMin), s.cpMin);
    const auto last = LineSpan(document()->findBlock(s.cpMax), s.cpMax);
    return (s.cpMin - first.first) + std::max(0, last.first + last.second - s.cpMax);
  }
  if (charPos > TextLength()) return 0;
  const QTextBlock b = document()->findBlock(charPos);
  return LineSpan(b, charPos).second;
}

QString TRichEngine::GetLine(int line) const {
  const int start = LineIndex(line);
  if (start < 0) return {};
  const QTextBlock b = document()->findBlock(start);
  const auto span = LineSpan(b, start);
  QString s = GetTextRange(span.first, span.first + span.second);
  const QTextLayout* l = b.layout();
  const bool lastOfBlock = !l || l->lineCount() == 0 || l->lineForTextPosition(start - b.position()).lineNumber() == l->lineCount() - 1;
  const bool brokenInside = span.first + span.second < b.position() + b.length() - 1 &&
                            b.text().at(span.first + span.second - b.position()) == QChar(0x2028);
  if ((lastOfBlock && b.next().isValid()) || brokenInside) s += QChar('\r');
  return s;
}

int TRichEngine::FirstVisibleLine() const {
  const int cp = cursorForPosition(QPoint(1, 1)).position();
  return LineFromChar(cp);
}

// ---- streaming ----------------------------------------------------------------------------------

namespace {
constexpr LONG kChunk = 4096;

// Decodes text bytes: UTF-16 when asked, UTF-8 when they are valid UTF-8, else the Cyrillic
// code page older definitions were written in.
QString DecodeText(const QByteArray& bytes, bool unicode) {
  if (unicode) return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString s = utf8.decode(bytes);
  if (!utf8.hasError()) return s;
  return DecodeCodePage(bytes, 1251);
}
}  // namespace

LRESULT TRichEngine::StreamIn(DWORD format, EDITSTREAM& es) {
  es.dwError = 0;
  if (!es.pfnCallback) {
    es.dwError = DWORD(E_INVALIDARG);
    return 0;
  }
  QByteArray bytes;
  QByteArray chunk(kChunk, Qt::Uninitialized);
  for (;;) {
    LONG got = 0;
    const DWORD r = es.pfnCallback(es.dwCookie, reinterpret_cast<BYTE*>(chunk.data()), kChunk, &got);
    if (r != 0) {
      es.dwError = r;
      return 0;
    }
    if (got <= 0) break;
    bytes.append(chunk.constData(), std::min(got, kChunk));
  }
  const bool selection = format & SFF_SELECTION;
  const int kind = format & 0x0F;
  const bool rtf = kind == SF_RTF || kind == SF_RTFNOOBJS;
  const int before = TextLength();
  const CHARRANGE sel = GetSel();
  const int from = selection ? sel.cpMin : 0, to = selection ? sel.cpMax : before;
  if (ProtectedRefuses(EM_STREAMIN, WPARAM(format), 0, from, to)) {
    es.dwError = DWORD(E_FAIL);
    return 0;
  }
  if (rtf && !LooksLikeRtf(bytes)) {
    es.dwError = DWORD(E_FAIL);
    return 0;
  }
  QTextCursor c = CursorFor(from, to);
  c.beginEditBlock();
  if (!selection) {
    c.removeSelectedText();
    c.setBlockFormat(QTextBlockFormat());
    c.setBlockCharFormat(defaultFormat_);
    c.setCharFormat(defaultFormat_);
  }
  bool ok = true;
  if (rtf) {
    QString error;
    ok = ReadRtf(bytes, c, &error);
  } else {
    InsertPlainText(DecodeText(bytes, format & SF_UNICODE), c);
  }
  c.endEditBlock();
  if (!ok) {
    es.dwError = DWORD(E_FAIL);
    return 0;
  }
  if (!(typography_ & TO_ADVANCEDTYPOGRAPHY)) ApplyJustification();
  if (!selection) {
    // A whole new text: nothing to undo into, nothing changed by the user yet.
    document()->clearUndoRedoStacks();
    document()->setModified(false);
    QTextCursor home(document());
    setTextCursor(home);
  } else {
    setTextCursor(c);
  }
  return TextLength() - before + (to - from);
}

LRESULT TRichEngine::StreamOut(DWORD format, EDITSTREAM& es) {
  es.dwError = 0;
  if (!es.pfnCallback) {
    es.dwError = DWORD(E_INVALIDARG);
    return 0;
  }
  const bool selection = format & SFF_SELECTION;
  const CHARRANGE sel = GetSel();
  const int from = selection ? sel.cpMin : 0, to = selection ? sel.cpMax : -1;
  const int kind = format & 0x0F;
  QByteArray bytes;
  if (kind == SF_RTF || kind == SF_RTFNOOBJS) {
    bytes = WriteRtf(*document(), from, to);
  } else {
    const QString text = PlainText(*document(), from, to);
    if (format & SF_UNICODE) bytes = QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    else bytes = text.toUtf8();
  }
  qsizetype done = 0;
  while (done < bytes.size()) {
    const LONG want = LONG(std::min<qsizetype>(kChunk, bytes.size() - done));
    LONG took = 0;
    const DWORD r = es.pfnCallback(es.dwCookie, reinterpret_cast<BYTE*>(bytes.data() + done), want, &took);
    if (r != 0) {
      es.dwError = r;
      return LRESULT(done);
    }
    if (took <= 0) {
      // A callback that takes nothing would never finish.
      es.dwError = DWORD(E_FAIL);
      return LRESULT(done);
    }
    done += std::min(took, want);
  }
  return LRESULT(done);
}

bool TRichEngine::LoadRtf(const QByteArray& rtf, bool selection) {
  EDITSTREAM es;
  qsizetype pos = 0;
  es.pfnCallback = [&](DWORD_PTR, BYTE* buf, LONG cb, LONG* pcb) -> DWORD {
    const qsizetype n = std::min<qsizetype>(cb, rtf.size() - pos);
    std::memcpy(buf, rtf.constData() + pos, size_t(n));
    pos += n;
    *pcb = LONG(n);
    return 0;
  };
  StreamIn(SF_RTF | (selection ? SFF_SELECTION : 0), es);
  return es.dwError == 0;
}

QByteArray TRichEngine::SaveRtf(bool selection) const {
  const CHARRANGE sel = GetSel();
  return selection ? WriteRtf(*document(), sel.cpMin, sel.cpMax) : WriteRtf(*document());
}

// ---- editing ------------------------------------------------------------------------------------

bool TRichEngine::CanUndo() const { return document()->isUndoAvailable(); }
bool TRichEngine::CanRedo() const { return document()->isRedoAvailable(); }

bool TRichEngine::Undo() {
  if (readOnly_ || !CanUndo()) return false;
  document()->undo(nullptr);
  setTextCursor(textCursor());
  return true;
}

bool TRichEngine::Redo() {
  if (readOnly_ || !CanRedo()) return false;
  document()->redo(nullptr);
  return true;
}

void TRichEngine::EmptyUndoBuffer() { document()->clearUndoRedoStacks(); }

bool TRichEngine::GetModify() const { return document()->isModified(); }
void TRichEngine::SetModify(bool on) { document()->setModified(on); }

void TRichEngine::SetReadOnly(bool on) {
  readOnly_ = on;
  if (on) options_ |= ECO_READONLY;
  else options_ &= ~ECO_READONLY;
  // The caret and selection stay usable; edits are refused by the engine itself.
  viewport()->setCursor(Qt::IBeamCursor);
}

void TRichEngine::Copy() {
  const CHARRANGE s = GetSel();
  if (s.cpMin == s.cpMax) return;
  QMimeData* md = nullptr;
  if (oleCallback_) {
    CHARRANGE r = s;
    if (oleCallback_->GetClipboardData(&r, RECO_COPY, &md) != S_OK) md = nullptr;
  }
  if (!md) md = MimeDataForRange(s.cpMin, s.cpMax);
  lastClipboard_ = md;
  QApplication::clipboard()->setMimeData(md);
}

void TRichEngine::Cut() {
  const CHARRANGE s = GetSel();
  if (readOnly_ || s.cpMin == s.cpMax) return;
  if (ProtectedRefuses(WM_CUT, 0, 0, s.cpMin, s.cpMax)) return;
  Copy();
  NotifyObjectsRemoved(s.cpMin, s.cpMax);
  QTextCursor c = textCursor();
  c.removeSelectedText();
  setTextCursor(c);
}

void TRichEngine::Clear() {
  const CHARRANGE s = GetSel();
  if (readOnly_ || s.cpMin == s.cpMax) return;
  if (ProtectedRefuses(WM_CLEAR, 0, 0, s.cpMin, s.cpMax)) return;
  NotifyObjectsRemoved(s.cpMin, s.cpMax);
  QTextCursor c = textCursor();
  c.removeSelectedText();
  setTextCursor(c);
}

void TRichEngine::Paste() { PasteSpecial(0); }

bool TRichEngine::PasteSpecial(UINT format) {
  if (readOnly_) return false;
  const QMimeData* md = QApplication::clipboard()->mimeData();
  if (!md) return false;
  const CHARRANGE s = GetSel();
  if (ProtectedRefuses(format ? EM_PASTESPECIAL : WM_PASTE, WPARAM(format), 0, s.cpMin, s.cpMax)) return false;
  return InsertMimeData(md, format);
}

namespace {
bool HasRtf(const QMimeData* md) {
  return md->hasFormat(QString::fromLatin1(kMimeRtf)) || md->hasFormat(QString::fromLatin1(kMimeRtfApp));
}
QByteArray RtfOf(const QMimeData* md) {
  QByteArray b = md->data(QString::fromLatin1(kMimeRtf));
  if (b.isEmpty()) b = md->data(QString::fromLatin1(kMimeRtfApp));
  return b;
}
bool Offers(const QMimeData* md, UINT format) {
  if (!md) return false;
  switch (format) {
    case 0: return HasRtf(md) || md->hasHtml() || md->hasText();
    case CF_RTF:
    case CF_RTFNOOBJS: return HasRtf(md);
    case CF_HTML: return md->hasHtml();
    case CF_TEXT:
    case CF_UNICODETEXT: return md->hasText();
    default: {
      const QString mime = ClipboardFormatMime(format);
      return !mime.isEmpty() && md->hasFormat(mime);
    }
  }
}
// Pictures in pasted HTML come in as the toolkit's own images, which the stored form does not
// know and would drop: each one whose image is at hand becomes a picture of the engine's own.
void AdoptHtmlPictures(QTextDocument* doc, int from, int to) {
  std::vector<std::pair<int, QTextImageFormat>> found;
  for (QTextBlock b = doc->findBlock(from); b.isValid() && b.position() < to; b = b.next()) {
    for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
      const QTextFragment f = it.fragment();
      if (!f.isValid() || !f.charFormat().isImageFormat()) continue;
      for (int i = 0; i < f.length(); ++i) {
        const int pos = f.position() + i;
        if (pos >= from && pos < to) found.emplace_back(pos, f.charFormat().toImageFormat());
      }
    }
  }
  QTextCursor c(doc);
  for (const auto& [pos, img] : found) {
    const QVariant res = doc->resource(QTextDocument::ImageResource, QUrl(img.name()));
    QImage image;
    if (res.typeId() == QMetaType::QImage) image = res.value<QImage>();
    else if (res.typeId() == QMetaType::QPixmap) image = res.value<QPixmap>().toImage();
    else if (res.typeId() == QMetaType::QByteArray) image = QImage::fromData(res.toByteArray());
    if (image.isNull()) continue;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) continue;
    QTextCharFormat pf = PictureFormat(png, 1, img.width() > 0 ? DocToTwips(img.width()) : 0,
                                       img.height() > 0 ? DocToTwips(img.height()) : 0);
    if (img.isAnchor()) {
      pf.setAnchor(true);
      pf.setAnchorHref(img.anchorHref());
    }
    c.setPosition(pos);
    c.setPosition(pos + 1, QTextCursor::KeepAnchor);
    c.setCharFormat(pf);
  }
}
}  // namespace

bool TRichEngine::CanPaste(UINT format) const {
  if (readOnly_) return false;
  return Offers(QApplication::clipboard()->mimeData(), format);
}

QMimeData* TRichEngine::MimeDataForRange(int from, int to) const {
  auto* md = new QMimeData;
  md->setData(QString::fromLatin1(kMimeRtf), WriteRtf(*document(), from, to));
  QTextCursor c = CursorFor(from, to);
  md->setHtml(c.selection().toHtml());
  md->setText(PlainText(*document(), from, to));
  return md;
}

bool TRichEngine::InsertMimeData(const QMimeData* md, UINT onlyFormat) {
  if (!md) return false;
  UINT format = onlyFormat;
  if (oleCallback_ && oleCallback_->QueryAcceptData(md, &format, RECO_PASTE, true) != S_OK) return false;
  QTextCursor c = textCursor();
  const int removing = c.selectionEnd() - c.selectionStart();
  const bool rtfOk = (format == 0 || format == CF_RTF || format == CF_RTFNOOBJS) && HasRtf(md);
  const bool htmlOk = (format == 0 || format == CF_HTML) && md->hasHtml();
  const bool textOk = (format == 0 || format == CF_TEXT || format == CF_UNICODETEXT) && md->hasText();
  // A format registered by the host: its bytes are RTF when they look like it, else UTF-8 text.
  const QString customMime = format >= 0xC100 ? ClipboardFormatMime(format) : QString();
  const bool customOk = !customMime.isEmpty() && md->hasFormat(customMime);
  if (!rtfOk && !htmlOk && !textOk && !customOk) return false;
  c.beginEditBlock();
  const int before = TextLength();
  const int pasteStart = c.selectionStart();
  bool done = false;
  if (customOk) {
    const QByteArray bytes = md->data(customMime);
    c.removeSelectedText();
    if (LooksLikeRtf(bytes)) done = ReadRtf(bytes, c, nullptr);
    if (!done) {
      InsertPlainText(QString::fromUtf8(bytes), c);
      done = true;
    }
  }
  if (rtfOk) {
    c.removeSelectedText();
    done = ReadRtf(RtfOf(md), c, nullptr);
  }
  if (!done && htmlOk) {
    c.removeSelectedText();
    const int htmlStart = c.position();
    c.insertFragment(QTextDocumentFragment::fromHtml(md->html(), document()));
    AdoptHtmlPictures(document(), htmlStart, c.position());
    done = true;
  }
  if (!done && textOk) {
    c.removeSelectedText();
    InsertPlainText(md->text(), c);
    done = true;
  }
  c.endEditBlock();
  if (done && TextLength() - before + removing > 0 && !FitsLimit(0, 0)) {
    // More than the engine may hold: take the paste back.
    document()->undo(nullptr);
    Notify(EN_MAXTEXT, nullptr);
    return false;
  }
  if (done) {
    if (!(typography_ & TO_ADVANCEDTYPOGRAPHY)) ApplyJustification();
    SyncNumbering(pasteStart, c.position());
    setTextCursor(c);
    ensureCursorVisible();
  }
  return done;
}

bool TRichEngine::canInsertFromMimeData(const QMimeData* source) const {
  return !readOnly_ && Offers(source, 0);
}

QMimeData* TRichEngine::createMimeDataFromSelection() const {
  const CHARRANGE s = GetSel();
  return MimeDataForRange(s.cpMin, s.cpMax);
}

void TRichEngine::insertFromMimeData(const QMimeData* source) {
  if (readOnly_) return;
  InsertMimeData(source, 0);
}

// ---- options ------------------------------------------------------------------------------------

DWORD TRichEngine::SetEventMask(DWORD mask) {
  const DWORD old = eventMask_;
  eventMask_ = mask;
  lastSel_ = GetSel();
  return old;
}

void TRichEngine::SetAutoUrlDetect(bool on) {
  if (autoUrl_ == on) return;
  autoUrl_ = on;
  if (on) DetectUrls(0, TextLength());
  else autoLinks_.clear();
  ApplyLinkDecoration();
}

void TRichEngine::DetectUrls(int, int) {
  static const QRegularExpression re(
      QStringLiteral("\\b(?:(?:https?|ftp|file|mailto|news|nntp|telnet|gopher|wais|prospero):[^\\s<>\"]+|www\\.[^\\s<>\"]+)"),
      QRegularExpression::CaseInsensitiveOption);
  autoLinks_.clear();
  const QString text = Text();
  for (auto it = re.globalMatch(text); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    int end = int(m.capturedEnd());
    // Closing punctuation after an address is not part of it.
    while (end > m.capturedStart() && QStringLiteral(".,;:!?)]}'").contains(text[end - 1])) --end;
    if (end > m.capturedStart()) autoLinks_.append({LONG(m.capturedStart()), LONG(end)});
  }
  ApplyLinkDecoration();
}

void TRichEngine::ApplyLinkDecoration() {
  QList<QTextEdit::ExtraSelection> extra;
  for (const CHARRANGE& r : autoLinks_) {
    QTextEdit::ExtraSelection es;
    es.cursor = CursorFor(r.cpMin, r.cpMax);
    es.format.setFontUnderline(true);
    es.format.setForeground(QColor(0, 0, 255));
    extra.append(es);
  }
  setExtraSelections(extra);
}

void TRichEngine::SetTypographyOptions(DWORD values, DWORD mask) {
  const DWORD old = typography_;
  typography_ = (typography_ & ~mask) | (values & mask);
  if ((old ^ typography_) & TO_ADVANCEDTYPOGRAPHY) ApplyJustification();
}

void TRichEngine::SetTextLimit(LONG chars) { limit_ = chars <= 0 ? 65536 : chars; }

COLORREF TRichEngine::SetBackgroundColor(bool useSystem, COLORREF c) {
  const COLORREF old = useSysBackground_ ? ColorToRGB(clWindow) : background_;
  useSysBackground_ = useSystem;
  background_ = c;
  QPalette pal = palette();
  const QColor q = useSystem ? QApplication::palette().color(QPalette::Base) : ColorRefToQColor(c);
  pal.setColor(QPalette::Base, q);
  pal.setColor(QPalette::Window, q);
  setPalette(pal);
  return old;
}

void TRichEngine::SetHideSelection(bool hide) {
  hideSelection_ = hide;
  if (hide) options_ &= ~ECO_NOHIDESEL;
  else options_ |= ECO_NOHIDESEL;
  SetHideSelectionImpl(hide);
}

void TRichEngine::SetHideSelectionImpl(bool hide) {
  QPalette pal = palette();
  const QPalette app = QApplication::palette();
  if (hide) {
    // Without the focus the selection does not show.
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Base));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::Text));
  } else {
    pal.setColor(QPalette::Inactive, QPalette::Highlight, app.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, app.color(QPalette::Active, QPalette::HighlightedText));
  }
  setPalette(pal);
}

void TRichEngine::SetWordWrap(bool on) {
  wordWrap_ = on;
  ApplyFormatRect();
}

DWORD TRichEngine::Options() const { return options_; }

DWORD TRichEngine::SetOptions(DWORD op, DWORD options) {
  DWORD v = options_;
  switch (op) {
    case ECOOP_SET: v = options; break;
    case ECOOP_OR: v |= options; break;
    case ECOOP_AND: v &= options; break;
    case ECOOP_XOR: v ^= options; break;
    default: return options_;
  }
  options_ = v;
  SetReadOnly(v & ECO_READONLY);
  hideSelection_ = !(v & ECO_NOHIDESEL);
  SetHideSelectionImpl(hideSelection_);
  return options_;
}

void TRichEngine::SetRedraw(bool on) {
  if (redraw_ == on) return;
  redraw_ = on;
  viewport()->setUpdatesEnabled(on);
  if (on) viewport()->update();
}

void TRichEngine::ScrollCaret() { ensureCursorVisible(); }

IRichEditOle* TRichEngine::OleInterface() {
  if (!ole_) ole_ = std::make_unique<TRichEngineOle>(this);
  return ole_.get();
}

// ---- keyboard, mouse, focus ---------------------------------------------------------------------

namespace {
bool IsNavigation(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_Escape:
    case Qt::Key_Insert:
      return true;
    default:
      return e->matches(QKeySequence::Copy) || e->matches(QKeySequence::SelectAll);
  }
}
}  // namespace

// Checks a keystroke that changes text against read-only, protection and the text limit;
// false refuses it.
bool TRichEngine::EditKeyAllowed(QKeyEvent* e) {
  QTextCursor c = textCursor();
  int from = c.selectionStart(), to = c.selectionEnd();
  int adding = 0;
  const bool back = e->key() == Qt::Key_Backspace || e->matches(QKeySequence::DeleteStartOfWord);
  const bool del = e->key() == Qt::Key_Delete || e->matches(QKeySequence::DeleteEndOfWord);
  if (from == to) {
    if (e->matches(QKeySequence::DeleteStartOfWord)) {
      QTextCursor w = c;
      w.movePosition(QTextCursor::PreviousWord, QTextCursor::KeepAnchor);
      from = w.selectionStart();
    } else if (e->matches(QKeySequence::DeleteEndOfWord)) {
      QTextCursor w = c;
      w.movePosition(QTextCursor::NextWord, QTextCursor::KeepAnchor);
      to = w.selectionEnd();
    } else if (back) {
      from = std::max(0, from - 1);
    } else if (del) {
      to = std::min(TextLength(), to + 1);
    }
  }
  if (!back && !del) adding = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter ? 1 : int(e->text().size());
  if (readOnly_) {
    platform::Beep();
    return false;
  }
  if (ProtectedRefuses(WM_CHAR, e->text().isEmpty() ? 0 : WPARAM(e->text().at(0).unicode()), 0, from, to)) {
    platform::Beep();
    return false;
  }
  if (adding > 0 && !FitsLimit(to - from, adding)) {
    Notify(EN_MAXTEXT, nullptr);
    platform::Beep();
    return false;
  }
  NotifyObjectsRemoved(from, to);
  return true;
}

void TRichEngine::keyPressEvent(QKeyEvent* e) {
  if (host_ && host_->EngineKeyDown(this, e)) return;
  // Clipboard and undo keys first: some of them (Shift+Insert) look like navigation.
  if (e->matches(QKeySequence::Undo)) {
    Undo();
    return;
  }
  if (e->matches(QKeySequence::Redo)) {
    Redo();
    return;
  }
  if (e->matches(QKeySequence::Cut)) {
    Cut();
    return;
  }
  if (e->matches(QKeySequence::Paste)) {
    Paste();
    return;
  }
  if (e->matches(QKeySequence::Copy)) {
    Copy();
    return;
  }
  if (IsNavigation(e)) {
    QTextEdit::keyPressEvent(e);
    return;
  }
  const bool edits = e->key() == Qt::Key_Backspace || e->key() == Qt::Key_Delete || e->key() == Qt::Key_Return ||
                     e->key() == Qt::Key_Enter || e->key() == Qt::Key_Tab ||
                     e->matches(QKeySequence::DeleteStartOfWord) || e->matches(QKeySequence::DeleteEndOfWord) ||
                     (!e->text().isEmpty() && e->text().at(0).isPrint());
  if ((e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab) && tabChangesFocus()) {
    e->ignore();  // the window moves the focus on
    return;
  }
  if (edits && !EditKeyAllowed(e)) return;
  QTextEdit::keyPressEvent(e);
  // Backspace at the start of a list item or Enter on an empty one takes the paragraph out of
  // its list; the paragraph's numbering must say so too, or it would be written back.
  if (edits) {
    const int pos = textCursor().position();
    SyncNumbering(std::max(0, pos - 1), pos);
  }
}

void TRichEngine::SyncNumbering(int from, int to) {
  QTextDocument* doc = document();
  QTextCursor c(doc);
  bool began = false;
  auto begin = [&] {
    if (began) return;
    c.joinPreviousEditBlock();  // part of the edit that caused it, one undo step
    began = true;
    inFormatChange_ = true;
  };
  // A list brought in as HTML (or indented by the toolkit's own keys) shows its indent through
  // the list, which the stored form does not know: the paragraphs take it over as their own
  // start indent, so what is shown is what is written.
  std::vector<QTextList*> indented;
  for (QTextBlock b = doc->findBlock(from); b.isValid() && b.position() <= to; b = b.next()) {
    QTextList* list = b.textList();
    if (list && list->format().indent() > 0 &&
        std::find(indented.begin(), indented.end(), list) == indented.end())
      indented.push_back(list);
  }
  for (QTextList* list : indented) {
    begin();
    QTextListFormat lf = list->format();
    const int extraTw = DocToTwips(doc->indentWidth() * lf.indent());
    for (int i = 0; i < list->count(); ++i) {
      const QTextBlock item = list->item(i);
      QTextBlockFormat f = item.blockFormat();
      SetIndents(f, StartIndentTw(f) + extraTw, RightIndentTw(f), OffsetTw(f));
      c.setPosition(item.position());
      c.setBlockFormat(f);
    }
    lf.setIndent(0);
    list->setFormat(lf);
  }
  for (QTextBlock b = doc->findBlock(from); b.isValid() && b.position() <= to; b = b.next()) {
    const QTextBlockFormat f = b.blockFormat();
    const QTextList* list = b.textList();
    const int has = f.intProperty(kNumbering);
    int want = 0;
    if (list) {
      switch (list->format().style()) {
        case QTextListFormat::ListDisc:
        case QTextListFormat::ListCircle:
        case QTextListFormat::ListSquare: want = PFN_BULLET; break;
        case QTextListFormat::ListLowerAlpha: want = PFN_LCLETTER; break;
        case QTextListFormat::ListUpperAlpha: want = PFN_UCLETTER; break;
        case QTextListFormat::ListLowerRoman: want = PFN_LCROMAN; break;
        case QTextListFormat::ListUpperRoman: want = PFN_UCROMAN; break;
        default: want = PFN_ARABIC; break;
      }
      if (has == PFN_ARABIC && want == PFN_ARABIC) continue;
    }
    if (has == want) continue;
    begin();
    QTextBlockFormat g;
    if (want) g.setProperty(kNumbering, want);
    c.setPosition(b.position());
    if (want) {
      c.mergeBlockFormat(g);
    } else {
      QTextBlockFormat cleared = f;
      cleared.clearProperty(kNumbering);
      c.setBlockFormat(cleared);
    }
  }
  if (began) {
    c.endEditBlock();
    inFormatChange_ = false;
  }
}

void TRichEngine::inputMethodEvent(QInputMethodEvent* e) {
  if (readOnly_ && !e->commitString().isEmpty()) {
    e->ignore();
    return;
  }
  QTextEdit::inputMethodEvent(e);
}

int TRichEngine::CharUnder(const QPoint& viewportPos) const {
  const QTextCursor c = cursorForPosition(viewportPos);
  const int pos = c.position();
  // The character under the point, not the caret position nearest to it.
  const QRect r = cursorRect(c);
  const int ch = viewportPos.x() < r.x() ? pos - 1 : pos;
  return ch < 0 || ch >= TextLength() ? -1 : ch;
}

void TRichEngine::SelectObjectUnder(const QPoint& viewportPos) {
  // A click on an embedded object selects the object, as the host's object commands expect.
  const int ch = CharUnder(viewportPos);
  if (ch >= 0 && IsObjectChar(document()->characterAt(ch))) SetSel({ch, ch + 1});
}

void TRichEngine::NotifyObjectsRemoved(int from, int to) {
  if (!oleCallback_ || !ole_ || from >= to) return;
  const QString t = GetTextRange(from, to);
  for (int i = 0; i < t.size(); ++i)
    if (IsObjectChar(t[i]))
      if (IOleObject* obj = static_cast<TRichEngineOle*>(ole_.get())->ObjectAt(from + i)) oleCallback_->DeleteObject(obj);
}

int TRichEngine::LinkAt(const QPoint& viewportPos, CHARRANGE* range) const {
  const int ch = CharUnder(viewportPos);
  if (ch < 0) return -1;
  for (const CHARRANGE& l : autoLinks_)
    if (l.cpMin <= ch && ch < l.cpMax) {
      if (range) *range = l;
      return ch;
    }
  QTextCursor at(document());
  at.setPosition(ch + 1);
  const QTextCharFormat f = at.charFormat();
  if (!f.boolProperty(kLink) && !(f.isAnchor() && !f.anchorHref().isEmpty())) return -1;
  if (range) {
    // The run of link characters around ch.
    int a = ch, b = ch + 1;
    const auto isLink = [&](int p) {
      QTextCursor k(document());
      k.setPosition(p + 1);
      const QTextCharFormat g = k.charFormat();
      return g.boolProperty(kLink) || (g.isAnchor() && !g.anchorHref().isEmpty());
    };
    while (a > 0 && isLink(a - 1)) --a;
    while (b < TextLength() && isLink(b)) ++b;
    *range = {a, b};
  }
  return ch;
}

namespace {
WPARAM KeyFlags(const QMouseEvent* e) {
  WPARAM w = 0;
  if (e->buttons() & Qt::LeftButton) w |= MK_LBUTTON;
  if (e->buttons() & Qt::RightButton) w |= MK_RBUTTON;
  if (e->modifiers() & Qt::ShiftModifier) w |= MK_SHIFT;
  if (e->modifiers() & Qt::ControlModifier) w |= MK_CONTROL;
  return w;
}
}  // namespace

bool TRichEngine::SendLink(UINT msg, QMouseEvent* e) {
  if (!(eventMask_ & ENM_LINK)) return false;
  CHARRANGE r;
  const QPoint vp = e->position().toPoint();
  if (LinkAt(vp, &r) < 0) {
    viewport()->setCursor(Qt::IBeamCursor);
    return false;
  }
  viewport()->setCursor(Qt::PointingHandCursor);
  ENLINK l;
  l.msg = msg;
  l.wParam = KeyFlags(e);
  const QPoint client = vp + viewport()->pos();
  l.lParam = MAKELPARAM(client.x(), client.y());
  l.chrg = r;
  return Notify(EN_LINK, &l.nmhdr) != 0;
}

void TRichEngine::mousePressEvent(QMouseEvent* e) {
  if (host_ && host_->EngineMouse(this, e)) return;
  if (e->button() == Qt::LeftButton && SendLink(WM_LBUTTONDOWN, e)) return;
  if (e->button() == Qt::RightButton && SendLink(WM_RBUTTONDOWN, e)) return;
  QTextEdit::mousePressEvent(e);
  if (e->button() == Qt::LeftButton && !(e->modifiers() & Qt::ShiftModifier)) SelectObjectUnder(e->position().toPoint());
}

void TRichEngine::mouseReleaseEvent(QMouseEvent* e) {
  if (host_ && host_->EngineMouse(this, e)) return;
  if (e->button() == Qt::LeftButton && SendLink(WM_LBUTTONUP, e)) return;
  if (e->button() == Qt::RightButton && SendLink(WM_RBUTTONUP, e)) return;
  QTextEdit::mouseReleaseEvent(e);
}

void TRichEngine::mouseMoveEvent(QMouseEvent* e) {
  if (host_ && host_->EngineMouse(this, e)) return;
  if (SendLink(WM_MOUSEMOVE, e)) return;
  QTextEdit::mouseMoveEvent(e);
}

void TRichEngine::mouseDoubleClickEvent(QMouseEvent* e) {
  if (host_ && host_->EngineMouse(this, e)) return;
  QTextEdit::mouseDoubleClickEvent(e);
}

void TRichEngine::contextMenuEvent(QContextMenuEvent* e) {
  if (host_ && host_->EngineContextMenu(this, e)) return;
  if (!oleCallback_) return;  // the engine has no menu of its own
  CHARRANGE sel = GetSel();
  IOleObject* obj = nullptr;
  if (SelectionType() & SEL_OBJECT) obj = static_cast<TRichEngineOle*>(OleInterface())->ObjectAt(sel.cpMin);
  QMenu* menu = nullptr;
  if (oleCallback_->GetContextMenu(SelectionType(), obj, &sel, &menu) == S_OK && menu) menu->exec(e->globalPos());
}

void TRichEngine::focusInEvent(QFocusEvent* e) {
  QTextEdit::focusInEvent(e);
  Notify(EN_SETFOCUS, nullptr);
  if (host_) host_->EngineFocus(this, true);
}

void TRichEngine::focusOutEvent(QFocusEvent* e) {
  QTextEdit::focusOutEvent(e);
  Notify(EN_KILLFOCUS, nullptr);
  if (host_) host_->EngineFocus(this, false);
}

void TRichEngine::resizeEvent(QResizeEvent* e) {
  QTextEdit::resizeEvent(e);
  if (rectSet_) ApplyFormatRect();
}

void TRichEngine::paintEvent(QPaintEvent* e) {
  if (!redraw_) return;
  QTextEdit::paintEvent(e);
}

void TRichEngine::dragEnterEvent(QDragEnterEvent* e) {
  if (readOnly_) {
    e->ignore();
    return;
  }
  QTextEdit::dragEnterEvent(e);
}

void TRichEngine::dragMoveEvent(QDragMoveEvent* e) {
  if (readOnly_) {
    e->ignore();
    return;
  }
  if (oleCallback_) {
    DWORD keys = 0;
    if (e->modifiers() & Qt::ControlModifier) keys |= MK_KEYSTATE_CONTROL;
    if (e->modifiers() & Qt::ShiftModifier) keys |= MK_KEYSTATE_SHIFT;
    DWORD effect = 0;
    if (e->possibleActions() & Qt::CopyAction) effect |= DROPEFFECT_COPY;
    if (e->possibleActions() & Qt::MoveAction) effect |= DROPEFFECT_MOVE;
    if (e->possibleActions() & Qt::LinkAction) effect |= DROPEFFECT_LINK;
    oleCallback_->GetDragDropEffect(false, keys, &effect);
    if (effect & DROPEFFECT_MOVE) e->setDropAction(Qt::MoveAction);
    else if (effect & DROPEFFECT_COPY) e->setDropAction(Qt::CopyAction);
    else if (effect & DROPEFFECT_LINK) e->setDropAction(Qt::LinkAction);
    else {
      e->ignore();
      return;
    }
  }
  QTextEdit::dragMoveEvent(e);
}

void TRichEngine::dropEvent(QDropEvent* e) {
  if (readOnly_) {
    e->ignore();
    return;
  }
  const QTextCursor at = cursorForPosition(e->position().toPoint());
  if (ProtectedRefuses(WM_PASTE, 0, 0, at.position(), at.position())) {
    e->ignore();
    return;
  }
  QTextEdit::dropEvent(e);
}

// ---- the message dispatcher ---------------------------------------------------------------------

LRESULT TRichEngine::Perform(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_SETTEXT: {
      const QString t = FromUtf16(reinterpret_cast<const char16_t*>(l));
      if (t.startsWith(QLatin1String("{\\rtf"))) return LoadRtf(t.toLatin1()) ? 1 : 0;
      SetPlainText(t);
      document()->clearUndoRedoStacks();
      return 1;
    }
    // The window text has CR LF between paragraphs, as the class library's Text shows it.
    case WM_GETTEXT: return CopyOut(PlainText(*document()), reinterpret_cast<char16_t*>(l), qsizetype(w));
    case WM_GETTEXTLENGTH:
    case EM_GETTEXTLENGTHEX: return TextLength();
    case WM_SETREDRAW: SetRedraw(w != 0); return 0;
    case WM_CUT: Cut(); return 0;
    case WM_COPY: Copy(); return 0;
    case WM_PASTE: Paste(); return 0;
    case WM_CLEAR: Clear(); return 0;
    case WM_UNDO:
    case EM_UNDO: return Undo() ? 1 : 0;
    case EM_REDO: return Redo() ? 1 : 0;
    case EM_CANUNDO: return CanUndo() ? 1 : 0;
    case EM_CANREDO: return CanRedo() ? 1 : 0;
    case EM_EMPTYUNDOBUFFER: EmptyUndoBuffer(); return 0;
    case EM_STOPGROUPTYPING: return 0;
    case EM_SETUNDOLIMIT:
      // Qt keeps no count of undo steps: a limit of 0 turns undo off, any other keeps it on.
      document()->setUndoRedoEnabled(w != 0);
      return w;
    case EM_CANPASTE: return CanPaste(UINT(w)) ? 1 : 0;
    case EM_PASTESPECIAL: PasteSpecial(UINT(w)); return 0;
    case EM_GETMODIFY: return GetModify() ? 1 : 0;
    case EM_SETMODIFY: SetModify(w != 0); return 0;
    case EM_SETREADONLY: SetReadOnly(w != 0); return 1;
    case EM_GETSEL: {
      const CHARRANGE s = GetSel();
      if (w) *reinterpret_cast<DWORD*>(w) = DWORD(s.cpMin);
      if (l) *reinterpret_cast<DWORD*>(l) = DWORD(s.cpMax);
      return MAKELPARAM(std::min<LONG>(s.cpMin, 0xFFFF), std::min<LONG>(s.cpMax, 0xFFFF));
    }
    case EM_SETSEL: SetSel({LONG(w), LONG(l)}); return 0;
    case EM_EXGETSEL:
      if (l) *reinterpret_cast<CHARRANGE*>(l) = GetSel();
      return 0;
    case EM_EXSETSEL:
      if (l) SetSel(*reinterpret_cast<const CHARRANGE*>(l));
      return GetSel().cpMax;
    case EM_REPLACESEL: ReplaceSel(FromUtf16(reinterpret_cast<const char16_t*>(l)), w != 0); return 0;
    case EM_GETSELTEXT: {
      const QString t = GetSelText();
      auto* buf = reinterpret_cast<char16_t*>(l);
      if (!buf) return 0;
      std::memcpy(buf, t.utf16(), size_t(t.size()) * 2);
      buf[t.size()] = 0;
      return t.size();
    }
    case EM_SELECTIONTYPE: return SelectionType();
    case EM_GETTEXTRANGE: {
      auto* tr = reinterpret_cast<TEXTRANGE*>(l);
      if (!tr || !tr->lpstrText) return 0;
      const QString t = GetTextRange(tr->chrg.cpMin, tr->chrg.cpMax);
      std::memcpy(tr->lpstrText, t.utf16(), size_t(t.size()) * 2);
      tr->lpstrText[t.size()] = 0;
      return t.size();
    }
    case EM_CHARFROMPOS: {
      const auto* p = reinterpret_cast<const POINTL*>(l);
      return p ? CharFromPos(QPoint(p->x, p->y)) : 0;
    }
    case EM_POSFROMCHAR: {
      auto* p = reinterpret_cast<POINTL*>(w);
      const QPoint q = PosFromChar(int(l));
      if (p) *p = {q.x(), q.y()};
      return 0;
    }
    case EM_GETLINECOUNT: return GetLineCount();
    case EM_LINEINDEX: return LineIndex(int(w));
    case EM_LINELENGTH: return LineLength(int(w));
    case EM_LINEFROMCHAR:
    case EM_EXLINEFROMCHAR: return LineFromChar(int(msg == EM_EXLINEFROMCHAR ? l : w));
    case EM_GETFIRSTVISIBLELINE: return FirstVisibleLine();
    case EM_GETLINE: {
      auto* buf = reinterpret_cast<char16_t*>(l);
      if (!buf) return 0;
      const int size = int(*reinterpret_cast<WORD*>(buf));
      const QString t = GetLine(int(w));
      // The line is copied without a terminating zero, as many characters as the buffer holds.
      const int n = std::min(int(t.size()), size);
      std::memcpy(buf, t.utf16(), size_t(n) * 2);
      return n;
    }
    case EM_GETCHARFORMAT: {
      auto* cf = reinterpret_cast<CHARFORMAT*>(l);
      if (!cf) return 0;
      GetCharFormat(DWORD(w), *cf);
      return cf->dwMask;
    }
    case EM_SETCHARFORMAT: {
      const auto* cf = reinterpret_cast<const CHARFORMAT*>(l);
      return cf && SetCharFormat(DWORD(w), *cf) ? 1 : 0;
    }
    case EM_GETPARAFORMAT: {
      auto* pf = reinterpret_cast<PARAFORMAT*>(l);
      if (!pf) return 0;
      GetParaFormat(*pf);
      return pf->dwMask;
    }
    case EM_SETPARAFORMAT: {
      const auto* pf = reinterpret_cast<const PARAFORMAT*>(l);
      return pf && SetParaFormat(*pf) ? 1 : 0;
    }
    case EM_FINDTEXT: {
      auto* ft = reinterpret_cast<FINDTEXT*>(l);
      if (!ft) return -1;
      FINDTEXTEX ex;
      ex.chrg = ft->chrg;
      ex.lpstrText = ft->lpstrText;
      return FindText(DWORD(w), ex);
    }
    case EM_FINDTEXTEX: {
      auto* ft = reinterpret_cast<FINDTEXTEX*>(l);
      return ft ? FindText(DWORD(w), *ft) : -1;
    }
    case EM_GETRECT:
      if (l) *reinterpret_cast<RECT*>(l) = GetRect();
      return 0;
    case EM_SETRECT:
    case EM_SETRECTNP: SetRect(reinterpret_cast<const RECT*>(l)); return 0;
    case EM_FORMATRANGE: return FormatRange(w != 0, reinterpret_cast<const FORMATRANGE*>(l));
    case EM_DISPLAYBAND: return 0;
    case EM_SCROLLCARET:
    case EM_SCROLLCARET_RE: ScrollCaret(); return 0;
    case EM_REQUESTRESIZE: RequestResize(); return 0;
    case EM_GETEVENTMASK: return GetEventMask();
    case EM_SETEVENTMASK: return SetEventMask(DWORD(l));
    case EM_AUTOURLDETECT: SetAutoUrlDetect(w != 0); return 0;
    case EM_GETAUTOURLDETECT: return autoUrl_ ? 1 : 0;
    case EM_SETTYPOGRAPHYOPTIONS: SetTypographyOptions(DWORD(w), DWORD(l)); return 1;
    case EM_GETTYPOGRAPHYOPTIONS: return typography_;
    case EM_EXLIMITTEXT: SetTextLimit(LONG(l)); return 0;
    case EM_LIMITTEXT: SetTextLimit(LONG(w)); return 0;
    case EM_SETBKGNDCOLOR: return SetBackgroundColor(w != 0, COLORREF(l));
    case EM_SETOPTIONS: return SetOptions(DWORD(w), DWORD(l));
    case EM_GETOPTIONS: return Options();
    case EM_HIDESELECTION: SetHideSelectionImpl(w != 0); return 0;
    case EM_SETTARGETDEVICE:
      if (w == 0 && l == 1) {
        SetWordWrap(false);
      } else {
        targetWidthTw_ = LONG(l);
        wordWrap_ = true;
        ApplyFormatRect();
      }
      return 1;
    case EM_STREAMIN: {
      auto* es = reinterpret_cast<EDITSTREAM*>(l);
      return es ? StreamIn(DWORD(w), *es) : 0;
    }
    case EM_STREAMOUT: {
      auto* es = reinterpret_cast<EDITSTREAM*>(l);
      return es ? StreamOut(DWORD(w), *es) : 0;
    }
    case EM_GETOLEINTERFACE: {
      auto** out = reinterpret_cast<IRichEditOle**>(l);
      if (!out) return 0;
      *out = OleInterface();
      return 1;
    }
    case EM_SETOLECALLBACK: SetOleCallback(reinterpret_cast<IRichEditOleCallback*>(l)); return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK: {
      // A click sent by the program: the engine places the caret (or selects the object) there.
      const QPointF at = QPointF(GET_X_LPARAM(l), GET_Y_LPARAM(l)) - QPointF(viewport()->pos());
      const QEvent::Type type = msg == WM_LBUTTONDOWN ? QEvent::MouseButtonPress
                                : msg == WM_LBUTTONUP ? QEvent::MouseButtonRelease
                                                      : QEvent::MouseButtonDblClick;
      const Qt::MouseButtons held = msg == WM_LBUTTONUP ? Qt::NoButton : Qt::LeftButton;
      QMouseEvent me(type, at, viewport()->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
      if (msg == WM_LBUTTONDOWN) {
        QTextEdit::mousePressEvent(&me);
        SelectObjectUnder(at.toPoint());
      }
      else if (msg == WM_LBUTTONUP) QTextEdit::mouseReleaseEvent(&me);
      else QTextEdit::mouseDoubleClickEvent(&me);
      return 0;
    }
    default: return 0;
  }
}

}  // namespace engine
