#include "data/StoreConnection.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <sqlite3.h>

namespace data {

namespace {

QAtomicInt g_connectionCounter;

// Extended result codes keep the primary code in their low byte.
constexpr int kPrimaryCodeMask = 0xff;

// The SQLite handle under a Qt SQL connection, or nullptr when the driver gives none.
sqlite3* HandleOf(const QSqlDatabase& db) {
  if (!db.driver()) return nullptr;
  const QVariant h = db.driver()->handle();
  if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3*") != 0) return nullptr;
  return *static_cast<sqlite3* const*>(h.constData());
}

}  // namespace

QString SqlErrorText(const QSqlError& e) {
  const QString db = e.databaseText().trimmed();
  return db.isEmpty() ? e.driverText().trimmed() : db;
}

QString DamagedFileMessage(const QString& path, const QString& sqliteText, const QString& outcome) {
  return QStringLiteral("The table file %1 is damaged: %2.\n\n%3 Put the file back from a backup, as \"Backing up\" "
                        "in Termora's README describes.")
      .arg(path, sqliteText, outcome);
}

StoreConnection::~StoreConnection() { Close(); }

StoreResult StoreConnection::Open(const QString& path, bool create, int busyTimeoutMs) {
  Close();
  const QFileInfo info(path);
  if (!create) {
    if (!info.exists())
      return StoreResult::Fail(QStringLiteral("Table file not found: %1").arg(info.absoluteFilePath()));
    if (!info.isFile()) return StoreResult::Fail(QStringLiteral("Not a table file: %1").arg(info.absoluteFilePath()));
    if (!info.isReadable())
      return StoreResult::Fail(QStringLiteral("Cannot read the table file %1").arg(info.absoluteFilePath()));
  }
  name_ = QStringLiteral("termora-store-%1").arg(g_connectionCounter.fetchAndAddRelaxed(1));
  path_ = info.absoluteFilePath();
  const QString problem = [&]() -> QString {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    if (!db.isValid()) return QStringLiteral("The SQLite driver of Qt SQL is not available.");
    // mode=rw: SQLite refuses to make a new file where the user's table should be.
    QUrl url = QUrl::fromLocalFile(path_);
    url.setQuery(create ? QStringLiteral("mode=rwc") : QStringLiteral("mode=rw"));
    db.setDatabaseName(url.toString(QUrl::FullyEncoded));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
    if (!db.open())
      return QStringLiteral("Cannot open the table file %1: %2.").arg(path_, SqlErrorText(db.lastError()));
    handle_ = HandleOf(db);
    if (!handle_) return QStringLiteral("The SQLite driver of Qt SQL is not available.");
    // Reading the schema page tells a damaged or foreign file at once, without scanning it.
    // A killed program leaves a journal that SQLite rolls back on the next open; FULL sync makes
    // every committed post survive a power cut too.
    for (const char* sql : {"SELECT count(*) FROM sqlite_master", "PRAGMA synchronous = FULL"}) {
      const StoreResult r = Exec(sql);
      if (r.status == StoreStatus::Damaged)
        return DamagedFileMessage(path_, r.error, QStringLiteral("Nothing was changed."));
      if (!r.Ok()) return QStringLiteral("Cannot read the table file %1: %2.").arg(path_, r.error);
    }
    return QString();
  }();
  if (!problem.isEmpty()) {
    Close();
    return StoreResult::Fail(problem);
  }
  return {};
}

void StoreConnection::Close() {
  if (name_.isEmpty()) return;
  handle_ = nullptr;
  {
    QSqlDatabase db = QSqlDatabase::database(name_, false);
    if (db.isOpen()) db.close();
  }
  QSqlDatabase::removeDatabase(name_);
  name_.clear();
}

QSqlDatabase StoreConnection::Db() const { return QSqlDatabase::database(name_, false); }

StoreResult StoreConnection::Exec(const char* sql) {
  if (!handle_) return StoreResult::Fail(QStringLiteral("The table file is not open."));
  return ResultOf(sqlite3_exec(handle_, sql, nullptr, nullptr, nullptr));
}

StoreResult StoreConnection::ResultOf(int rc) const {
  switch (rc & kPrimaryCodeMask) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE: return {};
    default: break;
  }
  const QString text = QString::fromUtf8(handle_ ? sqlite3_errmsg(handle_) : sqlite3_errstr(rc));
  const int primary = rc & kPrimaryCodeMask;
  if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) return {StoreStatus::Busy, text};
  if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB) return {StoreStatus::Damaged, text};
  return StoreResult::Fail(text);
}

}  // namespace data
