#include "glossary/GlossarySource.h"

#include <QFile>
#include <QFileInfo>
#include <QDir>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include "data/DataTypes.h"
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
  int line = 0;                  // 0-based line of the markup where it starts
  QList<qsizetype> lineStarts;   // where each further source line begins in text
};

struct Run {
  QString text;
  bool bold = false;
  bool italic = false;
  QString link;        // the term a cross-reference points to; empty for ordinary text
  qsizetype at = 0;    // where the run's markup starts in the paragraph's text
};

// The markup line holding a position of a paragraph's text.
int LineAt(const Paragraph& p, qsizetype pos) {
  int line = p.line;
  for (qsizetype start : p.lineStarts)
    if (start <= pos) ++line;
  return line;
}

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
      out.append({true, line.mid(2).trimmed(), i, {}});
      open = true;
      continue;
    }
    // A bullet item goes on over indented lines; an unindented line after it starts a paragraph.
    const bool continues = open && (!out.last().bullet || raw.front().isSpace());
    if (continues) {
      out.last().text += QLatin1Char(' ');
      out.last().lineStarts.append(out.last().text.size());
      out.last().text += line;
    } else {
      out.append({false, line, i, {}});
      open = true;
    }
  }
  return out;
}

// Splits a paragraph into runs. Returns false on a fault: a ** or * left open, a malformed
// [[...]] cross-reference; *faultAt is then where in the text the fault lies. "\*" and "\\" are
// literal characters.
bool SplitRuns(const QString& text, QList<Run>* runs, QString* message, qsizetype* faultAt = nullptr) {
  runs->clear();
  bool bold = false, italic = false;
  QString current;
  qsizetype currentAt = 0;
  auto flush = [&](qsizetype next) {
    if (!current.isEmpty()) runs->append({current, bold, italic, {}, currentAt});
    current.clear();
    currentAt = next;
  };
  auto fail = [&](qsizetype at, const QString& m) {
    if (message) *message = m;
    if (faultAt) *faultAt = at;
    return false;
  };
  auto pairAt = [&](qsizetype i, char c) {
    return i + 1 < text.size() && text[i] == QLatin1Char(c) && text[i + 1] == QLatin1Char(c);
  };
  qsizetype boldAt = 0, italicAt = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == QLatin1Char('\\') && i + 1 < text.size() &&
        (text[i + 1] == QLatin1Char('*') || text[i + 1] == QLatin1Char('\\'))) {
      current += text[++i];
    } else if (pairAt(i, '*')) {
      flush(i + 2);
      bold = !bold;
      boldAt = i;
      ++i;
    } else if (c == QLatin1Char('*')) {
      flush(i + 1);
      italic = !italic;
      italicAt = i;
    } else if (pairAt(i, '[')) {
      const qsizetype end = text.indexOf(QLatin1String("]]"), i + 2);
      if (end < 0) return fail(i, QStringLiteral("unclosed [[ cross-reference"));
      const QString inner = text.mid(i + 2, end - i - 2);
      if (inner.contains(QLatin1String("[[")))
        return fail(i, QStringLiteral("a [[ cross-reference holds another [["));
      if (inner.contains(QLatin1Char('*')))
        return fail(i, QStringLiteral("bold or italic markers inside the cross-reference [[%1]]").arg(inner));
      const qsizetype bar = inner.indexOf(QLatin1Char('|'));
      const QString target = (bar < 0 ? inner : inner.left(bar)).trimmed();
      const QString shown = bar < 0 ? target : inner.mid(bar + 1).trimmed();
      if (target.isEmpty())
        return fail(i, QStringLiteral("the cross-reference [[%1]] names no term").arg(inner));
      if (shown.isEmpty())
        return fail(i, QStringLiteral("the cross-reference [[%1]] has no text to show").arg(inner));
      flush(i);
      runs->append({shown, bold, italic, target, i});
      i = end + 1;
      currentAt = i + 1;
    } else if (pairAt(i, ']')) {
      return fail(i, QStringLiteral("]] without an opening [["));
    } else {
      current += c;
    }
  }
  flush(text.size());
  if (bold) return fail(boldAt, QStringLiteral("unclosed ** (bold) marker"));
  if (italic) return fail(italicAt, QStringLiteral("unclosed * (italic) marker"));
  return true;
}

