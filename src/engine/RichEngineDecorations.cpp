// The engine window draws what the document's layout leaves out (RichDocumentDecorations.cpp),
// and shows what a character keeps for the reader (a footnote's text) as its tooltip.
#include <QHelpEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QToolTip>
#include <algorithm>

#include "engine/RichEngine.h"

namespace engine {

void TRichEngine::PaintDecorations(const QRect& rect) {
  QPainter p(viewport());
  const QPoint scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
  p.translate(-scroll);
  p.setRenderHint(QPainter::TextAntialiasing);
  TRichDocument::DrawDecorations(document(), &p, QRectF(rect.translated(scroll)), palette());
}

bool TRichEngine::viewportEvent(QEvent* e) {
  if (e->type() != QEvent::ToolTip) return QTextEdit::viewportEvent(e);
  const auto* help = static_cast<QHelpEvent*>(e);
  QString tip;
  // Only right over the character: the caret position nearest to a point can be far from it.
  const QTextCursor near = cursorForPosition(help->pos());
  for (int ch : {near.position() - 1, near.position()}) {
    if (ch < 0 || ch + 1 >= document()->characterCount()) continue;
    QTextCursor a(document()), z(document());
    a.setPosition(ch);
    z.setPosition(ch + 1);
    const QRect left = cursorRect(a), right = cursorRect(z);
    if (left.top() != right.top() || help->pos().x() < std::min(left.x(), right.x()) ||
        help->pos().x() > std::max(left.x(), right.x()) || help->pos().y() < left.top() ||
        help->pos().y() > left.bottom())
      continue;
    const QTextBlock b = document()->findBlock(ch);
    for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it)
      if (it.fragment().contains(ch)) {
        const QTextCharFormat f = it.fragment().charFormat();
        tip = f.toolTip();
        if (tip.isEmpty() && LinkToolTip && f.isAnchor() && !f.anchorHref().isEmpty()) tip = LinkToolTip(f.anchorHref());
      }
    break;
  }
  if (tip.isEmpty()) {
    QToolTip::hideText();
    e->ignore();
  } else {
    QToolTip::showText(help->globalPos(), tip, viewport());
  }
  return true;
}

}  // namespace engine
