#include "app/SearchSource.h"

#include "rtf/DefinitionText.h"

namespace app {

namespace {

search::SourceTerm ToSource(data::TermRow&& r) {
  return search::SourceTerm{r.key, r.version, r.letter, std::move(r.word), std::move(r.definition)};
}

}  // namespace

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

QString GlossaryTermSource::TextOf(const QByteArray& definition) { return rtf::DefinitionText(definition); }

QString GlossaryTermSource::TextAndLinksOf(const QByteArray& definition, std::vector<qint64>* links) {
  return rtf::DefinitionText(definition, links);
}

}  // namespace app
