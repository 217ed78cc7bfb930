#pragma once
// The glossary's tables as the search index reads them: the terms through the store's reader,
// each definition's RTF turned into its plain text as the definition editor would show it.

#include <vector>

#include "data/TermReader.h"
#include "search/TermSource.h"

namespace app {

class GlossaryTermSource : public search::TermSource {
 public:
  explicit GlossaryTermSource(const QString& folder);

  bool Open(QString* error) override;
  QString Stamp() override;
  bool Count(qint64* count, QString* error) override;
  bool ReadAfter(qint64 afterId, int limit, std::vector<search::SourceTerm>* terms, QString* error) override;
  ReadResult Read(qint64 id, search::SourceTerm* term, QString* error) override;
  QString TextOf(const QByteArray& definition) override;
  QString TextAndLinksOf(const QByteArray& definition, std::vector<qint64>* links) override;

 private:
  QString folder_;
  data::TermReader reader_;
  std::vector<data::TermRow> rows_;
};

}  // namespace app
