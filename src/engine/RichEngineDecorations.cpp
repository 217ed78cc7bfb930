// The engine window draws what the document's layout leaves out (RichDocumentDecorations.cpp).
#include <QPainter>
#include <QScrollBar>

#include "engine/RichEngine.h"

namespace engine {

void TRichEngine::PaintDecorations(const QRect& rect) {
  QPainter p(viewport());
  const QPoint scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
  p.translate(-scroll);
  p.setRenderHint(QPainter::TextAntialiasing);
  TRichDocument::DrawDecorations(document(), &p, QRectF(rect.translated(scroll)), palette());
}

}  // namespace engine
