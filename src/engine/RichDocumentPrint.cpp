// Formatting a range of the document onto a device: printing and print preview.
#include <QAbstractTextDocumentLayout>
#include <QPaintDevice>
#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>
#include <QTextTable>
#include <map>

#include "engine/RichDocument.h"
#include "rtf/TextFields.h"
#include "rtf/TextModel.h"
#include "rtf/TextObjects.h"

namespace engine {

namespace {

struct LineInfo {
  int start;  // first character
  qreal top, bottom;
};

// The display line holding pos in a laid-out document, and its neighbours.
bool LineAt(QTextDocument* doc, int pos, QTextBlock& block, int& lineNo) {
  block = doc->findBlock(pos);
  if (!block.isValid()) return false;
  doc->documentLayout()->blockBoundingRect(block);  // lays out up to here
  const QTextLayout* l = block.layout();
  if (!l || l->lineCount() == 0) {
    lineNo = -1;
    return true;
  }
  const QTextLine line = l->lineForTextPosition(pos - block.position());
  lineNo = line.isValid() ? line.lineNumber() : 0;
  return true;
}

LineInfo Info(QTextDocument* doc, const QTextBlock& b, int lineNo) {
  const QRectF br = doc->documentLayout()->blockBoundingRect(b);
  const QTextLayout* l = b.layout();
  if (!l || lineNo < 0 || l->lineCount() == 0) return {b.position(), br.top(), br.bottom()};
  const QTextLine line = l->lineAt(lineNo);
  // blockBoundingRect is in document coordinates; the lines are relative to the layout.
  const qreal origin = br.top() - l->boundingRect().top();
  return {b.position() + line.textStart(), origin + line.y(), origin + line.y() + line.height()};
}

// Steps to the next display line; false at the end of the document.
bool Next(QTextBlock& b, int& lineNo) {
  const QTextLayout* l = b.layout();
  if (l && lineNo >= 0 && lineNo + 1 < l->lineCount()) {
    ++lineNo;
    return true;
  }
  b = b.next();
  if (!b.isValid()) return false;
  const QTextLayout* nl = b.layout();
  lineNo = nl && nl->lineCount() > 0 ? 0 : -1;
  return true;
}

// A row of a table (of the outermost table, for a nested one): it goes onto a page whole.
struct RowUnit {
  const QTextTable* table = nullptr;
  int row = -1;
  qreal top = 0, bottom = 0;
  int first = 0;  // its first character
  bool operator==(const RowUnit& o) const { return table == o.table && row == o.row; }
};

class Rows {
 public:
  explicit Rows(QTextDocument* doc) : doc_(doc) {}

  // The row a block is in, or an invalid unit for a block outside tables.
  RowUnit Of(const QTextBlock& b) {
    const QTextTable* t = QTextCursor(b).currentTable();
    if (!t) return {};
    while (auto* outer = qobject_cast<const QTextTable*>(t->parentFrame())) t = outer;
    const QTextTableCell cell = t->cellAt(b.position());
    if (!cell.isValid()) return {};
    RowUnit u;
    u.table = t;
    u.row = cell.row();
    u.top = Top(t, u.row);
    u.bottom = u.row + 1 < t->rows() ? Top(t, u.row + 1) : doc_->documentLayout()->frameBoundingRect(const_cast<QTextTable*>(t)).bottom();
    u.first = cell.firstPosition();
    for (int c = 0; c < t->columns(); ++c) {
      const QTextTableCell other = t->cellAt(u.row, c);
      if (other.isValid() && other.row() == u.row) u.first = std::min(u.first, other.firstPosition());
    }
    return u;
  }

 private:
  qreal Top(const QTextTable* t, int row) {
    const auto key = std::make_pair(t, row);
    if (auto it = tops_.find(key); it != tops_.end()) return it->second;
    QAbstractTextDocumentLayout* layout = doc_->documentLayout();
    qreal top = row == 0 ? layout->frameBoundingRect(const_cast<QTextTable*>(t)).top() : 1e12;
    if (row > 0)
      for (int c = 0; c < t->columns(); ++c) {
        const QTextTableCell cell = t->cellAt(row, c);
        if (!cell.isValid() || cell.row() != row) continue;
        const QTextTableCellFormat cf = cell.format().toTableCellFormat();
        const qreal pad = (cf.hasProperty(QTextFormat::TableCellTopPadding) ? cf.topPadding() : t->format().cellPadding()) +
                          cf.topBorder();
        top = std::min(top, layout->blockBoundingRect(doc_->findBlock(cell.firstPosition())).top() - pad);
      }
    if (top > 1e11) top = Top(t, row - 1);  // a row made only of cells merged from above
    tops_[key] = top;
    return top;
  }

