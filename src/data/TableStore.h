#pragma once
// One table of the store as a dataset uses it: its rows in an index's order and range, one row
// or one BLOB by key, and the writes, each an outcome the dataset words for the user. Every row
// carries a version that each store of it changes, so an update or delete of a row someone else
// stored meanwhile is refused instead of overwriting their work.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "data/GlossaryStore.h"
#include "data/StoreConnection.h"
#include "data/StoreStamp.h"

namespace data {

struct StoredRow {
  qint64 key = 0;      // 0 for a row not yet stored
  // As stored: another program may have written something other than an integer there, and
  // that is a version too.
  QVariant version = QVariant(qlonglong(0));
  std::vector<QVariant> values;  // one per declared field; BLOBs are not read here (null)
};

// New values of declared fields, by their index in StoreTable::fields.
using StoreValues = std::vector<std::pair<int, QVariant>>;

class TableStore {
 public:
  TableStore();
  ~TableStore();
  TableStore(const TableStore&) = delete;
  TableStore& operator=(const TableStore&) = delete;

  // Files up to this size are checked whole (SQLite's quick_check) when they are opened.
  static constexpr qint64 kQuickCheckBytes = 50ll * 1024 * 1024;

  // Opens the table's file in `folder` and checks, from the schema, that it holds the table
  // with every column used, and, when the file is small enough, that its pages are sound.
  StoreResult Open(const QString& folder, const StoreTable& table, int busyTimeoutMs);
  void Close();
  bool IsOpen() const { return table_ != nullptr; }
  const StoreTable& Table() const { return *table_; }
  QString Label() const { return table_ ? table_->fileName : QString(); }
  QString Path() const { return conn_.Path(); }
  bool Writable() const { return readOnlyReason_.isEmpty(); }
  // Why the file cannot be written, naming it and the cause; empty when it can.
  QString ReadOnlyReason() const { return readOnlyReason_; }

  // The order of ReadRange: a named index, else the fields named "A;B" (a string field orders
  // by its sort key), else the key. Fails on an unknown index or a field that cannot order.
  StoreResult SetOrder(const QString& indexName, const QString& indexFieldNames);
  // The field a range is taken on (the order's first field); -1 when the order has none.
  int RangeField() const { return rangeField_; }

  // The rows in order; with `rangeValue`, only those whose range field equals it.
  StoreResult ReadRange(const QVariant* rangeValue, std::vector<StoredRow>* rows);
  // Gone when the row is no longer stored; Damaged when the file could not be read. Without
  // `wait`, a lock another program holds makes it Busy at once.
  StoreResult ReadRow(qint64 key, StoredRow* row, bool wait = true);
  // Empty when the value is null; Gone when the row is no longer stored.
  StoreResult ReadBlob(qint64 key, int field, QByteArray* bytes);

  // Each write is one transaction, and keeps the sort key in step with its source field.
  StoreResult Insert(const StoreValues& values, qint64* key);
  // Only if the row still has `version`: Conflict when it was stored since, Gone when deleted.
  StoreResult Update(qint64 key, const QVariant& version, const StoreValues& values);
  // Only if the row still has `version`: Conflict when it was stored or deleted since.
  StoreResult Delete(qint64 key, const QVariant& version);

  // The last write that succeeded, with the table's stamps around it.
  const TStoreCommit& LastCommit() const { return commit_; }
  // The table's stamp now (see StoreStamp).
  QString Stamp() const { return StoreStamp(conn_.Handle()); }

 private:
  class Statement;
  StoreResult Prepare(Statement& s, const QString& sql);
  // Prepares `s` from `sql` unless it already is; on failure `s` stays empty.
  StoreResult PrepareOnce(std::unique_ptr<Statement>& s, const QString& sql);
  QString KeyColumn() const { return table_->fields[0].name; }
  // The outcome for a row SQLite did not find under `key`: Gone, or Damaged.
  StoreResult Missing(qint64 key);
  QString StoredColumns() const;
  // Runs one write statement as a transaction of its own; `settle` runs before the commit and
  // may refuse it.
  StoreResult WriteInTransaction(const QString& sql, const QVariantList& bound,
                                 const std::function<StoreResult()>& settle);
  // The columns and values a write stores for `values`, the sort key included.
  void WriteColumns(const StoreValues& values, bool inserting, QStringList* names, QVariantList* bound) const;
  // Stamps around a write: read before it starts and after it has committed.
  void StampBefore(TCommitKind kind, qint64 key);
  void StampAfter();

  StoreConnection conn_;
  const StoreTable* table_ = nullptr;
  QString readOnlyReason_ = QStringLiteral("The table is not open.");
  int rangeField_ = -1;
  // Prepared once per opening: reading a letter's rows straight from SQLite rather than through
  // the driver's row cache is what keeps moving between letters quick.
  QString rangeSql_[2];      // the whole table; only the rows of one range
  std::unique_ptr<Statement> range_;
  bool rangeBound_ = false;  // range_ is the statement of one range
  QString rowSql_;
  std::unique_ptr<Statement> row_;
  QString deleteSql_;
  std::unique_ptr<Statement> delete_;
  std::vector<std::unique_ptr<Statement>> blobs_;  // per declared field
  TStoreCommit commit_;
  quint32 counterBefore_ = 0;
  bool counterKnown_ = false;
};

}  // namespace data
