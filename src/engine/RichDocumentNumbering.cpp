// How numbered and bulleted paragraphs are shown. The engine puts the bullet (or number) at the
// paragraph's first-line indent and the first line's text after it: at the hanging indent, or
// at the next default tab stop without one, and past the label when the label is wider, so
// that it lines up with the wrapped lines as word processors show it. The toolkit would draw its
// marker left of the first line's text and start that text at the first-line indent, so its
// marker is switched off and the engine draws the label itself (RichDocumentDecorations.cpp),
// on screen and on paper alike.
#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextList>
#include <algorithm>
#include <unordered_map>

#include "engine/RichDocument.h"
#include "rtf/Lists.h"
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

// The labels of paragraphs in lists, numbered from each list's first item on, once per pass.
class Labeller {
 public:
  QString Of(const QTextBlock& b) {
    QTextList* list = b.textList();
    if (!list) return {};
    State& s = lists_[list];
    // Items come in order as a pass goes through the text; only a jump needs the search.
    const int index = s.next < list->count() && list->item(s.next) == b ? s.next : list->itemNumber(b);
    if (index < s.next) s = State{};  // asked again for an earlier item: number afresh
    QString label;
    for (; s.next <= index && s.next < list->count(); ++s.next) label = s.numberer.Next(list->item(s.next));
    return label;
  }

 private:
  struct State {
    rtf::ListNumberer numberer;
    int next = 0;
  };
  std::unordered_map<const QTextList*, State> lists_;
};

// What the label takes up before the text: itself and a space.
qreal LabelWidth(const QTextBlock& b, const QTextDocument& doc, const QString& label) {
  const QFontMetricsF m(LabelFont(b, doc));
  return m.horizontalAdvance(label) + m.horizontalAdvance(QLatin1Char(' '));
}

// The toolkit's geometry of a paragraph from its indents in twips: the other lines at the start
// indent plus the offset, the first line at the start indent, or after the label. Paragraphs that
// were never numbered are left as they are.
QTextBlockFormat Shown(const QTextBlock& b, const QTextDocument& doc, Labeller& labels) {
  QTextBlockFormat f = b.blockFormat();
  const bool numbered = IsNumbered(b);
  if (!numbered && !f.hasProperty(QTextFormat::ListStyle)) return f;
  rtf::SetIndents(f, rtf::StartIndentTw(f), rtf::RightIndentTw(f), rtf::OffsetTw(f));
  if (numbered) {
    const qreal hanging = rtf::TwipsToDoc(rtf::OffsetTw(f));
    const qreal room = rtf::TwipsToDoc(rtf::LabelRoomTw(f));
    f.setTextIndent(std::max(room, LabelWidth(b, doc, labels.Of(b))) - hanging);
    rtf::RefreshTabs(f);
    f.setProperty(QTextFormat::ListStyle, int(QTextListFormat::ListStyleUndefined));
  } else {
    f.clearProperty(QTextFormat::ListStyle);
  }
  return f;
}

// Whether any paragraph may be numbered or shown as one: the formats the document has ever used
// tell at once, where walking a long text on every load and paint would take a while.
bool MayHoldNumbering(const QTextDocument& doc) {
  const QList<QTextFormat> formats = doc.allFormats();
  return std::any_of(formats.begin(), formats.end(), [](const QTextFormat& f) {
    return f.intProperty(rtf::kNumbering) > rtf::kNoNumbering || f.hasProperty(QTextFormat::ListStyle);
  });
}

}  // namespace

bool TRichDocument::ShowNumbering(QTextCursor& c, int from, int to, bool join) {
  bool changed = false;
  if (!MayHoldNumbering(*doc_)) return changed;
  Labeller labels;
  for (QTextBlock b = doc_->findBlock(from); b.isValid() && b.position() <= to; b = b.next()) {
    const QTextBlockFormat want = Shown(b, *doc_, labels);
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

}  // namespace engine
