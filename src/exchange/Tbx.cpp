#include "exchange/Tbx.h"

#include <QCoreApplication>
#include <QHash>
#include <QMap>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <algorithm>

namespace exchange {

namespace {

const QString kNs = QString::fromLatin1(kTermoraNamespace);

bool IsRussian(QStringView lang) {
  return lang.compare(u"ru", Qt::CaseInsensitive) == 0 || lang.startsWith(u"ru-", Qt::CaseInsensitive) ||
         lang.startsWith(u"ru_", Qt::CaseInsensitive);
}

// Characters XML 1.0 cannot hold at all; a definition's text never needs them.
QString XmlSafe(const QString& s) {
  QString out;
  for (qsizetype i = 0; i < s.size(); ++i) {
    const char16_t c = s[i].unicode();
    if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0xFFFE || c == 0xFFFF) {
      if (out.isNull()) out = s.left(i);
      continue;
    }
    if (!out.isNull()) out += s[i];
  }
  return out.isNull() ? s : out;
}

}  // namespace

bool WriteTbx(const QList<Term>& terms, QIODevice* out, QString* error) {
  QXmlStreamWriter w(out);
  w.setAutoFormatting(true);
  w.setAutoFormattingIndent(1);
  w.writeStartDocument();
  w.writeStartElement(QStringLiteral("martif"));
  w.writeAttribute(QStringLiteral("type"), QStringLiteral("TBX-Basic"));
  w.writeAttribute(QStringLiteral("xml:lang"), QStringLiteral("ru"));
  w.writeNamespace(kNs, QStringLiteral("termora"));
  w.writeStartElement(QStringLiteral("martifHeader"));
  w.writeStartElement(QStringLiteral("fileDesc"));
  w.writeStartElement(QStringLiteral("sourceDesc"));
  w.writeTextElement(QStringLiteral("p"), QStringLiteral("Termora"));
  w.writeEndElement();
  w.writeEndElement();
  w.writeStartElement(QStringLiteral("encodingDesc"));
  w.writeStartElement(QStringLiteral("p"));
  w.writeAttribute(QStringLiteral("type"), QStringLiteral("XCSURI"));
  w.writeCharacters(QStringLiteral("TBXBasicXCSV02.xcs"));
  w.writeEndElement();
  w.writeEndElement();
  w.writeEndElement();  // martifHeader
  w.writeStartElement(QStringLiteral("text"));
  w.writeStartElement(QStringLiteral("body"));
  int n = 0;
  for (const Term& t : terms) {
    w.writeStartElement(QStringLiteral("termEntry"));
    w.writeAttribute(QStringLiteral("id"), QStringLiteral("t%1").arg(++n));
    w.writeStartElement(QStringLiteral("langSet"));
    w.writeAttribute(QStringLiteral("xml:lang"), QStringLiteral("ru"));
    if (!t.text.isEmpty()) {
      w.writeStartElement(QStringLiteral("descrip"));
      w.writeAttribute(QStringLiteral("type"), QStringLiteral("definition"));
      w.writeCharacters(XmlSafe(t.text));
      w.writeEndElement();
    }
    w.writeStartElement(QStringLiteral("tig"));
    w.writeTextElement(QStringLiteral("term"), t.name);
    w.writeEndElement();
    w.writeEndElement();  // langSet
    if (!t.letter.isEmpty()) w.writeTextElement(kNs, QStringLiteral("letter"), t.letter);
    if (!t.rtf.isNull()) {
      // Base64: the stored bytes exactly, whatever they are (XML would fold CR LF into LF).
      w.writeTextElement(kNs, QStringLiteral("definition"), QString::fromLatin1(t.rtf.toBase64()));
    }
    w.writeEndElement();  // termEntry
  }
  w.writeEndDocument();
  if (w.hasError()) {
    if (error) *error = QCoreApplication::translate("Exchange", "Cannot write the file: %1").arg(out->errorString());
    return false;
  }
  return true;
}