  QTextDocument* doc_;
  std::map<std::pair<const QTextTable*, int>, qreal> tops_;
};

}  // namespace

void TRichDocument::ReleaseFormatCache() {
  // Printing measures the whole text, releases, and renders it at the same width: a layout
  // released once is kept aside for that, and a second release in a row frees it.
  if (formatCache_) spareCache_ = std::move(formatCache_);
  else spareCache_.reset();
}

LONG TRichDocument::FormatRange(bool render, const FORMATRANGE& fr) {
  const int len = TextLength();
  int cpMin = std::clamp(int(fr.chrg.cpMin), 0, len);
  int cpMax = fr.chrg.cpMax < 0 ? len : std::clamp(int(fr.chrg.cpMax), 0, len);
  if (cpMin >= cpMax) return cpMax;
  const int widthTw = std::max(1, int(fr.rc.right - fr.rc.left));
  const int heightTw = std::max(1, int(fr.rc.bottom - fr.rc.top));

  // Lay the text out once at the rectangle's width, in device-independent units, and keep it
  // until the text changes or the caller releases the cache.
  if (!formatCache_ && spareCache_ && spareCache_->widthTw == widthTw) formatCache_ = std::move(spareCache_);
  spareCache_.reset();
  if (!formatCache_ || formatCache_->widthTw != widthTw) {
    formatCache_ = std::make_unique<FormatCache>();
    formatCache_->doc.reset(doc_->clone());
    QTextDocument* d = formatCache_->doc.get();
    rtf::RegisterTextObjects(d);
    d->setDocumentMargin(0);
    d->setUseDesignMetrics(true);
    d->setDefaultFont(doc_->defaultFont());
    QTextOption opt = d->defaultTextOption();
    opt.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    d->setDefaultTextOption(opt);
    d->setTextWidth(rtf::TwipsToDoc(widthTw));
    if (hiddenSeen_) LayOutHiddenText(d, 0, d->characterCount());
    formatCache_->widthTw = widthTw;
  }
  QTextDocument* d = formatCache_->doc.get();
  const qreal pageHeight = rtf::TwipsToDoc(heightTw);
  // Pages are counted as the caller goes through the text, for page fields.
  if (cpMin == 0) formatCache_->page = 1;
  else if (cpMin == formatCache_->lastEnd) ++formatCache_->page;

  QTextBlock b;
  int lineNo = 0;
  if (!LineAt(d, cpMin, b, lineNo)) return cpMax;
  Rows rows(d);
  const LineInfo first = Info(d, b, lineNo);
  RowUnit unit = rows.Of(b);
  qreal top = first.top;
  qreal bottom = first.bottom;
  if (unit.table) {
    // A row goes whole; a page that starts with one starts at its top.
    if (unit.first >= cpMin) top = std::min(top, unit.top);
    bottom = std::max(bottom, unit.bottom);
  }
  int result = cpMax;
  // Whole lines and whole table rows only; the first always goes, so that a caller paging
  // through the text always moves on even when a line or row is taller than the page.
  while (Next(b, lineNo)) {
    const LineInfo li = Info(d, b, lineNo);
    if (li.start >= cpMax) break;
    const RowUnit u = rows.Of(b);
    if (u.table) {
      if (u == unit) continue;
      unit = u;
      if (u.bottom - top > pageHeight) {
        result = std::max(u.first, cpMin + 1);
        break;
      }
      bottom = std::max(bottom, u.bottom);
      continue;
    }
    unit = RowUnit{};
    const QTextBlockFormat bf = b.blockFormat();
    const bool startsBlock = lineNo <= 0;
    if (startsBlock && (bf.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)) {
      result = b.position();
      break;
    }
    if (li.bottom - top > pageHeight) {
      int at = li.start;
      // A paragraph kept together moves on whole; so do the paragraphs before it that keep
      // with the next, as long as something stays on this page.
      if ((startsBlock || bf.nonBreakableLines()) && b.position() > cpMin) {
        at = b.position();
        for (QTextBlock prev = b.previous(); prev.isValid() && prev.position() > cpMin &&
                                             (rtf::ParaEffects(prev.blockFormat()) & rtf::kEffectKeepNext) &&
                                             !QTextCursor(prev).currentTable();
             prev = prev.previous())
          at = prev.position();
      }
      result = at;
      break;
    }
    bottom = std::max(bottom, li.bottom);
  }
  formatCache_->lastEnd = result;

  QPainter* p = fr.hdc ? fr.hdc : fr.hdcTarget;
  if (render && p && p->device()) {
    const QPaintDevice* dev = p->device();
    const qreal sx = qreal(dev->logicalDpiX()) / rtf::kDocDpi, sy = qreal(dev->logicalDpiY()) / rtf::kDocDpi;
    const qreal left = qreal(fr.rc.left) * dev->logicalDpiX() / rtf::kTwipsPerInch;
    const qreal topDev = qreal(fr.rc.top) * dev->logicalDpiY() / rtf::kTwipsPerInch;
    p->save();
    p->translate(left, topDev);
    p->scale(sx, sy);
    p->translate(0, -top);
    const QRectF clip(0, top, rtf::TwipsToDoc(widthTw), bottom - top);
    p->setClipRect(clip, Qt::IntersectClip);
    QAbstractTextDocumentLayout::PaintContext ctx;
    // The layout draws every line that touches the clip; the lines just above and below the
    // band touch it with an edge. Clipped away on paper, they would still be in a PDF's text.
    constexpr qreal kEdge = 0.01;
    ctx.clip = clip.adjusted(0, kEdge, 0, -kEdge);
    ctx.palette.setColor(QPalette::Text, Qt::black);
    d->setProperty(rtf::kPageNumberProperty, formatCache_->page);
    d->documentLayout()->draw(p, ctx);
    DrawDecorations(d, p, clip, ctx.palette);
    p->restore();
  }
  return result;
}

}  // namespace engine
