// How numbered and bulleted paragraphs are shown. The engine puts the bullet (or number) at the
// paragraph's first-line indent and the first line's text after it, at the hanging indent when
// the label fits there, so that it lines up with the wrapped lines. The toolkit would draw its
// marker left of the first line's text and start that text at the first-line indent, so its
// marker is switched off and the engine draws the label itself, on screen and on paper alike.
#include <QFontMetricsF>
#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>
#include <QTextList>
#include <algorithm>

#include "engine/RichDocument.h"
#include "rtf/Numbering.h"
#include "rtf/TextModel.h"

namespace engine {

namespace {

bool IsNumbered(const QTextBlock& b) {
  const int n = b.blockFormat().intProperty(rtf::kNumbering);
  return n > rtf::kNoNumbering && n <= rtf::kUpperRomanNumbering && b.textList();
}

// The format the label takes: that of the paragraph's first character.
QTextCharFormat LabelFormat(const QTextBlock& b) {
  const QTextBlock::iterator it = b.begin();
  return it.atEnd() ? b.charFormat() : it.fragment().charFormat();
}

QFont LabelFont(const QTextBlock& b, const QTextDocument& doc) {
  QFont f = LabelFormat(b).font().resolve(doc.defaultFont());
  f.setUnderline(false);
  f.setStrikeOut(false);
  return f;
}

// The number a numbered paragraph shows: consecutive paragraphs of one kind count on from the
// first one's start, as the writer numbers them.
int NumberOf(const QTextBlock& b) {
  const int kind = b.blockFormat().intProperty(rtf::kNumbering);
  QTextBlock first = b;
  int n = 0;
  for (QTextBlock p = b.previous(); p.isValid() && p.blockFormat().intProperty(rtf::kNumbering) == kind;
       p = p.previous()) {
    first = p;
    ++n;
  }
  const QTextBlockFormat f = first.blockFormat();
  return (f.hasProperty(rtf::kNumberingStart) ? f.intProperty(rtf::kNumberingStart) : 1) + n;
}

QString LabelOf(const QTextBlock& b, int number) {
  const QTextBlockFormat f = b.blockFormat();
  return rtf::ListLabel(f.intProperty(rtf::kNumbering), number, rtf::NumberingStyle(f));
}

// What the label takes up before the text: itself and a space.
qreal LabelWidth(const QTextBlock& b, const QTextDocument& doc) {
  const QFontMetricsF m(LabelFont(b, doc));
  return m.horizontalAdvance(LabelOf(b, NumberOf(b))) + m.horizontalAdvance(QLatin1Char(' '));
}

// The toolkit's geometry of a paragraph from its indents in twips: the other lines at the start
// indent plus the offset, the first line at the start indent, or after the label. Paragraphs that
// were never numbered are left as they are.
QTextBlockFormat Shown(const QTextBlock& b, const QTextDocument& doc) {
  QTextBlockFormat f = b.blockFormat();
  const bool numbered = IsNumbered(b);
  if (!numbered && !f.hasProperty(QTextFormat::ListStyle)) return f;
  rtf::SetIndents(f, rtf::StartIndentTw(f), rtf::RightIndentTw(f), rtf::OffsetTw(f));
  if (numbered) {
    const qreal hanging = rtf::TwipsToDoc(rtf::OffsetTw(f));
    f.setTextIndent(std::max(hanging, LabelWidth(b, doc)) - hanging);
    f.setProperty(QTextFormat::ListStyle, int(QTextListFormat::ListStyleUndefined));
  } else {
    f.clearProperty(QTextFormat::ListStyle);
  }
  return f;
}

}  // namespace

bool TRichDocument::ShowNumbering(QTextCursor& c, int from, int to, bool join) {
  bool changed = false;
  for (QTextBlock b = doc_->findBlock(from); b.isValid() && b.position() <= to; b = b.next()) {
    const QTextBlockFormat want = Shown(b, *doc_);
    if (want == b.blockFormat()) continue;
    // Part of the change that called for it, one undo step; an edit block opened for nothing
    // would keep the next keystrokes from joining the ones before.
    if (join && !changed) c.joinPreviousEditBlock();
    changed = true;
    c.setPosition(b.position());
    c.setBlockFormat(want);
  }
  if (join && changed) c.endEditBlock();
  return changed;
}

void TRichDocument::ShowNumbering(int from, int to) {
  QTextCursor c(doc_);
  base::ValueRestorer<bool> formatting(inFormatChange_, true);
  ShowNumbering(c, from, to, true);
}

void TRichDocument::DrawNumbering(QPainter& p, const QTextDocument& doc, const QRectF& clip, const QColor& text) {
  QAbstractTextDocumentLayout* layout = doc.documentLayout();
  int number = 0, kind = rtf::kNoNumbering;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    const QTextBlockFormat f = b.blockFormat();
    const int k = f.intProperty(rtf::kNumbering);
    number = k == kind ? number + 1 : (f.hasProperty(rtf::kNumberingStart) ? f.intProperty(rtf::kNumberingStart) : 1);
    kind = k;
    if (!IsNumbered(b)) continue;
    const QRectF box = layout->blockBoundingRect(b);
    if (box.bottom() < clip.top()) continue;
    if (box.top() > clip.bottom()) break;
    const QTextLayout* lines = b.layout();
    if (!lines || lines->lineCount() == 0) continue;
    const QTextLine first = lines->lineAt(0);

    const QTextCharFormat cf = LabelFormat(b);
    const bool ownColour = cf.hasProperty(QTextFormat::ForegroundBrush) && !cf.boolProperty(rtf::kAutoColor);
    // Laid out as the text is, so that the label scales with it on any device.
    QTextLayout label(LabelOf(b, number), LabelFont(b, doc));
    label.beginLayout();
    QTextLine line = label.createLine();
    if (line.isValid()) line.setLineWidth(1e6);
    label.endLayout();
    if (!line.isValid()) continue;
    // The block's rectangle starts at its layout's origin, in document coordinates (inside a
    // table cell too); the first line is relative to that origin.
    const qreal x = box.left() + f.leftMargin() - rtf::TwipsToDoc(rtf::OffsetTw(f));
    const qreal baseline = box.top() + first.y() + first.ascent();
    p.save();
    p.setPen(ownColour ? cf.foreground().color() : text);
    label.draw(&p, QPointF(x, baseline - line.ascent()));
    p.restore();
  }
}

}  // namespace engine
