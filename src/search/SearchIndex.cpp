#include "search/SearchIndex.h"

#include <QCoreApplication>
#include <QByteArray>
#include <QUuid>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <sqlite3.h>

#include "base/ScopeGuard.h"
#include "search/Fts.h"
#include "search/Words.h"

namespace search {

namespace {

// Changes whenever the schema changes; with the tokenizer's fingerprint it tells an index made
// by another build.
constexpr int kFormat = 5;
constexpr int kBusyTimeoutMs = 5000;
// A match in the name weighs more than one in the definition.
constexpr double kNameWeight = 4.0;
constexpr int kSnippetTokens = 14;

// The definition's text is stored packed (Fts.h); the full-text table reads it unpacked through
// the view term_content.
const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value TEXT) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS term("
    " id INTEGER PRIMARY KEY, version INTEGER NOT NULL, letter INTEGER NOT NULL,"
    " fingerprint INTEGER NOT NULL, word TEXT NOT NULL, body BLOB NOT NULL);"
    "CREATE VIEW IF NOT EXISTS term_content AS SELECT id, word, termora_text(body) AS body FROM term;"
    "CREATE VIRTUAL TABLE IF NOT EXISTS term_text USING fts5("
    " word, body, content='term_content', content_rowid='id', tokenize='termora');"
    // What links where: by target for "what links here", by source to replace a term's links.
    // A link keeps its source's letter and name, written with the term's links each time it is
    // put, so "what links here" reads one run of rows, not a row of the large term table apiece.
    "CREATE TABLE IF NOT EXISTS link(target INTEGER NOT NULL, source INTEGER NOT NULL,"
    " letter INTEGER NOT NULL, word TEXT NOT NULL, PRIMARY KEY(target, source)) WITHOUT ROWID;"
    "CREATE INDEX IF NOT EXISTS link_source ON link(source);";

QByteArray Utf8(const QString& s) { return s.toUtf8(); }

void BindText(sqlite3_stmt* s, int i, const QByteArray& utf8) {
  sqlite3_bind_text(s, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

QString Text(sqlite3_stmt* s, int c) {
  return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, c)), sqlite3_column_bytes(s, c));
}

}  // namespace

quint64 TermFingerprint(qint64 letter, const QString& word, const QByteArray& definition) {
  // FNV-1a in 64-bit words: fixed across builds and runs, unlike the toolkit's seeded hashes.
  quint64 h = 14695981039346656037ull;
  auto mix = [&h](const char* p, qsizetype n) {
    // Eight bytes at a step: the definitions are read whole at every catch-up.
    qsizetype i = 0;
    for (; i + 8 <= n; i += 8) {
      quint64 w;
      std::memcpy(&w, p + i, 8);
      h = (h ^ w) * 1099511628211ull;
      h ^= h >> 29;
    }
    for (; i < n; ++i) h = (h ^ static_cast<unsigned char>(p[i])) * 1099511628211ull;
  };
  const qint64 l = letter;
  mix(reinterpret_cast<const char*>(&l), sizeof l);
  const QByteArray w = word.toUtf8();
  const qint64 wn = w.size();
  mix(reinterpret_cast<const char*>(&wn), sizeof wn);
  mix(w.constData(), w.size());
  mix(definition.constData(), definition.size());
  // A null definition differs from an empty one in the table, so it does here too.
  if (definition.isNull()) mix("\xff", 1);
  return h;
}

SearchIndex::~SearchIndex() { Close(); }

void SearchIndex::FinalizeAll() {
  for (sqlite3_stmt** s : {&old_, &ftsDelete_, &put_, &ftsInsert_, &remove_, &find_, &details_, &linkDelete_, &linkInsert_,
                          &linksTo_, &countLinks_}) {
    sqlite3_finalize(*s);
    *s = nullptr;
  }
}

void SearchIndex::Close() {
  FinalizeAll();
  if (db_) sqlite3_close(db_);
  db_ = nullptr;
}

bool SearchIndex::Fail(int rc, QString* error) {
  const int primary = rc & 0xff;
  if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB) damaged_ = true;
  if (error) *error = QString::fromUtf8(db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc));
  return false;
}

bool SearchIndex::Exec(const char* sql, QString* error) {
  const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
  return rc == SQLITE_OK || Fail(rc, error);
}

bool SearchIndex::Prepare(sqlite3_stmt** s, const char* sql, QString* error) {
  if (*s) return true;
  const int rc = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, s, nullptr);
  return rc == SQLITE_OK || Fail(rc, error);
}

