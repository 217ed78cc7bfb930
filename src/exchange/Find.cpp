#include "exchange/Find.h"

#include <unordered_set>
#include <vector>

#include "data/TermReader.h"
#include "exchange/Exchange.h"
#include "search/Query.h"
#include "search/ScratchSearch.h"

namespace exchange {

bool FindTermKeys(const QString& folder, const QString& query, QSet<qint64>* keys, QString* error) {
  keys->clear();
  const search::Match match = search::ParseQuery(query);
  if (match.IsEmpty()) {
    if (error) *error = QStringLiteral("the search \"%1\" holds no word to look for").arg(query);
    return false;
  }
  search::ScratchSearch index;
  if (!index.Open(error)) return false;
  data::TermReader reader;
  data::StoreResult r = reader.Open(folder);
  std::vector<data::TermRow> batch;
  qint64 after = 0;
  while (r.Ok()) {
    r = reader.ReadAfter(after, 2000, &batch);
    if (!r.Ok() || batch.empty()) break;
    after = batch.back().key;
    for (const data::TermRow& t : batch)
      if (!index.Add(t.key, t.letter, t.word, DefinitionText(t.definition), error)) return false;
  }
  if (!r.Ok()) {
    if (error) *error = r.error;
    return false;
  }
  std::unordered_set<qint64> found;
  if (!index.Find(match, &found, error)) return false;
  for (qint64 key : found) keys->insert(key);
  return true;
}

}  // namespace exchange
