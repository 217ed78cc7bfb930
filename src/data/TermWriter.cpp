#include "data/TermWriter.h"

#include <QFileInfo>
#include <sqlite3.h>

#include "base/ScopeGuard.h"
#include "data/DataTypes.h"
#include "data/GlossaryStore.h"
#include "data/StoreStamp.h"

namespace data {

namespace {

StoreResult SqliteFail(sqlite3* db, int rc) {
  const QString text = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
  switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return {StoreStatus::Busy, text};
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return {StoreStatus::Damaged, text};
    case SQLITE_FULL: return {StoreStatus::DiskFull, text};
    case SQLITE_IOERR:
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN: return {StoreStatus::FileError, text};
    default: return StoreResult::Fail(text);
  }
}

StoreResult OpenFile(const QString& folder, const char* table, int flags, int busyTimeoutMs, sqlite3** db) {
  const QString path = QFileInfo(StoreFilePath(folder, *FindStoreTable(QLatin1String(table)))).absoluteFilePath();
  if (!QFileInfo(path).isFile()) return StoreResult::Fail(QStringLiteral("Table file not found: %1").arg(path));
  const int rc = sqlite3_open_v2(path.toUtf8().constData(), db, flags, nullptr);
  if (rc != SQLITE_OK) {
    StoreResult r = SqliteFail(*db, rc);
    r.error = QStringLiteral("Cannot open the table file %1: %2").arg(path, r.error);
    sqlite3_close(*db);
    *db = nullptr;
    return r;
  }
  sqlite3_busy_timeout(*db, busyTimeoutMs);
  return {};
}

}  // namespace

StoreResult ReadLetters(const QString& folder, std::vector<LetterRow>* letters) {
  letters->clear();
  sqlite3* db = nullptr;
  if (StoreResult r = OpenFile(folder, "tableMaster", SQLITE_OPEN_READONLY, 4000, &db); !r.Ok()) return r;
  base::ScopeGuard close([db] { sqlite3_close(db); });
  sqlite3_stmt* s = nullptr;
  int rc = sqlite3_prepare_v2(db, "SELECT IDMaster, NumMaster, LetterMaster FROM tableMaster ORDER BY NumMaster, IDMaster",
                              -1, &s, nullptr);
  if (rc != SQLITE_OK) return SqliteFail(db, rc);
  base::ScopeGuard done([s] { sqlite3_finalize(s); });
  while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
    LetterRow l;
    l.id = sqlite3_column_int64(s, 0);
    l.num = sqlite3_column_int(s, 1);
    l.letter = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 2)), sqlite3_column_bytes(s, 2));
    letters->push_back(l);
  }
  if (rc != SQLITE_DONE) {
    letters->clear();
    return SqliteFail(db, rc);
  }
  return {};
}

QString CheckTermWord(const QString& word) {
  const qsizetype length = word.toUcs4().size();
  if (length > 40) return QStringLiteral("the term has %1 characters; at most 40 fit").arg(length);
  for (QChar c : word)
    if (IsControlInName(c))
      return QStringLiteral("the term holds the control character U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
  return QString();
}

TermWriter::~TermWriter() { Close(); }

void TermWriter::Close() {
  if (begun_) Rollback();
  sqlite3_finalize(add_);
  sqlite3_finalize(replace_);
  add_ = replace_ = nullptr;
  if (db_) sqlite3_close(db_);
  db_ = nullptr;
}

StoreResult TermWriter::Result(int rc) const {
  switch (rc & 0xff) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE: return {};
    default: return SqliteFail(db_, rc);
  }
}

