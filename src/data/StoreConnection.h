#pragma once
// One connection to one table file of the store. Each dataset has its own, so two datasets on
// the same file see each other as SQLite sees two programs.

#include <QSqlDatabase>
#include <QString>

#include "base/ScopeGuard.h"

struct sqlite3;

namespace data {

// What a store operation came to. The callers word each outcome for the user, so the outcomes
// they word differently are told apart here, once, from SQLite's result codes.
enum class StoreStatus {
  Ok,
  Busy,      // another program held the file's lock for longer than the busy timeout
  Conflict,  // the row was stored or deleted by someone else since it was read
  Gone,      // the row is no longer stored
  Damaged,   // the file could not be read as a table file: the message names it
  FileError, // the file could not be written or read: the message names it and the cause
  Failed,    // anything else
};

// What the user is told about a damaged table file: which file, what SQLite found, that
// nothing was changed and where to read how to restore it.
QString DamagedFileText(const QString& path, const QString& finding);

// An errno from a file access, as the user can act on it ("it is on a read-only file system").
QString FileErrorCause(int error);

struct StoreResult {
  StoreStatus status = StoreStatus::Ok;
  // Opening, Damaged and FileError: the whole message. Other operations: SQLite's own text.
  QString error;

  bool Ok() const { return status == StoreStatus::Ok; }
  static StoreResult Fail(const QString& text) { return {StoreStatus::Failed, text}; }
};

class StoreConnection {
 public:
  StoreConnection() = default;
  ~StoreConnection();
  StoreConnection(const StoreConnection&) = delete;
  StoreConnection& operator=(const StoreConnection&) = delete;

  // Opens `path`. Without `create` the file must already exist and be an SQLite database: the
  // store never makes a new, empty table in place of the user's file.
  StoreResult Open(const QString& path, bool create, int busyTimeoutMs);
  void Close();
  bool IsOpen() const { return !name_.isEmpty(); }
  QString Path() const { return path_; }
  QSqlDatabase Db() const;
  // The connection's own SQLite handle, for the statements the store keeps prepared.
  sqlite3* Handle() const { return handle_; }

  // Each statement of `sql` in turn; waits for another program's lock as the store does.
  StoreResult Exec(const char* sql);
  // While the returned value lives, a lock another program holds is waited for (true) or
  // reported busy at once (false).
  [[nodiscard]] base::ValueRestorer<bool> WaitForLocks(bool wait) { return {waitForLocks_, wait}; }
  // The outcome of an SQLite call on this connection that returned `rc`.
  StoreResult ResultOf(int rc) const;

 private:
  static int BusyHandler(void* self, int turn);

  QString name_;
  QString path_;
  int busyTimeoutMs_ = 0;
  bool waitForLocks_ = true;
  sqlite3* handle_ = nullptr;
};

}  // namespace data
