#include "glossary/GlossarySource.h"

#include <QFile>
#include <QFileInfo>
#include <QDir>
#include <QSet>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include "rtf/Numbering.h"
#include "rtf/TextModel.h"

namespace glossary {

namespace {

// Bullet paragraphs as the engine keeps them: the bullet at the start indent, the text (and every
// wrapped line) a quarter inch further.
constexpr int kBulletStartTw = 360;
constexpr int kBulletOffsetTw = 360;
constexpr int kParagraphGapTw = 120;

struct Paragraph {
  bool bullet = false;
  QString text;
  int line = 0;  // 0-based line of the markup where it starts
};

struct Run {
  QString text;
  bool bold = false;
  bool italic = false;
};

QList<Paragraph> SplitParagraphs(const QString& markup) {
  QList<Paragraph> out;
  bool open = false;
  const QStringList lines = markup.split(QLatin1Char('\n'));
  for (int i = 0; i < lines.size(); ++i) {
    const QString& raw = lines[i];
    const QString line = raw.trimmed();
    if (line.isEmpty()) {
      open = false;
      continue;
    }
    if (line.startsWith(QLatin1String("- ")) || line == QLatin1String("-")) {
      out.append({true, line.mid(2).trimmed(), i});
      open = true;
      continue;
    }
    // A bullet item goes on over indented lines; an unindented line after it starts a paragraph.
    const bool continues = open && (!out.last().bullet || raw.front().isSpace());
    if (continues) {
      out.last().text += QLatin1Char(' ') + line;
    } else {
      out.append({false, line, i});
      open = true;
    }
  }
  return out;
}

// Splits a paragraph into runs. Returns false if a ** or * is left open; "\*" and "\\" are
// literal characters.
bool SplitRuns(const QString& text, QList<Run>* runs, QString* message) {
  runs->clear();
  bool bold = false, italic = false;
  QString current;
  auto flush = [&] {
    if (!current.isEmpty()) runs->append({current, bold, italic});
    current.clear();
  };
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == QLatin1Char('\\') && i + 1 < text.size() &&
        (text[i + 1] == QLatin1Char('*') || text[i + 1] == QLatin1Char('\\'))) {
      current += text[++i];
    } else if (c == QLatin1Char('*') && i + 1 < text.size() && text[i + 1] == QLatin1Char('*')) {
      flush();
      bold = !bold;
      ++i;
    } else if (c == QLatin1Char('*')) {
      flush();
      italic = !italic;
    } else {
      current += c;
    }
  }
  flush();
  if (bold || italic) {
    if (message)
      *message = bold ? QStringLiteral("unclosed ** (bold) marker")
                      : QStringLiteral("unclosed * (italic) marker");
    return false;
  }
  return true;
}

// Case-insensitive, with Ё as Е: the way the term index compares terms.
QString TermKey(const QString& term) {
  QString k = term.toLower();
  k.replace(QChar(0x0451), QChar(0x0435));
  return k;
}

// Ё and Й have no button of their own; their words are filed under Е and И.
bool StartsWithLetter(const QString& term, const QString& letter) {
  if (term.isEmpty()) return false;
  QChar first = term.front().toUpper();
  if (first == QChar(0x0401)) first = QChar(0x0415);
  if (first == QChar(0x0419)) first = QChar(0x0418);
  return QString(first) == letter;
}

}  // namespace

const QStringList& Letters() {
  static const QStringList letters = QString::fromUtf8(
      "А Б В Г Д Е Ж З И К Л М Н О П Р С Т У Ф Х Ц Ч Ш Э Ю Я").split(QLatin1Char(' '));
  return letters;
}

QString SourceError::ToString() const {
  if (line > 0) return QStringLiteral("%1:%2: %3").arg(file).arg(line).arg(message);
  return QStringLiteral("%1: %2").arg(file, message);
}

QString LetterFileName(int letter) {
  return QStringLiteral("%1.txt").arg(letter, 2, 10, QLatin1Char('0'));
}

bool CheckMarkup(const QString& markup, QString* message, int* lineOffset) {
  QList<Run> runs;
  for (const Paragraph& p : SplitParagraphs(markup)) {
    if (!SplitRuns(p.text, &runs, message)) {
      if (lineOffset) *lineOffset = p.line;
      return false;
    }
  }
  return true;
}

