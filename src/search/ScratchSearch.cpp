#include "search/ScratchSearch.h"

#include <QUuid>
#include <vector>

namespace search {

bool ScratchSearch::Open(QString* error) {
  const QString location =
      QStringLiteral("file:/termora-scratch-%1?vfs=memdb").arg(QUuid::createUuid().toString(QUuid::WithoutBraces));
  if (!index_.Open(location, true, error)) return false;
  index_.SetBulk(true);
  return index_.Begin(error);
}

bool ScratchSearch::Add(qint64 id, qint64 letter, const QString& word, const QString& text, QString* error) {
  IndexedTerm t;
  t.id = id;
  t.letter = letter;
  t.word = word;
  t.text = text;
  return index_.Put(t, error);
}

bool ScratchSearch::Find(const Match& match, std::unordered_set<qint64>* ids, QString* error) {
  ids->clear();
  if (!index_.Commit(error)) return false;
  std::vector<Hit> hits;
  if (!index_.Find(match, &hits, error)) return false;
  for (const Hit& h : hits) ids->insert(h.id);
  return true;
}

}  // namespace search