namespace {

struct LangSetData {
  QString lang;
  QStringList terms;
  QString definition;
};

struct EntryState {
  int line = 0;
  QList<LangSetData> langSets;
  QString entryDefinition;  // definition at the entry's level
  QString letter;
  QByteArray rtf;
  bool hasRtf = false;
};

// Written in Cyrillic, with no Latin letter.
bool LooksRussian(const QString& s) {
  bool cyrillic = false;
  for (QChar c : s) {
    if (c.script() == QChar::Script_Latin) return false;
    cyrillic = cyrillic || c.script() == QChar::Script_Cyrillic;
  }
  return cyrillic;
}

}  // namespace

bool ReadTbx(const QByteArray& bytes, Document* doc, QString* error, const std::function<bool(int)>& step) {
  Document result;
  // Text in UTF-8 (what XML assumes without a byte order mark or a declaration saying otherwise)
  // is checked first, so a wrongly encoded file is refused naming the line of its first bad byte.
  const bool utf16 = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF") ||
                     (bytes.size() > 1 && (bytes[0] == 0 || bytes[1] == 0));
  const QByteArray declaration = bytes.startsWith("<?xml") ? bytes.left(bytes.indexOf("?>")).toLower() : QByteArray();
  const qsizetype enc = declaration.indexOf("encoding");
  const bool declaredUtf8 = enc < 0 || declaration.mid(enc).contains("utf-8") || declaration.mid(enc).contains("utf8");
  if (!utf16 && declaredUtf8) {
    if (const int bad = FirstNonUtf8Line(bytes)) {
      if (error) *error = QStringLiteral("line %1: the file is not UTF-8 text, as XML without another encoding declared must be").arg(bad);
      return false;
    }
  }
  QXmlStreamReader r(bytes);
  auto fail = [&](qint64 line, const QString& message) {
    if (error) *error = QStringLiteral("line %1: %2").arg(line).arg(message);
    return false;
  };

  bool sawRoot = false;
  bool inEntry = false;
  EntryState e;
  bool inLangSet = false;
  int mistagged = 0;
  QMap<QString, int> skippedLangs;
  int entriesWithoutRussian = 0;
  int extraTerms = 0;

  while (!r.atEnd()) {
    const QXmlStreamReader::TokenType token = r.readNext();
    if (token == QXmlStreamReader::DTD) {
      // Entities are how XML files attack their readers (exponential expansion, files or URLs
      // pulled in); a terminology file has no use for them.
      if (!r.entityDeclarations().isEmpty() || r.text().contains(u"<!ENTITY"))
        return fail(r.lineNumber(), QStringLiteral("the file declares entities in its DOCTYPE; such files are "
                                                    "refused for safety"));
      continue;
    }
    if (token == QXmlStreamReader::EntityReference)
      return fail(r.lineNumber(), QStringLiteral("the file refers to an entity (&%1;); such files are refused for safety")
                                      .arg(r.name()));
    if (token == QXmlStreamReader::StartElement) {
      const QStringView name = r.name();
      if (!sawRoot) {
        sawRoot = true;
        if (name != u"martif" && name != u"tbx")
          return fail(r.lineNumber(), QStringLiteral("the file is XML but not TBX (its root element is <%1>)")
                                          .arg(r.qualifiedName()));
        continue;
      }
      if (name == u"termEntry" || name == u"conceptEntry") {
        if (step && (result.terms.size() & 255) == 0 &&
            !step(int(r.characterOffset() * 100 / std::max<qsizetype>(bytes.size(), 1)))) {
          if (error) error->clear();
          return false;
        }
        inEntry = true;
        e = EntryState();
        e.line = int(r.lineNumber());
        continue;
      }
      if (!inEntry) continue;
      if (r.namespaceUri() == kNs) {
        const qint64 line = r.lineNumber();
        const QString text = r.readElementText(QXmlStreamReader::IncludeChildElements);
        if (r.hasError()) break;
        if (name == u"letter") {
          e.letter = text.trimmed();
        } else if (name == u"definition") {
          const auto decoded = QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
          if (!decoded) return fail(line, QStringLiteral("the stored definition is not valid Base64"));
          e.rtf = *decoded;
          e.hasRtf = true;
        }
        continue;
      }
      if (name == u"langSet" || name == u"langSec") {
        inLangSet = true;
        e.langSets.append({r.attributes().value(QStringLiteral("xml:lang")).toString(), {}, {}});
        continue;
      }
      if (name == u"term") {
        const QString text = r.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        if (r.hasError()) break;
        if (inLangSet && !text.isEmpty()) e.langSets.last().terms << text;
        continue;
      }
      if (name == u"descrip" && r.attributes().value(QStringLiteral("type")) == u"definition") {
        const QString text = r.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        if (r.hasError()) break;
        if (!inLangSet) {
          if (e.entryDefinition.isEmpty()) e.entryDefinition = text;
        } else if (e.langSets.last().definition.isEmpty()) {
          e.langSets.last().definition = text;
        }
        continue;
      }
      continue;
    }
    if (token == QXmlStreamReader::EndElement) {
      const QStringView name = r.name();
      if (name == u"langSet" || name == u"langSec") {
        inLangSet = false;
      } else if (inEntry && (name == u"termEntry" || name == u"conceptEntry")) {
        inEntry = false;
        // The Russian langSet; failing one tagged so, one whose terms are Russian by their script
        // (some tools tag every source language as English).
        int ru = -1;
        for (int k = 0; k < e.langSets.size() && ru < 0; ++k)
          if (IsRussian(e.langSets[k].lang) && !e.langSets[k].terms.isEmpty()) ru = k;
        if (ru < 0) {
          for (int k = 0; k < e.langSets.size() && ru < 0; ++k)
            if (!e.langSets[k].terms.isEmpty() && LooksRussian(e.langSets[k].terms.front())) ru = k;
          if (ru >= 0) ++mistagged;
        }
        for (int k = 0; k < e.langSets.size(); ++k)
          if (k != ru && !e.langSets[k].terms.isEmpty())
            ++skippedLangs[e.langSets[k].lang.isEmpty() ? QStringLiteral("?") : e.langSets[k].lang];
        if (ru < 0) {
          ++entriesWithoutRussian;
          continue;
        }
        const LangSetData& set = e.langSets[ru];
        extraTerms += int(set.terms.size()) - 1;
        Term t;
        t.name = set.terms.front();
        t.letter = e.letter;
        t.text = set.definition.isEmpty() ? e.entryDefinition : set.definition;
        if (e.hasRtf) t.rtf = e.rtf;
        t.where = QStringLiteral("line %1").arg(e.line);
        if (const QString why = CheckTerm(t); !why.isEmpty()) return fail(e.line, why);
        result.terms << t;
      }
    }
  }
  if (r.hasError()) {
    if (r.error() == QXmlStreamReader::PrematureEndOfDocumentError && !sawRoot)
      return fail(r.lineNumber(), QStringLiteral("the file is empty or not XML"));
    return fail(r.lineNumber(), QStringLiteral("not well-formed XML: %1").arg(r.errorString()));
  }
  if (!sawRoot) return fail(r.lineNumber(), QStringLiteral("the file is empty or not XML"));

  if (entriesWithoutRussian > 0)
    result.notes << QStringLiteral("%1 entries without a Russian term were skipped").arg(entriesWithoutRussian);
  if (mistagged > 0)
    result.notes << QStringLiteral("%1 entries have no langSet tagged Russian; their terms in Cyrillic were taken")
                        .arg(mistagged);
  if (extraTerms > 0)
    result.notes << QStringLiteral("%1 further Russian terms (synonyms) were skipped; each entry gives its first term")
                        .arg(extraTerms);
  for (auto it = skippedLangs.cbegin(); it != skippedLangs.cend(); ++it)
    result.notes << QStringLiteral("terms in language \"%1\" in %2 entries were skipped").arg(it.key()).arg(it.value());
  *doc = result;
  return true;
}

}  // namespace exchange