// A number and its unit are one unit of reading: a line may not break between them, so they are
// joined by a non-breaking space (U+00A0; the narrow one, U+202F, does as well). Finds the first
// pair joined by anything else, or by nothing. Plain degrees of angle (45°) take no space.
bool FindLooseUnit(const QString& text, qsizetype* at, QString* found) {
  static const QRegularExpression loose(QString::fromUtf8(
      "\\d(?:[ \\t]|[\\x{2000}-\\x{200B}])?(?:°[CС]|%|мкм|мм|см|дм|км|м²|м³|м|мг|кг|г|ц|т|мл|л|га)"
      "(?![\\p{L}\\d])"));
  const QRegularExpressionMatch m = loose.match(text);
  if (!m.hasMatch()) return false;
  *at = m.capturedStart();
  *found = m.captured(0);
  return true;
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

QString TermKey(const QString& term) {
  QString k = term.toLower();
  k.replace(QChar(0x0451), QChar(0x0435));
  return k;
}

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

bool CheckMarkup(const QString& markup, QString* message, int* lineOffset,
                 QList<Reference>* references, bool houseStyle) {
  QList<Run> runs;
  for (const Paragraph& p : SplitParagraphs(markup)) {
    qsizetype at = 0;
    QString found;
    if (!SplitRuns(p.text, &runs, message, &at)) {
      if (lineOffset) *lineOffset = LineAt(p, at);
      return false;
    }
    if (houseStyle && FindLooseUnit(p.text, &at, &found)) {
      if (message)
        *message = QStringLiteral("\"%1\": join a number and its unit with a non-breaking space "
                                  "(U+00A0)").arg(found);
      if (lineOffset) *lineOffset = LineAt(p, at);
      return false;
    }
    if (references)
      for (const Run& r : runs)
        if (!r.link.isEmpty()) references->append({r.link, LineAt(p, r.at)});
  }
  return true;
}

bool ParseLetterText(const QString& input, int letter, const QString& fileName,
                     QList<Entry>* entries, SourceError* error, bool houseStyle) {
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
    QList<Reference> refs;
    if (!CheckMarkup(e.markup, &message, &offset, &refs, houseStyle)) return fail(bodyStart + offset, message);
    for (Reference& r : refs) r.line += bodyStart;
    e.references = refs;
    // The definition opens with its term in bold, exactly as the heading names it: a reader sees
    // the headword again, and a heading edited alone does not drift from its text.
    const QString lead = QStringLiteral("**%1**").arg(e.term);
    if (houseStyle && !e.markup.startsWith(lead)) {
      static const QRegularExpression bold(QStringLiteral("^\\*\\*(.+?)\\*\\*"));
      const QRegularExpressionMatch m = bold.match(e.markup);
      return fail(bodyStart, m.hasMatch()
                                 ? QStringLiteral("the definition opens with \"%1\" in bold, not "
                                                  "with its term \"%2\"").arg(m.captured(1), e.term)
                                 : QStringLiteral("the definition does not open with its term "
                                                  "\"%1\" in bold").arg(e.term));
    }
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
        if (data::IsControlInName(c))
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
  const bool houseStyle = !QFileInfo::exists(dir.filePath(QLatin1String(kUserGlossaryMarker)));
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
    if (!ParseLetterText(text, letter, path, &all, error, houseStyle)) return false;
  }
  if (!CheckEntries(all, error)) return false;
  *entries = all;
  return true;
}

bool CheckEntries(const QList<Entry>& entries, SourceError* error) {
  QHash<QString, const Entry*> byKey;
  for (const Entry& e : entries) {
    const QString key = TermKey(e.term);
    if (const Entry* first = byKey.value(key)) {
      if (error)
        *error = {e.file, e.line,
                  QStringLiteral("the term \"%1\" appears twice (first at %2:%3)")
                      .arg(e.term, first->file)
                      .arg(first->line)};
      return false;
    }
    byKey.insert(key, &e);
  }
  for (const Entry& e : entries) {
    for (const Reference& r : e.references) {
      const QString key = TermKey(r.target);
      QString message;
      if (!byKey.contains(key))
        message = QStringLiteral("the cross-reference [[%1]] names no term of the glossary").arg(r.target);
      else if (key == TermKey(e.term))
        message = QStringLiteral("the entry \"%1\" refers to itself").arg(e.term);
      if (!message.isEmpty()) {
        if (error) *error = {e.file, r.line, message};
        return false;
      }
    }
  }
  return true;
}

void MarkupToDocument(const QString& markup, QTextDocument* doc,
                      const std::function<QString(const QString& target)>& linkTo) {
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
    if (!SplitRuns(p.text, &runs, nullptr)) runs = {{p.text, false, false, {}, 0}};
    for (const Run& r : runs) {
      QTextCharFormat f;
      if (r.bold) f.setFontWeight(QFont::Bold);
      if (r.italic) f.setFontItalic(true);
      if (!r.link.isEmpty() && linkTo)
        if (const QString href = linkTo(r.link); !href.isEmpty()) {
          f.setAnchor(true);
          f.setAnchorHref(href);
        }
      cursor.insertText(r.text, f);
    }
  }
}

}  // namespace glossary