bool SearchIndex::Open(const QString& location, bool writer, QString* error) {
  Close();
  damaged_ = false;
  bulk_ = false;
  writer_ = writer;
  const bool memory = location.startsWith(QLatin1String("file:"));
  const int flags = (writer ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READWRITE) |
                    (memory ? SQLITE_OPEN_URI : 0) |
                    SQLITE_OPEN_NOMUTEX;  // one thread per connection: no lock around every call
  const int rc = sqlite3_open_v2(Utf8(location).constData(), &db_, flags, nullptr);
  if (rc != SQLITE_OK) {
    Fail(rc, error);
    Close();
    return false;
  }
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
  auto fail = [&] {
    Close();
    return false;
  };
  if (!RegisterFts(db_, error)) return fail();
  // Reading the schema tells a file that is not a database at once.
  if (!Exec("SELECT count(*) FROM sqlite_master", error)) return fail();
  if (writer) {
    // A file: readers go on while the index is written. In memory there is no log to keep.
    // Merging the full-text index frees many pages; a new file gives them back after a build.
    if (!Exec("PRAGMA auto_vacuum=INCREMENTAL", error)) return fail();
    if (!Exec(memory ? "PRAGMA journal_mode=MEMORY" : "PRAGMA journal_mode=WAL", error)) return fail();
    if (!Exec("PRAGMA synchronous=NORMAL", error)) return fail();
    if (!CreateSchema(error)) return fail();
  }
  return true;
}

bool SearchIndex::CreateSchema(QString* error) {
  if (!Exec("BEGIN IMMEDIATE", error)) return false;
  base::ScopeGuard rollback([this] { Rollback(); });
  if (!CreateTables(error)) return false;
  rollback.Dismiss();
  return Commit(error);
}

bool SearchIndex::CreateTables(QString* error) {
  if (!Exec(kSchema, error)) return false;
  if (Meta("format").isEmpty()) {
    if (!SetMeta("format", QString::number(kFormat), error)) return false;
    if (!SetMeta("tokenizer", TokenizerFingerprint(), error)) return false;
    if (!SetMeta("complete", QStringLiteral("0"), error)) return false;
  }
  return true;
}

bool SearchIndex::Check(QString* error) {
  sqlite3_stmt* s = nullptr;
  if (!Prepare(&s, "PRAGMA quick_check", error)) return false;
  base::ScopeGuard done([s] { sqlite3_finalize(s); });
  const int rc = sqlite3_step(s);
  if (rc != SQLITE_ROW) return Fail(rc, error);
  const QString verdict = Text(s, 0);
  if (verdict == QLatin1String("ok")) return true;
  damaged_ = true;
  if (error) *error = verdict;
  return false;
}

QString SearchIndex::Meta(const char* key) {
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db_, "SELECT value FROM meta WHERE key = ?", -1, &s, nullptr) != SQLITE_OK) return QString();
  base::ScopeGuard done([s] { sqlite3_finalize(s); });
  sqlite3_bind_text(s, 1, key, -1, SQLITE_STATIC);
  return sqlite3_step(s) == SQLITE_ROW ? Text(s, 0) : QString();
}

bool SearchIndex::SetMeta(const char* key, const QString& value, QString* error) {
  sqlite3_stmt* s = nullptr;
  int rc = sqlite3_prepare_v2(db_, "INSERT OR REPLACE INTO meta(key, value) VALUES(?, ?)", -1, &s, nullptr);
  if (rc != SQLITE_OK) return Fail(rc, error);
  base::ScopeGuard done([s] { sqlite3_finalize(s); });
  sqlite3_bind_text(s, 1, key, -1, SQLITE_STATIC);
  BindText(s, 2, Utf8(value));
  rc = sqlite3_step(s);
  return rc == SQLITE_DONE || Fail(rc, error);
}

bool SearchIndex::IsComplete() {
  return Meta("format") == QString::number(kFormat) && Meta("tokenizer") == TokenizerFingerprint() &&
         Meta("complete") == QLatin1String("1");
}

