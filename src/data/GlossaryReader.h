#pragma once
// Reads the whole glossary in its order, letter by letter, for work that goes over all of it
// (the book, exports): read-only connections of its own, one short read per letter, so that a
// long export never holds a file's lock against a window that stores a term.

#include <QByteArray>
#include <QString>
#include <vector>

#include "data/StoreConnection.h"

struct sqlite3;

namespace data {

struct LetterRow {
  qint64 id = 0;  // IDMaster
  int num = 0;
  QString letter;
};

struct StoredTerm {
  qint64 key = 0;  // IDDetail
  QString word;
  QByteArray definition;
};

class GlossaryReader {
 public:
  GlossaryReader() = default;
  ~GlossaryReader();
  GlossaryReader(const GlossaryReader&) = delete;
  GlossaryReader& operator=(const GlossaryReader&) = delete;

  // Opens both table files in `folder` for reading.
  StoreResult Open(const QString& folder);
  void Close();

  // The letters in the letter bar's order (IDMaster).
  StoreResult Letters(std::vector<LetterRow>* letters);
  // A letter's terms in the grid's order (the index SecInxDetail); with `definitions` false the
  // definitions stay empty, which reads the index alone.
  StoreResult Terms(qint64 letterId, bool definitions, std::vector<StoredTerm>* terms);

 private:
  sqlite3* master_ = nullptr;
  sqlite3* detail_ = nullptr;
};

}  // namespace data
