#pragma once
// One connection to one table file of the store. Each dataset has its own, so two datasets on
// the same file see each other as SQLite sees two programs.

#include <QSqlDatabase>
#include <QSqlError>
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
  Damaged,   // the file is not a sound table file (damaged, cut short, overwritten): the message names it
  FileError, // the file could not be written or read: the message names it and the cause
  DiskFull,  // the disk holding the file has no room for the write
  Failed,    // anything else
};

// An errno from a file access, as the user can act on it ("it is on a read-only file system").
QString FileErrorCause(int error);

struct StoreResult {
  StoreStatus status = StoreStatus::Ok;
  // Opening and FileError: the whole message. Other operations, Damaged too: what SQLite found,
  // which the caller puts into DamagedFileMessage with what became of the user's work.
  QString error;

  bool Ok() const { return status == StoreStatus::Ok; }
  static StoreResult Fail(const QString& text) { return {StoreStatus::Failed, text}; }
};

// What went wrong in a Qt SQL call: SQLite's own text. (The driver's text() runs it together
// with its own, "Unable to execute statement", into one line.)
QString SqlErrorText(const QSqlError& e);

// The one message for a table file found damaged: which file, SQLite's own words for what is
// wrong, what became of the user's work (`outcome`, a sentence) and how to get the glossary back.
QString DamagedFileMessage(const QString& path, const QString& sqliteText, const QString& outcome);

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
  // While on, writes may not make table files grow, as on a full disk: what needs room fails as
  // it would there. For tests; off by default. ApplyDiskLimit puts it into effect on this
  // connection before a write.
  static void SimulateFullDisk(bool on);
  void ApplyDiskLimit();
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
  bool diskLimited_ = false;
};

}  // namespace data
