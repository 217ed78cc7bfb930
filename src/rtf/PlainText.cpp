#include "rtf/PlainText.h"

#include <QTextBlock>
#include <QTextTable>

#include <algorithm>

#include "rtf/TextFields.h"
#include "rtf/TextModel.h"

namespace rtf {

void InsertPlainText(const QString& text, QTextCursor& at) {
  at.beginEditBlock();
  at.removeSelectedText();
  const QTextCharFormat fmt = at.charFormat();
  QString line;
  auto flush = [&] {
    if (!line.isEmpty()) at.insertText(line, fmt);
    line.clear();
  };
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c == '\r' || c == '\n' || c == 0x2029) {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      flush();
      at.insertBlock();
      continue;
    }
    if (IsUnwantedChar(c) || c == 0x2028) continue;
    line.append(QChar(c));
  }
  flush();
  at.endEditBlock();
}

namespace {

// What ends a paragraph in plain text: a line break, or in a table a tab between cells and a
// line break after a row's last cell.
QString CellEnding(const QTextDocument& doc, const QTextBlock& block, int end, const QString& lineEnd) {
  const QChar mark = doc.characterAt(end);
  if (mark != QChar(0xFDD0) && mark != QChar(0xFDD1)) return lineEnd;
  const QTextTable* table = QTextCursor(block).currentTable();
  if (!table) return lineEnd;
  const QTextTableCell cell = table->cellAt(block.position());
  if (!cell.isValid() || cell.lastPosition() != end) return lineEnd;
  return cell.column() + cell.columnSpan() >= table->columns() ? lineEnd : QStringLiteral("\t");
}

// The format of the character at a position of the block.
QTextCharFormat FormatAt(const QTextBlock& block, int pos) {
  for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it)
    if (it.fragment().contains(pos)) return it.fragment().charFormat();
  return block.charFormat();
}

// What an object character reads as where it stands for text: the value a field without a
// result shows; nothing for a picture or an embedded object, which have no text.
QString ObjectText(const QTextDocument& doc, const QTextBlock& block, int pos) {
  const QTextCharFormat f = FormatAt(block, pos);
  if (f.objectType() != kFieldObjectType) return {};
  const QVariant page = doc.property(kPageNumberProperty);
  return FieldValue(f.stringProperty(kFieldInst), page.isValid() ? page.toInt() : 1);
}

QString Extract(const QTextDocument& doc, int from, int to, bool forClipboard) {
  const int docEnd = std::max(0, doc.characterCount() - 1);
  if (to < 0 || to > docEnd) to = docEnd;
  from = std::clamp(from, 0, to);
  const QString lineEnd = forClipboard ? QStringLiteral("\n") : QStringLiteral("\r\n");
  const QChar lineBreak = forClipboard ? QChar(u'\n') : QChar(u'\r');
  QString out;
  for (QTextBlock block = doc.findBlock(from); block.isValid() && block.position() <= to;
       block = block.next()) {
    const int start = block.position();
    const int end = start + block.length() - 1;
    const QString text = block.text();
    const int a = std::max(from, start) - start;
    const int b = std::min(to, end) - start;
    // The empty paragraph a table needs before it is no text.
    if (block.length() <= 1 && block.blockFormat().boolProperty(kStructural) && to > end) continue;
    for (int i = a; i < b; ++i) {
      const QChar c = text[i];
      if (c == QChar::LineSeparator) out.append(lineBreak);
      else if (c != QChar::ObjectReplacementCharacter) out.append(c);
      else if (forClipboard) out.append(ObjectText(doc, block, start + i));
      else out.append(u' ');
    }
    if (to > end) out.append(CellEnding(doc, block, end, lineEnd));
  }
  return out;
}

}  // namespace

QString PlainText(const QTextDocument& doc, int from, int to) { return Extract(doc, from, to, false); }

QString ClipboardText(const QTextDocument& doc, int from, int to) { return Extract(doc, from, to, true); }

QByteArray NormalizeLineBreaks(const QByteArray& text) {
  // Text whose breaks are all CR LF already is handed back shared, not copied: a definition
  // holding a large object would otherwise cost its size twice while it loads.
  bool normal = true;
  for (qsizetype i = 0; i < text.size() && normal; ++i) {
    if (text[i] == '\r') normal = i + 1 < text.size() && text[i + 1] == '\n', ++i;
    else if (text[i] == '\n') normal = false;
  }
  if (normal) return text;
  QByteArray out;
  out.reserve(text.size() + text.count('\n') + 1);
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

QStringList SplitLines(const QString& text) {
  QStringList lines;
  qsizetype start = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == QChar('\r') || c == QChar('\n')) {
      lines.append(text.mid(start, i - start));
      if (c == QChar('\r') && i + 1 < text.size() && text[i + 1] == QChar('\n')) ++i;
      start = i + 1;
    }
  }
  if (start < text.size()) lines.append(text.mid(start));
  return lines;
}

}  // namespace rtf
