// The engine window: construction, notifications and options.
#include "engine/RichEngine.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QPalette>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextLayout>
#include <cmath>

#include "base/Colors.h"
#include "base/ScopeGuard.h"
#include "engine/RichEngine_p.h"

namespace engine {

// ---- construction -------------------------------------------------------------------------------

TRichEngine::TRichEngine(QWidget* parent, const QString& className)
    : QTextEdit(parent), className_(className), doc_(std::make_unique<TRichDocument>(document())) {
  version_ = className.compare(QLatin1String("RICHEDIT"), Qt::CaseInsensitive) == 0 ? 1 : 2;
  setAcceptRichText(true);
  setUndoRedoEnabled(true);
  setTabChangesFocus(false);
  setFrameShape(QFrame::NoFrame);
  document()->setDocumentMargin(0);
  document()->setUndoRedoEnabled(true);
  setMouseTracking(true);
  viewport()->setMouseTracking(true);
  // The viewport stands in for the engine when asked for the focus. Left wherever the window's
  // focus chain put it, that makes it a second stop of the engine, which Shift+Tab reaches out of
  // turn; a click on it gives the engine the focus all the same.
  viewport()->setFocusProxy(nullptr);
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
      if (autoUrl_) DetectUrls();
      Notify(EN_CHANGE, nullptr);
    }
    // Links come and go with formats too, which are no change of the text.
    if (!autoUrl_) ApplyLinkDecoration();
    // The selection moved by an edit is reported after the edit itself.
    if (selPending_) {
      selPending_ = false;
      OnCursorChanged();
    }
  });
  connect(this, &QTextEdit::cursorPositionChanged, this, [this] { OnCursorChanged(); });
  connect(this, &QTextEdit::selectionChanged, this, [this] { OnCursorChanged(); });
  connect(document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
          [this](const QSizeF& size) {
            // The size of what is laid out so far: a long text is laid out a part at a time, and
            // each part reports again.
            laidOutSize_ = size;
            if (eventMask_ & ENM_REQUESTRESIZE) RequestResize();
          });
  SetUpLineScrolling();
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
  base::ScopeGuard done([this] { --notifying_; });
  return OnNotify(code, hdr);
}

void TRichEngine::OnContentsChange(int, int removed, int added) {
  if (removed == added && doc_->InFormatChange()) return;  // formatting only
  if (removed == 0 && added == 0) return;
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
  // Measured from the layout that exists. A text laid out to its end is measured whole; one
  // still being laid out gives the size it has so far, and the layout reports again as it goes
  // on. Measuring it whole would lay all of it out first, which for a long definition takes
  // longer than the user will wait, and on every resize. Only a text never laid out at all (a
  // window never shown) is measured on request.
  const QTextLayout* last = document()->lastBlock().layout();
  const bool whole = (last && last->lineCount() > 0) || !laidOutSize_.isValid();
  const QSizeF sz = whole ? document()->documentLayout()->documentSize() : laidOutSize_;
  rr.rc = {fr.left, fr.top, fr.right, fr.top + LONG(std::ceil(sz.height()))};
  Notify(EN_REQUESTRESIZE, &rr.nmhdr);
}

// ---- protection, limit ----------------------------------------------------------------------------

bool TRichEngine::ProtectedRefuses(UINT msg, WPARAM w, LPARAM l, int from, int to) {
  if (!(eventMask_ & ENM_PROTECTED)) return false;
  if (!doc_->RangeHasProtected(from, to)) return false;
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
  if (on) DetectUrls();
  else autoLinks_.clear();
  ApplyLinkDecoration();
}

void TRichEngine::DetectUrls() {
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
  // Hyperlink fields in the desktop's link colour, whatever colour the stored text has; one
  // whose target leads nowhere dashed and greyed, so the reader sees it before following it.
  const QColor linkColor = palette().color(QPalette::Link);
  const QColor brokenColor = palette().color(QPalette::Disabled, QPalette::Text);
  // The document's few formats tell whether there is a link at all: most texts have none, and a
  // long one is not walked at every keystroke for nothing.
  bool anyLink = false;
  for (const QTextFormat& f : document()->allFormats())
    if (f.isCharFormat() && f.toCharFormat().isAnchor() && !f.toCharFormat().anchorHref().isEmpty()) {
      anyLink = true;
      break;
    }
  for (QTextBlock b = anyLink ? document()->begin() : QTextBlock(); b.isValid(); b = b.next())
    for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
      const QTextFragment frag = it.fragment();
      const QTextCharFormat f = frag.charFormat();
      if (!f.isAnchor() || f.anchorHref().isEmpty()) continue;
      const bool broken = LinkBroken && LinkBroken(f.anchorHref());
      QTextEdit::ExtraSelection es;
      es.cursor = QTextCursor(document());
      es.cursor.setPosition(frag.position());
      es.cursor.setPosition(frag.position() + frag.length(), QTextCursor::KeepAnchor);
      es.format.setUnderlineStyle(broken ? QTextCharFormat::DashUnderline : QTextCharFormat::SingleUnderline);
      es.format.setForeground(broken ? brokenColor : linkColor);
      es.format.setUnderlineColor(broken ? brokenColor : linkColor);
      extra.append(es);
    }
  setExtraSelections(extra);
}

void TRichEngine::SetTypographyOptions(DWORD values, DWORD mask) { doc_->SetTypographyOptions(values, mask); }

void TRichEngine::SetTextLimit(LONG chars) { limit_ = chars <= 0 ? 65536 : chars; }

COLORREF TRichEngine::SetBackgroundColor(bool useSystem, COLORREF c) {
  const COLORREF old = useSysBackground_ ? COLORREF(base::ColorToRGB(base::clWindow)) : background_;
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

}  // namespace engine
