#include "rtf/DefinitionText.h"

#include <QStringDecoder>
#include <QStringList>
#include <algorithm>

#include "rtf/CodePage.h"
#include "rtf/RtfReader.h"
#include "rtf/TermLinks.h"

namespace rtf {

QString DefinitionText(const QByteArray& definition, std::vector<qint64>* links) {
  if (links) links->clear();
  if (definition.isEmpty()) return QString();
  // The text as the editor's document would give it, read without building the document.
  QString text;
  QStringList targets;
  if (LooksLikeRtf(definition) && ReadRtfText(definition, &text, nullptr, nullptr, links ? &targets : nullptr)) {
    if (links)
      for (const QString& t : targets)
        if (const qint64 key = TermLinkKey(t); key > 0 && std::find(links->begin(), links->end(), key) == links->end())
          links->push_back(key);
    return text;
  }
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString s = utf8.decode(definition);
  return utf8.hasError() ? DecodeCodePage(definition, 1251) : s;
}

}  // namespace rtf
