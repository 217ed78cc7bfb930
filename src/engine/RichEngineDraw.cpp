// The formatting rectangle, and formatting a range of text onto a device (printing, copies).
#include <QAbstractTextDocumentLayout>
#include <QPaintDevice>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <cmath>

#include "engine/RichEngine.h"
#include "engine/TextModel.h"
#include "engine/TextObjects.h"

namespace engine {

RECT TRichEngine::GetRect() const {
  if (rectSet_) return formatRect_;
  const QRect r = viewport()->geometry();
  return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

void TRichEngine::SetRect(const RECT* rc) {
  if (!rc) {
    rectSet_ = false;
  } else {
    rectSet_ = true;
    formatRect_ = *rc;
  }
  ApplyFormatRect();
}

void TRichEngine::ApplyFormatRect() {
  if (!rectSet_) {
    setViewportMargins(0, 0, 0, 0);
  } else {
    // The rectangle is in client pixels; text starts at its top-left corner and wraps at its width.
    const int w = width(), h = height();
    const int left = std::max(0, int(formatRect_.left));
    const int top = std::max(0, int(formatRect_.top));
    const int right = std::clamp(w - int(formatRect_.right), 0, std::max(0, w - left - 1));
    const int bottom = std::clamp(h - int(formatRect_.bottom), 0, std::max(0, h - top - 1));
    // A rectangle wider than the window (a page width) keeps its width and scrolls sideways.
    setViewportMargins(left, top, formatRect_.right > w ? 0 : right, bottom);
  }
  if (!wordWrap_) {
    setLineWrapMode(QTextEdit::NoWrap);
  } else if (targetWidthTw_ > 0) {
    setLineWrapMode(QTextEdit::FixedPixelWidth);
    setLineWrapColumnOrWidth(int(TwipsToDoc(targetWidthTw_)));
  } else if (rectSet_ && formatRect_.right > width()) {
    setLineWrapMode(QTextEdit::FixedPixelWidth);
    setLineWrapColumnOrWidth(std::max(1, int(formatRect_.right - formatRect_.left)));
  } else {
    setLineWrapMode(QTextEdit::WidgetWidth);
  }
}

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

LONG TRichEngine::FormatRange(bool render, const FORMATRANGE* fr) {
  if (!fr) {
    formatCache_.reset();
    return 0;
  }
  const int len = TextLength();
  int cpMin = std::clamp(int(fr->chrg.cpMin), 0, len);
  int cpMax = fr->chrg.cpMax < 0 ? len : std::clamp(int(fr->chrg.cpMax), 0, len);
  if (cpMin >= cpMax) return cpMax;
  const int widthTw = std::max(1, int(fr->rc.right - fr->rc.left));
  const int heightTw = std::max(1, int(fr->rc.bottom - fr->rc.top));

  // Lay the text out once at the rectangle's width, in device-independent units, and keep it
  // until the text changes or the caller releases the cache.
  if (!formatCache_ || formatCache_->widthTw != widthTw) {
    formatCache_ = std::make_unique<FormatCache>();
    formatCache_->doc.reset(document()->clone());
    QTextDocument* d = formatCache_->doc.get();
    RegisterTextObjects(d);
    d->setDocumentMargin(0);
    d->setUseDesignMetrics(true);
    d->setDefaultFont(document()->defaultFont());
    QTextOption opt = d->defaultTextOption();
    opt.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    d->setDefaultTextOption(opt);
    d->setTextWidth(TwipsToDoc(widthTw));
    formatCache_->widthTw = widthTw;
  }
  QTextDocument* d = formatCache_->doc.get();
  const qreal pageHeight = TwipsToDoc(heightTw);

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

  QPainter* p = fr->hdc ? fr->hdc : fr->hdcTarget;
  if (render && p && p->device()) {
    const QPaintDevice* dev = p->device();
    const qreal sx = qreal(dev->logicalDpiX()) / kDocDpi, sy = qreal(dev->logicalDpiY()) / kDocDpi;
    const qreal left = qreal(fr->rc.left) * dev->logicalDpiX() / kTwipsPerInch;
    const qreal topDev = qreal(fr->rc.top) * dev->logicalDpiY() / kTwipsPerInch;
    p->save();
    p->translate(left, topDev);
    p->scale(sx, sy);
    p->translate(0, -top);
    const QRectF clip(0, top, TwipsToDoc(widthTw), bottom - top);
    p->setClipRect(clip, Qt::IntersectClip);
    QAbstractTextDocumentLayout::PaintContext ctx;
    ctx.clip = clip;
    ctx.palette.setColor(QPalette::Text, Qt::black);
    d->documentLayout()->draw(p, ctx);
    p->restore();
  }
  return result;
}

}  // namespace engine
