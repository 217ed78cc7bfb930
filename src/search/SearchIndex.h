#pragma once
// The search index: its own SQLite database beside the tables (termora-search.db) or in memory,
// holding only what can be made again from them. Per term it keeps the letter, the name and the
// definition's plain text, which a full-text table (FTS5, tokenizer "termora") indexes; and the
// term's version and fingerprint, by which a catch-up tells what changed in the tables.
// One connection, used from one thread.

#include <QString>
#include <unordered_map>

#include "search/Query.h"
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace search {

struct IndexedTerm {
  qint64 id = 0;
  qint64 version = 0;
  qint64 letter = 0;
  quint64 fingerprint = 0;
  QString word;
  QString text;
  std::vector<qint64> links;  // the keys of the terms its definition links to
};

struct KnownTerm {
  qint64 version = 0;
  quint64 fingerprint = 0;
};

struct Hit {
  qint64 id = 0;
  double rank = 0;      // lower is better
  bool inName = false;  // every word of the query is in the term's name
};

// What a result row shows. Matched words are enclosed in kMarkOn ... kMarkOff.
struct HitDetails {
  qint64 letter = 0;
  QString word;
  QString snippet;
};

// A term whose definition links to another.
struct LinkingTerm {
  qint64 id = 0;
  qint64 letter = 0;
  QString word;
};

inline constexpr char16_t kMarkOn = 0x0001;
inline constexpr char16_t kMarkOff = 0x0002;

// The fingerprint of a term as the tables hold it: any change of letter, name or definition
// changes it.
quint64 TermFingerprint(qint64 letter, const QString& word, const QByteArray& definition);

class SearchIndex {
 public:
  SearchIndex() = default;
  ~SearchIndex();
  SearchIndex(const SearchIndex&) = delete;
  SearchIndex& operator=(const SearchIndex&) = delete;

  // Opens the index at `location`: a file path, or an SQLite URI ("file:/name?vfs=memdb" for
  // one shared in memory). A writer creates what is missing; a reader needs it made.
  bool Open(const QString& location, bool writer, QString* error);

  // While on, writers' transactions may not make their file grow, as on a full disk: what needs
  // room fails as it would there. For tests; off by default.
  static void SimulateFullDisk(bool on);
  void Close();
  bool IsOpen() const { return db_ != nullptr; }

  // Whether the file passes SQLite's own check of its pages.
  bool Check(QString* error);
  // Made by this build's tokenizer and finished.
  bool IsComplete();
  // Empties the index for a build from scratch; it stays incomplete until SetComplete.
  bool Reset(QString* error);
  bool SetComplete(QString* error);
  QString Stamp();
  bool SetStamp(const QString& stamp, QString* error);
  // Changes whenever the index is emptied (Reset), by this program or by another one sharing
  // the file: a pass that finds it changed at its end has lost what it wrote before.
  QString Generation();

  bool Known(std::unordered_map<qint64, KnownTerm>* known, QString* error);
  bool Begin(QString* error);
  bool Commit(QString* error);
  void Rollback();
  // Adds a term or replaces what the index holds for it.
  bool Put(const IndexedTerm& term, QString* error);
  bool Remove(qint64 id, QString* error);
  // Merges the full-text index into one piece: smaller, and quicker to query.
  bool Optimize(QString* error);
  // Durability traded for speed while a build runs; a build that stops half-way is incomplete
  // and made again anyway.
  void SetBulk(bool bulk);

  // Every term matching `match`, best first: those whose name holds the whole query before
  // those that match only in the definition, then by relevance.
  bool Find(const Match& match, std::vector<Hit>* hits, QString* error);
  // What the result row of term `id` shows; `expression` is the match's.
  bool Details(const QString& expression, qint64 id, HitDetails* details, QString* error);
  // The terms whose definitions link to `target`, by name.
  bool LinksTo(qint64 target, std::vector<LinkingTerm>* sources, QString* error);
  // Every term's key and name.
  bool Names(std::vector<std::pair<qint64, QString>>* names, QString* error);
  // How many terms link to `target`.
  bool CountLinksTo(qint64 target, qint64* count, QString* error);
  // Moves what the write-ahead log holds into the file and empties the log.
  void Checkpoint();

  // The last failure said the file is not a sound database: it has to be made anew.
  bool Damaged() const { return damaged_; }

 private:
  bool Exec(const char* sql, QString* error);
  bool Prepare(sqlite3_stmt** s, const char* sql, QString* error);
  bool Fail(int rc, QString* error);
  bool CreateSchema(QString* error);
  bool CreateTables(QString* error);  // inside a transaction
  QString Meta(const char* key);
  bool SetMeta(const char* key, const QString& value, QString* error);
  void FinalizeAll();

  sqlite3* db_ = nullptr;
  bool writer_ = false;
  bool damaged_ = false;
  bool fullDisk_ = false;  // the page limit of SimulateFullDisk is set on this connection
  bool bulk_ = false;
  sqlite3_stmt* old_ = nullptr;
  sqlite3_stmt* ftsDelete_ = nullptr;
  sqlite3_stmt* put_ = nullptr;
  sqlite3_stmt* ftsInsert_ = nullptr;
  sqlite3_stmt* remove_ = nullptr;
  sqlite3_stmt* find_ = nullptr;
  sqlite3_stmt* details_ = nullptr;
  sqlite3_stmt* linkDelete_ = nullptr;
  sqlite3_stmt* linkInsert_ = nullptr;
  sqlite3_stmt* linksTo_ = nullptr;
  sqlite3_stmt* countLinks_ = nullptr;
};

}  // namespace search
