// The formatting rectangle: where in the window the text is laid out, and at what width; and
// formatting a range onto a device, which is the document's work.
#include <QAbstractTextDocumentLayout>
#include <QPaintDevice>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <cmath>

#include "engine/RichEngine.h"
#include "rtf/TextModel.h"

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
    setLineWrapColumnOrWidth(int(rtf::TwipsToDoc(targetWidthTw_)));
  } else if (rectSet_ && formatRect_.right > width()) {
    setLineWrapMode(QTextEdit::FixedPixelWidth);
    setLineWrapColumnOrWidth(std::max(1, int(formatRect_.right - formatRect_.left)));
  } else {
    setLineWrapMode(QTextEdit::WidgetWidth);
  }
}

LONG TRichEngine::FormatRange(bool render, const FORMATRANGE* fr) {
  if (!fr) {
    doc_->ReleaseFormatCache();
    return 0;
  }
  return doc_->FormatRange(render, *fr);
}

}  // namespace engine