bool SearchIndex::Reset(QString* error) {
  FinalizeAll();
  if (!Exec("BEGIN IMMEDIATE", error)) return false;
  base::ScopeGuard rollback([this] { Rollback(); });
  // Emptied and made again in one transaction: a query meanwhile finds an empty index, never
  // a missing table.
  if (!Exec("DROP TABLE IF EXISTS term_text; DROP VIEW IF EXISTS term_content; DROP TABLE IF EXISTS term;"
            " DROP TABLE IF EXISTS link; DELETE FROM meta;",
            error) ||
      !CreateTables(error) || !SetMeta("generation", QUuid::createUuid().toString(QUuid::WithoutBraces), error))
    return false;
  rollback.Dismiss();
  return Commit(error);
}

QString SearchIndex::Generation() { return Meta("generation"); }

bool SearchIndex::SetComplete(QString* error) {
  return SetMeta("format", QString::number(kFormat), error) &&
         SetMeta("tokenizer", TokenizerFingerprint(), error) && SetMeta("complete", QStringLiteral("1"), error);
}

QString SearchIndex::Stamp() { return Meta("stamp"); }

bool SearchIndex::SetStamp(const QString& stamp, QString* error) { return SetMeta("stamp", stamp, error); }

bool SearchIndex::Known(std::unordered_map<qint64, KnownTerm>* known, QString* error) {
  known->clear();
  sqlite3_stmt* s = nullptr;
  if (!Prepare(&s, "SELECT id, version, fingerprint FROM term", error)) return false;
  base::ScopeGuard done([s] { sqlite3_finalize(s); });
  int rc;
  while ((rc = sqlite3_step(s)) == SQLITE_ROW)
    known->emplace(sqlite3_column_int64(s, 0),
                   KnownTerm{sqlite3_column_int64(s, 1), quint64(sqlite3_column_int64(s, 2))});
  return rc == SQLITE_DONE || Fail(rc, error);
}

namespace {
std::atomic<bool> g_fullDisk{false};
}  // namespace

void SearchIndex::SimulateFullDisk(bool on) { g_fullDisk = on; }

