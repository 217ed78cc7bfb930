#pragma once
// Writes many terms into an existing glossary as one transaction (an import): either every
// write of it is stored or none is. The letters are read beside it, since a term is filed under
// one of them.

#include <QByteArray>
#include <QString>
#include <vector>

#include "data/StoreConnection.h"

struct sqlite3;
struct sqlite3_stmt;

namespace data {

struct LetterRow {
  qint64 id = 0;   // IDMaster
  int num = 0;     // NumMaster
  QString letter;  // LetterMaster
};

// The letters of the glossary in `folder`, in record order.
StoreResult ReadLetters(const QString& folder, std::vector<LetterRow>* letters);

// Longest definition the store takes (SQLite's default limit for one value).
constexpr qint64 kMaxDefinitionBytes = 1000000000;

// The term field's rules: at most 40 characters, no control characters. Empty when the word is
// acceptable, else the reason.
QString CheckTermWord(const QString& word);

class TermWriter {
 public:
  TermWriter() = default;
  ~TermWriter();  // an unfinished transaction is rolled back
  TermWriter(const TermWriter&) = delete;
  TermWriter& operator=(const TermWriter&) = delete;

  // Opens the detail table's file in `folder` and takes its write lock (waiting for another
  // program's as the store does). `stamp` is the table's stamp at that moment.
  StoreResult Begin(const QString& folder, QString* stamp = nullptr, int busyTimeoutMs = 4000);
  StoreResult Add(qint64 letter, const QString& word, const QByteArray& definition, qint64* key = nullptr);
  // Replaces a term's definition only if it still has `version`: Conflict when it was stored
  // since, Gone when it was deleted.
  StoreResult Replace(qint64 key, qint64 version, const QByteArray& definition);
  StoreResult Commit();
  void Rollback();

 private:
  StoreResult Result(int rc) const;
  void Close();

  sqlite3* db_ = nullptr;
  sqlite3_stmt* add_ = nullptr;
  sqlite3_stmt* replace_ = nullptr;
  bool begun_ = false;
};

}  // namespace data
