#pragma once
// One connection to one table file of the store. Each dataset has its own, so two datasets on
// the same file see each other as SQLite sees two programs.

#include <QSqlDatabase>
#include <QString>

namespace data {

class StoreConnection {
 public:
  StoreConnection() = default;
  ~StoreConnection();
  StoreConnection(const StoreConnection&) = delete;
  StoreConnection& operator=(const StoreConnection&) = delete;

  // Opens `path`. Without `create` the file must already exist and be an SQLite database: the
  // store never makes a new, empty table in place of the user's file.
  bool Open(const QString& path, bool create, int busyTimeoutMs, QString* error);
  void Close();
  bool IsOpen() const { return !name_.isEmpty(); }
  QSqlDatabase Db() const;
  bool Exec(const QString& sql, QString* error);
  QString Path() const { return path_; }

 private:
  QString name_;
  QString path_;
};

}  // namespace data
