// What the document shows beyond the toolkit's own layout: the labels of numbered paragraphs,
// borders around paragraphs and the leaders of tabs; and hidden text, which takes no room.
#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QPalette>
#include <QTextBlock>
#include <QTextLayout>
#include <QTextList>
#include <algorithm>
#include <vector>

#include "engine/RichDocument.h"
#include "rtf/Borders.h"
#include "rtf/Lists.h"
#include "rtf/Numbering.h"
#include "rtf/TextModel.h"

namespace engine {

namespace {

// The format hidden characters are laid out with: no width, nothing drawn.
QTextCharFormat HiddenLook(const QTextCharFormat& real, const QString& text) {
  QFont tiny = real.font();
  tiny.setPixelSize(1);
  const QFontMetricsF fm(tiny);
  const qreal advance = text.isEmpty() ? 0 : fm.horizontalAdvance(text) / text.size();
  QTextCharFormat f;
  f.setProperty(QTextFormat::FontPixelSize, 1);
  f.setFontLetterSpacingType(QFont::AbsoluteSpacing);
  f.setFontLetterSpacing(-advance);
  f.setForeground(Qt::transparent);
  f.setBackground(Qt::transparent);
  f.setUnderlineStyle(QTextCharFormat::NoUnderline);
  f.setFontStrikeOut(false);
  return f;
}

// The labels of all numbered paragraphs, by block number, worked out once per state of the text.
struct LabelCache {
  const QTextDocument* doc = nullptr;
  int revision = -1;
  int blocks = -1;
  std::vector<QString> labels;
};

const std::vector<QString>& Labels(QTextDocument* doc) {
  static LabelCache cache;
  if (cache.doc != doc || cache.revision != doc->revision() || cache.blocks != doc->blockCount()) {
    cache.doc = doc;
    cache.revision = doc->revision();
    cache.blocks = doc->blockCount();
    cache.labels.assign(size_t(doc->blockCount()), QString());
    rtf::ListNumberer numberer;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
      const QString label = numberer.Next(b);
      if (!label.isEmpty() && size_t(b.blockNumber()) < cache.labels.size()) cache.labels[size_t(b.blockNumber())] = label;
    }
  }
  return cache.labels;
}

// What the document has to draw at all: checked over its formats, not its text.
struct Needs {
  bool labels = false, borders = false, leaders = false;
};

Needs NeedsOf(QTextDocument* doc) {
  Needs n;
  for (const QTextFormat& f : doc->allFormats()) {
    if (f.isListFormat() && f.toListFormat().style() == QTextListFormat::ListStyleUndefined) n.labels = true;
    if (!f.isBlockFormat()) continue;
    if (f.hasProperty(rtf::kBorders)) n.borders = true;
    if (f.hasProperty(rtf::kTabKinds))
      for (int k : f.property(rtf::kTabKinds).value<QList<int>>())
        if (k >> 4) n.leaders = true;
  }
  return n;
}

// The first line's text area of a block, in document coordinates.
struct BlockGeometry {
  QPointF origin;
  const QTextLayout* layout = nullptr;
};

BlockGeometry GeometryOf(QTextDocument* doc, const QTextBlock& b) {
  BlockGeometry g;
  g.origin = doc->documentLayout()->blockBoundingRect(b).topLeft();
  g.layout = b.layout();
  return g;
}

// How far the first line's text starts after the first-line indent: the room of its label.
qreal LabelRoom(const QTextBlockFormat& bf) { return bf.textIndent() + rtf::TwipsToDoc(rtf::OffsetTw(bf)); }

void DrawLabel(QPainter* p, QTextDocument* doc, const QTextBlock& b, const QString& label, const QPalette& pal) {
  const BlockGeometry g = GeometryOf(doc, b);
  if (!g.layout || g.layout->lineCount() == 0) return;
  const QTextLine first = g.layout->lineAt(0);
  QTextCharFormat cf = b.charFormat();
  const QTextBlock::iterator it = b.begin();
  if (!it.atEnd()) cf = it.fragment().charFormat();
  QFont font = cf.font().resolve(doc->defaultFont());
  font.setUnderline(false);
  font.setStrikeOut(false);
  // Laid out as the text is, so that the label scales with it on any device.
  QTextLayout text(label, font);
  text.beginLayout();
  QTextLine line = text.createLine();
  if (line.isValid()) line.setLineWidth(1e6);
  text.endLayout();
  if (!line.isValid()) return;
  const QTextBlockFormat bf = b.blockFormat();
  const qreal baseline = g.origin.y() + first.y() + first.ascent();
  qreal x = g.origin.x() + first.x() - LabelRoom(bf);
  if (bf.layoutDirection() == Qt::RightToLeft)
    x = g.origin.x() + first.x() + first.width() + LabelRoom(bf) - line.naturalTextWidth();
  const bool ownColour = cf.hasProperty(QTextFormat::ForegroundBrush) && cf.foreground().style() != Qt::NoBrush &&
                         !cf.boolProperty(rtf::kAutoColor);
  p->save();
  p->setPen(ownColour ? cf.foreground().color() : pal.color(QPalette::Text));
  text.draw(p, QPointF(x, baseline - line.ascent()));
  p->restore();
}

// The area a block's text takes: from its leftmost line start to its widest line end.
QRectF TextArea(QTextDocument* doc, const QTextBlock& b) {
  const BlockGeometry g = GeometryOf(doc, b);
  if (!g.layout || g.layout->lineCount() == 0) return {};
  qreal left = 1e9, right = -1e9;
  for (int i = 0; i < g.layout->lineCount(); ++i) {
    const QTextLine l = g.layout->lineAt(i);
    left = std::min(left, l.x() - (i == 0 ? LabelRoom(b.blockFormat()) : 0));
    right = std::max(right, l.x() + l.width());
  }
  const QTextLine first = g.layout->lineAt(0), last = g.layout->lineAt(g.layout->lineCount() - 1);
  return QRectF(QPointF(g.origin.x() + left, g.origin.y() + first.y()),
                QPointF(g.origin.x() + right, g.origin.y() + last.y() + last.height()));
}

void DrawBorders(QPainter* p, QTextDocument* doc, const QTextBlock& b) {
  const rtf::ParaBorders borders = rtf::ParaBordersOf(b.blockFormat());
  if (!borders.Any()) return;
  const QRectF area = TextArea(doc, b);
  if (area.isNull()) return;
  // Paragraphs with the same borders one after another share one box.
  const QTextBlock prev = b.previous(), next = b.next();
  const bool joinedAbove = prev.isValid() && rtf::ParaBordersOf(prev.blockFormat()) == borders;
  const bool joinedBelow = next.isValid() && rtf::ParaBordersOf(next.blockFormat()) == borders;
  using S = rtf::ParaBorders;
  auto space = [&](int side) { return rtf::TwipsToDoc(borders.side[side].spaceTw) + borders.side[side].DrawnWidth() / 2; };
  const qreal top = joinedAbove ? TextArea(doc, prev).bottom() : area.top() - space(S::kTop);
  const qreal bottom = joinedBelow ? TextArea(doc, next).top() : area.bottom() + space(S::kBottom);
  const qreal left = area.left() - space(S::kLeft), right = area.right() + space(S::kRight);
  p->save();
  auto line = [&](const rtf::BorderSide& side, QPointF a, QPointF z) {
    if (!side.Visible()) return;
    p->setPen(side.Pen());
    p->drawLine(a, z);
    if (side.style == rtf::kBorderDouble) {
      // A second line beside the first, on the side away from the text.
      const qreal gap = side.DrawnWidth() * 2;
      const QPointF d = a.y() == z.y() ? QPointF(0, a.y() < area.center().y() ? -gap : gap)
                                       : QPointF(a.x() < area.center().x() ? -gap : gap, 0);
      p->drawLine(a + d, z + d);
    }
  };
  if (!joinedAbove) line(borders.side[S::kTop], {left, top}, {right, top});
  else line(borders.side[S::kBetween], {left, top}, {right, top});
  if (!joinedBelow) line(borders.side[S::kBottom], {left, bottom}, {right, bottom});
  line(borders.side[S::kLeft], {left, top}, {left, bottom});
  line(borders.side[S::kRight], {right, top}, {right, bottom});
  p->restore();
}

void DrawLeaders(QPainter* p, QTextDocument* doc, const QTextBlock& b, const QPalette& pal) {
  const QTextBlockFormat bf = b.blockFormat();
  if (!bf.hasProperty(rtf::kTabKinds)) return;
  const QList<int> stops = rtf::TabStopsTw(bf);
  const QList<int> kinds = rtf::TabKinds(bf);
  const BlockGeometry g = GeometryOf(doc, b);
  if (!g.layout) return;
  const QString text = b.text();
  for (int i = 0; i < text.size(); ++i) {
    if (text[i] != u'\t') continue;
    const QTextLine line = g.layout->lineForTextPosition(i);
    if (!line.isValid()) continue;
    const qreal x0 = line.cursorToX(i), x1 = line.cursorToX(i + 1);
    // The tab stop the tab goes to: the first one past where the tab starts.
    int leader = 0;
    for (qsizetype k = 0; k < stops.size(); ++k)
      if (rtf::TwipsToDoc(stops[k]) > x0 + 0.5) {
        leader = (kinds.value(k) >> 4) & 0xF;
        break;
      }
    if (!leader || x1 - x0 < 4) continue;
    QTextCharFormat cf = b.charFormat();
    for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it)
      if (it.fragment().contains(b.position() + i)) cf = it.fragment().charFormat();
    const qreal y = g.origin.y() + line.y() + line.ascent();
    const qreal a = g.origin.x() + x0 + 2, z = g.origin.x() + x1 - 2;
    p->save();
    QPen pen(cf.hasProperty(QTextFormat::ForegroundBrush) ? cf.foreground().color() : pal.color(QPalette::Text));
    if (leader == rtf::kLeaderDots) {
      p->setFont(cf.font());
      const QFontMetricsF fm(cf.font());
      const qreal step = std::max<qreal>(fm.horizontalAdvance(u'.'), 2);
      p->setPen(pen);
      for (qreal x = std::ceil(a / step) * step; x + step <= z; x += step) p->drawText(QPointF(x, y), QStringLiteral("."));
    } else {
      pen.setWidthF(leader == rtf::kLeaderThick ? 2 : 1);
      if (leader == rtf::kLeaderDashes) pen.setStyle(Qt::DashLine);
      p->setPen(pen);
      const qreal ly = leader == rtf::kLeaderDashes ? y - QFontMetricsF(cf.font()).xHeight() / 2 : y + 1;
      p->drawLine(QPointF(a, ly), QPointF(z, ly));
      if (leader == rtf::kLeaderEquals) p->drawLine(QPointF(a, ly + 2), QPointF(z, ly + 2));
    }
    p->restore();
  }
}

}  // namespace

