// The document's text, protection, numbering and find.
#include "engine/RichDocument.h"

#include <QTextBlock>
#include <QTextList>
#include <QTextTable>
#include <algorithm>
#include <vector>

#include "base/ScopeGuard.h"
#include "rtf/Numbering.h"
#include "rtf/PlainText.h"
#include "rtf/TextModel.h"
#include "rtf/TextObjects.h"

namespace engine {

namespace {

QString EngineText(QString raw) {
  for (QChar& c : raw) {
    const ushort u = c.unicode();
    if (u == 0x2029 || u == 0xFDD0 || u == 0xFDD1 || u == 0xFDD2) c = QChar('\r');
    else if (u == 0x2028) c = QChar('\v');
  }
  return raw;
}

// A table cell ends in one character, as in the platform's engine: its CELL mark.
constexpr char16_t kCellMark = 0x0007;

// Marks the cell ends of every table in `frame` that fall in [from, from + text.size()).
void MarkCellEnds(const QTextFrame* frame, int from, QString& text) {
  for (const QTextFrame* child : frame->childFrames()) {
    if (child->lastPosition() < from || child->firstPosition() > from + text.size()) continue;
    if (const auto* table = qobject_cast<const QTextTable*>(child)) {
      for (int r = 0; r < table->rows(); ++r)
        for (int c = 0; c < table->columns(); ++c) {
          const QTextTableCell cell = table->cellAt(r, c);
          if (cell.row() != r || cell.column() != c) continue;
          const int at = cell.lastPosition() - from;
          if (at >= 0 && at < text.size()) text[at] = QChar(kCellMark);
        }
    }
    MarkCellEnds(child, from, text);
  }
}

bool IsWordChar(QChar c) { return c.isLetterOrNumber() || c == QChar('_'); }

// Without case, ё is е as the glossary's search has it: both sides read with ё as е. One
// character for one, so a match covers as many characters as the text searched for.
QString FoldYo(QString s) {
  for (QChar& c : s) {
    if (c == QChar(0x0451)) c = QChar(0x0435);
    else if (c == QChar(0x0401)) c = QChar(0x0415);
  }
  return s;
}

}  // namespace

TRichDocument::TRichDocument(QTextDocument* doc) : doc_(doc) {
  rtf::RegisterTextObjects(doc_);
  // A laid-out range for printing is stale once the text changes; hidden text is laid out anew.
  cacheReset_ = QObject::connect(doc_, &QTextDocument::contentsChange, doc_,
                                 [this](int pos, int, int added) { OnContentsChange(pos, added); });
}

void TRichDocument::OnContentsChange(int pos, int added) {
  if (layingOutHidden_) return;
  formatCache_.reset();
  spareCache_.reset();
  // The layout's formats for hidden text are no edit: the engine's change handling ignores them.
  base::ValueRestorer<bool> guard(layingOutHidden_, true);
  base::ValueRestorer<bool> formatting(inFormatChange_, true);
  if (!hiddenSeen_) {
    for (const QTextFormat& f : doc_->allFormats())
      if (f.isCharFormat() && f.boolProperty(rtf::kHidden)) {
        hiddenSeen_ = true;
        break;
      }
    if (!hiddenSeen_) return;
  }
  LayOutHiddenText(doc_, pos, pos + added);
}

TRichDocument::~TRichDocument() { QObject::disconnect(cacheReset_); }

QString TRichDocument::Text() const {
  QString raw = doc_->toRawText();
  if (raw.size() > TextLength()) raw.truncate(TextLength());  // the final paragraph mark is not text
  QString text = EngineText(raw);
  MarkCellEnds(doc_->rootFrame(), 0, text);
  return text;
}

QString TRichDocument::GetTextRange(int cpMin, int cpMax) const {
  const int len = TextLength();
  if (cpMax < 0 || cpMax > len) cpMax = len;
  cpMin = std::clamp(cpMin, 0, len);
  if (cpMax <= cpMin) return {};
  // Walk the blocks so that a small range of a large document costs little.
  QString out;
  out.reserve(cpMax - cpMin);
  for (QTextBlock b = doc_->findBlock(cpMin); b.isValid() && b.position() < cpMax; b = b.next()) {
    const QString t = b.text() + QChar(0x2029);
    const int s = std::max(cpMin - b.position(), 0);
    const int e = std::min(cpMax - b.position(), int(t.size()));
    if (e > s) out += t.mid(s, e - s);
  }
  QString text = EngineText(out);
  MarkCellEnds(doc_->rootFrame(), cpMin, text);
  return text;
}

QTextCursor TRichDocument::CursorFor(int cpMin, int cpMax) const {
  QTextCursor c(doc_);
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

void TRichDocument::SetPlainText(const QString& text) {
  // Selected inside the edit block, where placing a cursor works out no place on screen: outside
  // it, selecting to the end would first lay out the whole old text, which for a long definition
  // takes longer than the user will wait.
  QTextCursor c(doc_);
  c.beginEditBlock();
  c.setPosition(TextLength(), QTextCursor::KeepAnchor);
  c.removeSelectedText();
  c.setBlockFormat(QTextBlockFormat());
  c.setCharFormat(defaultFormat_);
  rtf::InsertPlainText(text, c);
  c.endEditBlock();
}

bool TRichDocument::RangeHasProtected(int from, int to) const {
  if (from == to) {
    // Typing inside a protected run (protected on both sides) is a change of it.
    if (from <= 0 || from >= TextLength()) return false;
    QTextCursor a(doc_);
    a.setPosition(from);
    QTextCursor b(doc_);
    b.setPosition(from + 1);
    return a.charFormat().boolProperty(rtf::kProtected) && b.charFormat().boolProperty(rtf::kProtected);
  }
  // Most texts hold no protected run at all, and the formats the document has ever used tell so
  // at once; walking a long text would take a while on every replacement of it.
  const QList<QTextFormat> formats = doc_->allFormats();
  if (std::none_of(formats.begin(), formats.end(),
                   [](const QTextFormat& f) { return f.boolProperty(rtf::kProtected); }))
    return false;
  for (QTextBlock b = doc_->findBlock(from); b.isValid() && b.position() < to; b = b.next())
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      const QTextFragment fr = it.fragment();
      if (fr.position() >= to || fr.position() + fr.length() <= from) continue;
      if (fr.charFormat().boolProperty(rtf::kProtected)) return true;
    }
  return false;
}

void TRichDocument::SetTypographyOptions(DWORD values, DWORD mask) {
  const DWORD old = typography_;
  typography_ = (typography_ & ~mask) | (values & mask);
  if ((old ^ typography_) & TO_ADVANCEDTYPOGRAPHY) ApplyJustification();
}

void TRichDocument::ApplyJustification() {
  const bool show = typography_ & TO_ADVANCEDTYPOGRAPHY;
  QTextCursor c(doc_);
  bool began = false;
  base::ValueRestorer<bool> formatting(inFormatChange_, true);
  for (QTextBlock b = doc_->begin(); b.isValid(); b = b.next()) {
    QTextBlockFormat f = b.blockFormat();
    // Pasted HTML brings justification without the engine's own alignment mark.
    if (rtf::Alignment(f) != PFA_JUSTIFY) continue;
    const bool shown = f.alignment() & Qt::AlignJustify;
    if (shown == show) continue;
    if (!began) {
      c.beginEditBlock();
      began = true;
    }
    rtf::SetAlignment(f, PFA_JUSTIFY, show);
    c.setPosition(b.position());
    c.setBlockFormat(f);
  }
  if (began) c.endEditBlock();
}

void TRichDocument::SyncNumbering(int from, int to) {
  QTextCursor c(doc_);
  bool began = false;
  const bool wasFormatting = inFormatChange_;
  auto begin = [&] {
    if (began) return;
    c.joinPreviousEditBlock();  // part of the edit that caused it, one undo step
    began = true;
    inFormatChange_ = true;
  };
  // A list brought in as HTML (or indented by the toolkit's own keys) shows its indent through
  // the list, which the stored form does not know: the paragraphs take it over as their own
  // start indent.
  std::vector<QTextList*> indented;
  for (QTextBlock b = doc_->findBlock(from); b.isValid() && b.position() <= to; b = b.next()) {
    QTextList* list = b.textList();
    if (list && list->format().indent() > 0 && std::find(indented.begin(), indented.end(), list) == indented.end())
      indented.push_back(list);
  }
  for (QTextList* list : indented) {
    begin();
    QTextListFormat lf = list->format();
    const int extraTw = rtf::DocToTwips(doc_->indentWidth() * lf.indent());
    for (int i = 0; i < list->count(); ++i) {
      const QTextBlock item = list->item(i);
      QTextBlockFormat f = item.blockFormat();
      rtf::SetIndents(f, rtf::StartIndentTw(f) + extraTw, rtf::RightIndentTw(f), rtf::OffsetTw(f));
      c.setPosition(item.position());
      c.setBlockFormat(f);
    }
    lf.setIndent(0);
    list->setFormat(lf);
  }
  // The engine draws every label itself: a list the toolkit made says its kind in the engine's
  // own terms and draws none of its own.
  for (QTextBlock b = doc_->findBlock(from); b.isValid() && b.position() <= to; b = b.next()) {
    QTextList* list = b.textList();
    if (!list || list->format().style() == QTextListFormat::ListStyleUndefined) continue;
    begin();
    QTextListFormat lf = list->format();
    lf.setProperty(rtf::kNumbering, rtf::NumberingOfListStyle(lf.style()));
    lf.setStyle(QTextListFormat::ListStyleUndefined);
    list->setFormat(lf);
  }
  for (QTextBlock b = doc_->findBlock(from); b.isValid() && b.position() <= to; b = b.next()) {
    const QTextBlockFormat f = b.blockFormat();
    const QTextList* list = b.textList();
    const int has = f.intProperty(rtf::kNumbering);
    const int want = list ? list->format().intProperty(rtf::kNumbering) : rtf::kNoNumbering;
    if (has == want) continue;
    begin();
    c.setPosition(b.position());
    QTextBlockFormat g = f;
    const int start = rtf::StartIndentTw(f), right = rtf::RightIndentTw(f), offset = rtf::OffsetTw(f);
    if (want) {
      g.setProperty(rtf::kNumbering, want);
    } else {
      g.clearProperty(rtf::kNumbering);
      g.clearProperty(rtf::kListId);
      g.clearProperty(rtf::kListLevel);
    }
    rtf::SetIndents(g, start, right, offset);
    c.setBlockFormat(g);
  }
  if (began) {
    c.endEditBlock();
    inFormatChange_ = wasFormatting;
  }
  ShowNumbering(from, to);
}

LONG TRichDocument::FindText(DWORD flags, FINDTEXTEX& ft) const {
  ft.chrgText = {-1, -1};
  QString what = ft.lpstrText ? QString::fromUtf16(ft.lpstrText) : QString();
  if (what.isEmpty()) return -1;
  const int len = TextLength();
  const Qt::CaseSensitivity cs = (flags & FR_MATCHCASE) ? Qt::CaseSensitive : Qt::CaseInsensitive;
  if (cs == Qt::CaseInsensitive) what = FoldYo(what);
  const bool down = flags & FR_DOWN;
  int lo, hi;
  if (down) {
    lo = std::clamp(int(ft.chrg.cpMin), 0, len);
    hi = ft.chrg.cpMax < 0 ? len : std::clamp(int(ft.chrg.cpMax), 0, len);
  } else {
    // Upward from cpMin toward cpMax (-1: the start).
    hi = ft.chrg.cpMin < 0 ? len : std::clamp(int(ft.chrg.cpMin), 0, len);
    lo = ft.chrg.cpMax < 0 ? 0 : std::clamp(int(ft.chrg.cpMax), 0, len);
    if (lo > hi) std::swap(lo, hi);
  }
  if (hi - lo < what.size()) return -1;
  // The text around the range, one character each side, decides whole words at its edges.
  const int from = std::max(0, lo - 1), to = std::min(len, hi + 1);
  const QString text = cs == Qt::CaseInsensitive ? FoldYo(GetTextRange(from, to)) : GetTextRange(from, to);
  const auto wholeWordAt = [&](int i) {
    const bool before = i > 0 && IsWordChar(text[i - 1]);
    const int e = i + int(what.size());
    const bool after = e < text.size() && IsWordChar(text[e]);
    return !before && !after;
  };
  const int first = lo - from, last = hi - from - int(what.size());
  if (down) {
    for (int i = int(text.indexOf(what, first, cs)); i >= 0 && i <= last; i = int(text.indexOf(what, i + 1, cs))) {
      if ((flags & FR_WHOLEWORD) && !wholeWordAt(i)) continue;
      ft.chrgText = {from + i, from + i + LONG(what.size())};
      return from + i;
    }
  } else {
    for (int i = int(text.lastIndexOf(what, last, cs)); i >= first; i = int(text.lastIndexOf(what, i - 1, cs))) {
      if ((flags & FR_WHOLEWORD) && !wholeWordAt(i)) {
        if (i == 0) break;
        continue;
      }
      ft.chrgText = {from + i, from + i + LONG(what.size())};
      return from + i;
    }
  }
  return -1;
}

}  // namespace engine
