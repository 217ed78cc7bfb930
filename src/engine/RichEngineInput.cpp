// The engine window's input: keys (checked against read-only, protection and the text limit),
// the mouse, links under it, the context menu, focus and drag and drop.
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextBlock>
#include <algorithm>

#include "engine/RichEngine.h"
#include "engine/RichEngine_p.h"
#include "rtf/TextModel.h"

namespace engine {

// ---- keyboard, mouse, focus ---------------------------------------------------------------------

namespace {
TEngineBell& Bell() {
  static TEngineBell bell;
  return bell;
}

void RingBell() {
  if (Bell()) Bell()();
}

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

TEngineBell SetEngineBell(TEngineBell bell) {
  TEngineBell old = std::move(Bell());
  Bell() = std::move(bell);
  return old;
}

TEditKey EditKeyOf(const QKeyEvent* e) {
  // The platform engine's own keys hold on every desktop; the desktop's own bindings come on top
  // (Ctrl+Shift+Z for redo, say, where Ctrl+Y means nothing to the desktop).
  const Qt::KeyboardModifiers mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier |
                                                       Qt::MetaModifier);
  struct Binding {
    Qt::KeyboardModifiers mods;
    int key;
    TEditKey command;
  };
  static const Binding kEngineKeys[] = {
      {Qt::ControlModifier, Qt::Key_Z, TEditKey::Undo},   {Qt::AltModifier, Qt::Key_Backspace, TEditKey::Undo},
      {Qt::ControlModifier, Qt::Key_Y, TEditKey::Redo},   {Qt::ControlModifier, Qt::Key_X, TEditKey::Cut},
      {Qt::ShiftModifier, Qt::Key_Delete, TEditKey::Cut}, {Qt::ControlModifier, Qt::Key_C, TEditKey::Copy},
      {Qt::ControlModifier, Qt::Key_Insert, TEditKey::Copy}, {Qt::ControlModifier, Qt::Key_V, TEditKey::Paste},
      {Qt::ShiftModifier, Qt::Key_Insert, TEditKey::Paste},
  };
  for (const Binding& b : kEngineKeys)
    if (b.mods == mods && b.key == e->key()) return b.command;
  if (e->matches(QKeySequence::Undo)) return TEditKey::Undo;
  if (e->matches(QKeySequence::Redo)) return TEditKey::Redo;
  if (e->matches(QKeySequence::Cut)) return TEditKey::Cut;
  if (e->matches(QKeySequence::Paste)) return TEditKey::Paste;
  if (e->matches(QKeySequence::Copy)) return TEditKey::Copy;
  return TEditKey::None;
}

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
    RingBell();
    return false;
  }
  if (ProtectedRefuses(WM_CHAR, e->text().isEmpty() ? 0 : WPARAM(e->text().at(0).unicode()), 0, from, to)) {
    RingBell();
    return false;
  }
  if (adding > 0 && !FitsLimit(to - from, adding)) {
    Notify(EN_MAXTEXT, nullptr);
    RingBell();
    return false;
  }
  NotifyObjectsRemoved(from, to);
  return true;
}

