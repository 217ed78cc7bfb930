#pragma once
// Reads the terms for data derived from them elsewhere (the search index), on whatever thread
// builds it: a read-only connection of its own, and short reads only, so that a long pass over
// the whole table never holds the file's lock against this or another program's post.

#include <QByteArray>
#include <QString>
#include <vector>

#include "data/StoreConnection.h"

struct sqlite3;
struct sqlite3_stmt;

namespace data {

struct TermRow {
  qint64 key = 0;      // IDDetail
  qint64 version = 0;
  qint64 letter = 0;   // AssistDetail: the IDMaster of the term's letter; 0 when null
  QString word;
  QByteArray definition;
};

class TermReader {
 public:
  TermReader() = default;
  ~TermReader();
  TermReader(const TermReader&) = delete;
  TermReader& operator=(const TermReader&) = delete;

  // Opens the detail table's file in `folder` for reading.
  StoreResult Open(const QString& folder, int busyTimeoutMs = 4000);
  void Close();
  bool IsOpen() const { return db_ != nullptr; }

  // The table's stamp (StoreStamp.h), read without reading a row.
  StoreResult Stamp(QString* stamp);
  StoreResult Count(qint64* count);
  // Up to `limit` terms whose key is above `afterKey`, in key order, definitions included.
  StoreResult ReadAfter(qint64 afterKey, int limit, std::vector<TermRow>* rows);
  // Gone when the term is no longer stored.
  StoreResult Read(qint64 key, TermRow* row);

 private:
  StoreResult Result(int rc) const;
  StoreResult Prepare(sqlite3_stmt** s, const char* sql);
  static void Fill(sqlite3_stmt* s, TermRow* row);

  sqlite3* db_ = nullptr;
  sqlite3_stmt* after_ = nullptr;
  sqlite3_stmt* one_ = nullptr;
};

}  // namespace data
