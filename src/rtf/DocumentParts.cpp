#include "rtf/DocumentParts.h"

#include <QTextDocument>
#include <QTextFrame>
#include <QVariantList>

#include "rtf/TextModel.h"

namespace rtf {

QList<DocumentPart> DocumentParts(const QTextDocument& doc) {
  QList<DocumentPart> out;
  for (const QVariant& v : doc.rootFrame()->frameFormat().property(kDocumentParts).toList()) {
    const QVariantList pair = v.toList();
    if (pair.size() == 2) out.append(DocumentPart{pair[0].toByteArray(), pair[1].toByteArray()});
  }
  return out;
}

void SetDocumentParts(QTextDocument& doc, const QList<DocumentPart>& parts) {
  QTextFrameFormat f = doc.rootFrame()->frameFormat();
  if (parts.isEmpty() && !f.hasProperty(kDocumentParts)) return;
  QVariantList list;
  for (const DocumentPart& p : parts) list.append(QVariant(QVariantList{p.word, p.rtf}));
  if (list.isEmpty()) f.clearProperty(kDocumentParts);
  else f.setProperty(kDocumentParts, list);
  doc.rootFrame()->setFrameFormat(f);
}

QList<InfoEntry> DocumentInfo(const QTextDocument& doc) {
  QList<InfoEntry> out;
  for (const QVariant& v : doc.rootFrame()->frameFormat().property(kDocumentInfo).toList()) {
    const QVariantList e = v.toList();
    if (e.size() == 4) out.append(InfoEntry{e[0].toByteArray(), e[1].toBool(), e[2].toString(), e[3].toByteArray()});
  }
  return out;
}

void SetDocumentInfo(QTextDocument& doc, const QList<InfoEntry>& info) {
  QTextFrameFormat f = doc.rootFrame()->frameFormat();
  if (info.isEmpty() && !f.hasProperty(kDocumentInfo)) return;
  QVariantList list;
  for (const InfoEntry& e : info) list.append(QVariant(QVariantList{e.word, e.starred, e.text, e.numbers}));
  if (list.isEmpty()) f.clearProperty(kDocumentInfo);
  else f.setProperty(kDocumentInfo, list);
  doc.rootFrame()->setFrameFormat(f);
}

bool IsHeaderFooterWord(const QByteArray& word) {
  static const QList<QByteArray> words = {"header",  "headerl", "headerr", "headerf",
                                          "footer",  "footerl", "footerr", "footerf"};
  return words.contains(word);
}

}  // namespace rtf