StoreResult TermWriter::Begin(const QString& folder, QString* stamp, int busyTimeoutMs) {
  Close();
  if (StoreResult r = OpenFile(folder, "tableDetail", SQLITE_OPEN_READWRITE, busyTimeoutMs, &db_); !r.Ok()) return r;
  if (StoreResult r = Result(sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr)); !r.Ok()) {
    Close();
    return r;
  }
  begun_ = true;
  if (stamp) {
    // The header is read once a statement has looked at the file inside the transaction.
    sqlite3_exec(db_, "SELECT 1 FROM sqlite_master LIMIT 1", nullptr, nullptr, nullptr);
    *stamp = StoreStamp(db_);
  }
  int rc = sqlite3_prepare_v2(db_,
                              "INSERT INTO tableDetail (NumDetail, AssistDetail, WordDetail, TextDetail, SortKeyDetail)"
                              " VALUES (0, ?, ?, ?, ?)",
                              -1, &add_, nullptr);
  if (rc == SQLITE_OK)
    rc = sqlite3_prepare_v2(db_,
                            "UPDATE tableDetail SET TextDetail = ?, VersionDetail = CASE WHEN typeof(VersionDetail) ="
                            " 'integer' THEN VersionDetail + 1 ELSE abs(random() % 4611686018427387904) + 1 END"
                            " WHERE IDDetail = ? AND VersionDetail IS ?",
                            -1, &replace_, nullptr);
  if (rc != SQLITE_OK) {
    const StoreResult r = Result(rc);
    Close();
    return r;
  }
  return {};
}

StoreResult TermWriter::Add(qint64 letter, const QString& word, const QByteArray& definition, qint64* key) {
  if (!begun_) return StoreResult::Fail(QStringLiteral("The writer has not begun."));
  if (const QString why = CheckTermWord(word); !why.isEmpty())
    return StoreResult::Fail(QStringLiteral("\"%1\": %2").arg(word, why));
  if (definition.size() > kMaxDefinitionBytes)
    return StoreResult::Fail(QStringLiteral("\"%1\": the definition is larger than the store takes").arg(word));
  base::ScopeGuard reset([this] { sqlite3_reset(add_); });
  const QByteArray w = word.toUtf8();
  const QByteArray k = SortKeyOf(word).toUtf8();
  sqlite3_bind_int64(add_, 1, letter);
  sqlite3_bind_text(add_, 2, w.constData(), int(w.size()), SQLITE_STATIC);
  if (definition.isNull())
    sqlite3_bind_null(add_, 3);
  else
    sqlite3_bind_blob(add_, 3, definition.constData(), int(definition.size()), SQLITE_STATIC);
  sqlite3_bind_text(add_, 4, k.constData(), int(k.size()), SQLITE_STATIC);
  const int rc = sqlite3_step(add_);
  if (rc != SQLITE_DONE) return Result(rc);
  if (key) *key = sqlite3_last_insert_rowid(db_);
  return {};
}

StoreResult TermWriter::Replace(qint64 key, qint64 version, const QByteArray& definition) {
  if (!begun_) return StoreResult::Fail(QStringLiteral("The writer has not begun."));
  if (definition.size() > kMaxDefinitionBytes)
    return StoreResult::Fail(QStringLiteral("The definition is larger than the store takes."));
  base::ScopeGuard reset([this] { sqlite3_reset(replace_); });
  sqlite3_bind_blob(replace_, 1, definition.constData(), int(definition.size()), SQLITE_STATIC);
  sqlite3_bind_int64(replace_, 2, key);
  sqlite3_bind_int64(replace_, 3, version);
  const int rc = sqlite3_step(replace_);
  if (rc != SQLITE_DONE) return Result(rc);
  if (sqlite3_changes(db_) > 0) return {};
  // Someone stored or deleted the term after it was read: never overwrite silently.
  sqlite3_stmt* s = nullptr;
  sqlite3_prepare_v2(db_, "SELECT 1 FROM tableDetail WHERE IDDetail = ?", -1, &s, nullptr);
  base::ScopeGuard done([s] { sqlite3_finalize(s); });
  sqlite3_bind_int64(s, 1, key);
  return {sqlite3_step(s) == SQLITE_ROW ? StoreStatus::Conflict : StoreStatus::Gone, QString()};
}

StoreResult TermWriter::Commit() {
  if (!begun_) return StoreResult::Fail(QStringLiteral("The writer has not begun."));
  sqlite3_reset(add_);
  sqlite3_reset(replace_);
  const StoreResult r = Result(sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr));
  if (!r.Ok()) {
    Rollback();
    return r;
  }
  begun_ = false;
  return r;
}

void TermWriter::Rollback() {
  if (!begun_ || !db_) return;
  sqlite3_reset(add_);
  sqlite3_reset(replace_);
  sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  begun_ = false;
}

}  // namespace data
