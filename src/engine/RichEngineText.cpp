// The engine window's text, selection and display lines.
#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>

#include "engine/RichEngine.h"
#include "rtf/PlainText.h"

namespace engine {

void TRichEngine::SetPlainText(const QString& text) { doc_->SetPlainText(text); }

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
  rtf::InsertPlainText(text, c);
  setTextCursor(c);
  // Not undoable: the change is not recorded, and what was recorded before no longer applies.
  if (!canUndo) document()->clearUndoRedoStacks();
}

bool TRichEngine::ReplaceRanges(const QList<CHARRANGE>& ranges, const QString& text) {
  if (readOnly_ || ranges.isEmpty()) return false;
  for (const CHARRANGE& r : ranges)
    if (ProtectedRefuses(EM_REPLACESEL, 1, 0, r.cpMin, r.cpMax)) return false;
  QTextCursor c(document());
  c.beginEditBlock();
  // From the last, so that the positions before it stay valid.
  for (auto it = ranges.crbegin(); it != ranges.crend(); ++it) {
    NotifyObjectsRemoved(it->cpMin, it->cpMax);
    c.setPosition(it->cpMin);
    c.setPosition(it->cpMax, QTextCursor::KeepAnchor);
    rtf::InsertPlainText(text, c);
  }
  c.endEditBlock();
  return true;
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
  for (QChar ch : t) (TRichDocument::IsObjectChar(ch) ? objects : chars)++;
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
  // A paragraph's last line ends in what ends the paragraph: CR, or a cell's CELL mark.
  const int mark = b.position() + b.length() - 1;
  if (lastOfBlock && b.next().isValid()) s += GetTextRange(mark, mark + 1);
  else if (brokenInside) s += QChar('\r');
  return s;
}

int TRichEngine::FirstVisibleLine() const {
  const int cp = cursorForPosition(QPoint(1, 1)).position();
  return LineFromChar(cp);
}

}  // namespace engine
