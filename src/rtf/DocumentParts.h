#pragma once
// What a document holds beside its text: headers and footers, and the information group (title,
// author, dates, counts). Kept on the document's root frame so that they go with the document
// through a save; the engine neither shows nor edits them.

#include <QByteArray>
#include <QList>
#include <QString>

class QTextDocument;

namespace rtf {

// A header or footer: its control word ("header", "footerl" ...) and its text, kept as an RTF
// document of its own (as footnotes are); or, without text, a word that says which of them show
// ("facingp", "titlepg").
struct DocumentPart {
  QByteArray word;
  QByteArray rtf;
  bool operator==(const DocumentPart&) const = default;
};

// One entry of the information group: a text ({\title ...}) or a group of numbers
// ({\creatim\yr2004\mo5...}, {\nofpages3}), with "\*" where the document marked it so.
struct InfoEntry {
  QByteArray word;
  bool starred = false;
  QString text;
  QByteArray numbers;  // the entry's other control words with their values, as read
  bool operator==(const InfoEntry&) const = default;
};

QList<DocumentPart> DocumentParts(const QTextDocument& doc);
void SetDocumentParts(QTextDocument& doc, const QList<DocumentPart>& parts);
QList<InfoEntry> DocumentInfo(const QTextDocument& doc);
void SetDocumentInfo(QTextDocument& doc, const QList<InfoEntry>& info);

// The control words that open a header or footer.
bool IsHeaderFooterWord(const QByteArray& word);

}  // namespace rtf
