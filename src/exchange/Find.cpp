#include "exchange/Find.h"

#include <vector>

#include "data/TermReader.h"
#include "exchange/Exchange.h"
#include "search/Query.h"
#include "search/SearchIndex.h"

namespace exchange {

bool FindTermKeys(const QString& folder, const QString& query, QSet<qint64>* keys, QString* error) {
  keys->clear();
  const search::Match match = search::ParseQuery(query);
  if (match.IsEmpty()) {
    if (error) *error = QStringLiteral("the search \"%1\" holds no word to look for").arg(query);
    return false;
  }
  search::SearchIndex index;
  const QString location = QStringLiteral("file:/termora-exchange-find-%1?vfs=memdb").arg(quintptr(&index), 0, 16);
  if (!index.Open(location, true, error)) return false;
  index.SetBulk(true);
  data::TermReader reader;
  data::StoreResult r = reader.Open(folder);
  if (r.Ok() && !index.Begin(error)) return false;
  std::vector<data::TermRow> batch;
  qint64 after = 0;
  while (r.Ok()) {
    r = reader.ReadAfter(after, 2000, &batch);
    if (!r.Ok() || batch.empty()) break;
    after = batch.back().key;
    for (const data::TermRow& t : batch) {
      search::IndexedTerm it;
      it.id = t.key;
      it.version = t.version;
      it.letter = t.letter;
      it.word = t.word;
      it.text = DefinitionText(t.definition);
      if (!index.Put(it, error)) return false;
    }
  }
  if (!r.Ok()) {
    if (error) *error = r.error;
    return false;
  }
  if (!index.Commit(error)) return false;
  std::vector<search::Hit> hits;
  if (!index.Find(match, &hits, error)) return false;
  for (const search::Hit& h : hits) keys->insert(h.id);
  return true;
}

}  // namespace exchange
