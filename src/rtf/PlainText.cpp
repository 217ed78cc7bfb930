#include "rtf/PlainText.h"

#include <QTextBlock>
#include <QTextTable>

#include "rtf/TextModel.h"
#include <algorithm>

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
QLatin1String CellEnding(const QTextDocument& doc, const QTextBlock& block, int end) {
  const QChar mark = doc.characterAt(end);
  if (mark != QChar(0xFDD0) && mark != QChar(0xFDD1)) return QLatin1String("\r\n");
  const QTextTable* table = QTextCursor(block).currentTable();
  if (!table) return QLatin1String("\r\n");
  const QTextTableCell cell = table->cellAt(block.position());
  if (!cell.isValid() || cell.lastPosition() != end) return QLatin1String("\r\n");
  return cell.column() + cell.columnSpan() >= table->columns() ? QLatin1String("\r\n") : QLatin1String("\t");
}

}  // namespace

QString PlainText(const QTextDocument& doc, int from, int to) {
  const int docEnd = std::max(0, doc.characterCount() - 1);
  if (to < 0 || to > docEnd) to = docEnd;
  from = std::clamp(from, 0, to);
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
      if (c == QChar::LineSeparator) out.append(u'\r');
      else if (c == QChar::ObjectReplacementCharacter) out.append(u' ');
      else out.append(c);
    }
    if (to > end) out.append(CellEnding(doc, block, end));
  }
  return out;
}

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