bool SearchIndex::Begin(QString* error) {
  if (writer_ && g_fullDisk != fullDisk_) {
    fullDisk_ = g_fullDisk;
    // The file's present size as its limit: SQLite then fails what needs room as on a full disk.
    if (!fullDisk_) {
      sqlite3_exec(db_, "PRAGMA max_page_count = 4294967294", nullptr, nullptr, nullptr);
    } else {
      sqlite3_stmt* s = nullptr;
      qint64 pages = 0;
      if (sqlite3_prepare_v2(db_, "PRAGMA page_count", -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW)
        pages = sqlite3_column_int64(s, 0);
      sqlite3_finalize(s);
      sqlite3_exec(db_, QByteArray("PRAGMA max_page_count = " + QByteArray::number(pages)).constData(), nullptr, nullptr,
                   nullptr);
    }
  }
  return Exec("BEGIN IMMEDIATE", error);
}
bool SearchIndex::Commit(QString* error) { return Exec("COMMIT", error); }
void SearchIndex::Rollback() {
  if (db_ && !sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

void SearchIndex::SetBulk(bool bulk) {
  if (!db_) return;
  sqlite3_exec(db_, bulk ? "PRAGMA synchronous=OFF" : "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
  if (bulk == bulk_) return;
  bulk_ = bulk;
  // A build is merged into one piece at its end (Optimize): the full-text index merging its
  // pieces as they come would only do that work over and over. Each commit makes one piece.
  sqlite3_exec(db_,
               bulk ? "INSERT INTO term_text(term_text, rank) VALUES('automerge', 0);"
                      "INSERT INTO term_text(term_text, rank) VALUES('crisismerge', 1000);"
                      "INSERT INTO term_text(term_text, rank) VALUES('hashsize', 16777216);"
                    : "INSERT INTO term_text(term_text, rank) VALUES('automerge', 4);"
                      "INSERT INTO term_text(term_text, rank) VALUES('crisismerge', 16);"
                      "INSERT INTO term_text(term_text, rank) VALUES('hashsize', 1048576);",
               nullptr, nullptr, nullptr);
}

bool SearchIndex::Remove(qint64 id, QString* error) {
  if (!Prepare(&linkDelete_, "DELETE FROM link WHERE source = ?", error)) return false;
  {
    base::ScopeGuard done([this] { sqlite3_reset(linkDelete_); });
    sqlite3_bind_int64(linkDelete_, 1, id);
    if (const int rc = sqlite3_step(linkDelete_); rc != SQLITE_DONE) return Fail(rc, error);
  }
  // An external-content index forgets a row only when told exactly what it indexed for it.
  if (!Prepare(&old_, "SELECT word, body FROM term_content WHERE id = ?", error)) return false;
  if (!Prepare(&ftsDelete_, "INSERT INTO term_text(term_text, rowid, word, body) VALUES('delete', ?, ?, ?)", error))
    return false;
  if (!Prepare(&remove_, "DELETE FROM term WHERE id = ?", error)) return false;
  {
    base::ScopeGuard done([this] { sqlite3_reset(old_); });
    sqlite3_bind_int64(old_, 1, id);
    int rc = sqlite3_step(old_);
    if (rc == SQLITE_DONE) return true;
    if (rc != SQLITE_ROW) return Fail(rc, error);
    base::ScopeGuard done2([this] { sqlite3_reset(ftsDelete_); });
    sqlite3_bind_int64(ftsDelete_, 1, id);
    sqlite3_bind_value(ftsDelete_, 2, sqlite3_column_value(old_, 0));
    sqlite3_bind_value(ftsDelete_, 3, sqlite3_column_value(old_, 1));
    if ((rc = sqlite3_step(ftsDelete_)) != SQLITE_DONE) return Fail(rc, error);
  }
  base::ScopeGuard done([this] { sqlite3_reset(remove_); });
  sqlite3_bind_int64(remove_, 1, id);
  const int rc = sqlite3_step(remove_);
  return rc == SQLITE_DONE || Fail(rc, error);
}

bool SearchIndex::Put(const IndexedTerm& term, QString* error) {
  if (!Remove(term.id, error)) return false;
  if (!Prepare(&put_, "INSERT INTO term(id, version, letter, fingerprint, word, body) VALUES(?, ?, ?, ?, ?, ?)",
               error) ||
      !Prepare(&ftsInsert_, "INSERT INTO term_text(rowid, word, body) VALUES(?, ?, ?)", error))
    return false;
  const QByteArray word = Utf8(term.word);
  const QByteArray text = Utf8(term.text);
  const QByteArray packed = PackText(term.text);
  {
    base::ScopeGuard done([this] { sqlite3_reset(put_); });
    sqlite3_bind_int64(put_, 1, term.id);
    sqlite3_bind_int64(put_, 2, term.version);
    sqlite3_bind_int64(put_, 3, term.letter);
    sqlite3_bind_int64(put_, 4, sqlite3_int64(term.fingerprint));
    BindText(put_, 5, word);
    sqlite3_bind_blob(put_, 6, packed.constData(), int(packed.size()), SQLITE_STATIC);
    if (const int rc = sqlite3_step(put_); rc != SQLITE_DONE) return Fail(rc, error);
  }
  {
    base::ScopeGuard done([this] { sqlite3_reset(ftsInsert_); });
    sqlite3_bind_int64(ftsInsert_, 1, term.id);
    BindText(ftsInsert_, 2, word);
    BindText(ftsInsert_, 3, text);
    if (const int rc = sqlite3_step(ftsInsert_); rc != SQLITE_DONE) return Fail(rc, error);
  }
  if (term.links.empty()) return true;
  // A target named twice is one link; a link to itself tells the reader nothing.
  if (!Prepare(&linkInsert_, "INSERT OR IGNORE INTO link(target, source, letter, word) VALUES(?, ?, ?, ?)", error))
    return false;
  for (qint64 target : term.links) {
    if (target == term.id || target <= 0) continue;
    base::ScopeGuard done([this] { sqlite3_reset(linkInsert_); });
    sqlite3_bind_int64(linkInsert_, 1, target);
    sqlite3_bind_int64(linkInsert_, 2, term.id);
    sqlite3_bind_int64(linkInsert_, 3, term.letter);
    BindText(linkInsert_, 4, word);
    if (const int rc = sqlite3_step(linkInsert_); rc != SQLITE_DONE) return Fail(rc, error);
  }
  return true;
}

bool SearchIndex::LinksTo(qint64 target, std::vector<LinkingTerm>* sources, QString* error) {
  sources->clear();
  if (!Prepare(&linksTo_,
               "SELECT source, letter, word FROM link WHERE target = ? ORDER BY word, source",
               error))
    return false;
  base::ScopeGuard done([this] { sqlite3_reset(linksTo_); });
  sqlite3_bind_int64(linksTo_, 1, target);
  int rc;
  while ((rc = sqlite3_step(linksTo_)) == SQLITE_ROW)
    sources->push_back(LinkingTerm{sqlite3_column_int64(linksTo_, 0), sqlite3_column_int64(linksTo_, 1), Text(linksTo_, 2)});
  if (rc != SQLITE_DONE) {
    sources->clear();
    return Fail(rc, error);
  }
  return true;
}

bool SearchIndex::Names(std::vector<std::pair<qint64, QString>>* names, QString* error) {
  names->clear();
  sqlite3_stmt* s = nullptr;
  if (!Prepare(&s, "SELECT id, word FROM term", error)) return false;
  base::ScopeGuard done([s] { sqlite3_finalize(s); });
  int rc;
  while ((rc = sqlite3_step(s)) == SQLITE_ROW) names->emplace_back(sqlite3_column_int64(s, 0), Text(s, 1));
  if (rc != SQLITE_DONE) {
    names->clear();
    return Fail(rc, error);
  }
  return true;
}

bool SearchIndex::CountLinksTo(qint64 target, qint64* count, QString* error) {
  *count = 0;
  if (!Prepare(&countLinks_, "SELECT count(*) FROM link WHERE target = ?", error)) return false;
  base::ScopeGuard done([this] { sqlite3_reset(countLinks_); });
  sqlite3_bind_int64(countLinks_, 1, target);
  const int rc = sqlite3_step(countLinks_);
  if (rc != SQLITE_ROW) return Fail(rc, error);
  *count = sqlite3_column_int64(countLinks_, 0);
  return true;
}

bool SearchIndex::Optimize(QString* error) {
  return Exec("INSERT INTO term_text(term_text) VALUES('optimize')", error) && Exec("PRAGMA incremental_vacuum", error);
}

void SearchIndex::Checkpoint() {
  if (db_) sqlite3_exec(db_, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
}

bool SearchIndex::Find(const Match& match, std::vector<Hit>* hits, QString* error) {
  hits->clear();
  static const QByteArray sql = QByteArray("SELECT rowid, bm25(term_text, ") + QByteArray::number(kNameWeight) +
                                ", 1.0), termora_inname(term_text, ?2) FROM term_text WHERE term_text MATCH ?1";
  if (!Prepare(&find_, sql.constData(), error)) return false;
  base::ScopeGuard done([this] { sqlite3_reset(find_); });
  BindText(find_, 1, Utf8(match.expression));
  BindText(find_, 2, Utf8(match.groups));
  int rc;
  while ((rc = sqlite3_step(find_)) == SQLITE_ROW)
    hits->push_back(Hit{sqlite3_column_int64(find_, 0), sqlite3_column_double(find_, 1),
                        sqlite3_column_int(find_, 2) != 0});
  if (rc != SQLITE_DONE) {
    hits->clear();
    return Fail(rc, error);
  }
  std::sort(hits->begin(), hits->end(), [](const Hit& a, const Hit& b) {
    if (a.inName != b.inName) return a.inName;
    if (a.rank != b.rank) return a.rank < b.rank;
    return a.id < b.id;
  });
  return true;
}

bool SearchIndex::Details(const QString& expression, qint64 id, HitDetails* details, QString* error) {
  static const QByteArray sql =
      QByteArray("SELECT (SELECT letter FROM term WHERE id = ?2), highlight(term_text, 0, ?3, ?4),"
                 " termora_snippet(term_text, 1, ?3, ?4, ?5, ") +
      QByteArray::number(kSnippetTokens) + ") FROM term_text WHERE term_text MATCH ?1 AND rowid = ?2";
  if (!Prepare(&details_, sql.constData(), error)) return false;
  base::ScopeGuard done([this] { sqlite3_reset(details_); });
  BindText(details_, 1, Utf8(expression));
  sqlite3_bind_int64(details_, 2, id);
  static const QByteArray on = QString(QChar(kMarkOn)).toUtf8(), off = QString(QChar(kMarkOff)).toUtf8(),
                          ellipsis = QStringLiteral("…").toUtf8();
  BindText(details_, 3, on);
  BindText(details_, 4, off);
  BindText(details_, 5, ellipsis);
  const int rc = sqlite3_step(details_);
  if (rc == SQLITE_DONE) {
    if (error) *error = QCoreApplication::translate("Search", "The term is no longer in the index.");
    return false;
  }
  if (rc != SQLITE_ROW) return Fail(rc, error);
  details->letter = sqlite3_column_int64(details_, 0);
  details->word = Text(details_, 1);
  details->snippet = Text(details_, 2);
  return true;
}

}  // namespace search
