#include "exchange/Exchange.h"

#include <QFileInfo>
#include <QFont>
#include <QTextCursor>
#include <QTextDocument>

#include "data/TermWriter.h"
#include "rtf/DefinitionText.h"
#include "rtf/PlainText.h"
#include "rtf/RtfWriter.h"

namespace exchange {

Format FormatOfPath(const QString& path) {
  const QFileInfo fi(path);
  if (fi.isDir()) return Format::Markup;
  if (fi.suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0) return Format::Csv;
  return Format::Tbx;
}

QString DefinitionText(const QByteArray& definition) {
  if (definition.isEmpty()) return QString();
  QString text = rtf::DefinitionText(definition);
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

QByteArray TextDefinition(const QString& text) {
  if (text.isEmpty()) return QByteArray();  // stored as no definition at all
  QTextDocument doc;
  // The glossary window's definition font, named outright as the bundled glossary's builder does.
  doc.setDefaultFont(QFont(QStringLiteral("Verdana"), 12));
  QTextCursor c(&doc);
  rtf::InsertPlainText(text, c);
  return rtf::WriteRtf(doc);
}

QString LetterOfName(const QString& name, const QStringList& letters) {
  if (name.isEmpty()) return QString();
  QChar first = name.front().toUpper();
  if (letters.contains(QString(first))) return QString(first);
  if (first == QChar(0x0401)) first = QChar(0x0415);  // Ё under Е
  if (first == QChar(0x0419)) first = QChar(0x0418);  // Й under И
  return letters.contains(QString(first)) ? QString(first) : QString();
}

int FirstNonUtf8Line(const QByteArray& bytes) {
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.constData());
  const qsizetype n = bytes.size();
  int line = 1;
  for (qsizetype i = 0; i < n;) {
    const unsigned char c = b[i];
    if (c < 0x80) {
      line += c == '\n';
      ++i;
      continue;
    }
    int more;
    char32_t cp;
    if (c >= 0xC2 && c <= 0xDF) {
      more = 1;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      more = 2;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      more = 3;
      cp = c & 0x07;
    } else {
      return line;
    }
    for (int k = 1; k <= more; ++k) {
      if (i + k >= n || (b[i + k] & 0xC0) != 0x80) return line;
      cp = (cp << 6) | (b[i + k] & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8 either.
    if ((more == 2 && cp < 0x800) || (more == 3 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
      return line;
    i += more + 1;
  }
  return 0;
}

QString CheckTerm(const Term& t) {
  if (t.name.trimmed().isEmpty()) return QStringLiteral("a term without a name");
  if (const QString why = data::CheckTermWord(t.name); !why.isEmpty()) {
    QString shown = t.name;  // a control character would garble the message
    for (QChar& c : shown)
      if (c.category() == QChar::Other_Control) c = QChar(0xFFFD);
    return QStringLiteral("\"%1\": %2").arg(shown, why);
  }
  if (t.rtf.size() > data::kMaxDefinitionBytes || qint64(t.text.size()) * 2 > data::kMaxDefinitionBytes)
    return QStringLiteral("the definition of \"%1\" is larger than the glossary can store").arg(t.name);
  return QString();
}

}  // namespace exchange
