// Vertical scrolling by whole display lines: whatever moves the view (the wheel, the scroll bar,
// the caret, a program), the line at the top is shown whole, as the platform engine shows it.
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "base/ScopeGuard.h"
#include "engine/RichEngine.h"

namespace engine {

namespace {

// Calls `visit` with the top of each display line of b, in document coordinates, top down,
// until it returns false; false when it was stopped.
template <class Visit>
bool ForEachLineTop(const QTextDocument* doc, const QTextBlock& b, Visit visit) {
  const QRectF box = doc->documentLayout()->blockBoundingRect(b);
  const QTextLayout* l = b.layout();
  if (!l || l->lineCount() == 0) return visit(int(std::ceil(box.top())));
  // The block's rectangle starts at its layout's origin, in document coordinates; the lines are
  // relative to that origin.
  const qreal origin = box.top();
  for (int i = 0; i < l->lineCount(); ++i)
    if (!visit(int(std::ceil(origin + l->lineAt(i).y())))) return false;
  return true;
}

// Whether the text is laid out to its end. Until it is, the scroll range is the layout's
// estimate of the whole height, and finding a line top near its end would lay out everything.
bool LaidOutToEnd(const QTextDocument* doc) {
  const QTextLayout* last = doc->lastBlock().layout();
  return last && last->lineCount() > 0;
}

}  // namespace

int TRichEngine::LineTop(int y, bool below) const {
  QTextDocument* doc = document();
  QAbstractTextDocumentLayout* layout = doc->documentLayout();
  // The hit test and the blocks' rectangles lay the text out down to y and no further: a long
  // text is still being laid out a part at a time, and must not be laid out whole on a scroll.
  QTextBlock b = doc->findBlock(layout->hitTest(QPointF(0, y), Qt::FuzzyHit));
  if (!b.isValid()) b = doc->begin();
  // Back to a block that starts above y, then down line by line.
  while (b.previous().isValid() && layout->blockBoundingRect(b).top() > y) b = b.previous();
  if (b.previous().isValid()) b = b.previous();
  int best = below ? -1 : 0;
  for (; b.isValid(); b = b.next()) {
    const bool more = ForEachLineTop(doc, b, [&](int top) {
      if (below) {
        if (top < y) return true;
        best = top;
        return false;
      }
      if (top > y) return false;
      best = top;
      return true;
    });
    if (!more) break;
  }
  return best;
}

void TRichEngine::SetUpLineScrolling() {
  QScrollBar* bar = verticalScrollBar();
  // The end of the range goes down to a line's top, so that the last lines too can be shown
  // under a whole one.
  connect(bar, &QScrollBar::rangeChanged, this, [this, bar](int, int max) {
    if (snapping_ || max <= 0 || !LaidOutToEnd(document())) return;
    const int top = LineTop(max, true);
    if (top <= max) return;
    base::ValueRestorer<bool> busy(snapping_, true);
    bar->setMaximum(top);
  });
  // A line or a page at a time from the scroll bar (and the keys that page).
  connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar](int action) {
    const int from = scrollValue_;
    switch (action) {
      case QAbstractSlider::SliderSingleStepAdd: bar->setSliderPosition(LineTop(from + 1, true)); break;
      case QAbstractSlider::SliderSingleStepSub: bar->setSliderPosition(LineTop(from - 1, false)); break;
      // The line cut off at the bottom becomes the top one; paging back keeps the top line in view.
      case QAbstractSlider::SliderPageStepAdd: bar->setSliderPosition(LineTop(from + bar->pageStep(), false)); break;
      case QAbstractSlider::SliderPageStepSub: bar->setSliderPosition(LineTop(from - bar->pageStep(), true)); break;
      default: break;
    }
  });
  // Anything else: on to the next line top in the direction it moved, so that what it scrolled
  // into view stays in view.
  connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) {
    if (snapping_) return;
    const bool down = value > scrollValue_;
    scrollValue_ = value;
    if (value <= bar->minimum()) return;
    int top = LineTop(value, down);
    if (top < 0) top = bar->maximum();
    top = std::clamp(top, bar->minimum(), bar->maximum());
    if (top == value) return;
    base::ValueRestorer<bool> busy(snapping_, true);
    bar->setValue(top);
    scrollValue_ = bar->value();
  });
}

void TRichEngine::wheelEvent(QWheelEvent* e) {
  // Ctrl zooms, and sideways stays the toolkit's.
  if ((e->modifiers() & Qt::ControlModifier) || e->angleDelta().y() == 0) {
    QTextEdit::wheelEvent(e);
    return;
  }
  // Lines per notch as the desktop sets it; fine-grained wheels add up to whole notches.
  wheelRest_ += e->angleDelta().y();
  const int notches = wheelRest_ / 120;
  wheelRest_ -= notches * 120;
  QScrollBar* bar = verticalScrollBar();
  int y = bar->value();
  for (int i = 0; i < std::abs(notches) * QApplication::wheelScrollLines(); ++i) {
    const int next = notches < 0 ? LineTop(y + 1, true) : LineTop(y - 1, false);
    if (next < 0 || next > bar->maximum()) break;
    y = next;
  }
  bar->setValue(y);
  e->accept();
}

}  // namespace engine
