#include "book/BookEntries.h"

#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QTextCursor>
#include <algorithm>

#include "rtf/RtfReader.h"
#include "rtf/RtfWriter.h"
#include "rtf/TextModel.h"

namespace book {

QFont BookFont() { return rtf::DefaultWriterFont(); }

bool OpensWithName(const QString& text, const QString& word) {
  const QString name = word.simplified();
  if (name.isEmpty()) return true;
  const QString start = text.left(name.size() + 8).simplified();
  return start.startsWith(name, Qt::CaseInsensitive);
}

namespace {

// Space between entries, in twips.
constexpr int kEntrySpaceTw = 120;

}  // namespace

bool AppendEntries(const std::vector<BookTerm>& terms, QTextDocument* doc, std::vector<int>* starts,
                   const Progress& progress, int* done, int total) {
  QTextCursor c(doc);
  c.movePosition(QTextCursor::End);
  for (const BookTerm& t : terms) {
    if (!c.atStart()) {
      QTextBlockFormat plain;
      c.insertBlock(plain, QTextCharFormat());
    }
    const int start = c.position();
    starts->push_back(start);
    // A stored definition that is not RTF is the plain text the editor would show.
    QTextDocument definition;
    QTextCursor in(&definition);
    const bool isRtf = rtf::LooksLikeRtf(t.definition) && rtf::ReadRtf(t.definition, in);
    if (!isRtf) {
      definition.clear();
      QTextCursor plain(&definition);
      plain.insertText(QString::fromUtf8(t.definition).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    }
    if (!OpensWithName(definition.toPlainText(), t.word)) {
      QTextCharFormat bold;
      bold.setFontWeight(QFont::Bold);
      c.insertText(t.word, bold);
      c.insertBlock(QTextBlockFormat(), QTextCharFormat());
    }
    // Pictures and objects carry their data in their formats, so a fragment takes them along.
    // An empty definition's trailing paragraph mark is all it holds: nothing to add.
    const QTextBlock opening = definition.begin();
    const bool opensWithTable = QTextCursor(opening).currentTable() != nullptr;
    const QTextBlockFormat openingFormat = opening.blockFormat();
    const int definitionStart = c.position();
    if (!definition.isEmpty()) c.insertFragment(QTextDocumentFragment(&definition));
    // The fragment's first paragraph joins the paragraph it goes into and takes its format: it
    // gets its own back (alignment, indents, spacing).
    QTextCursor at(doc);
    at.setPosition(definitionStart);
    if (!opensWithTable) at.setBlockFormat(openingFormat);
    // And the space that sets entries apart.
    at.setPosition(start);
    if (starts->size() > 1 && !QTextCursor(at).currentTable()) {
      QTextBlockFormat spaced = at.blockFormat();
      rtf::SetSpaceBefore(spaced, rtf::SpaceBeforeTw(spaced) + kEntrySpaceTw);
      at.setBlockFormat(spaced);
    }
    ++*done;
    if (progress && !progress(*done, total)) return false;
  }
  return true;
}

int EntryAt(const std::vector<int>& starts, int pos) {
  const auto it = std::upper_bound(starts.begin(), starts.end(), pos);
  return it == starts.begin() ? 0 : int(it - starts.begin()) - 1;
}

}  // namespace book