bool ParseLetterText(const QString& input, int letter, const QString& fileName,
                     QList<Entry>* entries, SourceError* error) {
  auto fail = [&](int line, const QString& message) {
    if (error) *error = {fileName, line, message};
    return false;
  };
  if (letter < 1 || letter > Letters().size())
    return fail(0, QStringLiteral("no letter has the record number %1").arg(letter));
  const QString& letterText = Letters()[letter - 1];

  QString text = input;
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
  const QStringList lines = text.split(QLatin1Char('\n'));

  QList<Entry> found;
  QSet<QString> seen;
  QStringList body;
  int bodyStart = 0;  // 1-based line of the first body line

  auto finish = [&]() -> bool {
    if (found.isEmpty()) return true;
    while (!body.isEmpty() && body.front().trimmed().isEmpty()) {
      body.removeFirst();
      ++bodyStart;
    }
    while (!body.isEmpty() && body.back().trimmed().isEmpty()) body.removeLast();
    Entry& e = found.last();
    if (body.isEmpty())
      return fail(e.line, QStringLiteral("the term \"%1\" has no definition").arg(e.term));
    e.markup = body.join(QLatin1Char('\n'));
    QString message;
    int offset = 0;
    if (!CheckMarkup(e.markup, &message, &offset)) return fail(bodyStart + offset, message);
    body.clear();
    return true;
  };

  for (int i = 0; i < lines.size(); ++i) {
    const int lineNo = i + 1;
    const QString& line = lines[i];
    if (line.startsWith(QLatin1String("##"))) {
      if (!finish()) return false;
      const QString term = line.mid(2).trimmed();
      if (!line.startsWith(QLatin1String("## ")) || term.isEmpty())
        return fail(lineNo, QStringLiteral("a heading must be \"## \" followed by the term"));
      // Characters as the store counts them: one for a letter outside the basic plane too.
      const qsizetype length = term.toUcs4().size();
      if (length > kMaxTermLength)
        return fail(lineNo, QStringLiteral("the term \"%1\" has %2 characters; at most %3 fit")
                                .arg(term)
                                .arg(length)
                                .arg(kMaxTermLength));
      for (QChar c : term)
        if (c.category() == QChar::Other_Control)
          return fail(lineNo, QStringLiteral("the term \"%1\" holds the control character U+%2")
                                  .arg(QString(term).replace(c, QChar(0xFFFD)))
                                  .arg(c.unicode(), 4, 16, QLatin1Char('0')));
      if (!StartsWithLetter(term, letterText))
        return fail(lineNo, QStringLiteral("the term \"%1\" does not start with the letter %2")
                                .arg(term, letterText));
      const QString key = TermKey(term);
      if (seen.contains(key))
        return fail(lineNo, QStringLiteral("the term \"%1\" appears twice").arg(term));
      seen.insert(key);
      Entry e;
      e.letter = letter;
      e.term = term;
      e.file = fileName;
      e.line = lineNo;
      found.append(e);
      bodyStart = lineNo + 1;
      continue;
    }
    if (found.isEmpty()) {
      if (!line.trimmed().isEmpty())
        return fail(lineNo, QStringLiteral("text before the first \"## \" heading"));
      continue;
    }
    body.append(line);
  }
  if (!finish()) return false;
  entries->append(found);
  return true;
}

bool ReadSourceFolder(const QString& folder, QList<Entry>* entries, SourceError* error) {
  QList<Entry> all;
  const QDir dir(folder);
  for (int letter = 1; letter <= Letters().size(); ++letter) {
    const QString path = dir.filePath(LetterFileName(letter));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
      if (error) *error = {path, 0, QStringLiteral("cannot read: %1").arg(file.errorString())};
      return false;
    }
    const QByteArray bytes = file.readAll();
    QStringDecoder decode(QStringDecoder::Utf8);
    const QString text = decode(bytes);
    if (decode.hasError()) {
      if (error) *error = {path, 0, QStringLiteral("not valid UTF-8 text")};
      return false;
    }
    if (!ParseLetterText(text, letter, path, &all, error)) return false;
  }
  *entries = all;
  return true;
}

void MarkupToDocument(const QString& markup, QTextDocument* doc) {
  doc->clear();
  QTextCursor cursor(doc);
  QTextList* list = nullptr;
  bool first = true;
  QList<Run> runs;
  const QList<Paragraph> paragraphs = SplitParagraphs(markup);
  for (qsizetype i = 0; i < paragraphs.size(); ++i) {
    const Paragraph& p = paragraphs[i];
    QTextBlockFormat block;
    // A little air before each ordinary paragraph; a list stays with the line that introduces it.
    if (i + 1 < paragraphs.size() && !paragraphs[i + 1].bullet)
      rtf::SetSpaceAfter(block, kParagraphGapTw);
    // Definitions read as justified text in the glossary window (it turns advanced typography
    // on); list items stay ragged so their short lines are not stretched.
    if (!p.bullet) rtf::SetAlignment(block, rtf::kAlignJustify);
    if (p.bullet) {
      block.setProperty(rtf::kNumbering, rtf::kBulletNumbering);
      block.setProperty(rtf::kNumberingStart, 1);
      block.setProperty(rtf::kNumberingTabTw, kBulletOffsetTw);
      rtf::SetIndents(block, kBulletStartTw, 0, kBulletOffsetTw);
    }
    if (first) {
      cursor.setBlockFormat(block);
      first = false;
    } else {
      cursor.insertBlock(block, QTextCharFormat());
    }
    if (p.bullet) {
      if (list) {
        list->add(cursor.block());
      } else {
        QTextListFormat lf;
        lf.setStyle(QTextListFormat::ListDisc);
        lf.setIndent(0);
        list = cursor.createList(lf);
      }
    } else {
      list = nullptr;
    }
    if (!SplitRuns(p.text, &runs, nullptr)) runs = {{p.text, false, false}};
    for (const Run& r : runs) {
      QTextCharFormat f;
      if (r.bold) f.setFontWeight(QFont::Bold);
      if (r.italic) f.setFontItalic(true);
      cursor.insertText(r.text, f);
    }
  }
}

}  // namespace glossary