bool TRichDocument::LayOutHiddenText(QTextDocument* doc, int from, int to) {
  bool any = false;
  for (QTextBlock b = doc->findBlock(std::max(0, from)); b.isValid() && b.position() <= to; b = b.next()) {
    QList<QTextLayout::FormatRange> ranges;
    for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
      const QTextFragment fr = it.fragment();
      if (!fr.charFormat().boolProperty(rtf::kHidden)) continue;
      QTextLayout::FormatRange r;
      r.start = fr.position() - b.position();
      r.length = fr.length();
      r.format = HiddenLook(fr.charFormat(), fr.text());
      ranges.append(r);
    }
    QTextLayout* layout = b.layout();
    if (!layout) continue;
    any = any || !ranges.isEmpty();
    if (ranges == layout->formats()) continue;
    layout->setFormats(ranges);
    doc->markContentsDirty(b.position(), b.length());
  }
  return any;
}

void TRichDocument::DrawDecorations(QTextDocument* doc, QPainter* p, const QRectF& clip, const QPalette& pal) {
  const Needs needs = NeedsOf(doc);
  if (!needs.labels && !needs.borders && !needs.leaders) return;
  QAbstractTextDocumentLayout* layout = doc->documentLayout();
  // From the paragraph at the top of what is drawn; a little before it, for borders that reach up.
  int start = layout->hitTest(QPointF(0, clip.top()), Qt::FuzzyHit);
  QTextBlock b = doc->findBlock(std::max(0, start));
  for (int back = 0; back < 2 && b.previous().isValid(); ++back) b = b.previous();
  const std::vector<QString>* labels = needs.labels ? &Labels(doc) : nullptr;
  for (; b.isValid(); b = b.next()) {
    const QRectF r = layout->blockBoundingRect(b);
    // Blocks come in text order; past the bottom only cells of a table can still rise again.
    if (r.top() > clip.bottom() + 50 && !QTextCursor(b).currentTable()) break;
    if (r.bottom() < clip.top() - 50 || r.top() > clip.bottom() + 50) continue;
    if (labels && size_t(b.blockNumber()) < labels->size() && !(*labels)[size_t(b.blockNumber())].isEmpty() &&
        b.textList() && b.textList()->format().style() == QTextListFormat::ListStyleUndefined)
      DrawLabel(p, doc, b, (*labels)[size_t(b.blockNumber())], pal);
    if (needs.borders) DrawBorders(p, doc, b);
    if (needs.leaders) DrawLeaders(p, doc, b, pal);
  }
}

}  // namespace engine
