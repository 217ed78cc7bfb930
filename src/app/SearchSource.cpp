#include "app/SearchSource.h"

#include <QStringDecoder>
#include <algorithm>

#include "rtf/CodePage.h"
#include "rtf/RtfReader.h"
#include "rtf/TermLinks.h"

namespace app {

namespace {

search::SourceTerm ToSource(data::TermRow&& r) {
  return search::SourceTerm{r.key, r.version, r.letter, std::move(r.word), std::move(r.definition)};
}

}  // namespace

QString DefinitionText(const QByteArray& definition) { return DefinitionTextAndLinks(definition, nullptr); }

QString DefinitionTextAndLinks(const QByteArray& definition, std::vector<qint64>* links) {
  if (links) links->clear();
  if (definition.isEmpty()) return QString();
  // The text as the editor's document would give it, read without building the document.
  QString text;
  QStringList targets;
  if (rtf::LooksLikeRtf(definition) && rtf::ReadRtfText(definition, &text, nullptr, nullptr, links ? &targets : nullptr)) {
    if (links)
      for (const QString& t : targets)
        if (const qint64 key = rtf::TermLinkKey(t); key > 0 && std::find(links->begin(), links->end(), key) == links->end())
          links->push_back(key);
    return text;
  }
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString s = utf8.decode(definition);
  return utf8.hasError() ? rtf::DecodeCodePage(definition, 1251) : s;
}

GlossaryTermSource::GlossaryTermSource(const QString& folder) : folder_(folder) {}

bool GlossaryTermSource::Open(QString* error) {
  const data::StoreResult r = reader_.Open(folder_);
  if (!r.Ok()) *error = r.error;
  return r.Ok();
}

QString GlossaryTermSource::Stamp() {
  QString stamp;
  return reader_.Stamp(&stamp).Ok() ? stamp : QString();
}

bool GlossaryTermSource::Count(qint64* count, QString* error) {
  const data::StoreResult r = reader_.Count(count);
  if (!r.Ok()) *error = r.error;
  return r.Ok();
}

bool GlossaryTermSource::ReadAfter(qint64 afterId, int limit, std::vector<search::SourceTerm>* terms,
                                   QString* error) {
  terms->clear();
  const data::StoreResult r = reader_.ReadAfter(afterId, limit, &rows_);
  if (!r.Ok()) {
    *error = r.error;
    return false;
  }
  terms->reserve(rows_.size());
  for (data::TermRow& row : rows_) terms->push_back(ToSource(std::move(row)));
  return true;
}

search::TermSource::ReadResult GlossaryTermSource::Read(qint64 id, search::SourceTerm* term, QString* error) {
  data::TermRow row;
  const data::StoreResult r = reader_.Read(id, &row);
  if (r.status == data::StoreStatus::Gone) return Gone;
  if (!r.Ok()) {
    *error = r.error;
    return Failed;
  }
  *term = ToSource(std::move(row));
  return Found;
}

QString GlossaryTermSource::TextOf(const QByteArray& definition) { return DefinitionText(definition); }

QString GlossaryTermSource::TextAndLinksOf(const QByteArray& definition, std::vector<qint64>* links) {
  return DefinitionTextAndLinks(definition, links);
}

}  // namespace app
