// Formatting a range of the document onto a device: printing and print preview.
#include <QAbstractTextDocumentLayout>
#include <QPaintDevice>
#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>

#include "engine/RichDocument.h"
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
    formatCache_->widthTw = widthTw;
  }
  QTextDocument* d = formatCache_->doc.get();
  const qreal pageHeight = rtf::TwipsToDoc(heightTw);

  QTextBlock b;
  int lineNo = 0;
  if (!LineAt(d, cpMin, b, lineNo)) return cpMax;
  const LineInfo first = Info(d, b, lineNo);
  const qreal top = first.top;
  qreal bottom = first.bottom;
  int result = cpMax;
  // Whole lines only; the first line always goes, so that a caller paging through the text
  // always moves on even when a line is taller than the page.
  while (Next(b, lineNo)) {
    const LineInfo li = Info(d, b, lineNo);
    if (li.start >= cpMax) break;
    if (li.bottom - top > pageHeight) {
      result = li.start;
      break;
    }
    bottom = li.bottom;
  }

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
    d->documentLayout()->draw(p, ctx);
    DrawNumbering(*p, *d, clip, Qt::black);
    p->restore();
  }
  return result;
}

}  // namespace engine
