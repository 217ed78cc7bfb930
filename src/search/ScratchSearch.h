#pragma once
// A search over terms fed in one by one, in an index of its own in memory: for work on a whole
// glossary (a book, an export) that must find what the tables hold now, whatever state the
// user's index file is in.

#include <QString>
#include <unordered_set>

#include "search/Query.h"
#include "search/SearchIndex.h"

namespace search {

class ScratchSearch {
 public:
  // Opens the index, named so that no two scratch searches ever share one.
  bool Open(QString* error);
  bool Add(qint64 id, qint64 letter, const QString& word, const QString& text, QString* error);
  // The ids of the terms added that `match` finds. Ends the adding.
  bool Find(const Match& match, std::unordered_set<qint64>* ids, QString* error);

 private:
  SearchIndex index_;
};

}  // namespace search
