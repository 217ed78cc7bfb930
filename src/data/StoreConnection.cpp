#include "data/StoreConnection.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

namespace data {

namespace {
QAtomicInt g_connectionCounter;
}

StoreConnection::~StoreConnection() { Close(); }

bool StoreConnection::Open(const QString& path, bool create, int busyTimeoutMs, QString* error) {
  Close();
  auto fail = [&](const QString& e) {
    if (error) *error = e;
    Close();
    return false;
  };
  const QFileInfo info(path);
  if (!create) {
    if (!info.exists()) return fail(QStringLiteral("Table file not found: %1").arg(info.absoluteFilePath()));
    if (!info.isFile()) return fail(QStringLiteral("Not a table file: %1").arg(info.absoluteFilePath()));
    if (!info.isReadable()) return fail(QStringLiteral("Cannot read the table file %1").arg(info.absoluteFilePath()));
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
    if (!db.open()) return QStringLiteral("Cannot open the table file %1: %2").arg(path_, db.lastError().text());
    // Reading the schema page tells a damaged or foreign file at once, without scanning it.
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !q.next())
      return QStringLiteral("Cannot read the table file %1: %2").arg(path_, q.lastError().text());
    q.finish();
    // A killed program leaves a journal that SQLite rolls back on the next open; FULL sync makes
    // every committed post survive a power cut too.
    if (!q.exec(QStringLiteral("PRAGMA synchronous = FULL")))
      return QStringLiteral("Cannot use the table file %1: %2").arg(path_, q.lastError().text());
    return QString();
  }();
  if (!problem.isEmpty()) return fail(problem);
  return true;
}

void StoreConnection::Close() {
  if (name_.isEmpty()) return;
  {
    QSqlDatabase db = QSqlDatabase::database(name_, false);
    if (db.isOpen()) db.close();
  }
  QSqlDatabase::removeDatabase(name_);
  name_.clear();
}

QSqlDatabase StoreConnection::Db() const { return QSqlDatabase::database(name_, false); }

bool StoreConnection::Exec(const QString& sql, QString* error) {
  QSqlQuery q(Db());
  if (!q.exec(sql)) {
    if (error) *error = q.lastError().text();
    return false;
  }
  return true;
}

}  // namespace data
