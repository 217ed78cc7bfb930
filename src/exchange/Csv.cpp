#include "exchange/Csv.h"

#include <QCoreApplication>


namespace exchange {

namespace {

const char* const kHeader[] = {"term", "letter", "definition", "rtf"};

// Stored bytes that are not UTF-8 text (a definition kept in a code page) travel as Base64
// behind this mark, so they come back byte for byte.
constexpr char kBase64Mark[] = "base64:";

void AppendField(QByteArray* row, const QByteArray& utf8) {
  row->append('"');
  for (char c : utf8) {
    if (c == '"') row->append('"');
    row->append(c);
  }
  row->append('"');
}

QByteArray StoredField(const QByteArray& rtf) {
  if (FirstNonUtf8Line(rtf) == 0 && !rtf.startsWith(kBase64Mark)) return rtf;
  return kBase64Mark + rtf.toBase64();
}

}  // namespace

bool WriteCsv(const QList<Term>& terms, QIODevice* out, QString* error) {
  QByteArray buffer = "\xEF\xBB\xBF";
  for (int i = 0; i < 4; ++i) {
    if (i) buffer += ',';
    buffer += kHeader[i];
  }
  buffer += "\r\n";
  for (const Term& t : terms) {
    AppendField(&buffer, t.name.toUtf8());
    buffer += ',';
    AppendField(&buffer, t.letter.toUtf8());
    buffer += ',';
    QString text = t.text;
    // Line breaks inside a field as RFC 4180 writes them.
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    AppendField(&buffer, text.toUtf8());
    buffer += ',';
    AppendField(&buffer, StoredField(t.rtf));
    buffer += "\r\n";
    if (buffer.size() > (1 << 20)) {
      if (out->write(buffer) != buffer.size()) break;
      buffer.clear();
    }
  }
  if (out->write(buffer) != buffer.size()) {
    if (error) *error = QCoreApplication::translate("Exchange", "Cannot write the file: %1").arg(out->errorString());
    return false;
  }
  return true;
}

bool ReadCsv(const QByteArray& bytes, Document* doc, QString* error) {
  auto fail = [&](int line, const QString& message) {
    if (error) *error = QStringLiteral("line %1: %2").arg(line).arg(message);
    return false;
  };
  if (const int bad = FirstNonUtf8Line(bytes))
    return fail(bad, QStringLiteral("the file is not UTF-8 text (save it from the spreadsheet as CSV in UTF-8)"));
  QString text = QString::fromUtf8(bytes);
  if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);

  // Rows of fields, RFC 4180: quoted fields may hold commas, quotes ("") and line breaks.
  QList<QStringList> rows;
  QList<int> rowLines;
  int line = 1;
  qsizetype i = 0;
  const qsizetype n = text.size();
  while (i < n) {
    QStringList fields;
    const int rowLine = line;
    for (;;) {
      QString field;
      if (i < n && text[i] == QLatin1Char('"')) {
        const int fieldLine = line;
        ++i;
        for (;;) {
          if (i >= n) return fail(fieldLine, QStringLiteral("a quoted field is not closed"));
          const QChar c = text[i];
          if (c == QLatin1Char('"')) {
            if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
              field += c;
              i += 2;
              continue;
            }
            ++i;
            break;
          }
          if (c == QLatin1Char('\n')) ++line;
          field += c;
          ++i;
        }
        if (i < n && text[i] != QLatin1Char(',') && text[i] != QLatin1Char('\r') && text[i] != QLatin1Char('\n'))
          return fail(line, QStringLiteral("text after a quoted field's closing quote"));
      } else {
        while (i < n && text[i] != QLatin1Char(',') && text[i] != QLatin1Char('\r') && text[i] != QLatin1Char('\n')) {
          if (text[i] == QLatin1Char('"')) return fail(line, QStringLiteral("a quote inside an unquoted field"));
          field += text[i++];
        }
      }
      fields << field;
      if (i < n && text[i] == QLatin1Char(',')) {
        ++i;
        continue;
      }
      break;
    }
    if (i < n && text[i] == QLatin1Char('\r')) ++i;
    if (i < n && text[i] == QLatin1Char('\n')) ++i;
    ++line;
    // A blank line is no row (a spreadsheet may end the file with one).
    if (fields.size() == 1 && fields[0].isEmpty()) continue;
    rows << fields;
    rowLines << rowLine;
  }
  if (rows.isEmpty()) return fail(1, QStringLiteral("the file is empty"));

  int col[4] = {-1, -1, -1, -1};
  const QStringList& header = rows[0];
  static const char16_t* const kRussian[] = {u"термин", u"буква", u"определение", u"rtf"};
  for (int c = 0; c < header.size(); ++c) {
    const QString h = header[c].trimmed().toLower();
    for (int k = 0; k < 4; ++k)
      if (h == QLatin1String(kHeader[k]) || h == QString::fromUtf16(kRussian[k])) col[k] = c;
  }
  if (col[0] < 0)
    return fail(rowLines[0], QStringLiteral("the first row must name the columns: term, letter, definition, rtf"));

  Document result;
  for (qsizetype r = 1; r < rows.size(); ++r) {
    const QStringList& f = rows[r];
    if (f.size() != header.size())
      return fail(rowLines[r], QStringLiteral("%1 fields where the header has %2").arg(f.size()).arg(header.size()));
    Term t;
    t.name = f[col[0]].trimmed();
    if (col[1] >= 0) t.letter = f[col[1]].trimmed();
    if (col[2] >= 0) {
      t.text = f[col[2]];
      t.text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    }
    if (col[3] >= 0 && !f[col[3]].isEmpty()) {
      const QString& stored = f[col[3]];
      if (stored.startsWith(QLatin1String(kBase64Mark))) {
        const auto decoded = QByteArray::fromBase64Encoding(stored.mid(int(sizeof kBase64Mark) - 1).toLatin1(),
                                                            QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded) return fail(rowLines[r], QStringLiteral("the stored definition is not valid Base64"));
        t.rtf = *decoded;
      } else {
        t.rtf = stored.toUtf8();
      }
    }
    t.where = QStringLiteral("line %1").arg(rowLines[r]);
    if (const QString why = CheckTerm(t); !why.isEmpty()) return fail(rowLines[r], why);
    result.terms << t;
  }
  *doc = result;
  return true;
}

}  // namespace exchange
