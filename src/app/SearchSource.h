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

// The plain text of a stored definition: RTF as the reader reads it; other bytes as plain text,
// UTF-8 when they are, else the Cyrillic code page older definitions were written in.
QString DefinitionText(const QByteArray& definition);
// The same, and the keys of the terms the definition links to, each once, in the order met.
QString DefinitionTextAndLinks(const QByteArray& definition, std::vector<qint64>* links);

}  // namespace app
