#include "data/StoreConnection.h"

#include <QCoreApplication>
#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <cerrno>
#include <cstring>
#include <sqlite3.h>

#include "base/ScopeGuard.h"
#include "data/LockWait.h"

namespace data {

namespace {

QAtomicInt g_connectionCounter;
QAtomicInt g_fullDisk;

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
  return QCoreApplication::translate("DataSet",
                                     "The table file %1 is damaged: %2.\n\n%3 Put the file back from a backup, as "
                                     "\"Backing up\" in Termora's README describes.")
      .arg(path, sqliteText, outcome);
}

QString FileErrorCause(int error) {
  switch (error) {
    case EROFS: return QStringLiteral("it is on a read-only file system");
    case EPERM: return QStringLiteral("it is marked immutable");
    case EACCES: return QStringLiteral("you have no permission to write to it");
    case ENOSPC: return QStringLiteral("the disk is full");
    default: return QString::fromLocal8Bit(std::strerror(error));
  }
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
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
    if (!db.open())
      return QStringLiteral("Cannot open the table file %1: %2.").arg(path_, SqlErrorText(db.lastError()));
    handle_ = HandleOf(db);
    if (!handle_) return QStringLiteral("The SQLite driver of Qt SQL is not available.");
    // Waiting for another program's lock goes through the program's waiter (LockWait.h), not
    // SQLite's sleeping busy timeout, so that a window keeps painting meanwhile.
    busyTimeoutMs_ = busyTimeoutMs;
    sqlite3_busy_handler(handle_, &StoreConnection::BusyHandler, this);
    base::ScopeGuard waited([] { detail::LockWaitDone(); });
    // Reading the schema page tells a damaged or foreign file at once, without scanning it.
    // A killed program leaves a journal that SQLite rolls back on the next open; FULL sync makes
    // every committed post survive a power cut too.
    for (const char* sql : {"SELECT count(*) FROM sqlite_master", "PRAGMA synchronous = FULL"}) {
      const StoreResult r = Exec(sql);
      if (r.status == StoreStatus::Damaged)
        return DamagedFileMessage(path_, r.error, QCoreApplication::translate("DataSet", "Nothing was changed."));
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
  if (WaitingForLock()) return ResultOf(SQLITE_BUSY);
  const int rc = sqlite3_exec(handle_, sql, nullptr, nullptr, nullptr);
  detail::LockWaitDone();
  return ResultOf(rc);
}

void StoreConnection::SimulateFullDisk(bool on) { g_fullDisk.storeRelaxed(on ? 1 : 0); }

void StoreConnection::ApplyDiskLimit() {
  const bool full = g_fullDisk.loadRelaxed() != 0;
  if (!handle_ || full == diskLimited_) return;
  diskLimited_ = full;
  qint64 pages = 4294967294LL;
  if (full) {
    // The file's present size as its limit: SQLite then fails what needs room as on a full disk.
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(handle_, "PRAGMA page_count", -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW)
      pages = sqlite3_column_int64(s, 0);
    sqlite3_finalize(s);
  }
  sqlite3_exec(handle_, QByteArray("PRAGMA max_page_count = " + QByteArray::number(pages)).constData(), nullptr, nullptr,
               nullptr);
}

int StoreConnection::BusyHandler(void* self, int turn) {
  const auto* c = static_cast<const StoreConnection*>(self);
  return c->waitForLocks_ && detail::LockWaitTurn(c->path_, turn, c->busyTimeoutMs_) ? 1 : 0;
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
  if (primary == SQLITE_FULL) return {StoreStatus::DiskFull, text};
  // A statement that was prepared and then could not step over the file's pages: the file is
  // damaged, which is never "no such row".
  if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB || primary == SQLITE_FORMAT)
    return {StoreStatus::Damaged, text};
  if (primary == SQLITE_READONLY || primary == SQLITE_IOERR || primary == SQLITE_CANTOPEN) {
    const int error = handle_ ? sqlite3_system_errno(handle_) : 0;
    return {StoreStatus::FileError, QCoreApplication::translate("DataSet", "The table file %1 could not be %2 (%3%4). Nothing was stored.")
                                        .arg(QDir::toNativeSeparators(path_),
                                             primary == SQLITE_READONLY
                                                 ? QCoreApplication::translate("DataSet", "changed")
                                                 : QCoreApplication::translate("DataSet", "read or written"),
                                             text, error ? QStringLiteral(": ") + FileErrorCause(error) : QString())};
  }
  return StoreResult::Fail(text);
}

}  // namespace data