void TRichEngine::keyPressEvent(QKeyEvent* e) {
  if (host_ && host_->EngineKeyDown(this, e)) return;
  // Clipboard and undo keys first: some of them (Shift+Insert) look like navigation.
  switch (EditKeyOf(e)) {
    case TEditKey::Undo: Undo(); return;
    case TEditKey::Redo: Redo(); return;
    case TEditKey::Cut: Cut(); return;
    case TEditKey::Copy: Copy(); return;
    case TEditKey::Paste: Paste(); return;
    case TEditKey::None: break;
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
  // Typing right after a link adds plain words, not more of the link.
  if (!e->text().isEmpty() && e->text().at(0).isPrint() && !textCursor().hasSelection()) {
    const int at = textCursor().position();
    const QString before = at > 0 ? LinkTargetAt(at - 1) : QString();
    if (!before.isEmpty() && LinkTargetAt(at) != before) {
      QTextCharFormat f = textCursor().charFormat();
      f.setAnchor(false);
      f.clearProperty(QTextFormat::AnchorHref);
      const auto formatting = doc_->FormatChange();
      setCurrentCharFormat(f);
    }
  }
  QTextEdit::keyPressEvent(e);
  // Backspace at the start of a list item or Enter on an empty one takes the paragraph out of
  // its list; the paragraph's numbering must say so too, or it would be written back.
  if (edits) {
    const int pos = textCursor().position();
    doc_->SyncNumbering(std::max(0, pos - 1), pos);
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
  if (ch >= 0 && TRichDocument::IsObjectChar(document()->characterAt(ch))) SetSel({ch, ch + 1});
}

void TRichEngine::NotifyObjectsRemoved(int from, int to) {
  if (!oleCallback_ || !ole_ || from >= to) return;
  const QString t = GetTextRange(from, to);
  for (int i = 0; i < t.size(); ++i)
    if (TRichDocument::IsObjectChar(t[i]))
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
  if (!f.boolProperty(rtf::kLink) && !(f.isAnchor() && !f.anchorHref().isEmpty())) return -1;
  if (range) {
    // The run of link characters around ch.
    int a = ch, b = ch + 1;
    const auto isLink = [&](int p) {
      QTextCursor k(document());
      k.setPosition(p + 1);
      const QTextCharFormat g = k.charFormat();
      return g.boolProperty(rtf::kLink) || (g.isAnchor() && !g.anchorHref().isEmpty());
    };
    while (a > 0 && isLink(a - 1)) --a;
    while (b < TextLength() && isLink(b)) ++b;
    *range = {a, b};
  }
  return ch;
}

QString TRichEngine::LinkTargetAt(int cp, CHARRANGE* range) const {
  if (cp < 0 || cp >= TextLength()) return {};
  const auto targetOf = [&](int p) {
    QTextCursor k(document());
    k.setPosition(p + 1);
    const QTextCharFormat g = k.charFormat();
    return g.isAnchor() ? g.anchorHref() : QString();
  };
  const QString target = targetOf(cp);
  if (target.isEmpty()) return {};
  if (range) {
    // The run of characters linking to the same target around cp.
    int a = cp, b = cp + 1;
    while (a > 0 && targetOf(a - 1) == target) --a;
    while (b < TextLength() && targetOf(b) == target) ++b;
    *range = {a, b};
  }
  return target;
}

QString TRichEngine::LinkTargetAtPoint(const QPoint& viewportPos, CHARRANGE* range) const {
  const int ch = CharUnder(viewportPos);
  return ch < 0 ? QString() : LinkTargetAt(ch, range);
}

bool TRichEngine::SetSelLink(const QString& target) {
  if (readOnly_) return false;
  CHARRANGE r = GetSel();
  if (r.cpMin == r.cpMax) {
    // No selection: only taking a link away, the one the caret is in.
    if (!target.isEmpty()) return false;
    if (LinkTargetAt(r.cpMin, &r).isEmpty() && (r.cpMin == 0 || LinkTargetAt(r.cpMin - 1, &r).isEmpty())) return false;
  }
  const auto formatting = doc_->FormatChange();
  QTextCursor c(document());
  c.beginEditBlock();
  bool changed = false;
  // Fragment by fragment, so that every other format of the words stays as it was.
  for (QTextBlock b = document()->findBlock(r.cpMin); b.isValid() && b.position() < r.cpMax; b = b.next())
    for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
      const QTextFragment frag = it.fragment();
      const int from = std::max(frag.position(), int(r.cpMin)), to = std::min(frag.position() + frag.length(), int(r.cpMax));
      if (from >= to) continue;
      QTextCharFormat f = frag.charFormat();
      if (target.isEmpty()) {
        if (!f.isAnchor() && !f.hasProperty(QTextFormat::AnchorHref)) continue;
        f.setAnchor(false);
        f.clearProperty(QTextFormat::AnchorHref);
        f.clearProperty(rtf::kLink);
      } else {
        if (f.isAnchor() && f.anchorHref() == target) continue;
        f.setAnchor(true);
        f.setAnchorHref(target);
      }
      c.setPosition(from);
      c.setPosition(to, QTextCursor::KeepAnchor);
      c.setCharFormat(f);
      changed = true;
    }
  c.endEditBlock();
  if (changed) ApplyLinkDecoration();
  return changed;
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
  // The host sees the object it is about as the selection.
  if (e->button() == Qt::LeftButton && !(e->modifiers() & Qt::ShiftModifier)) SelectObjectUnder(e->position().toPoint());
  if (host_ && host_->EngineMouse(this, e)) return;
  // A double click on an object with a host activates it: its primary verb.
  const int ch = e->button() == Qt::LeftButton ? CharUnder(e->position().toPoint()) : -1;
  if (ch >= 0 && oleCallback_ && TRichDocument::IsObjectChar(document()->characterAt(ch))) {
    auto* ole = static_cast<TRichEngineOle*>(OleInterface());
    if (IOleObject* obj = ole->HostAt(ch)) {
      SetSel({ch, ch + 1});
      const QRect at = cursorRect(CursorFor(ch, ch)).united(cursorRect(CursorFor(ch + 1, ch + 1)));
      const HRESULT hr = obj->DoVerb(OLEIVERB_PRIMARY, ole, this, at);
      if (FAILED(hr)) {
        ENOLEOPFAILED failed;
        failed.iob = REO_IOB_SELECTION;
        failed.lOper = OLEOP_DOVERB;
        failed.hr = hr;
        Notify(EN_OLEOPFAILED, &failed.nmhdr);
      }
      return;
    }
  }
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
  PaintDecorations(e->rect());
  if (PaintOverlay) {
    QPainter p(viewport());
    PaintOverlay(p, e->rect());
  }
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

}  // namespace engine
