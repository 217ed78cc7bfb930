#include "data/TermReader.h"

#include <QFileInfo>
#include <sqlite3.h>

#include "base/ScopeGuard.h"
#include "data/GlossaryStore.h"
#include "data/StoreStamp.h"

namespace data {

namespace {

constexpr char kColumns[] = "IDDetail, VersionDetail, AssistDetail, WordDetail, TextDetail";

}  // namespace

TermReader::~TermReader() { Close(); }

StoreResult TermReader::Open(const QString& folder, int busyTimeoutMs) {
  Close();
  const StoreTable* table = FindStoreTable(QStringLiteral("tableDetail"));
  const QString path = QFileInfo(StoreFilePath(folder, *table)).absoluteFilePath();
  if (!QFileInfo(path).isFile()) return StoreResult::Fail(QStringLiteral("Table file not found: %1").arg(path));
  const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db_, SQLITE_OPEN_READONLY, nullptr);
  if (rc != SQLITE_OK) {
    const StoreResult r = StoreResult::Fail(
        QStringLiteral("Cannot open the table file %1: %2")
            .arg(path, QString::fromUtf8(db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc))));
    Close();
    return r;
  }
  sqlite3_busy_timeout(db_, busyTimeoutMs);
  return {};
}

void TermReader::Close() {
  sqlite3_finalize(after_);
  sqlite3_finalize(one_);
  after_ = one_ = nullptr;
  if (db_) sqlite3_close(db_);
  db_ = nullptr;
}

StoreResult TermReader::Result(int rc) const {
  switch (rc & 0xff) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE: return {};
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return {StoreStatus::Busy, QString::fromUtf8(sqlite3_errmsg(db_))};
    default: return StoreResult::Fail(QString::fromUtf8(db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc)));
  }
}

StoreResult TermReader::Prepare(sqlite3_stmt** s, const char* sql) {
  if (!db_) return StoreResult::Fail(QStringLiteral("The table file is not open."));
  if (*s) return {};
  return Result(sqlite3_prepare_v2(db_, sql, -1, s, nullptr));
}

StoreResult TermReader::Stamp(QString* stamp) {
  stamp->clear();
  if (!db_) return StoreResult::Fail(QStringLiteral("The table file is not open."));
  // Inside a read transaction no write can commit, so the header read is whole.
  if (StoreResult r = Result(sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr)); !r.Ok()) return r;
  base::ScopeGuard end([this] { sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr); });
  StoreResult r = Result(sqlite3_exec(db_, "SELECT 1 FROM sqlite_master LIMIT 1", nullptr, nullptr, nullptr));
  if (r.Ok()) *stamp = StoreStamp(db_);
  return r;
}

StoreResult TermReader::Count(qint64* count) {
  *count = 0;
  sqlite3_stmt* s = nullptr;
  if (StoreResult r = Prepare(&s, "SELECT count(*) FROM tableDetail"); !r.Ok()) return r;
  base::ScopeGuard done([s] { sqlite3_finalize(s); });
  const int rc = sqlite3_step(s);
  if (rc == SQLITE_ROW) *count = sqlite3_column_int64(s, 0);
  return Result(rc);
}

void TermReader::Fill(sqlite3_stmt* s, TermRow* row) {
  row->key = sqlite3_column_int64(s, 0);
  row->version = sqlite3_column_int64(s, 1);
  row->letter = sqlite3_column_int64(s, 2);
  row->word = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 3)), sqlite3_column_bytes(s, 3));
  const void* blob = sqlite3_column_blob(s, 4);
  row->definition = blob ? QByteArray(static_cast<const char*>(blob), sqlite3_column_bytes(s, 4)) : QByteArray();
}

StoreResult TermReader::ReadAfter(qint64 afterKey, int limit, std::vector<TermRow>* rows) {
  rows->clear();
  static const QByteArray sql =
      QByteArray("SELECT ") + kColumns + " FROM tableDetail WHERE IDDetail > ? ORDER BY IDDetail LIMIT ?";
  if (StoreResult r = Prepare(&after_, sql.constData()); !r.Ok()) return r;
  // Resetting ends the statement's read transaction, so the lock is held for one batch only.
  base::ScopeGuard done([this] { sqlite3_reset(after_); });
  sqlite3_bind_int64(after_, 1, afterKey);
  sqlite3_bind_int(after_, 2, limit);
  int rc;
  while ((rc = sqlite3_step(after_)) == SQLITE_ROW) {
    rows->emplace_back();
    Fill(after_, &rows->back());
  }
  if (rc != SQLITE_DONE) rows->clear();
  return Result(rc);
}

StoreResult TermReader::Read(qint64 key, TermRow* row) {
  static const QByteArray sql = QByteArray("SELECT ") + kColumns + " FROM tableDetail WHERE IDDetail = ?";
  if (StoreResult r = Prepare(&one_, sql.constData()); !r.Ok()) return r;
  base::ScopeGuard done([this] { sqlite3_reset(one_); });
  sqlite3_bind_int64(one_, 1, key);
  const int rc = sqlite3_step(one_);
  if (rc == SQLITE_DONE) return {StoreStatus::Gone, QString()};
  if (rc != SQLITE_ROW) return Result(rc);
  Fill(one_, row);
  return {};
}

}  // namespace data
