#include "data/GlossaryReader.h"

#include <QFileInfo>
#include <sqlite3.h>

#include "base/ScopeGuard.h"
#include "data/GlossaryStore.h"

namespace data {

namespace {

StoreResult OpenOne(const QString& folder, const char* table, sqlite3** db) {
  const QString path = QFileInfo(StoreFilePath(folder, *FindStoreTable(QString::fromLatin1(table)))).absoluteFilePath();
  if (!QFileInfo(path).isFile()) return StoreResult::Fail(QStringLiteral("Table file not found: %1").arg(path));
  const int rc = sqlite3_open_v2(path.toUtf8().constData(), db, SQLITE_OPEN_READONLY, nullptr);
  if (rc != SQLITE_OK) {
    const StoreResult r = StoreResult::Fail(QStringLiteral("Cannot open the table file %1: %2")
                                                .arg(path, QString::fromUtf8(*db ? sqlite3_errmsg(*db) : sqlite3_errstr(rc))));
    sqlite3_close(*db);
    *db = nullptr;
    return r;
  }
  sqlite3_busy_timeout(*db, 4000);
  return {};
}

StoreResult Result(sqlite3* db, int rc) {
  switch (rc & 0xff) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE: return {};
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return {StoreStatus::Busy, QString::fromUtf8(sqlite3_errmsg(db))};
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return {StoreStatus::Damaged, QString::fromUtf8(sqlite3_errmsg(db))};
    default: return StoreResult::Fail(QString::fromUtf8(sqlite3_errmsg(db)));
  }
}

QString Text(sqlite3_stmt* s, int col) {
  return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, col)), sqlite3_column_bytes(s, col));
}

}  // namespace

GlossaryReader::~GlossaryReader() { Close(); }

StoreResult GlossaryReader::Open(const QString& folder) {
  Close();
  StoreResult r = OpenOne(folder, "tableMaster", &master_);
  if (r.Ok()) r = OpenOne(folder, "tableDetail", &detail_);
  if (!r.Ok()) Close();
  return r;
}

void GlossaryReader::Close() {
  if (master_) sqlite3_close(master_);
  if (detail_) sqlite3_close(detail_);
  master_ = detail_ = nullptr;
}

StoreResult GlossaryReader::Letters(std::vector<LetterRow>* letters) {
  letters->clear();
  if (!master_) return StoreResult::Fail(QStringLiteral("The table file is not open."));
  sqlite3_stmt* s = nullptr;
  int rc = sqlite3_prepare_v2(master_, "SELECT IDMaster, NumMaster, LetterMaster FROM tableMaster ORDER BY IDMaster",
                              -1, &s, nullptr);
  if (rc != SQLITE_OK) return Result(master_, rc);
  base::ScopeGuard done([s] { sqlite3_finalize(s); });
  while ((rc = sqlite3_step(s)) == SQLITE_ROW)
    letters->push_back({sqlite3_column_int64(s, 0), sqlite3_column_int(s, 1), Text(s, 2)});
  if (rc != SQLITE_DONE) letters->clear();
  return Result(master_, rc);
}

StoreResult GlossaryReader::Terms(qint64 letterId, bool definitions, std::vector<StoredTerm>* terms) {
  terms->clear();
  if (!detail_) return StoreResult::Fail(QStringLiteral("The table file is not open."));
  const char* sql = definitions ? "SELECT IDDetail, WordDetail, TextDetail FROM tableDetail WHERE AssistDetail = ?"
                                  " ORDER BY AssistDetail, SortKeyDetail, IDDetail"
                                : "SELECT IDDetail, WordDetail FROM tableDetail WHERE AssistDetail = ?"
                                  " ORDER BY AssistDetail, SortKeyDetail, IDDetail";
  sqlite3_stmt* s = nullptr;
  int rc = sqlite3_prepare_v2(detail_, sql, -1, &s, nullptr);
  if (rc != SQLITE_OK) return Result(detail_, rc);
  base::ScopeGuard done([s] { sqlite3_finalize(s); });
  sqlite3_bind_int64(s, 1, letterId);
  while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
    StoredTerm t;
    t.key = sqlite3_column_int64(s, 0);
    t.word = Text(s, 1);
    if (definitions) {
      const void* blob = sqlite3_column_blob(s, 2);
      if (blob) t.definition = QByteArray(static_cast<const char*>(blob), sqlite3_column_bytes(s, 2));
    }
    terms->push_back(std::move(t));
  }
  if (rc != SQLITE_DONE) terms->clear();
  return Result(detail_, rc);
}

}  // namespace data
